// The gem shop played with injected clicks: opened by the upgrade shop's gem button, a
// pack bought (the gems arrive about a second later and the balance follows), back to
// the upgrade shop; opened by the level's gem offer and back into the level. The
// plates' active areas and hover easing are checked as numbers on the live window.
#include "Core/Base/ImageInfo.h"
#include "Source/TD/Screens/HUDBuyGemScreen.h"
#include "Source/TD/Screens/HUDMainMenu.h"
#include "Source/TD/Screens/HUDShopWindow.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "tests/Game/Screens/ShopHarness.h"
#include "tests/Game/World/FirstLevel.h"

#include <algorithm>
#include <cwchar>

namespace {

HUDBuyGemScreen* GemShop(GameHarness& h)
{
    return dynamic_cast<HUDBuyGemScreen*>(click::TopWindow(h));
}

// The plate's active area is its layer less 50 on every side: left and top edges
// belong to it, right and bottom edges do not.
void ExpectActiveArea(const HUDOfferPlate* plate)
{
    const base::ImageInfo& r = *plate->plateLayer;
    const struct {
        float dx, dy; // from the layer's top left; negative: from its right or bottom
        bool inside;
    } cases[] = {
        {50, 50, true},     {49, 50, false},  {50, 49, false},   {-50, 60, false},
        {-51, -51, true},   {60, -50, false}, {10, 120, false},  {140, 125, true},
    };
    for (const auto& c : cases) {
        const float x = c.dx < 0 ? r.x + r.width + c.dx : r.x + c.dx;
        const float y = c.dy < 0 ? r.y + r.height + c.dy : r.y + c.dy;
        EXPECT_EQ(plate->activeAt(x, y), c.inside) << "at " << c.dx << ", " << c.dy;
    }
}

TEST(GemShop, FromTheUpgradeShopABoughtPackArrivesAndBackReturns)
{
    RunGame("GemShop.FromTheUpgradeShop", NamedPlayer(), [](GameHarness& h) {
        StartAtMainMenu(h);
        TDMap* map = Map(h);
        ASSERT_TRUE(click::Button(h, L"shop"));
        ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 8; }, 60));
        h.StepSeconds(0.5f);
        ASSERT_TRUE(click::Button(h, L"gem_shop"));
        ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 18 && GemShop(h); }, 60));
        EXPECT_EQ(GemShopReturnName, L"shop0");
        h.MouseMove(1000, 20);
        h.StepSeconds(0.5f);
        h.Screenshot("gem-shop");
        HUDBuyGemScreen* shop = GemShop(h);

        // Five packs with their products; badges on the second, fourth and fifth; the
        // plates draw their own layers; no offers wall in this game.
        ASSERT_EQ(shop->plates.size(), 5u);
        const wchar_t* ids[] = {L"buy_100_cr", L"buy_300_cr", L"buy_500_cr", L"buy_1000_cr", L"buy_2500_cr"};
        for (size_t i = 0; i < 5; ++i) {
            const HUDOfferPlate* plate = shop->plates[i];
            ASSERT_NE(plate->plateLayer, nullptr);
            ASSERT_NE(plate->textAnchor, nullptr);
            EXPECT_NE(plate->priceImage, nullptr);
            EXPECT_EQ(plate->productName(), ids[i]);
            EXPECT_EQ(plate->badgeImage != nullptr, i == 1 || i == 3 || i == 4) << i;
            EXPECT_FALSE(shop->findButton(L"b_0" + std::to_wstring(i + 1) + L"_in")->mVisible);
        }
        EXPECT_FALSE(shop->findButton(L"offers_wall")->mVisible);
        // Each pack costs more than the one before it.
        double previous = 0.0;
        for (const HUDOfferPlate* plate : shop->plates) {
            const std::wstring price = plate->priceText();
            ASSERT_EQ(price.rfind(L"$", 0), 0u) << "a dollar price: " << price;
            const double value = std::wcstod(price.c_str() + 1, nullptr);
            EXPECT_GT(value, previous) << price;
            previous = value;
        }
        ExpectActiveArea(shop->plates[0]);
        ExpectActiveArea(shop->plates[4]);

        // Hover: down to 0.9 at half a unit per second, snapping onto it; back to 1.0.
        HUDOfferPlate* first = shop->plates[0];
        float x = 0.0f, y = 0.0f;
        OfferCentre(first, &x, &y);
        h.MouseMove(x, y);
        h.Step(1);
        ASSERT_TRUE(first->hovered);
        h.Step(6);
        EXPECT_GT(first->scale, 0.9f);
        EXPECT_LT(first->scale, 1.0f);
        h.Step(8);
        EXPECT_EQ(first->scale, 0.9f);
        h.MouseMove(1000, 20);
        h.Step(16);
        EXPECT_FALSE(first->hovered);
        EXPECT_EQ(first->scale, 1.0f);

        // A click on the plate's 50-pixel border buys nothing and stays in the shop.
        const base::ImageInfo& r = *first->plateLayer;
        click::At(h, r.x + 20.0f, r.y + r.height * 0.5f);
        EXPECT_EQ(OpenRequests(), 0u);
        EXPECT_FALSE(first->product->pending);
        EXPECT_EQ(h.Screen(), 18);

        // Two quick clicks: one request; the plate says so until the store answers.
        const int gems = map->mStats->mGems;
        ClickOffer(h, first);
        ClickOffer(h, first);
        EXPECT_EQ(OpenRequests(), 1u);
        EXPECT_TRUE(first->product->pending);
        EXPECT_EQ(OfferText(first), LocalStrings::Instance()->get(L"gemShopBuy_progress"));
        h.Screenshot("gem-shop-buying");
        int frames = 0;
        ASSERT_TRUE(h.StepUntil([&] { return ++frames, map->mStats->mGems != gems; }, 120));
        EXPECT_GE(frames, 40) << "the simulated store answers after about a second";
        EXPECT_EQ(map->mStats->mGems, gems + 100);
        h.Step(1);
        EXPECT_EQ(*shop->findText(L"caption_gems"), L"Gems: " + std::to_wstring(gems + 100));
        EXPECT_EQ(OfferText(first), L"Buy " + first->priceText());
        EXPECT_EQ(h.Screen(), 18);
        h.Screenshot("gem-shop-bought");

        // Back to the upgrade shop opened from the menus, and on to the main menu.
        ASSERT_TRUE(click::Button(h, L"back_in"));
        ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 8; }, 30));
        h.Step(2);
        auto* upgrades = dynamic_cast<HUDShopWindow*>(click::TopWindow(h));
        ASSERT_NE(upgrades, nullptr);
        EXPECT_EQ(upgrades->returnMode, 0);
        EXPECT_EQ(map->mHud->windows.size(), 1u);
        h.StepSeconds(0.5f);
        ASSERT_TRUE(click::Button(h, L"back_ac"));
        ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 7; }, 30));
    });
}

