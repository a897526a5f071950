#include "Platform/Win32/WinWindow.h"
#include "Platform/Win32/WinProcess.h"
#include "Platform/Win32/WinSdl.h"
#include "Platform/Win32/WinTest.h"
#include "Platform/Win32/WinUtf8.h"
#include "Platform/Win32/WindowRecord.h"
#include <SDL.h>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>
#include <unistd.h>

// Xlib's hook for a lost display connection (libX11); Xlib.h itself would bring
// macros that clash with the Win32 names.
extern "C" {
struct _XDisplay;
using XIOErrorHandler = int (*)(_XDisplay*);
XIOErrorHandler XSetIOErrorHandler(XIOErrorHandler handler);
}

struct HCURSOR__ {
    int id;
    // An icon's pixels (RGBA, rows from the top); empty for cursors.
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;
};
struct HDC__ {
    int id;
    HWND window = nullptr; // GetDC's
};

namespace {

using namespace win32;

struct Queued {
    MSG msg;
    long character; // ToUnicode's answer for a key-down (kCharFromLayout, kCharAwaitingText, 0 or a code
                    // point)
    bool fromSdl;
    std::uint64_t serial;
};

struct WindowClass {
    std::wstring name;
    WNDPROC proc = nullptr;
    UINT style = 0;
    HCURSOR cursor = nullptr;
    HICON icon = nullptr;
};

// Icon resources by id; records stay for the life of the process, as resources do.
std::map<int, std::unique_ptr<HCURSOR__>>& IconResources()
{
    static std::map<int, std::unique_ptr<HCURSOR__>> icons;
    return icons;
}

HCURSOR__ gArrowCursor{32512, 0, 0, {}};
HDC__ gPaintDc{1};

struct LayerState {
    std::vector<WindowClass> classes;
    // Every window ever created: a destroyed record stays, so a stale handle is
    // recognised as dead instead of reaching freed memory.
    std::vector<std::unique_ptr<HWND__>> windows;
    std::vector<std::unique_ptr<HWND__>> remotes;
    std::vector<HWND> adopted;
    std::deque<Queued> queue;
    std::uint64_t nextSerial = 1;
    std::uint64_t awaitingText = 0; // serial of the SDL key-down its text event may still join
    POINT cursor{0, 0};
    // SDL said the pointer left our windows at `cursor`: what is there is not ours.
    bool cursorOutside = false;
    HCURSOR currentCursor = &gArrowCursor;
    SDL_Cursor* sdlArrow = nullptr;
    HWND capture = nullptr;
    std::vector<SDL_Window*> closing; // destroyed windows that a device still renders into
    std::map<SDL_Window*, int> retained; // devices rendering into each SDL window
    Clock::time_point start = Clock::now();
};

// Never destroyed: the engine's window can outlive static destruction at exit.
LayerState& State()
{
    static LayerState* state = new LayerState;
    return *state;
}

bool IsLive(HWND hwnd)
{
    if (!hwnd)
        return false;
    for (const auto& w : State().windows)
        if (w.get() == hwnd)
            return w->live;
    return false;
}

bool IsRemote(HWND hwnd)
{
    if (!hwnd)
        return false;
    for (const auto& r : State().remotes)
        if (r.get() == hwnd)
            return true;
    return false;
}

const WindowClass* FindClass(const std::wstring& name)
{
    for (const WindowClass& c : State().classes)
        if (c.name == name)
            return &c;
    return nullptr;
}

// Code points of an SDL text event; a malformed byte is skipped.
std::vector<std::uint32_t> FromUtf8(const char* text)
{
    std::vector<std::uint32_t> out;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p) {
        std::uint32_t c = *p;
        int extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
        if (extra < 0) {
            ++p;
            continue;
        }
        c &= extra == 0 ? 0x7F : extra == 1 ? 0x1F : extra == 2 ? 0x0F : 0x07;
        ++p;
        bool ok = true;
        for (int i = 0; i < extra; ++i, ++p) {
            if ((*p & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            c = (c << 6) | (*p & 0x3F);
        }
        if (ok && c <= 0x10FFFF)
            out.push_back(c);
    }
    return out;
}

DWORD Now()
{
    return static_cast<DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - State().start).count());
}

std::uint64_t Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, long character = kCharNone,
                   bool fromSdl = false)
{
    LayerState& s = State();
    Queued q{};
    q.msg.hwnd = hwnd;
    q.msg.message = message;
    q.msg.wParam = wParam;
    q.msg.lParam = lParam;
    q.msg.time = Now();
    q.msg.pt = s.cursor;
    q.character = character;
    q.fromSdl = fromSdl;
    q.serial = s.nextSerial++;
    s.queue.push_back(q);
    return q.serial;
}

void ReleaseClaimsAtExit();

void (*gDisplayLostHandler)() = nullptr;

// Xlib's own answer to a lost display is exit(), whose exit-time destructors then talk
// to the display that is gone and spin for ever, deaf to SIGTERM (which SDL only turns
// into an event that nobody pumps any more). The process ends here instead, at once.
int DisplayLost(_XDisplay*)
{
    static std::atomic<bool> ending{false};
    if (!ending.exchange(true)) {
        if (gDisplayLostHandler)
            gDisplayLostHandler();
        else
            std::fprintf(stderr, "Win32: the connection to the display is lost\n");
        ReleaseClaimsAtExit();
    }
    _exit(1);
}

