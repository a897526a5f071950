// The tower context menu: what the build, tower and spot menus offer and at what
// price, its opening and closing, and where its items answer the pointer.
#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Towers/TDContextMenu.h"
#include "Source/TD/Towers/TDSpot.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Towers/TDTowerDrop.h"
#include "Source/TD/World/ParamSet.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/SheetToXml.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/UnitPrototype.h"
#include "Source/TD/World/UnlocksTable.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <tinyxml2.h>
#include <vector>

namespace {

// The four first tiers the build menu offers (10000 locked below), and tower 100 with
// two tier steps of 5 and the alternatives 200 (from tier 0) and 300 (after 200).
const char* const kTowers = "id;parent;levelid;type;level;require;addons;r;cost;tierUpdates;tierCost;goldIncome\n"
                            "40000;-1;0;1;1;0;;200;90;0;0;0\n"
                            "30000;-1;0;1;1;0;;200;60;0;0;0\n"
                            "20000;-1;0;1;1;0;air/aim;200;50;1;3;0\n"
                            "10000;-1;0;1;1;0;;200;70;0;0;0\n"
                            "100;-1;0;0;1;0;200/300;200;50;2;5;7\n"
                            "200;100;3;0;3;0;splash;240;80;0;0;0\n"
                            "300;100;4;0;3;3;;260;40;0;0;0\n";

struct MenuLevel {
    MenuLevel()
    {
        tinyxml2::XMLElement* data = document.NewElement("data");
        document.InsertFirstChild(data);
        tinyxml2::XMLElement* towers = document.NewElement("towers");
        data->InsertEndChild(towers);
        SheetTextToXml(kTowers, towers, &document, L"test sheet");
        delete map.mPrototypes;
        map.mPrototypes = new PrototypeStore(data);
        map.mUnlocks->parse("0;0;20000,30000,40000,100,200,300");
        map.mEpisode = map.mLevel = 0;
        spotElement.Parse("<spot x='500' y='400'><param name='cost_gold' value='50'/>"
                          "<param name='cost_real' value='3'/></spot>");
        spot = std::make_unique<TDSpot>(spotElement.RootElement());
        entry.mSpot = spot.get();
        entry.mX = 464.0f;
        entry.mY = 374.0f;
        entry.mWidth = 72.0f;
        entry.mHeight = 52.0f;
        spot->mEntry = &entry;
    }
    // A new menu centred on (x, y), opened fully.
    TDContextMenu* open(TDContextMenu* menu, float x, float y)
    {
        menu->setCenter(x, y);
        menu->update(TDContextMenu::kFadeTime + 0.01f);
        return menu;
    }

    TDMap map;
    tinyxml2::XMLDocument document;
    tinyxml2::XMLDocument spotElement;
    std::unique_ptr<TDSpot> spot;
    TDFrameEntry entry;
};

std::vector<int> Commands(const TDContextMenu& menu)
{
    std::vector<int> commands;
    for (const TDContextMenuItem* item : menu.items)
        commands.push_back(item->command);
    return commands;
}

} // namespace

TEST(ContextMenu, BuildMenuOffersUnlockedFirstTiersAtTheirUpgradedPrice)
{
    MenuLevel level;
    TDContextMenu menu(&level.map);
    menu.setupBuild(level.spot.get());
    EXPECT_EQ(menu.type, TDContextMenu::BuildMenu);
    EXPECT_EQ(Commands(menu), (std::vector<int>{20000, 30000, 40000})) << "store order, 10000 locked";
    for (size_t i = 0; i < menu.items.size(); ++i) {
        ASSERT_NE(menu.items[i]->prototype, nullptr);
        EXPECT_EQ(menu.items[i]->price, menu.items[i]->prototype->cost);
        EXPECT_EQ(menu.items[i]->kind, static_cast<int>(i) + 1);
    }
    // A disabled build command is not offered.
    level.map.mBuildEnabled[2] = false;
    TDContextMenu fewer(&level.map);
    fewer.setupBuild(level.spot.get());
    EXPECT_EQ(Commands(fewer), (std::vector<int>{20000, 40000}));
}

