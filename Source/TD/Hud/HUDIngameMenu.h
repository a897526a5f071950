#pragma once
// The pause menu over a running level ("td/data/ingame"): it only reports the clicked
// button's name; the level object acts on it. The picture "main_menu_ico" is drawn
// above the buttons.
#include "Source/TD/Hud/ButtonOverWindow.h"

class HUDIngameMenu : public ButtonOverWindow {
public:
    HUDIngameMenu();

    // Pictures ("main_menu_ico" hidden), style buttons and text places of the document.
    void load(const std::wstring& path);

    void draw(render::Graphics* graphics) override;
    void onMouseMove(int x, int y) override { moveFramesAndButtons(x, y); }
};
