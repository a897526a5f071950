#include "tests/Game/Desktop/XDisplay.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace desktop {

namespace {

using namespace std::chrono_literals;

void End(pid_t& pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    const auto end = std::chrono::steady_clock::now() + 5s;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(10ms);
    }
    pid = -1;
}

// Errors of requests about windows that went away meanwhile only mean "not there".
int IgnoreErrors(Display*, XErrorEvent*)
{
    return 0;
}

long CardinalProperty(Display* display, Window window, Atom property, bool* found)
{
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    long value = 0;
    *found = XGetWindowProperty(display, window, property, 0, 1, False, XA_CARDINAL, &type, &format, &items,
                                &after, &data) == Success &&
             type == XA_CARDINAL && format == 32 && items == 1;
    if (*found)
        value = *reinterpret_cast<long*>(data);
    if (data)
        XFree(data);
    return value;
}

} // namespace

XDisplay::~XDisplay()
{
    Stop();
}

bool XDisplay::Spawn(const std::vector<std::string>& argv, pid_t& pid)
{
    std::vector<std::string> args = argv;
    std::vector<char*> pointers;
    for (std::string& a : args)
        pointers.push_back(a.data());
    pointers.push_back(nullptr);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "DISPLAY=", 8) != 0)
            env.push_back(*e);
    if (!name.empty())
        env.push_back("DISPLAY=" + name);
    std::vector<char*> envPointers;
    for (std::string& e : env)
        envPointers.push_back(e.data());
    envPointers.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Nothing of the test's own: not its input, not its output.
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawnp(&pid, args[0].c_str(), &actions, nullptr, pointers.data(), envPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        pid = -1;
        error = args[0] + " cannot be started (scripts/setup.sh installs it): " + std::strerror(spawned);
        return false;
    }
    return true;
}

bool XDisplay::Start(int screenWidth, int screenHeight, bool windowManager)
{
    Stop();
    width = screenWidth;
    height = screenHeight;
    int fds[2];
    if (pipe(fds) != 0) {
        error = "no pipe";
        return false;
    }
    // The server writes the display number it chose once it accepts connections. The
    // pipe's write end is the only descriptor the child inherits on purpose.
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    name.clear();
    if (!Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-nolisten", "tcp", "-screen", "0", screen}, server)) {
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    close(fds[1]);
    std::string number;
    pollfd ready{fds[0], POLLIN, 0};
    char c = 0;
    while (poll(&ready, 1, 20000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (number.empty()) {
        error = "Xvfb did not report its display";
        return false;
    }
    name = ":" + number;
    x = XOpenDisplay(name.c_str());
    if (!x) {
        error = "cannot connect to " + name;
        return false;
    }
    XSetErrorHandler(&IgnoreErrors);
    int event = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(x, &event, &errorBase, &major, &minor)) {
        error = "the X server has no XTest extension";
        return false;
    }
    if (!windowManager)
        return true;
    if (!Spawn({"openbox"}, manager))
        return false;
    // The manager is up once it names its supporting window on the root.
    const Atom check = XInternAtom(x, "_NET_SUPPORTING_WM_CHECK", False);
    const auto end = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < end) {
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        const bool named = XGetWindowProperty(x, DefaultRootWindow(x), check, 0, 1, False, XA_WINDOW, &type,
                                              &format, &items, &after, &data) == Success &&
                           items == 1;
        if (data)
            XFree(data);
        if (named)
            return true;
        std::this_thread::sleep_for(20ms);
    }
    error = "openbox did not come up";
    return false;
}

void XDisplay::StopWindowManager()
{
    End(manager);
}

void XDisplay::Stop()
{
    End(manager);
    if (x) {
        XCloseDisplay(x);
        x = nullptr;
    }
    End(server);
}

unsigned long XDisplay::FindWindow(pid_t pid)
{
    if (!x)
        return 0;
    const Atom pidAtom = XInternAtom(x, "_NET_WM_PID", False);
    Window best = 0;
    long bestArea = 0;
    std::function<void(Window)> walk = [&](Window w) {
        bool found = false;
        const long owner = CardinalProperty(x, w, pidAtom, &found);
        XWindowAttributes attributes;
        if (found && owner == pid && XGetWindowAttributes(x, w, &attributes) &&
            attributes.map_state == IsViewable) {
            const long area = static_cast<long>(attributes.width) * attributes.height;
            if (area > bestArea) {
                best = w;
                bestArea = area;
            }
        }
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(x, w, &root, &parent, &children, &count)) {
            for (unsigned int i = 0; i < count; ++i)
                walk(children[i]);
            if (children)
                XFree(children);
        }
    };
    walk(DefaultRootWindow(x));
    return best;
}