TEST(GemShop, TheLevelsGemOfferLeadsInAndBackLeadsIntoTheLevel)
{
    RunGame("GemShop.FromTheLevel", NamedPlayer(), [](GameHarness& h) {
        TDMap* map = StartFirstLevel(h);
        ASSERT_NE(map, nullptr);
        // What a tower upgrade short of gems offers.
        map->openPaymentDialog(19, LocalStrings::Instance()->get(L"gemShopDialogTitle"),
                               LocalStrings::Instance()->get(L"gemShopDialogText"));
        h.StepSeconds(0.5f);
        ASSERT_TRUE(click::Button(h, L"ok"));
        ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 18 && GemShop(h); }, 60));
        EXPECT_EQ(GemShopReturnName, L"game");
        h.StepSeconds(0.5f);
        h.Screenshot("gem-shop-in-level");
        ASSERT_TRUE(click::Button(h, L"back_in"));
        h.Step(2);
        EXPECT_EQ(h.Screen(), 0);
        EXPECT_EQ(map->mHud->fadeState, 0);
        EXPECT_TRUE(map->mHud->windows.empty());
        EXPECT_TRUE(map->mHud->queued.empty());

        // A return name nothing knows still leaves the shop: to the main menu. The shop
        // leaves the stack inside its own click but lives on until the HUD's next update.
        map->mHud->showGemShop(L"nowhere");
        ASSERT_TRUE(h.StepUntil([&] { return GemShop(h) != nullptr; }, 10));
        h.StepSeconds(0.3f);
        HUDBuyGemScreen* shop = GemShop(h);
        float x = 0.0f, y = 0.0f;
        ASSERT_TRUE(click::ButtonCentre(shop, L"back_in", &x, &y));
        EXPECT_EQ(shop->click(static_cast<int>(x), static_cast<int>(y)), L"");
        const auto& retired = map->mHud->retired;
        EXPECT_NE(std::find(retired.begin(), retired.end(), shop), retired.end());
        EXPECT_EQ(h.Screen(), 7);
        h.Step(2);
        EXPECT_TRUE(map->mHud->retired.empty());
        EXPECT_NE(dynamic_cast<HUDMainMenu*>(click::TopWindow(h)), nullptr);
        EXPECT_NE(h.LogHtml().find("no screen is named 'nowhere'"), std::string::npos);
    });
}

// A gem shop document that cannot be read, or that lacks the back button and most
// plates: logged, drawn without them, and a click outside the offers still leaves.
TEST(GemShop, ADamagedDocumentIsLoggedAndTheShopCanBeLeft)
{
    const struct {
        const char* what;
        std::string layers;
        const char* logged;
    } cases[] = {
        {"garbage", "this is no layer list", "Gem shop"},
        {"sparse",
         "<?xml version=\"1.0\"?><Layers>"
         "<Layer name=\"background\" x=\"0\" y=\"0\" width=\"1024\" height=\"768\" opacity=\"255\" ind=\"0\"/>"
         "<Layer name=\"button/b_01_in\" x=\"62\" y=\"174\" width=\"280\" height=\"240\" opacity=\"255\" ind=\"1\"/>"
         "</Layers>",
         "has no layer 'text/b_01_text'"},
    };
    for (const auto& c : cases) {
        GameSetup setup = NamedPlayer();
        setup.contentFiles["td/gem_shop/layers.xml"] = c.layers;
        RunGame(std::string("GemShop.Damaged-") + c.what, setup, [&c](GameHarness& h) {
            StartAtMainMenu(h);
            TDMap* map = Map(h);
            map->mHud->popWindow();
            map->mHud->showGemShop(L"levels");
            ASSERT_TRUE(h.StepUntil([&] { return GemShop(h) != nullptr; }, 10));
            h.StepSeconds(0.3f);
            h.Screenshot(std::string("damaged-") + c.what);
            EXPECT_EQ(GemShop(h)->plates.size(), 5u);
            const std::string log = h.LogHtml();
            EXPECT_NE(log.find(c.logged), std::string::npos) << c.what;
            EXPECT_NE(log.find("has no back button"), std::string::npos) << c.what;
            click::At(h, 512, 700);
            ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 6; }, 30)) << c.what;
            EXPECT_EQ(OpenRequests(), 0u);
        });
    }
}

} // namespace
