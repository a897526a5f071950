#pragma once
// What the Win32 stand-in asks the X server and its window manager beyond SDL: whether
// a window manager runs, and the frame it puts around a captioned window. Private to
// Platform/; without an X display (the offscreen driver) every answer is "none".

struct SDL_Window;

namespace win32 {

// The frame a window manager draws around a window, in pixels on each side.
struct FrameExtents {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool Empty() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
};

// True when `window` is on an X display on which a window manager (one that follows
// the freedesktop conventions) is running.
bool X11WindowManagerRuns(SDL_Window* window);
// The frame the window manager gives `window`, asked for and waited on for up to
// `waitMs` when the window has none yet (it need not be shown); false when there is
// no window manager or it did not answer.
bool X11RequestFrameExtents(SDL_Window* window, int waitMs, FrameExtents& out);

} // namespace win32
