#pragma once
// The menu between levels: plays the menu music, greets the current player, animates
// four particle effects and offers play, the upgrade shop, the profiles (the band at
// the bottom), the options and quitting.
#include "Source/TD/Hud/ButtonOverWindow.h"

#include <vector>

namespace render {
class ParticleEmitter;
}

class HUDMainMenu : public ButtonOverWindow {
public:
    HUDMainMenu();
    ~HUDMainMenu() override;

    // Pictures, style buttons (labelled with the localised folder names) and text
    // places of a menu document; false (logged) when it cannot be opened.
    static bool loadDocument(ButtonOverWindow* window, const std::wstring& path, const wchar_t* user);

    void refresh() override;
    void update(float dt) override;
    void draw(render::Graphics* graphics) override;
    std::wstring click(int x, int y) override;
    // The greeting in the smaller type, which its plate in the profiles band has room
    // for above the bottom edge.
    FontHandle textFont(const std::wstring& name) const override;

    std::vector<render::ParticleEmitter*> emitters; // owned
};