// Whether SDL_VIDEODRIVER (a driver name or a comma-separated list) names `driver`.
bool DriverRequested(const char* driver)
{
    const char* requested = SDL_getenv("SDL_VIDEODRIVER");
    if (!requested)
        return false;
    const std::string list = requested;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(',', start), list.size());
        if (SDL_strcasecmp(list.substr(start, end - start).c_str(), driver) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

// Video starts on a real display, or on SDL's headless drivers ("offscreen", "dummy")
// only when SDL_VIDEODRIVER names them: without a display SDL falls back to them on
// its own, and the program would run where no one can see it.
bool EnsureVideo()
{
    if (SDL_WasInit(SDL_INIT_VIDEO))
        return true;
    // Before SDL opens the display, which may already be going away. Without an X
    // display Xlib is never used and the handler never runs.
    XSetIOErrorHandler(&DisplayLost);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "Win32: SDL video cannot start: %s\n", SDL_GetError());
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    for (const char* headless : {"offscreen", "dummy"}) {
        if (driver && SDL_strcasecmp(driver, headless) == 0 && !DriverRequested(headless)) {
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            return false;
        }
    }
    // The GL driver stays loaded for the life of the process, as the system's display
    // driver would: windows come and go (screen-mode switches recreate them) without
    // reloading it, and leak reports can still name its modules at exit.
    SDL_GL_LoadLibrary(nullptr);
    SDL_StartTextInput();
    return true;
}

int DisplayCovering(int x, int y, int width, int height)
{
    const int count = SDL_GetNumVideoDisplays();
    for (int i = 0; i < count; ++i) {
        SDL_Rect r;
        if (SDL_GetDisplayBounds(i, &r) == 0 && r.x == x && r.y == y && r.w == width && r.h == height)
            return i;
    }
    return -1;
}

// A window without a caption covering a whole display is shown as full screen.
bool WantsFullScreen(const HWND__& w)
{
    return !(w.style & WS_CAPTION) && DisplayCovering(w.x, w.y, w.width, w.height) >= 0;
}

HWND FromSdlId(Uint32 id)
{
    for (const auto& w : State().windows)
        if (w->live && w->sdl && SDL_GetWindowID(w->sdl) == id)
            return w.get();
    return nullptr;
}

