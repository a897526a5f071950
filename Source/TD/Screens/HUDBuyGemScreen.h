#pragma once
// The gem shop: five packs of gems bought through the purchase system, the player's
// balance, an optional offers-wall button and a back button to the screen named by
// GemShopReturnName. The level object hands it every click while it is open (screen
// 18), so the shop acts on its clicks itself and always answers with an empty name.
#include "Source/TD/Hud/HUDWindow.h"

#include <memory>
#include <string>
#include <vector>

class HUDOfferPlate;

// Where the gem shop's back button leaves to; written only by HUD::showGemShop.
extern std::wstring GemShopReturnName;

class HUDBuyGemScreen : public HUDWindow {
public:
    static constexpr const wchar_t* kDocument = L"td/gem_shop";

    HUDBuyGemScreen();
    ~HUDBuyGemScreen() override;

    void draw(render::Graphics* graphics) override;
    void update(float dt) override;
    // The balance caption.
    void refresh() override;
    void onMouseMove(int x, int y) override;
    std::wstring click(int x, int y) override;

    // Leaves the shop for the screen `returnName` names; an unknown name goes to the
    // main menu, so the shop can always be left.
    static void leaveTo(const std::wstring& returnName);

    std::vector<HUDOfferPlate*> plates; // owned, in index order
    std::unique_ptr<file::ImageContainer> document; // the plates' layers live in it
};
