#pragma once
// A screen window on the in-game HUD's stack. Screens derive from it; the base
// answers every event with nothing.
#include <string>

namespace render {
class Graphics;
}

class HUDWindow {
public:
    virtual ~HUDWindow() = default;
    virtual void update(float) {}
    virtual void draw(render::Graphics*) {}
    virtual void onMousePressed(int, int) {}
    virtual void onMouseReleased(int, int) {}
    virtual void onMouseMove(int, int) {}
    virtual void onKeyDown(int) {}
    virtual void onChar(wchar_t) {}
    virtual void onWheel(int) {}
    // The name of the button under the point; empty when none.
    virtual std::wstring click(int, int) { return std::wstring(); }
    virtual int hitTest(int, int) { return -1; }
    virtual void onClosed() {}
    virtual void refresh() {}

    int open = 1;      // cleared when the window is to close
    int drawLayer = 0; // 0 screens, 1 modal messages and dialogs
};