void SetMinimized(HWND hwnd, bool minimized)
{
    if (hwnd->minimized == minimized)
        return;
    hwnd->minimized = minimized;
    if (minimized)
        Post(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
    else
        Post(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(hwnd->width, hwnd->height));
    hwnd->needsPaint = !minimized;
}

void SetActive(HWND hwnd, bool active)
{
    if (hwnd->active == active)
        return;
    hwnd->active = active;
    Post(hwnd, WM_ACTIVATEAPP, active ? TRUE : FALSE, 0);
}

WPARAM MouseKeyFlags()
{
    const Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
    const SDL_Keymod mod = SDL_GetModState();
    WPARAM flags = 0;
    if (buttons & SDL_BUTTON_LMASK)
        flags |= MK_LBUTTON;
    if (buttons & SDL_BUTTON_RMASK)
        flags |= MK_RBUTTON;
    if (buttons & SDL_BUTTON_MMASK)
        flags |= MK_MBUTTON;
    if (mod & KMOD_SHIFT)
        flags |= MK_SHIFT;
    if (mod & KMOD_CTRL)
        flags |= MK_CONTROL;
    return flags;
}

void PointerAt(HWND hwnd, int x, int y)
{
    LayerState& s = State();
    s.cursor = POINT{hwnd->x + x, hwnd->y + y};
    s.cursorOutside = false;
}

void TranslateWindowEvent(HWND hwnd, const SDL_WindowEvent& e)
{
    LayerState& s = State();
    switch (e.event) {
    case SDL_WINDOWEVENT_SHOWN:
        hwnd->visible = true;
        hwnd->needsPaint = true;
        break;
    case SDL_WINDOWEVENT_HIDDEN:
        hwnd->visible = false;
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        hwnd->needsPaint = true;
        break;
    case SDL_WINDOWEVENT_MOVED:
        if (e.data1 != hwnd->x || e.data2 != hwnd->y) {
            hwnd->x = e.data1;
            hwnd->y = e.data2;
            Post(hwnd, WM_MOVE, 0, MAKELPARAM(hwnd->x, hwnd->y));
        }
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        if (e.data1 != hwnd->width || e.data2 != hwnd->height) {
            hwnd->width = e.data1;
            hwnd->height = e.data2;
            hwnd->needsPaint = true;
            if (!hwnd->minimized)
                Post(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(hwnd->width, hwnd->height));
        }
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        SetMinimized(hwnd, true);
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
        SetMinimized(hwnd, false);
        break;
    case SDL_WINDOWEVENT_ENTER:
        s.cursorOutside = false;
        Post(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(1, WM_MOUSEMOVE));
        break;
    case SDL_WINDOWEVENT_LEAVE: {
        s.cursorOutside = true;
        // Drivers that know the desktop pointer tell where it went.
        const char* driver = SDL_GetCurrentVideoDriver();
        if (driver && std::strcmp(driver, "x11") == 0) {
            int x = 0, y = 0;
            SDL_GetGlobalMouseState(&x, &y);
            s.cursor = POINT{x, y};
        }
        break;
    }
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        SetActive(hwnd, true);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        SetActive(hwnd, false);
        break;
    case SDL_WINDOWEVENT_CLOSE:
        Post(hwnd, WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
}

void TranslateKey(HWND hwnd, const SDL_KeyboardEvent& e, bool down)
{
    const SDL_Keymod mod = static_cast<SDL_Keymod>(e.keysym.mod);
    UINT scan = 0;
    bool extended = false;
    const UINT vk =
        VirtualKeyFromSdl(e.keysym.scancode, e.keysym.sym, (mod & KMOD_NUM) != 0, &scan, &extended);
    if (!vk)
        return;
    const bool alt = (mod & KMOD_ALT) != 0;
    const bool ctrl = (mod & KMOD_CTRL) != 0;
    // Alt combinations (and Alt and F10 themselves) are system keys, unless Ctrl
    // makes Alt the AltGr shift.
    const bool system = !ctrl && (alt || vk == VK_MENU || vk == VK_F10);
    LPARAM lParam = 1 | static_cast<LPARAM>(scan << 16);
    if (extended)
        lParam |= KF_EXTENDED_BIT;
    if (alt)
        lParam |= KF_ALTDOWN_BIT;
    if (down) {
        if (e.repeat)
            lParam |= KF_REPEAT_BIT;
        State().awaitingText =
            Post(hwnd, system ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, lParam, kCharAwaitingText, true);
    } else {
        lParam |= KF_REPEAT_BIT | static_cast<LPARAM>(static_cast<std::uint32_t>(1u << 31));
        Post(hwnd, system ? WM_SYSKEYUP : WM_KEYUP, vk, lParam, kCharNone, true);
    }
}

// SDL reports typed text after its key: the first character joins that key-down,
// the rest (and text without a key) arrive as VK_PACKET key-downs.
void TranslateText(HWND hwnd, const char* text)
{
    LayerState& s = State();
    const std::vector<std::uint32_t> characters = FromUtf8(text);
    size_t first = 0;
    if (!characters.empty() && s.awaitingText) {
        for (Queued& q : s.queue) {
            if (q.serial == s.awaitingText && q.msg.hwnd == hwnd && q.character == kCharAwaitingText) {
                q.character = static_cast<long>(characters[0]);
                first = 1;
                break;
            }
        }
    }
    s.awaitingText = 0;
    for (size_t i = first; i < characters.size(); ++i)
        Post(hwnd, WM_KEYDOWN, VK_PACKET, 1, static_cast<long>(characters[i]), true);
}

void Translate(const SDL_Event& e)
{
    LayerState& s = State();
    switch (e.type) {
    case SDL_QUIT:
        for (const auto& w : s.windows)
            if (w->live)
                Post(w.get(), WM_CLOSE, 0, 0);
        break;
    case SDL_WINDOWEVENT:
        if (HWND hwnd = FromSdlId(e.window.windowID))
            TranslateWindowEvent(hwnd, e.window);
        break;
    case SDL_MOUSEMOTION:
        if (HWND hwnd = FromSdlId(e.motion.windowID)) {
            PointerAt(hwnd, e.motion.x, e.motion.y);
            const LPARAM lParam = MAKELPARAM(e.motion.x, e.motion.y);
            // Moves merge while they wait, as on Windows.
            if (!s.queue.empty() && s.queue.back().fromSdl && s.queue.back().msg.hwnd == hwnd &&
                s.queue.back().msg.message == WM_MOUSEMOVE) {
                s.queue.back().msg.lParam = lParam;
                s.queue.back().msg.pt = s.cursor;
                s.queue.back().msg.time = Now();
            } else {
                Post(hwnd, WM_MOUSEMOVE, MouseKeyFlags(), lParam, kCharNone, true);
            }
        }
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (HWND hwnd = FromSdlId(e.button.windowID)) {
            PointerAt(hwnd, e.button.x, e.button.y);
            const bool down = e.type == SDL_MOUSEBUTTONDOWN;
            // Every second click in a row is a double click, in a class that asks for them.
            const bool twice =
                down && (hwnd->classStyle & CS_DBLCLKS) && e.button.clicks >= 2 && e.button.clicks % 2 == 0;
            UINT message = 0;
            if (e.button.button == SDL_BUTTON_LEFT)
                message = down ? (twice ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN) : WM_LBUTTONUP;
            else if (e.button.button == SDL_BUTTON_RIGHT)
                message = down ? (twice ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN) : WM_RBUTTONUP;
            else if (e.button.button == SDL_BUTTON_MIDDLE)
                message = down ? (twice ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN) : WM_MBUTTONUP;
            if (message)
                Post(hwnd, message, MouseKeyFlags(), MAKELPARAM(e.button.x, e.button.y), kCharNone, true);
        }
        break;
    case SDL_MOUSEWHEEL:
        if (HWND hwnd = FromSdlId(e.wheel.windowID)) {
            int notches = e.wheel.y;
            if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
                notches = -notches;
            if (notches == 0)
                break;
            const int delta = std::clamp(notches * WHEEL_DELTA, -32768, 32767);
            const WPARAM wParam = (static_cast<WPARAM>(static_cast<WORD>(delta)) << 16) | MouseKeyFlags();
            // The wheel's position is in screen coordinates, as on Windows.
            Post(hwnd, WM_MOUSEWHEEL, wParam, MAKELPARAM(s.cursor.x, s.cursor.y), kCharNone, true);
        }
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (HWND hwnd = FromSdlId(e.key.windowID))
            TranslateKey(hwnd, e.key, e.type == SDL_KEYDOWN);
        break;
    case SDL_TEXTINPUT:
        if (HWND hwnd = FromSdlId(e.text.windowID))
            TranslateText(hwnd, e.text.text);
        break;
    default:
        break;
    }
}

void ServeInstanceRequests()
{
    for (const auto& w : State().windows) {
        if (!w->live || w->claim.socketFd < 0)
            continue;
        for (const std::string& request : ReceiveInstanceRequests(w->claim)) {
            if (request == "restore") {
                ShowWindow(w.get(), SW_RESTORE);
                SetForegroundWindow(w.get());
            }
        }
    }
}

// Fills the queue from SDL and from other processes' requests.
void Pump()
{
    if (SDL_WasInit(SDL_INIT_VIDEO)) {
        SDL_Event e;
        while (SDL_PollEvent(&e))
            Translate(e);
    }
    ServeInstanceRequests();
}

bool InFilter(UINT message, UINT low, UINT high)
{
    return (low == 0 && high == 0) || (message >= low && message <= high);
}

void ReleaseClaimsAtExit()
{
    for (const auto& w : State().windows)
        if (w->live)
            ReleaseInstance(w->claim);
}

} // namespace

namespace win32 {

void RegisterAdopted(HWND hwnd)
{
    State().adopted.push_back(hwnd);
}

void ForgetAdopted(HWND hwnd)
{
    auto& adopted = State().adopted;
    adopted.erase(std::remove(adopted.begin(), adopted.end(), hwnd), adopted.end());
}

bool IsKnownWindow(HWND hwnd)
{
    if (!hwnd)
        return false;
    const auto& adopted = State().adopted;
    return IsLive(hwnd) || std::find(adopted.begin(), adopted.end(), hwnd) != adopted.end();
}

} // namespace win32

ATOM RegisterClassExW(const WNDCLASSEXW* windowClass)
{
    if (!windowClass || !windowClass->lpszClassName || !windowClass->lpfnWndProc)
        return 0;
    if (FindClass(windowClass->lpszClassName))
        return 0; // already registered, as Windows refuses it
    LayerState& s = State();
    WindowClass c;
    c.name = windowClass->lpszClassName;
    c.proc = windowClass->lpfnWndProc;
    c.style = windowClass->style;
    c.cursor = windowClass->hCursor;
    c.icon = windowClass->hIcon;
    s.classes.push_back(c);
    return static_cast<ATOM>(0xC000 + s.classes.size());
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE)
{
    if (!className)
        return FALSE;
    LayerState& s = State();
    for (const auto& w : s.windows)
        if (w->live && w->className == className)
            return FALSE;
    auto it = std::find_if(s.classes.begin(), s.classes.end(),
                           [&](const WindowClass& c) { return c.name == className; });
    if (it == s.classes.end())
        return FALSE;
    s.classes.erase(it);
    return TRUE;
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND, HMENU, HINSTANCE, LPVOID)
{
    if (!className)
        return nullptr;
    const WindowClass* windowClass = FindClass(className);
    if (!windowClass || !EnsureVideo())
        return nullptr;
    LayerState& s = State();

    auto record = std::make_unique<HWND__>();
    record->className = className;
    record->caption = windowName ? windowName : L"";
    record->proc = windowClass->proc;
    record->classStyle = windowClass->style;
    record->style = style & ~WS_VISIBLE;
    record->exStyle = exStyle;
    record->x = x;
    record->y = y;
    record->width = std::max(width, 1);
    record->height = std::max(height, 1);

    // The Direct3D 9 stand-in makes an OpenGL 3.3 core context on the window. It keeps
    // depth and stencil apart, attached only while a draw tests depth: a window with
    // them would make every 2D draw pay for them.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (!(style & WS_CAPTION))
        flags |= SDL_WINDOW_BORDERLESS;
    record->fullScreen = WantsFullScreen(*record);
    if (record->fullScreen)
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    record->sdl = SDL_CreateWindow(Win32_WideToUtf8(record->caption).c_str(), x, y, record->width,
                                   record->height, flags);
    if (!record->sdl) {
        std::fprintf(stderr, "Win32: SDL cannot create a window: %s\n", SDL_GetError());
        return nullptr;
    }
    if (const HICON icon = windowClass->icon; icon && !icon->rgba.empty()) {
        if (SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
                const_cast<unsigned char*>(icon->rgba.data()), icon->width, icon->height, 32, icon->width * 4,
                SDL_PIXELFORMAT_RGBA32)) {
            SDL_SetWindowIcon(record->sdl, surface);
            SDL_FreeSurface(surface);
        }
    }
    record->live = true;
    HWND hwnd = record.get();
    s.windows.push_back(std::move(record));

    static bool releaseAtExit = false;
    if (!releaseAtExit) {
        releaseAtExit = true;
        std::atexit(ReleaseClaimsAtExit);
    }
    if (!ClaimInstance(hwnd->className, hwnd->caption, hwnd->claim))
        std::fprintf(stderr, "Win32: the window cannot be found by other processes\n");

    if (hwnd->proc(hwnd, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (style & WS_VISIBLE)
        ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

BOOL IsWindow(HWND hwnd)
{
    return IsLive(hwnd) || IsRemote(hwnd) ? TRUE : FALSE;
}

BOOL DestroyWindow(HWND hwnd)
{
    if (!IsLive(hwnd) || hwnd->destroying)
        return FALSE; // a DestroyWindow from the procedure's WM_DESTROY does nothing
    LayerState& s = State();
    hwnd->destroying = true;
    hwnd->proc(hwnd, WM_DESTROY, 0, 0);
    hwnd->live = false;
    s.queue.erase(
        std::remove_if(s.queue.begin(), s.queue.end(), [&](const Queued& q) { return q.msg.hwnd == hwnd; }),
        s.queue.end());
    hwnd->timers.clear();
    ReleaseInstance(hwnd->claim);
    if (s.capture == hwnd)
        s.capture = nullptr;
    if (hwnd->sdl) {
        // A device still rendering into the window (the Direct3D 9 stand-in's) keeps
        // its surface: the window only hides until the last device lets go of it.
        if (s.retained.count(hwnd->sdl) != 0) {
            SDL_HideWindow(hwnd->sdl);
            s.closing.push_back(hwnd->sdl);
        } else {
            SDL_DestroyWindow(hwnd->sdl);
        }
        hwnd->sdl = nullptr;
    }
    return TRUE;
}

LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(hwnd, &paint);
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_SYSKEYDOWN:
        if (wParam == VK_F4 && (lParam & KF_ALTDOWN_BIT) && IsLive(hwnd))
            Post(hwnd, WM_CLOSE, 0, 0);
        return 0;
    case WM_SETCURSOR:
        if (IsLive(hwnd)) {
            const WindowClass* c = FindClass(hwnd->className);
            SetCursor(c ? c->cursor : nullptr);
        }
        return TRUE;
    case WM_QUERYOPEN:
        return TRUE;
    default:
        return 0;
    }
}

BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg)
{
    if (!msg || (hwnd && !IsLive(hwnd)))
        return FALSE;
    Pump();
    LayerState& s = State();
    const bool remove = (removeMsg & PM_REMOVE) != 0;
    for (auto it = s.queue.begin(); it != s.queue.end(); ++it) {
        if ((hwnd && it->msg.hwnd != hwnd) || !InFilter(it->msg.message, filterMin, filterMax))
            continue;
        *msg = it->msg;
        if (remove) {
            const long character = it->character;
            s.queue.erase(it);
            ApplyInputMessage(*msg, character);
        }
        return TRUE;
    }
    // Paint, then timer messages: made when asked for, after everything posted.
    for (const auto& w : s.windows) {
        if (w->live && w->visible && w->needsPaint && (!hwnd || w.get() == hwnd) &&
            InFilter(WM_PAINT, filterMin, filterMax)) {
            *msg = MSG{w.get(), WM_PAINT, 0, 0, Now(), s.cursor};
            return TRUE;
        }
    }
    if (!InFilter(WM_TIMER, filterMin, filterMax))
        return FALSE;
    const Clock::time_point now = Clock::now();
    HWND__* dueWindow = nullptr;
    Timer* due = nullptr;
    for (const auto& w : s.windows) {
        if (!w->live || (hwnd && w.get() != hwnd))
            continue;
        for (Timer& t : w->timers) {
            if (t.due <= now && (!due || t.due < due->due)) {
                due = &t;
                dueWindow = w.get();
            }
        }
    }
    if (!due)
        return FALSE;
    *msg = MSG{dueWindow, WM_TIMER, due->id, 0, Now(), s.cursor};
    if (remove)
        due->due = now + due->interval; // missed periods merge into one message
    return TRUE;
}

BOOL TranslateMessage(const MSG* msg)
{
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) || !IsLive(msg->hwnd))
        return FALSE;
    BYTE state[256];
    GetKeyboardState(state);
    wchar_t character = 0;
    if (ToUnicode(static_cast<UINT>(msg->wParam), static_cast<UINT>(msg->lParam), state, &character, 1, 0) !=
        1)
        return FALSE;
    LayerState& s = State();
    Queued q{};
    q.msg = MSG{msg->hwnd,
                msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR,
                static_cast<WPARAM>(character),
                msg->lParam,
                Now(),
                s.cursor};
    q.character = kCharNone;
    q.serial = s.nextSerial++;
    s.queue.push_front(q); // the character is the next message, ahead of later input
    return TRUE;
}

