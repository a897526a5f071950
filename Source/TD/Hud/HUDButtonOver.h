#pragma once
// A button of a button-list screen, built from a folder "button/<style>_<command>"
// of the screen's document: its placement ("pos") and optional label place
// ("label") come from the folder, its two pictures ("button/<style>_normal" and
// "_over") are shared by every button of the style. Its name is the command; the
// over picture shows while it is held and it zooms while hovered.
#include "Source/TD/Hud/HUDButton.h"

#include <memory>

namespace file {
class ImageContainer;
}
class TDFrameEntry;

class HUDButtonOver : public HUDButton {
public:
    // A missing placement layer gives a button with an empty rectangle (never hit),
    // a missing picture a frame without image; both with one log line.
    HUDButtonOver(file::ImageContainer* document, const std::wstring& folder);
    ~HUDButtonOver() override;

    void draw(render::Graphics* graphics) override;
    void update(float dt) override;
    bool hitTest(int x, int y) override;
    bool onPress(int x, int y) override;
    void onRelease(int, int) override { pressed = 0; }
    bool onHover(int x, int y) override;

    // The frame drawn and hit now: the over frame while pressed.
    const TDFrameEntry* currentFrame() const { return pressed ? overFrame.get() : normalFrame.get(); }
    // The label's scale in its place: 1, or less for a label wider than the place (a
    // player's name can be).
    float labelScale() const;

    std::unique_ptr<TDFrameEntry> normalFrame;
    std::unique_ptr<TDFrameEntry> overFrame;
    bool hasLabel = false;
};
