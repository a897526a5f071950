#include "Source/TD/Screens/HUDBuyGemScreen.h"

#include "Core/Base/Log.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Purchase/PurchaseSystem.h"
#include "Source/TD/World/TDMap.h"

std::wstring GemShopReturnName;

HUDBuyGemScreen::HUDBuyGemScreen()
    : HUDOfferWindow(kDocument, L"Gem shop", HUDOfferPlate::Gem, L"gemShopTitle")
{
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
    if (leaves(HUDWindow::click(x, y)))
        leaveTo(GemShopReturnName); // the shop leaves the stack here; the HUD deletes it later
    return std::wstring();
}

void HUDBuyGemScreen::leaveTo(const std::wstring& returnName)
{
    HUD* hud = LeaveStack();
    if (!hud)
        return;
    if (returnName == L"game") {
        hud->fadeState = 0;
        CurrentLevel()->mScreen = 0;
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