LRESULT DispatchMessageW(const MSG* msg)
{
    if (!msg || !IsLive(msg->hwnd))
        return 0;
    return msg->hwnd->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE*, BOOL, DWORD milliseconds, DWORD wakeMask)
{
    if (count != 0)
        return WAIT_FAILED;
    const Clock::time_point until = milliseconds == INFINITE ? Clock::time_point::max()
                                                               : Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        Pump();
        LayerState& s = State();
        if (!s.queue.empty())
            return WAIT_OBJECT_0;
        Clock::time_point wake = until;
        for (const auto& w : s.windows) {
            if (!w->live)
                continue;
            if ((wakeMask & QS_PAINT) && w->visible && w->needsPaint)
                return WAIT_OBJECT_0;
            if (wakeMask & QS_TIMER)
                for (const Timer& t : w->timers)
                    wake = std::min(wake, t.due);
        }
        const Clock::time_point now = Clock::now();
        if (wake <= now)
            return wake < until ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
        // Requests of other processes are served at least this often.
        constexpr auto kLongestNap = std::chrono::milliseconds(100);
        const auto nap = std::min<Clock::duration>(wake - now, kLongestNap);
        const int napMs = static_cast<int>(
            std::max<long long>(1, std::chrono::duration_cast<std::chrono::milliseconds>(nap).count()));
        if (SDL_WasInit(SDL_INIT_VIDEO))
            SDL_WaitEventTimeout(nullptr, napMs);
        else
            std::this_thread::sleep_for(nap);
    }
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC)
{
    if (!IsLive(hwnd))
        return 0;
    Timer timer;
    timer.id = id;
    timer.interval = std::chrono::milliseconds(std::max<UINT>(elapse, 10));
    timer.due = Clock::now() + timer.interval;
    auto& timers = hwnd->timers;
    auto it = std::find_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.id == id; });
    if (it != timers.end())
        *it = timer;
    else
        timers.push_back(timer);
    return id ? id : 1;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id)
{
    if (!IsLive(hwnd))
        return FALSE;
    auto& timers = hwnd->timers;
    auto it = std::find_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.id == id; });
    if (it == timers.end())
        return FALSE;
    timers.erase(it);
    return TRUE;
}

