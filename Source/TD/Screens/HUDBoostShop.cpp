#include "Source/TD/Screens/HUDBoostShop.h"

#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/File/ImageContainer.h"
#include "Core/Render/Graphics.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/TDButtonFrame.h"
#include "Source/TD/Purchase/PurchaseSystem.h"
#include "Source/TD/Screens/HUDBuyGemScreen.h"
#include "Source/TD/Screens/HUDOfferPlate.h"
#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Shell/GameConfig.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"

#include <cstdio>

std::wstring BoostShopReturnName;

namespace {

bool Feature(const char* name)
{
    return FeatureConfig::instance()->getBool(name, "is_active");
}

} // namespace

HUDBoostShop::HUDBoostShop()
{
    static const bool premiumMode = Feature("boost_shop_premium_mode");
    if (premiumMode)
        BoostShopPremiumMode = true;
    document = OpenScreenDocument(kDocument, L"Boost shop");
    if (document)
        build(document.get());
    TDMap* map = CurrentLevel();
    const std::wstring language = map ? map->mLanguageCode : std::wstring(L"en");
    for (int i = 0; i < HUDOfferPlate::kBoostPlates; ++i) {
        plates.push_back(new HUDOfferPlate(HUDOfferPlate::Boost, document.get(), i, language));
        wchar_t name[16];
        std::swprintf(name, 16, L"b_%02d_in", i + 1);
        if (TDButtonFrame* button = findButton(name))
            button->mVisible = false; // the plate draws that layer itself
    }
    font = GameFont(L"td/data/fonts/main_42_3");
    setText(L"caption", LocalStrings::Instance()->get(L"boostShopTitle"));
    refresh();
    static const bool offersWall = Feature("tapjoy");
    if (TDButtonFrame* wall = findButton(L"offers_wall"))
        wall->mVisible = offersWall;
}

HUDBoostShop::~HUDBoostShop()
{
    for (HUDOfferPlate* plate : plates)
        delete plate;
    plates.clear();
}

void HUDBoostShop::refresh()
{
    setText(L"caption_gems", HUDOfferPlate::BalanceText());
}

void HUDBoostShop::update(float dt)
{
    HUDWindow::update(dt);
    refresh();
    HUDOfferPlate::EaseAll(plates, dt);
}

void HUDBoostShop::onMouseMove(int x, int y)
{
    HUDWindow::onMouseMove(x, y);
    HUDOfferPlate::HoverAll(plates, x, y);
}

void HUDBoostShop::draw(render::Graphics* graphics)
{
    HUDWindow::draw(graphics);
    if (font)
        graphics->SetFont(font);
    graphics->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    HUDOfferPlate::DrawAll(plates, graphics);
}

std::wstring HUDBoostShop::click(int x, int y)
{
    const std::wstring name = HUDWindow::click(x, y);
    if (name == L"back_in")
        leave(); // the shop leaves the stack here; the HUD deletes it later
    else if (name != L"offers_wall")
        if (HUDOfferPlate* plate = HUDOfferPlate::At(plates, x, y))
            buy(plate);
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
    static const bool lowGemsDialog = Feature("low_premium_points_dialog");
    if (map->mStats->mGems < config->cost(counter) && Feature("in_app_purchases") && lowGemsDialog) {
        map->mHud->popWindow();
        map->mHud->showGemShop(L"episodes");
    }
}

void HUDBoostShop::leave()
{
    TDMap* map = CurrentLevel();
    HUD* hud = map ? map->mHud : nullptr;
    if (!hud)
        return;
    hud->popWindow();
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
