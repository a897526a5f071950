#pragma once
// The base of the self-drawn buttons a screen keeps in its own list. Coordinates are
// virtual-screen units; the base draws nothing and is never hit.
#include "Source/TD/Hud/HUDDocument.h"

#include <string>

namespace render {
class Graphics;
}

class HUDButton {
public:
    HUDButton();
    virtual ~HUDButton() = default;
    HUDButton(const HUDButton&) = delete;
    HUDButton& operator=(const HUDButton&) = delete;

    virtual void draw(render::Graphics*) {}
    virtual void update(float dt) { time += dt; }
    virtual bool onClick(int, int) { return false; }
    virtual bool hitTest(int, int) { return false; }
    virtual bool onPress(int, int) { return false; }
    virtual void onRelease(int, int) {}
    virtual bool onHover(int, int) { return false; }

    FontHandle font; // of the label
    bool visible = true;
    float time = 0.0f;
    float xOffset = 0.0f; // shifts pictures, label and hit area
    int hovered = 0;
    float scale = 1.0f; // hover zoom, 1.0 to 1.1
    int pressed = 0;
    int index = 0;
    std::wstring name; // the command reported to the owner
    float centreX = 0.0f, centreY = 0.0f;
    std::wstring label;
    float labelRect[4] = {0.0f, 0.0f, 0.0f, 0.0f};
};