LONG_PTR GetWindowLongW(HWND hwnd, int index)
{
    if (!IsLive(hwnd))
        return 0;
    switch (index) {
    case GWL_USERDATA:
        return hwnd->userData;
    case GWL_STYLE:
        return static_cast<LONG_PTR>(hwnd->style | (hwnd->visible ? WS_VISIBLE : 0) |
                                     (hwnd->minimized ? WS_MINIMIZE : 0));
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(hwnd->exStyle);
    default:
        return 0;
    }
}

LONG_PTR SetWindowLongW(HWND hwnd, int index, LONG_PTR value)
{
    if (!IsLive(hwnd))
        return 0;
    LONG_PTR previous = GetWindowLongW(hwnd, index);
    switch (index) {
    case GWL_USERDATA:
        hwnd->userData = value;
        break;
    case GWL_STYLE:
        // The frame follows at the next SetWindowPos with SWP_FRAMECHANGED, as on Windows.
        hwnd->style = static_cast<DWORD>(value) & ~(WS_VISIBLE | WS_MINIMIZE);
        break;
    case GWL_EXSTYLE:
        hwnd->exStyle = static_cast<DWORD>(value);
        break;
    default:
        return 0;
    }
    return previous;
}

BOOL ShowWindow(HWND hwnd, int command)
{
    if (IsRemote(hwnd)) {
        if (command == SW_RESTORE || command == SW_SHOW || command == SW_SHOWNORMAL)
            return SendInstanceRequest(hwnd->claim.socketPath, "restore") ? TRUE : FALSE;
        return FALSE;
    }
    if (!IsLive(hwnd))
        return FALSE;
    const bool wasVisible = hwnd->visible;
    const bool firstShow = !wasVisible;
    switch (command) {
    case SW_HIDE:
        SDL_HideWindow(hwnd->sdl);
        hwnd->visible = false;
        return wasVisible ? TRUE : FALSE;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
        if (!wasVisible)
            SDL_ShowWindow(hwnd->sdl);
        SDL_MinimizeWindow(hwnd->sdl);
        hwnd->visible = true;
        SetMinimized(hwnd, true);
        return wasVisible ? TRUE : FALSE;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
    case SW_MAXIMIZE:
        if (!wasVisible)
            SDL_ShowWindow(hwnd->sdl);
        SDL_RestoreWindow(hwnd->sdl);
        hwnd->visible = true;
        if (hwnd->minimized)
            SetMinimized(hwnd, false);
        else if (firstShow)
            Post(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(hwnd->width, hwnd->height));
        hwnd->needsPaint = true;
        return wasVisible ? TRUE : FALSE;
    default: // SW_SHOW, SW_SHOWNOACTIVATE and the rest
        if (!wasVisible) {
            SDL_ShowWindow(hwnd->sdl);
            hwnd->visible = true;
            hwnd->needsPaint = true;
            if (!hwnd->minimized)
                Post(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(hwnd->width, hwnd->height));
        }
        return wasVisible ? TRUE : FALSE;
    }
}

