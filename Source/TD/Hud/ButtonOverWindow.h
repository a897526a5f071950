#pragma once
// A screen window with a list of style buttons (HUDButtonOver) beside or instead of
// its plain button frames: the in-game menu, modal messages and dialogs, and the menu
// screens. Clicks are decided by the list; the plain frames take no part.
#include "Source/TD/Hud/HUDButtonOver.h"
#include "Source/TD/Hud/HUDWindow.h"

#include <vector>

class ButtonOverWindow : public HUDWindow {
public:
    ButtonOverWindow() = default;
    explicit ButtonOverWindow(const std::wstring& path) : HUDWindow(path) {}
    ~ButtonOverWindow() override;

    // The window, then every listed button.
    void draw(render::Graphics* graphics) override;
    // Time, plain frames and listed buttons.
    void update(float dt) override;
    // Hover of the listed buttons only.
    void onMouseMove(int x, int y) override;
    void onMousePressed(int x, int y) override;
    void onMouseReleased(int x, int y) override;
    // The first listed button holding the point: plays "simple" and gives its name;
    // empty (no sound) when none.
    std::wstring click(int x, int y) override;

    // One button per sub-folder of the document's "button" group, in listing order,
    // labelled with the localised text of the folder name, in the label font.
    void addButtonsFromDocument(file::ImageContainer* document, const FontHandle& labelFont);
    // Pointer kept, plain frames moved, listed buttons hovered.
    void moveFramesAndButtons(int x, int y);
    // The listed button at `index`; null when the list is shorter.
    HUDButtonOver* buttonAt(size_t index) const { return index < overButtons.size() ? overButtons[index] : nullptr; }

    std::vector<HUDButtonOver*> overButtons; // owned, in document order
};