TEST(ContextMenu, OpensAfterMoreThanAFifthOfASecondAndAnswersOnlyWhileOpen)
{
    MenuLevel level;
    TDContextMenu menu(&level.map);
    menu.setupBuild(level.spot.get());
    menu.setCenter(500.0f, 400.0f);
    // 40000 keeps its place at 180 degrees: 80 units above the centre.
    const int x = 500, y = 320;
    menu.update(0.1f);
    menu.update(0.1f);
    EXPECT_EQ(menu.state, TDContextMenu::Opening) << "0.2 s is not yet more than 0.2 s";
    EXPECT_EQ(menu.hitTest(x, y), -1);
    menu.update(0.01f);
    ASSERT_EQ(menu.state, TDContextMenu::Open);
    EXPECT_EQ(menu.hitTest(x, y), 40000) << "items are placed when they are made, before any draw";
    ASSERT_NE(menu.hovered, nullptr);

    menu.close();
    EXPECT_EQ(menu.hitTest(x, y), -1) << "a closing menu answers nothing";
    EXPECT_NE(menu.hovered, nullptr) << "and keeps what it hovered";
    menu.update(TDContextMenu::kFadeTime + 0.01f);
    EXPECT_EQ(menu.alive, 0);
    EXPECT_EQ(menu.hitTest(x, y), -1) << "nor does a closed one";
}

TEST(ContextMenu, PointerHitsWithinLessThan44Units)
{
    MenuLevel level;
    TDContextMenu& menu = *level.open(new TDContextMenu(&level.map), 500.0f, 400.0f);
    std::unique_ptr<TDContextMenu> owner(&menu);
    menu.addItem(0, 0); // one sell item at 0 degrees: 80 units below the centre
    struct Case {
        int dx, dy;
        int expected;
    };
    for (const Case& c : std::vector<Case>{{0, 0, 0}, {43, 0, 0}, {0, -43, 0}, {44, 0, -1}, {0, 44, -1},
                                           {31, 32, -1}, {30, 30, 0}}) {
        EXPECT_EQ(menu.hitTest(500 + c.dx, 480 + c.dy), c.expected) << c.dx << ", " << c.dy;
    }
    ASSERT_EQ(menu.hitTest(500, 480), 0);
    EXPECT_NE(menu.hovered, nullptr);
    EXPECT_EQ(menu.hitTest(500, 600), -1);
    EXPECT_EQ(menu.hovered, nullptr) << "a miss clears the hovered item";
}

TEST(ContextMenu, ItemsAnswerWhereTheyAreDrawnNearTheEdge)
{
    MenuLevel level;
    struct Case {
        float x, y;   // menu centre
        int hitX, hitY; // where its one build item is drawn
    };
    // One build item, tower 20000. At x 100 the menu is near the edge for a ring scaled
    // by 1.3 (x < 150) but is drawn on the normal ring (the drawing's edge is x < 70):
    // the item answers where it is drawn, or a click on the icon would miss it.
    const std::vector<Case> cases = {
        {100.0f, 400.0f, 100, 480}, // normal ring: its fixed place at 0 degrees, 80 out
        {60.0f, 400.0f, 60, 480},   // left edge: arc 0..180, the one item at 0
        {900.0f, 100.0f, 820, 100}, // top edge: arc 270..450, the one item at 270
    };
    level.map.mUnlocks->parse("0;0;20000");
    for (const Case& c : cases) {
        std::unique_ptr<TDContextMenu> menu(new TDContextMenu(&level.map));
        menu->setupBuild(level.spot.get());
        level.open(menu.get(), c.x, c.y);
        ASSERT_EQ(menu->items.size(), 1u);
        float drawnX = 0.0f, drawnY = 0.0f;
        menu->itemCenter(*menu->items[0], 1.0f, &drawnX, &drawnY);
        EXPECT_NEAR(drawnX, static_cast<float>(c.hitX), 1.0f) << c.x << ", " << c.y;
        EXPECT_NEAR(drawnY, static_cast<float>(c.hitY), 1.0f) << c.x << ", " << c.y;
        EXPECT_EQ(menu->hitTest(static_cast<int>(drawnX), static_cast<int>(drawnY)), 20000) << c.x << ", " << c.y;
        // Along the item's ray, by distance from the centre: the inner edge of the drawn
        // icon (45) answers, though it lies 59 from where a ring scaled by 1.3 would put
        // the item; 130 out (26 from that ring's item, 50 from the drawn one) does not,
        // nor does 140.
        const float a = menu->items[0]->angle * 3.14f / 180.0f;
        const struct {
            float out;
            int answer;
        } rays[] = {{45.0f, 20000}, {130.0f, -1}, {140.0f, -1}};
        for (const auto& ray : rays) {
            const int px = static_cast<int>(std::lround(c.x + std::sin(a) * ray.out));
            const int py = static_cast<int>(std::lround(c.y + std::cos(a) * ray.out));
            EXPECT_EQ(menu->hitTest(px, py), ray.answer) << c.x << ", " << c.y << " at " << ray.out;
        }
    }
}