BOOL UpdateWindow(HWND hwnd)
{
    if (!IsLive(hwnd))
        return FALSE;
    if (hwnd->visible && hwnd->needsPaint)
        hwnd->proc(hwnd, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags)
{
    if (!IsLive(hwnd))
        return FALSE;
    const bool move = !(flags & SWP_NOMOVE) && (x != hwnd->x || y != hwnd->y);
    const bool resize = !(flags & SWP_NOSIZE) && (width != hwnd->width || height != hwnd->height);
    if (move) {
        hwnd->x = x;
        hwnd->y = y;
    }
    if (resize) {
        hwnd->width = std::max(width, 1);
        hwnd->height = std::max(height, 1);
    }
    if (flags & SWP_FRAMECHANGED)
        SDL_SetWindowBordered(hwnd->sdl, (hwnd->style & WS_CAPTION) ? SDL_TRUE : SDL_FALSE);
    const bool fullScreen = WantsFullScreen(*hwnd);
    if (fullScreen != hwnd->fullScreen) {
        SDL_SetWindowFullscreen(hwnd->sdl, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        hwnd->fullScreen = fullScreen;
    }
    if (!fullScreen) {
        if (resize)
            SDL_SetWindowSize(hwnd->sdl, hwnd->width, hwnd->height);
        if (move)
            SDL_SetWindowPosition(hwnd->sdl, hwnd->x, hwnd->y);
    }
    if (resize && !hwnd->minimized) {
        hwnd->needsPaint = true;
        Post(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(hwnd->width, hwnd->height));
    }
    if (move)
        Post(hwnd, WM_MOVE, 0, MAKELPARAM(hwnd->x, hwnd->y));
    if (flags & SWP_SHOWWINDOW)
        ShowWindow(hwnd, SW_SHOW);
    else if (flags & SWP_HIDEWINDOW)
        ShowWindow(hwnd, SW_HIDE);
    if (!(flags & SWP_NOZORDER) && insertAfter == HWND_TOP)
        SDL_RaiseWindow(hwnd->sdl);
    return TRUE;
}

BOOL SetForegroundWindow(HWND hwnd)
{
    if (!IsLive(hwnd))
        return FALSE;
    SDL_RaiseWindow(hwnd->sdl);
    return TRUE;
}

BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* placement)
{
    if (!placement || !IsLive(hwnd))
        return FALSE;
    std::memset(placement, 0, sizeof(*placement));
    placement->length = sizeof(*placement);
    placement->showCmd = hwnd->minimized ? SW_SHOWMINIMIZED : hwnd->visible ? SW_SHOWNORMAL : SW_HIDE;
    placement->ptMinPosition = POINT{-1, -1};
    placement->ptMaxPosition = POINT{-1, -1};
    placement->rcNormalPosition = RECT{hwnd->x, hwnd->y, hwnd->x + hwnd->width, hwnd->y + hwnd->height};
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect)
{
    if (!rect)
        return FALSE;
    if (IsLive(hwnd)) {
        *rect = RECT{0, 0, hwnd->width, hwnd->height};
        return TRUE;
    }
    if (win32::IsKnownWindow(hwnd) && hwnd->sdl) {
        int w = 0, h = 0;
        SDL_GetWindowSize(hwnd->sdl, &w, &h);
        *rect = RECT{0, 0, w, h};
        return TRUE;
    }
    return FALSE;
}

BOOL AdjustWindowRect(RECT* rect, DWORD, BOOL)
{
    return rect ? TRUE : FALSE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint)
{
    if (!IsLive(hwnd) || !paint)
        return nullptr;
    std::memset(paint, 0, sizeof(*paint));
    paint->hdc = &gPaintDc;
    paint->rcPaint = RECT{0, 0, hwnd->width, hwnd->height};
    hwnd->needsPaint = false;
    return paint->hdc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT*)
{
    return TRUE;
}

HDC GetDC(HWND hwnd)
{
    return IsLive(hwnd) ? new HDC__{2, hwnd} : nullptr;
}

int ReleaseDC(HWND, HDC hdc)
{
    if (!hdc || hdc == &gPaintDc)
        return 0;
    delete hdc;
    return 1;
}

int GetDeviceCaps(HDC hdc, int index)
{
    if (!hdc || index != VREFRESH || !IsLive(hdc->window) || !hdc->window->sdl)
        return 0;
    const int display = SDL_GetWindowDisplayIndex(hdc->window->sdl);
    SDL_DisplayMode mode{};
    if (SDL_GetCurrentDisplayMode(display < 0 ? 0 : display, &mode) != 0)
        return 0;
    return mode.refresh_rate;
}

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName)
{
    if (!className)
        return nullptr;
    LayerState& s = State();
    for (const auto& w : s.windows)
        if (w->live && w->className == className && (!windowName || w->caption == windowName))
            return w.get();
    if (!windowName)
        return nullptr;
    std::string socketPath;
    if (!FindClaimedInstance(className, windowName, socketPath))
        return nullptr;
    for (const auto& r : s.remotes)
        if (r->claim.socketPath == socketPath)
            return r.get();
    auto remote = std::make_unique<HWND__>();
    remote->remote = true;
    remote->className = className;
    remote->caption = windowName;
    remote->claim.socketPath = socketPath;
    s.remotes.push_back(std::move(remote));
    return s.remotes.back().get();
}