bool XDisplay::ClientRect(unsigned long window, Rect& out)
{
    XWindowAttributes attributes;
    if (!x || !window || !XGetWindowAttributes(x, window, &attributes))
        return false;
    int rootX = 0, rootY = 0;
    Window child = 0;
    if (!XTranslateCoordinates(x, window, DefaultRootWindow(x), 0, 0, &rootX, &rootY, &child))
        return false;
    out = Rect{rootX, rootY, attributes.width, attributes.height};
    return true;
}

bool XDisplay::OuterRect(unsigned long window, Rect& out)
{
    if (!x || !window)
        return false;
    // The ancestor just below the root: the manager's frame, or the window itself.
    Window top = window;
    for (;;) {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(x, top, &root, &parent, &children, &count))
            return false;
        if (children)
            XFree(children);
        if (parent == root || parent == 0)
            break;
        top = parent;
    }
    return ClientRect(top, out);
}

void XDisplay::Resize(unsigned long window, int newWidth, int newHeight)
{
    if (!x || !window)
        return;
    XResizeWindow(x, window, static_cast<unsigned>(newWidth), static_cast<unsigned>(newHeight));
    XFlush(x);
}

void XDisplay::Flush(int gapMs)
{
    XSync(x, False);
    if (gapMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(gapMs));
}

void XDisplay::MoveTo(int px, int py, int gapMs)
{
    if (!x)
        return;
    XTestFakeMotionEvent(x, -1, px, py, CurrentTime);
    Flush(gapMs);
}

void XDisplay::Click(int px, int py, int gapMs)
{
    if (!x)
        return;
    MoveTo(px, py, 40);
    XTestFakeButtonEvent(x, 1, True, CurrentTime);
    Flush(40);
    XTestFakeButtonEvent(x, 1, False, CurrentTime);
    Flush(gapMs);
}

void XDisplay::Key(const std::string& key, bool down)
{
    const KeySym symbol = XStringToKeysym(key.c_str());
    const KeyCode code = symbol == NoSymbol ? 0 : XKeysymToKeycode(x, symbol);
    if (code)
        XTestFakeKeyEvent(x, code, down ? True : False, CurrentTime);
}

void XDisplay::Tap(const std::string& key, int gapMs)
{
    if (!x)
        return;
    Key(key, true);
    Flush(gapMs);
    Key(key, false);
    Flush(gapMs);
}

void XDisplay::Chord(const std::vector<std::string>& keys, int gapMs)
{
    if (!x)
        return;
    for (const std::string& key : keys) {
        Key(key, true);
        Flush(gapMs);
    }
    for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
        Key(*it, false);
        Flush(gapMs);
    }
}

void XDisplay::Type(const std::string& text, int gapMs)
{
    for (char c : text) {
        const std::string key(1, c);
        if (c >= 'A' && c <= 'Z')
            Chord({"Shift_L", std::string(1, static_cast<char>(c - 'A' + 'a'))}, gapMs);
        else
            Tap(key, gapMs);
    }
}

Picture XDisplay::Capture()
{
    Picture picture;
    if (!x)
        return picture;
    XImage* image = XGetImage(x, DefaultRootWindow(x), 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image)
        return picture;
    picture.width = width;
    picture.height = height;
    picture.argb.resize(static_cast<size_t>(width) * height);
    const bool direct = image->bits_per_pixel == 32 && image->byte_order == LSBFirst;
    for (int yy = 0; yy < height; ++yy) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(image->data + static_cast<size_t>(yy) * image->bytes_per_line);
        for (int xx = 0; xx < width; ++xx) {
            const std::uint32_t p = direct ? row[xx] : static_cast<std::uint32_t>(XGetPixel(image, xx, yy));
            picture.argb[static_cast<size_t>(yy) * width + xx] = 0xFF000000u | (p & 0xFFFFFFu);
        }
    }
    XDestroyImage(image);
    return picture;
}

} // namespace desktop
