#include "Source/TD/Screens/HUDBuyGemScreen.h"

#include "Core/Base/Log.h"
#include "Core/File/ImageContainer.h"
#include "Core/Render/Graphics.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/TDButtonFrame.h"
#include "Source/TD/Purchase/PurchaseSystem.h"
#include "Source/TD/Screens/HUDOfferPlate.h"
#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/World/TDMap.h"

#include <cstdio>

std::wstring GemShopReturnName;

namespace {

// Hidden unless the offers wall is switched on (read once per run).
void ShowOffersWall(HUDWindow* window, bool active)
{
    if (TDButtonFrame* wall = window->findButton(L"offers_wall"))
        wall->mVisible = active;
}

} // namespace

HUDBuyGemScreen::HUDBuyGemScreen()
{
    document = OpenScreenDocument(kDocument, L"Gem shop");
    if (document)
        build(document.get());
    TDMap* map = CurrentLevel();
    const std::wstring language = map ? map->mLanguageCode : std::wstring(L"en");
    for (int i = 0; i < HUDOfferPlate::kGemPlates; ++i) {
        plates.push_back(new HUDOfferPlate(HUDOfferPlate::Gem, document.get(), i, language));
        wchar_t name[16];
        std::swprintf(name, 16, L"b_%02d_in", i + 1);
        if (TDButtonFrame* button = findButton(name))
            button->mVisible = false; // the plate draws that layer itself
    }
    font = GameFont(L"td/data/fonts/main_42_3");
    setText(L"caption", LocalStrings::Instance()->get(L"gemShopTitle"));
    refresh();
    static const bool offersWall = FeatureConfig::instance()->getBool("tapjoy", "is_active");
    ShowOffersWall(this, offersWall);
}

HUDBuyGemScreen::~HUDBuyGemScreen()
{
    for (HUDOfferPlate* plate : plates)
        delete plate;
    plates.clear();
}

void HUDBuyGemScreen::refresh()
{
    setText(L"caption_gems", HUDOfferPlate::BalanceText());
}

void HUDBuyGemScreen::update(float dt)
{
    HUDWindow::update(dt);
    refresh();
    HUDOfferPlate::EaseAll(plates, dt);
}

void HUDBuyGemScreen::onMouseMove(int x, int y)
{
    HUDWindow::onMouseMove(x, y);
    HUDOfferPlate::HoverAll(plates, x, y);
}

void HUDBuyGemScreen::draw(render::Graphics* graphics)
{
    HUDWindow::draw(graphics);
    // The offer texts are in the window's font, in white unless a plate says otherwise.
    if (font)
        graphics->SetFont(font);
    graphics->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    HUDOfferPlate::DrawAll(plates, graphics);
}

std::wstring HUDBuyGemScreen::click(int x, int y)
{
    if (HUDOfferPlate* plate = HUDOfferPlate::At(plates, x, y)) {
        purchase::PurchaseSystem* purchases = purchase::PurchaseSystem::Instance();
        const std::wstring name = plate->productName();
        // The purchase system refuses a pending product: two quick clicks buy once.
        if (purchases->findProduct(name))
            purchases->buy(name);
        return std::wstring();
    }
    if (HUDWindow::click(x, y) == L"back_in")
        leaveTo(GemShopReturnName); // the shop leaves the stack here; the HUD deletes it later
    return std::wstring();
}

void HUDBuyGemScreen::leaveTo(const std::wstring& returnName)
{
    TDMap* map = CurrentLevel();
    HUD* hud = map ? map->mHud : nullptr;
    if (!hud)
        return;
    hud->popWindow();
    if (returnName == L"game") {
        hud->fadeState = 0;
        map->mScreen = 0;
    } else if (returnName == L"boost_shop") {
        hud->showBoostShop();
    } else if (returnName == L"shop0" || returnName == L"shop1") {
        hud->showShop(returnName == L"shop0" ? 0 : 1);
    } else if (returnName == L"episodes") {
        hud->showEpisodeSelect();
    } else if (returnName == L"levels") {
        hud->showLevelSelect();
    } else {
        GE_LOG(L"Gem shop: no screen is named '%s' to return to; back to the main menu.\n") << returnName;
        hud->showMainMenu();
    }
}