HCURSOR LoadCursorA(HINSTANCE, LPCSTR name)
{
    return name == IDC_ARROW ? &gArrowCursor : nullptr;
}

HICON LoadIconA(HINSTANCE, LPCSTR name)
{
    const auto id = reinterpret_cast<std::uintptr_t>(name);
    if (id > 0xFFFF)
        return nullptr; // icons are found by number only
    const auto& icons = IconResources();
    const auto found = icons.find(static_cast<int>(id));
    return found == icons.end() ? nullptr : found->second.get();
}

void Win32_AddIconResource(int id, int width, int height, const unsigned char* rgba)
{
    if (width <= 0 || height <= 0 || !rgba)
        return;
    auto icon = std::make_unique<HCURSOR__>();
    icon->id = id;
    icon->width = width;
    icon->height = height;
    icon->rgba.assign(rgba, rgba + static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    IconResources()[id] = std::move(icon);
}

void Win32_SetDesktopClass(const char* name)
{
    if (!name || !*name)
        return;
    // SDL reads these when its video starts; a user's own setting stays.
    setenv("SDL_VIDEO_X11_WMCLASS", name, 0);
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", name, 0);
}

HACCEL LoadAcceleratorsA(HINSTANCE, LPCSTR)
{
    return nullptr; // nor accelerator tables
}

HCURSOR SetCursor(HCURSOR cursor)
{
    LayerState& s = State();
    HCURSOR previous = s.currentCursor;
    s.currentCursor = cursor;
    if (SDL_WasInit(SDL_INIT_VIDEO)) {
        if (cursor) {
            if (!s.sdlArrow)
                s.sdlArrow = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
            if (s.sdlArrow)
                SDL_SetCursor(s.sdlArrow);
            SDL_ShowCursor(SDL_ENABLE);
        } else {
            SDL_ShowCursor(SDL_DISABLE);
        }
    }
    return previous;
}

HCURSOR GetCursor()
{
    return State().currentCursor;
}

BOOL GetCursorPos(POINT* point)
{
    if (!point)
        return FALSE;
    *point = State().cursor;
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point)
{
    if (!point || !IsLive(hwnd))
        return FALSE;
    point->x += hwnd->x;
    point->y += hwnd->y;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* point)
{
    if (!point || !IsLive(hwnd))
        return FALSE;
    point->x -= hwnd->x;
    point->y -= hwnd->y;
    return TRUE;
}

HWND WindowFromPoint(POINT point)
{
    LayerState& s = State();
    if (s.cursorOutside && point.x == s.cursor.x && point.y == s.cursor.y)
        return nullptr;
    // The last created window is taken as the topmost.
    for (auto it = s.windows.rbegin(); it != s.windows.rend(); ++it) {
        const HWND__& w = **it;
        if (w.live && w.visible && !w.minimized && point.x >= w.x && point.x < w.x + w.width &&
            point.y >= w.y && point.y < w.y + w.height)
            return it->get();
    }
    return nullptr;
}

HWND SetCapture(HWND hwnd)
{
    LayerState& s = State();
    HWND previous = s.capture;
    if (IsLive(hwnd)) {
        s.capture = hwnd;
        SDL_CaptureMouse(SDL_TRUE);
    }
    return previous;
}

BOOL ReleaseCapture()
{
    LayerState& s = State();
    s.capture = nullptr;
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_CaptureMouse(SDL_FALSE);
    return TRUE;
}

BOOL EnumDisplayMonitors(HDC, const RECT*, MONITORENUMPROC callback, LPARAM data)
{
    if (!callback || !EnsureVideo())
        return FALSE;
    const int count = SDL_GetNumVideoDisplays();
    for (int i = 0; i < count; ++i) {
        SDL_Rect r;
        if (SDL_GetDisplayBounds(i, &r) != 0)
            r = SDL_Rect{0, 0, 0, 0};
        RECT rect{r.x, r.y, r.x + r.w, r.y + r.h};
        auto monitor = reinterpret_cast<HMONITOR>(static_cast<std::uintptr_t>(i + 1));
        if (!callback(monitor, nullptr, &rect, data))
            break;
    }
    return TRUE;
}

BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info)
{
    if (!info || info->cbSize < sizeof(MONITORINFO) || !SDL_WasInit(SDL_INIT_VIDEO))
        return FALSE;
    const auto index = static_cast<std::intptr_t>(reinterpret_cast<std::uintptr_t>(monitor)) - 1;
    if (index < 0 || index >= SDL_GetNumVideoDisplays())
        return FALSE;
    SDL_Rect bounds, usable;
    if (SDL_GetDisplayBounds(static_cast<int>(index), &bounds) != 0)
        return FALSE;
    if (SDL_GetDisplayUsableBounds(static_cast<int>(index), &usable) != 0)
        usable = bounds;
    info->rcMonitor = RECT{bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h};
    info->rcWork = RECT{usable.x, usable.y, usable.x + usable.w, usable.y + usable.h};
    info->dwFlags = index == 0 ? MONITORINFOF_PRIMARY : 0;
    return TRUE;
}

