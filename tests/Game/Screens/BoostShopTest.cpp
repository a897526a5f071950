// The boost shop played with injected clicks: reached through the gem shop's back
// button with the return name "boost_shop", a boost bought from the simulated store
// (pending, then owned for good), back to the main menu when nothing names a way back,
// and every return name it knows. In the premium mode the plates read the profile's
// counters and the gem prices of the configuration, and a short balance offers the
// gem shop.
#include "Core/Base/ImageInfo.h"
#include "Source/TD/Screens/HUDBoostShop.h"
#include "Source/TD/Screens/HUDBuyGemScreen.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "tests/Game/Screens/ShopHarness.h"

#include <fstream>
#include <iterator>
#include <tinyxml2.h>

namespace {

HUDBoostShop* BoostShop(GameHarness& h)
{
    return dynamic_cast<HUDBoostShop*>(click::TopWindow(h));
}

std::wstring Text(const wchar_t* key)
{
    return LocalStrings::Instance()->get(key);
}

// From the main menu into the gem shop as the boost shop's way in, then its back button.
void OpenThroughTheGemShop(GameHarness& h)
{
    TDMap* map = Map(h);
    map->mHud->popWindow();
    map->mHud->showGemShop(L"boost_shop");
    ASSERT_TRUE(h.StepUntil([&] { return dynamic_cast<HUDBuyGemScreen*>(click::TopWindow(h)) != nullptr; }, 10));
    h.StepSeconds(0.3f);
    ASSERT_TRUE(click::Button(h, L"back_in"));
    ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 24 && BoostShop(h); }, 30));
    h.MouseMove(1000, 20);
    h.StepSeconds(0.4f);
}

TEST(BoostShop, StoreBoostsAreBoughtOnceAndBackAlwaysLeadsSomewhere)
{
    RunGame("BoostShop.Store", NamedPlayer(), [](GameHarness& h) {
        StartAtMainMenu(h);
        OpenThroughTheGemShop(h);
        HUDBoostShop* shop = BoostShop(h);
        ASSERT_NE(shop, nullptr);
        h.Screenshot("boost-shop");
        ASSERT_EQ(shop->plates.size(), 3u);
        const wchar_t* ids[] = {L"extra_energy", L"energy_speed", L"energy_refill"};
        for (size_t i = 0; i < 3; ++i) {
            const HUDOfferPlate* plate = shop->plates[i];
            ASSERT_NE(plate->textAnchor, nullptr);
            EXPECT_FALSE(plate->premium);
            EXPECT_EQ(plate->productName(), ids[i]);
            EXPECT_EQ(plate->badgeImage != nullptr, i == 2) << i;
            EXPECT_FALSE(plate->isPurchased());
        }
        EXPECT_FALSE(shop->findButton(L"offers_wall")->mVisible);
        EXPECT_EQ(*shop->findText(L"caption"), Text(L"boostShopTitle"));

        // The plate's border and the hidden offers wall buy nothing.
        HUDOfferPlate* refill = shop->plates[2];
        const base::ImageInfo& r = *refill->plateLayer;
        click::At(h, r.x + r.width * 0.5f, r.y + 30.0f);
        const TDButtonFrame* wall = shop->findButton(L"offers_wall");
        click::At(h, wall->centerX(), wall->centerY());
        EXPECT_EQ(OpenRequests(), 0u);
        EXPECT_EQ(h.Screen(), 24);

        // Bought: pending while the store works, owned afterwards; owned wins over a
        // pending mark, and an owned boost is not bought again.
        ClickOffer(h, refill);
        EXPECT_TRUE(refill->product->pending);
        EXPECT_EQ(OfferText(refill), Text(L"gemShopBuy_progress"));
        ASSERT_TRUE(h.StepUntil([&] { return refill->isPurchased(); }, 120));
        EXPECT_FALSE(refill->product->pending);
        EXPECT_EQ(OfferText(refill), Text(L"boostShopBuy_already_purchased"));
        refill->product->pending = true;
        EXPECT_EQ(OfferText(refill), Text(L"boostShopBuy_already_purchased"));
        refill->product->pending = false;
        ClickOffer(h, refill);
        EXPECT_EQ(OpenRequests(), 0u);
        EXPECT_EQ(OfferText(shop->plates[0]), L"Buy " + shop->plates[0]->priceText());
        h.Screenshot("boost-shop-owned");

        // Nothing names the way back: the main menu (the shop could not be left before).
        ASSERT_TRUE(BoostShopReturnName.empty());
        ASSERT_TRUE(click::Button(h, L"back_in"));
        ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 7; }, 30));

        // The names it knows, each opened again from the main menu.
        const struct {
            const wchar_t* name;
            int screen;
        } returns[] = {{L"episodes", 5}, {L"levels", 6}, {L"shop", 8}, {L"gemShop", 18}, {L"elsewhere", 7}};
        for (const auto& c : returns) {
            BoostShopReturnName = c.name;
            Map(h)->mHud->clearWindows();
            Map(h)->mHud->showBoostShop();
            ASSERT_TRUE(h.StepUntil([&] { return BoostShop(h) != nullptr; }, 10));
            h.StepSeconds(0.3f);
            ASSERT_TRUE(click::Button(h, L"back_in"));
            h.Step(3);
            EXPECT_EQ(h.Screen(), c.screen) << c.name;
            EXPECT_EQ(Map(h)->mHud->windows.size(), 1u) << c.name;
        }
        EXPECT_EQ(GemShopReturnName, L"boost_shop") << "the gem shop keeps its own return name";
    });
}

