#include "Platform/Win32/WinX11.h"
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <chrono>
#include <thread>

namespace win32 {

namespace {

bool X11Of(SDL_Window* window, Display*& display, Window& xwindow)
{
    if (!window)
        return false;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return false;
    display = info.info.x11.display;
    xwindow = info.info.x11.window;
    return display != nullptr;
}

// The first 32-bit item of a window's property of type `type`.
bool WindowProperty(Display* display, Window window, Atom property, Atom type, long count, long* out)
{
    Atom actualType = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, window, property, 0, count, False, type, &actualType, &format,
                                          &items, &after, &data);
    const bool ok = status == Success && actualType == type && format == 32 && items >= static_cast<unsigned long>(count);
    if (ok) {
        const long* values = reinterpret_cast<const long*>(data);
        for (long i = 0; i < count; ++i)
            out[i] = values[i];
    }
    if (data)
        XFree(data);
    return ok;
}

// Errors of the check (a stale supporting window) are expected: they only mean "no".
int IgnoreError(Display*, XErrorEvent*)
{
    return 0;
}

} // namespace

bool X11WindowManagerRuns(SDL_Window* window)
{
    Display* display = nullptr;
    Window xwindow = 0;
    if (!X11Of(window, display, xwindow))
        return false;
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    long supporting = 0;
    if (!WindowProperty(display, DefaultRootWindow(display), check, XA_WINDOW, 1, &supporting))
        return false;
    // The supporting window names itself while its manager lives.
    XSync(display, False);
    auto previous = XSetErrorHandler(&IgnoreError);
    long self = 0;
    const bool alive = WindowProperty(display, static_cast<Window>(supporting), check, XA_WINDOW, 1, &self) &&
                       self == supporting;
    XSync(display, False);
    XSetErrorHandler(previous);
    return alive;
}

bool X11RequestFrameExtents(SDL_Window* window, int waitMs, FrameExtents& out)
{
    Display* display = nullptr;
    Window xwindow = 0;
    if (!X11Of(window, display, xwindow) || !X11WindowManagerRuns(window))
        return false;
    const Atom extents = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
    long values[4] = {0, 0, 0, 0};
    if (!WindowProperty(display, xwindow, extents, XA_CARDINAL, 4, values)) {
        XEvent request{};
        request.xclient.type = ClientMessage;
        request.xclient.window = xwindow;
        request.xclient.message_type = XInternAtom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
        request.xclient.format = 32;
        XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask,
                   &request);
        XFlush(display);
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
        bool answered = false;
        while (!answered && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            XSync(display, False);
            answered = WindowProperty(display, xwindow, extents, XA_CARDINAL, 4, values);
        }
        if (!answered)
            return false;
    }
    out.left = static_cast<int>(values[0]);
    out.right = static_cast<int>(values[1]);
    out.top = static_cast<int>(values[2]);
    out.bottom = static_cast<int>(values[3]);
    return true;
}

} // namespace win32