BOOL Win32_TestPostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, long character)
{
    if (!IsLive(hwnd))
        return FALSE;
    Post(hwnd, message, wParam, lParam, character, false);
    return TRUE;
}

void Win32_TestSetCursorPos(int x, int y)
{
    LayerState& s = State();
    s.cursor = POINT{x, y};
    s.cursorOutside = false;
}

int Win32_TestWindowCount()
{
    int count = 0;
    for (const auto& w : State().windows)
        if (w->live)
            ++count;
    return count;
}

int Win32_TestShowState(HWND hwnd)
{
    if (!IsLive(hwnd))
        return -1;
    return hwnd->minimized ? SW_SHOWMINIMIZED : hwnd->visible ? SW_SHOWNORMAL : SW_HIDE;
}

void Win32_SetDisplayLostHandler(void (*handler)())
{
    gDisplayLostHandler = handler;
}

void Win32_RetainSdlWindow(SDL_Window* window)
{
    if (window)
        ++State().retained[window];
}

void Win32_ReleaseSdlWindow(SDL_Window* window)
{
    LayerState& s = State();
    const auto found = s.retained.find(window);
    if (found == s.retained.end() || --found->second > 0)
        return;
    s.retained.erase(found);
    const auto closing = std::find(s.closing.begin(), s.closing.end(), window);
    if (closing != s.closing.end()) {
        s.closing.erase(closing);
        SDL_DestroyWindow(window);
    }
}