TEST(ContextMenu, TowerMenuSellsAndStepsThenOffersAlternativesWithTheirChainPrice)
{
    MenuLevel level;
    TDTower tower(level.map.mPrototypes->find(100), &level.entry, 500.0f, 400.0f, &level.map);
    {
        TDContextMenu menu(&level.map);
        menu.setupTower(&tower);
        EXPECT_EQ(menu.type, TDContextMenu::TowerUpgradeMenu);
        ASSERT_EQ(Commands(menu), (std::vector<int>{0, 1}));
        EXPECT_EQ(menu.items[0]->prototype, nullptr) << "sell";
        EXPECT_EQ(menu.items[1]->prototype, level.map.mPrototypes->find(100)) << "the store's record";
        EXPECT_EQ(menu.shownPrice(*menu.items[1]), 5.0f) << "the step's price";

        EXPECT_EQ(menu.spot, level.spot.get());
    }
    {
        // A first-tier tower's step item shows its record (20000, whose build item has a
        // fixed place): on the tower's ring it still stands opposite the sell item.
        TDTower first(level.map.mPrototypes->find(20000), &level.entry, 500.0f, 400.0f, &level.map);
        TDContextMenu menu(&level.map);
        menu.setupTower(&first);
        ASSERT_EQ(Commands(menu), (std::vector<int>{0, 1}));
        EXPECT_EQ(menu.items[0]->angle, 0.0f);
        EXPECT_EQ(menu.items[1]->angle, 180.0f);
    }
    tower.tierSteps = 2;
    {
        TDContextMenu menu(&level.map);
        menu.setupTower(&tower);
        EXPECT_EQ(menu.type, TDContextMenu::TowerMenu);
        ASSERT_EQ(Commands(menu), (std::vector<int>{0, 3, 4})) << "sell, then the alternatives' tier ids";
        EXPECT_EQ(menu.items[1]->price, 80.0f);
        EXPECT_EQ(menu.items[2]->price, 120.0f) << "300 comes after 200: 40 + 80";
    }
    // A disabled kind is left out.
    level.map.mItemEnabled[0] = false;
    TDContextMenu menu(&level.map);
    menu.setupTower(&tower);
    EXPECT_EQ(Commands(menu), (std::vector<int>{3, 4}));
}

