#pragma once
// The boost shop: three boosts on the gem shop's plates. In the store mode (the
// default) a boost is a store product that stays owned once bought; in the premium
// mode ("boost_shop_premium_mode") it has a price in gems from the game configuration
// and counts as bought while its profile counter is positive. Like the gem shop it
// acts on its clicks itself (screen 24) and always answers with an empty name.
#include "Source/TD/Hud/HUDWindow.h"

#include <memory>
#include <string>
#include <vector>

class HUDOfferPlate;

// Where the back button leaves to ("shop", "episodes", "levels", "gemShop"); empty, or
// any other name, returns to the main menu.
extern std::wstring BoostShopReturnName;

class HUDBoostShop : public HUDWindow {
public:
    static constexpr const wchar_t* kDocument = L"td/boost_shop";

    HUDBoostShop();
    ~HUDBoostShop() override;

    void draw(render::Graphics* graphics) override;
    void update(float dt) override;
    void refresh() override;
    void onMouseMove(int x, int y) override;
    std::wstring click(int x, int y) override;

    std::vector<HUDOfferPlate*> plates; // owned, in index order
    std::unique_ptr<file::ImageContainer> document;

private:
    void buy(HUDOfferPlate* plate);
    void leave();
};
