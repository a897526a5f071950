#pragma once
// The button of a screen window: a frame entry that zooms in while hovered.
#include "Source/TD/World/TDFrameEntry.h"

class TDButtonFrame : public TDFrameEntry {
public:
    // Centred on its rectangle, zoomed by its hover scale and then by the window's.
    void draw(render::Graphics* graphics, float windowScale) override;
    // Hovered while the point is strictly inside the rectangle.
    void onMouseMove(int x, int y) override;
    // 1.0 to 1.1 at 0.5 per second while hovered, back at 1.0 per second.
    void update(float dt) override;

    // Edges included: what the window's hit test and click use.
    bool contains(int x, int y) const;

    float scale = 1.0f;
    int hovered = 0;
};