TEST(ContextMenu, WhatThePlayerCannotPayForIsToldApartWithItsReason)
{
    // Tower 100's step costs 5 from the tier budget; its alternative 200 costs 80 gold;
    // build item 20000 costs 50; the spot costs 50 gold and 3 gems.
    enum Menu { Step, Alternative, Build, Spot };
    struct Case {
        Menu menu;
        int budget, money, gems;
        bool gemsPay; // the game converts gems into missing gold
        const wchar_t* refusal; // null: payable
    };
    const Case cases[] = {
        {Step, 5, 0, 0, false, nullptr},
        {Step, 4, 1000, 1000, true, L"tierBudgetSpent"},
        {Alternative, 0, 80, 0, false, nullptr},
        {Alternative, 0, 79, 9, false, L"notEnoughGold"},
        {Alternative, 0, 79, 2, true, nullptr}, // ceil(80 / 50) gems
        {Alternative, 0, 79, 1, true, L"notEnoughGold"},
        {Build, 0, 49, 1, true, nullptr},
        {Build, 0, 49, 1, false, L"notEnoughGold"},
        {Spot, 0, 50, 3, false, nullptr},
        {Spot, 0, 49, 3, false, L"notEnoughGold"},
        {Spot, 0, 50, 2, false, L"notEnoughGems"},
    };
    for (const Case& c : cases) {
        MenuLevel level;
        level.map.mBudget = c.budget;
        level.map.mStats->mMoney = c.money;
        level.map.mStats->mGems = c.gems;
        gPremiumPointsTowerBuy = gPremiumPointsTowerUpgrade = c.gemsPay;
        TDTower tower(level.map.mPrototypes->find(100), &level.entry, 500.0f, 400.0f, &level.map);
        tower.tierSteps = c.menu == Alternative ? 2 : 0;
        TDContextMenu menu(&level.map);
        int command = 1;
        if (c.menu == Step || c.menu == Alternative) {
            menu.setupTower(&tower);
            command = c.menu == Step ? 1 : 3;
        } else if (c.menu == Build) {
            menu.setupBuild(level.spot.get());
            command = 20000;
        } else {
            menu.setupSpot(level.spot.get());
        }
        const TDContextMenuItem* item = nullptr;
        for (const TDContextMenuItem* each : menu.items)
            if (each->command == command)
                item = each;
        ASSERT_NE(item, nullptr) << c.menu;
        EXPECT_EQ(menu.isTierStep(*item), c.menu == Step) << c.menu;
        EXPECT_EQ(menu.payable(*item), c.refusal == nullptr) << c.menu << " money " << c.money << " gems " << c.gems;
        EXPECT_EQ(menu.refusal(*item), c.refusal ? LocalStrings::Instance()->get(c.refusal) : std::wstring())
            << c.menu << " money " << c.money << " gems " << c.gems;
        if (c.menu == Step || c.menu == Alternative) {
            EXPECT_TRUE(menu.payable(*menu.items[0])) << "selling is always possible";
        }
    }
    ResetFeatureFlags();
}

TEST(ContextMenu, StoredGoldIsPaidWithoutAMenu)
{
    MenuLevel level;
    TDTower tower(level.map.mPrototypes->find(100), &level.entry, 500.0f, 400.0f, &level.map);
    TDTowerSpecial coin;
    coin.state = 1;
    tower.storedGold = 3;
    tower.drops.push_back(&coin);
    level.map.mStats->mMoney = 10;

    TDContextMenu menu(&level.map);
    menu.setupTower(&tower);
    EXPECT_EQ(level.map.mStats->mMoney, 10 + 3 * 7) << "the stored count times the tier's income";
    EXPECT_EQ(tower.storedGold, 0);
    EXPECT_EQ(coin.state, 2) << "its drops are collected";
    EXPECT_TRUE(menu.items.empty());
    EXPECT_EQ(menu.state, TDContextMenu::Closing);
    EXPECT_EQ(menu.hitTest(500, 480), -1);
    menu.update(TDContextMenu::kFadeTime + 0.01f);
    EXPECT_EQ(menu.alive, 0);
}

TEST(ContextMenu, SpotMenuShowsGoldAndGemPrices)
{
    MenuLevel level;
    struct Case {
        int gold, gems;
        const char* text;
    };
    for (const Case& c : std::vector<Case>{{50, 3, "$50; #3"}, {50, 0, "$50"}, {0, 3, "#3"}, {0, 0, ""}}) {
        level.spot->mCostGold = c.gold;
        level.spot->mCostReal = c.gems;
        TDContextMenu menu(&level.map);
        menu.setupSpot(level.spot.get());
        EXPECT_EQ(menu.type, TDContextMenu::SpotMenu);
        ASSERT_EQ(menu.items.size(), 1u);
        EXPECT_EQ(menu.items[0]->command, 1);
        EXPECT_EQ(menu.items[0]->angle, 90.0f);
        EXPECT_EQ(menu.items[0]->text, c.text);
    }
}
