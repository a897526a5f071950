#pragma once
// The gem shop: five packs of gems bought through the purchase system, the player's
// balance, an optional offers-wall button and a back button to the screen named by
// GemShopReturnName. The level object hands it every click while it is open (screen
// 18), so the shop acts on its clicks itself and always answers with an empty name.
#include "Source/TD/Screens/HUDOfferWindow.h"

#include <string>

// Where the gem shop's back button leaves to; written only by HUD::showGemShop.
extern std::wstring GemShopReturnName;

class HUDBuyGemScreen : public HUDOfferWindow {
public:
    static constexpr const wchar_t* kDocument = L"td/gem_shop";

    HUDBuyGemScreen();

    std::wstring click(int x, int y) override;

    // Leaves the shop for the screen `returnName` names; an unknown name goes to the
    // main menu, so the shop can always be left.
    static void leaveTo(const std::wstring& returnName);
};
