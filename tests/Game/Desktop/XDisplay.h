#pragma once
// An X display of the test's own: an Xvfb server on a display number it picks itself
// (so parallel runs never share one), with or without a window manager (openbox), and
// a connection to it that plays a person at the keyboard and the mouse through the
// XTest extension and reads the screen back.
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

struct _XDisplay;

namespace desktop {

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
};

// A screen capture: 0xAARRGGBB, top row first.
struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> argb;
    std::uint32_t At(int x, int y) const { return argb[static_cast<size_t>(y) * width + x]; }
};

class XDisplay {
public:
    XDisplay() = default;
    ~XDisplay();
    XDisplay(const XDisplay&) = delete;
    XDisplay& operator=(const XDisplay&) = delete;

    // Starts the server with one screen of width x height and, when asked, the window
    // manager; false (with the reason in Error()) when either does not come up.
    bool Start(int width, int height, bool windowManager);
    // Ends the window manager, then the server (the processes this object started).
    void Stop();
    // Ends only the window manager; the server and its windows stay.
    void StopWindowManager();

    // ":N", for DISPLAY.
    const std::string& Name() const { return name; }
    const std::string& Error() const { return error; }
    int Width() const { return width; }
    int Height() const { return height; }

    // The mapped top-level window of process `pid` (0 when none yet), found through the
    // process id its toolkit puts on it.
    unsigned long FindWindow(pid_t pid);
    // The window's drawing area in screen coordinates.
    bool ClientRect(unsigned long window, Rect& out);
    // The frame of the window manager around it (its outer rectangle), or the client
    // area itself when it has none.
    bool OuterRect(unsigned long window, Rect& out);
    // Asks for another client size, as a window manager or a user dragging would.
    void Resize(unsigned long window, int width, int height);

    // Pointer and keyboard, in screen coordinates. Each event reaches the server at
    // once; `gapMs` is the pause after it.
    void MoveTo(int x, int y, int gapMs = 30);
    void Click(int x, int y, int gapMs = 60);
    // A key by its keysym name ("BackSpace", "Return", "a", "Alt_L"), pressed and let go.
    void Tap(const std::string& key, int gapMs = 30);
    // Keys held in turn and let go in reverse order ("Alt_L", "Return").
    void Chord(const std::vector<std::string>& keys, int gapMs = 30);
    // Letters and digits, capitals through Shift.
    void Type(const std::string& text, int gapMs = 30);

    // The whole screen.
    Picture Capture();

private:
    bool Spawn(const std::vector<std::string>& argv, pid_t& pid);
    void Key(const std::string& key, bool down);
    void Flush(int gapMs);

    _XDisplay* x = nullptr;
    std::string name;
    std::string error;
    pid_t server = -1;
    pid_t manager = -1;
    int width = 0, height = 0;
};

} // namespace desktop