// The demo configuration in the premium mode, with the third boost free.
std::string PremiumConfig()
{
    std::ifstream in(std::string(GE_BINARY_DIR) + "/content/td/config.xml");
    std::string config((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::pair<std::string, std::string> edits[] = {
        {"<feature name=\"boost_shop_premium_mode\" is_active=\"false\"/>",
         "<feature name=\"boost_shop_premium_mode\" is_active=\"true\"/>"},
        {"<premium_product name=\"Refill\" cost=\"25\"/>", "<premium_product name=\"Refill\" cost=\"0\"/>"},
    };
    for (const auto& [from, to] : edits) {
        const size_t at = config.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos)
            config.replace(at, from.size(), to);
    }
    return config;
}

TEST(BoostShop, PremiumPlatesReadTheCountersAndTheGemPrices)
{
    GameSetup setup = NamedPlayer();
    setup.contentFiles["td/config.xml"] = PremiumConfig();
    RunGame("BoostShop.Premium", setup, [](GameHarness& h) {
        StartAtMainMenu(h);
        TDMap* map = Map(h);
        // The first boost was bought earlier: its counter stands at 1.
        map->mProgress->profile->SetAttribute("+5Lives", 1);
        map->mStats->mGems = 14;
        OpenThroughTheGemShop(h);
        HUDBoostShop* shop = BoostShop(h);
        ASSERT_NE(shop, nullptr);
        ASSERT_EQ(shop->plates.size(), 3u);
        h.Screenshot("boost-shop-premium");
        const std::wstring gems = L" " + Text(L"gems");
        const math::Point4 red{0.94f, 0.44f, 0.44f, 1.0f}, white{1.0f, 1.0f, 1.0f, 1.0f};
        const struct {
            int plate, balance;
            std::wstring text;
            bool coloured;
            math::Point4 colour;
        } cases[] = {
            {0, 14, Text(L"boostShopBuy_already_purchased"), true, white}, // bought: white whatever the balance
            {1, 14, L"15" + gems, true, red},                              // one gem short
            {1, 15, L"15" + gems, true, white},                            // exactly enough
            {2, 0, L"0" + gems, false, white},                             // free: the colour is left alone
        };
        for (const auto& c : cases) {
            map->mStats->mGems = c.balance;
            const HUDOfferPlate* plate = shop->plates[static_cast<size_t>(c.plate)];
            EXPECT_TRUE(plate->premium);
            EXPECT_EQ(plate->product, nullptr);
            std::wstring text;
            math::Point4 colour = white;
            EXPECT_EQ(plate->offerText(&text, &colour), c.coloured) << c.plate;
            EXPECT_EQ(text, c.text) << c.plate;
            EXPECT_EQ(colour.x, c.colour.x) << c.plate << " at " << c.balance;
            EXPECT_EQ(colour.y, c.colour.y) << c.plate << " at " << c.balance;
        }
        EXPECT_TRUE(shop->plates[0]->isPurchased());
        EXPECT_EQ(shop->plates[1]->productName(), L"\x0445" L"2Refill");

        // A bought boost ignores clicks; one covered by the balance changes nothing.
        map->mStats->mGems = 15;
        ClickOffer(h, shop->plates[0]);
        ClickOffer(h, shop->plates[1]);
        EXPECT_EQ(BoostShop(h), shop);
        EXPECT_EQ(h.Screen(), 24);
        EXPECT_EQ(map->mStats->mGems, 15);
        // One gem short: the gem shop is offered, returning to the episodes.
        map->mStats->mGems = 14;
        ClickOffer(h, shop->plates[1]);
        ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 18; }, 30));
        EXPECT_EQ(GemShopReturnName, L"episodes");
        h.Step(2);
        EXPECT_NE(dynamic_cast<HUDBuyGemScreen*>(click::TopWindow(h)), nullptr);
        EXPECT_EQ(Map(h)->mHud->windows.size(), 1u);
    });
}

} // namespace
