#include "Source/TD/Screens/HUDBoostShop.h"

#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Purchase/PurchaseSystem.h"
#include "Source/TD/Screens/HUDBuyGemScreen.h"
#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Shell/GameConfig.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"

std::wstring BoostShopReturnName;

namespace {

bool Feature(const char* name)
{
    return FeatureConfig::instance()->getBool(name, "is_active");
}

// The premium mode, read by each boost shop before its plates are made;
// once on, it stays on.
HUDOfferPlate::Kind BoostPlates()
{
    const bool premium = FeatureConfig::instance()->activeFeatures().boostShopPremiumMode;
    if (premium)
        BoostShopPremiumMode = true;
    return HUDOfferPlate::Boost;
}

} // namespace

HUDBoostShop::HUDBoostShop()
    : HUDOfferWindow(kDocument, L"Boost shop", BoostPlates(), L"boostShopTitle")
{
}

std::wstring HUDBoostShop::click(int x, int y)
{
    const std::wstring name = HUDWindow::click(x, y);
    if (name == L"back_in") {
        leave(); // the shop leaves the stack here; the HUD deletes it later
    } else if (name != L"offers_wall") {
        if (HUDOfferPlate* plate = HUDOfferPlate::At(plates, x, y))
            buy(plate);
        else if (leaves(name))
            leave();
    }
    return std::wstring();
}

void HUDBoostShop::buy(HUDOfferPlate* plate)
{
    if (plate->isPurchased())
        return;
    const std::wstring product = plate->productName();
    if (!plate->premium) {
        purchase::PurchaseSystem* purchases = purchase::PurchaseSystem::Instance();
        if (purchases->findProduct(product))
            purchases->buy(product);
        return;
    }
    // Premium: a short balance offers the gem shop; nothing spends gems here.
    const std::string counter = ConvertToNarrow(product);
    GameConfig* config = GameConfig::instance();
    TDMap* map = CurrentLevel();
    if (!config->hasProduct(counter) || !map || !map->mStats || !map->mHud)
        return;
    const bool lowGemsDialog = FeatureConfig::instance()->activeFeatures().lowPremiumPointsDialog;
    if (map->mStats->mGems < config->cost(counter) && Feature("in_app_purchases") && lowGemsDialog) {
        map->mHud->popWindow();
        map->mHud->showGemShop(L"episodes");
    }
}

void HUDBoostShop::leave()
{
    HUD* hud = LeaveStack();
    if (!hud)
        return;
    if (BoostShopReturnName == L"shop") {
        hud->showShop(ShopReturnName == L"game" ? 1 : 0);
    } else if (BoostShopReturnName == L"episodes") {
        hud->showEpisodeSelect();
    } else if (BoostShopReturnName == L"levels") {
        hud->showLevelSelect();
    } else if (BoostShopReturnName == L"gemShop") {
        hud->showGemShop(GemShopReturnName);
    } else {
        // Nothing else names a way back: the main menu, so the shop can always be left.
        if (!BoostShopReturnName.empty())
            GE_LOG(L"Boost shop: no screen is named '%s' to return to; back to the main menu.\n")
                << BoostShopReturnName;
        hud->showMainMenu();
    }
}
