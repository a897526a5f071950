#pragma once
// The boost shop: three boosts on the gem shop's plates. In the store mode (the
// default) a boost is a store product that stays owned once bought; in the premium
// mode ("boost_shop_premium_mode") it has a price in gems from the game configuration
// and counts as bought while its profile counter is positive. Like the gem shop it
// acts on its clicks itself (screen 24) and always answers with an empty name.
#include "Source/TD/Screens/HUDOfferWindow.h"

#include <string>

// Where the back button leaves to ("shop", "episodes", "levels", "gemShop"); empty, or
// any other name, returns to the main menu.
extern std::wstring BoostShopReturnName;

class HUDBoostShop : public HUDOfferWindow {
public:
    static constexpr const wchar_t* kDocument = L"td/boost_shop";

    HUDBoostShop();

    std::wstring click(int x, int y) override;

private:
    void buy(HUDOfferPlate* plate);
    void leave();
};
