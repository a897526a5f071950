// The command handler in the running game: the screen rows acted on by (screen id,
// button name), the pointer commands of a level being played, the level results and
// the store's answers.
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/HUDModalMessage.h"
#include "Source/TD/Hud/HUDLevelResultWindow.h"
#include "Source/TD/Hud/HUDWindow.h"
#include "Source/TD/Hud/TDButtonFrame.h"
#include "Source/TD/Purchase/Product.h"
#include "Source/TD/Purchase/PurchaseSystem.h"
#include "Source/TD/Purchase/TestStore.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Shell/Profiles.h"
#include "Source/TD/Screens/HUDUnlockMessage.h"
#include "Source/TD/Towers/TDContextMenu.h"
#include "Source/TD/Towers/TDTowerDrop.h"
#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/World/LevelArt.h"
#include "Source/TD/World/TDFloatingLabels.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/TDWaves.h"
#include "Source/TD/World/UnlocksTable.h"
#include "Source/TD/World/UpgradesTable.h"
#include "Source/TD/World/WaveHint.h"
#include "tests/Support/ClickPlayer.h"
#include "tests/Support/GameHarness.h"
#include "tests/Support/LogCapture.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {

TDMap* Level(GameHarness& h)
{
    return h.game() && h.game()->mGameWindow ? h.game()->mGameWindow->mMap : nullptr;
}

// Starts the game and level 1 directly through the level object.
TDMap* StartLevelOne(GameHarness& h)
{
    EXPECT_EQ(h.Start(), GE_OK);
    h.Step(2);
    TDMap* map = Level(h);
    if (!map)
        return nullptr;
    map->mEpisode = 0;
    map->mLevel = 0;
    EXPECT_TRUE(map->startLevel());
    h.Step(2);
    // Level 1 opens with its unlock message; its last "ok" starts play.
    if (map->mScreen == 11)
        map->onScreenCommand(L"ok", 0, 0);
    h.Step(2);
    // The tutorial of level 1 would restrict spots and buttons: off for these tests.
    TDTutorial::Instance()->disable();
    map->mScreen = 0;
    map->mSpeed = 1.0f;
    return map;
}

// The generated "td/config.xml" with the switch `feature` turned on or off.
std::string ConfigWith(const std::string& feature, bool on)
{
    std::ifstream in(std::string(GE_BINARY_DIR) + "/content/td/config.xml");
    std::string config((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string name = "<feature name=\"" + feature + "\" is_active=\"";
    const size_t at = config.find(name);
    EXPECT_NE(at, std::string::npos) << feature;
    if (at != std::string::npos)
        config.replace(at + name.size(), config.find('"', at + name.size()) - at - name.size(), on ? "true" : "false");
    return config;
}

// A window standing on the HUD's stack, so that "pop" has something to take.
void PushWindow(TDMap& map, GameHarness& h)
{
    map.mHud->pushWindow(new HUDWindow);
    h.Step(1);
}

// A profile file as the game writes it: the built-in default profile first, then
// `count` players of the player's own.
std::string Profiles(const std::string& current, int count)
{
    const std::wstring defaultName = file::Profiles::kDefaultName;
    std::string text = "<Profiles currentProfile=\"" + current + "\"><Profile name=\"" +
                       std::string(defaultName.begin(), defaultName.end()) + "\"/>";
    for (int i = 0; i < count; ++i)
        text += "<Profile name=\"P" + std::to_string(i) + "\"/>";
    return text + "</Profiles>";
}

void AddDrops(TDMap& map, std::initializer_list<int> states)
{
    for (int state : states) {
        auto* drop = new TDTowerSpecial;
        drop->state = state;
        map.mSpecials.push_back(drop);
    }
}

} // namespace

TEST(Commands, ProfilesRowsAndTheCountLimit)
{
    struct Case {
        int profiles;
        int screen, saved;
    } cases[] = {{4, 14, -1}, {5, 16, 13}};
    for (const Case& c : cases) {
        GameSetup setup;
        setup.profiles = Profiles("P0", c.profiles);
        RunGame("Commands.Profiles" + std::to_string(c.profiles), setup, [c](GameHarness& h) {
            ASSERT_EQ(h.Start(), GE_OK);
            h.Step(2);
            TDMap* map = Level(h);
            ASSERT_NE(map, nullptr);
            ASSERT_EQ(map->mProgress->otherProfileNames.size(), static_cast<size_t>(c.profiles));
            ASSERT_EQ(file::Profiles::Instance()->getProfileNames().size(), static_cast<size_t>(c.profiles) + 1)
                << "the default profile comes first";
            map->mScreen = 13;
            map->mSavedScreen = -1;
            map->onScreenCommand(L"create", 0, 0);
            EXPECT_EQ(map->mScreen, c.screen) << c.profiles << " profiles";
            EXPECT_EQ(map->mSavedScreen, c.saved);
            if (c.screen == 16) {
                h.Step(2);
                map->onScreenCommand(L"ok", 0, 0);
                EXPECT_EQ(map->mScreen, 13) << "the message's ok restores the profiles screen";
            }
        });
    }
}

TEST(Commands, UnnamedProfileAsksForANameAndCancelReturnsToTheMenu)
{
    RunGame("Commands.UnnamedPlay", {}, [](GameHarness& h) {
        ASSERT_EQ(h.Start(), GE_OK);
        h.Step(2);
        TDMap* map = Level(h);
        ASSERT_NE(map, nullptr);
        map->mProgress->profileName.clear();
        struct Case {
            const wchar_t* button;
            const wchar_t* returnName;
        } cases[] = {{L"play", L"mmenu"}, {L"shop", L"shop"}};
        for (const Case& c : cases) {
            map->mScreen = 7;
            map->onScreenCommand(c.button, 0, 0);
            EXPECT_EQ(map->mScreen, 14) << c.button;
            EXPECT_EQ(map->mReturnName, c.returnName);
            PushWindow(*map, h);
            map->onScreenCommand(L"cancel", 0, 0);
            EXPECT_EQ(map->mScreen, 7) << "cancel after " << c.button << " returns to the main menu, not 13";
        }
        map->mReturnName = L"";
        map->mScreen = 14;
        map->onScreenCommand(L"cancel", 0, 0);
        EXPECT_EQ(map->mScreen, 13) << "asked by the profiles screen";
    });
}

TEST(Commands, ShopReturnAfterDefeatRestartsAfterVictoryGoesOn)
{
    RunGame("Commands.ReturnAc", {}, [](GameHarness& h) {
        TDMap* map = StartLevelOne(h);
        ASSERT_NE(map, nullptr);
        // Defeat: "return_ac" restarts the level, a second one does nothing more.
        map->mHealth = 3.0f;
        map->showDefeat();
        EXPECT_EQ(map->mScreen, 2);
        EXPECT_EQ(map->mAfterShopAction, 1);
        map->mScreen = 8;
        map->onScreenCommand(L"return_ac", 0, 0);
        EXPECT_EQ(map->mScreen, 11) << "the level starts again with its unlock message";
        EXPECT_EQ(map->mHealth, map->mMaxHealth) << "the level started again";
        EXPECT_EQ(map->mAfterShopAction, -1);
        map->mScreen = 8;
        map->mHealth = 3.0f;
        map->onScreenCommand(L"return_ac", 0, 0);
        EXPECT_EQ(map->mHealth, 3.0f);
        EXPECT_EQ(map->mLevel, 0);

        // Victory: "return_ac" goes on with the next level.
        map->mScreen = 0;
        map->showVictory();
        EXPECT_EQ(map->mScreen, 1);
        EXPECT_EQ(map->mAfterShopAction, 2);
        map->mScreen = 8;
        map->onScreenCommand(L"return_ac", 0, 0);
        EXPECT_EQ(map->mLevel, 1);
        EXPECT_EQ(map->mLevelFile, L"td/levels_normal/level_01_02.xml");
        EXPECT_EQ(map->mAfterShopAction, -1);
    });
}

TEST(Commands, VictoryAndDefeatNameTheLevelTheyEnd)
{
    RunGame("Commands.ResultNamesTheLevel", {}, [](GameHarness& h) {
        TDMap* map = StartLevelOne(h);
        ASSERT_NE(map, nullptr);
        const std::wstring name = LocalStrings::Instance()->get(L"episode0") + L" 1 - 1";
        for (bool won : {false, true}) {
            map->mHealth = won ? map->mMaxHealth : 0.0f;
            if (won)
                map->showVictory();
            else
                map->showDefeat();
            h.Step(1);
            HUDWindow* window = map->mHud->topWindow();
            ASSERT_NE(dynamic_cast<HUDLevelResultWindow*>(window), nullptr);
            const std::wstring* line = window->findText(L"levelName");
            ASSERT_NE(line, nullptr) << (won ? "victory" : "defeat");
            EXPECT_EQ(*line, name) << (won ? "victory" : "defeat");
            map->mHud->clearWindows();
            h.Step(1);
        }
    });
}

TEST(Commands, PayingWithGems)
{
    RunGame("Commands.PayWithGems", {}, [](GameHarness& h) {
        TDMap* map = StartLevelOne(h);
        ASSERT_NE(map, nullptr);
        TDPlayerStats& stats = *map->mStats;
        // (price, gems held) -> gems taken, gold added. Too few gems: nothing at all.
        struct Case {
            float price;
            int held, taken, gold;
        } cases[] = {{120.0f, 10, 3, 150}, {100.0f, 10, 2, 100}, {120.0f, 2, 0, 0}, {1.0f, 1, 1, 50}};
        for (const Case& c : cases) {
            stats.mGems = c.held;
            stats.mMoney = 0;
            map->mPendingUpgradeTower = nullptr;
            map->mPendingBuildPrototype = nullptr;
            map->mPendingBuildGold = c.price;
            map->mScreen = 21;
            map->mSpeed = 0.0f;
            PushWindow(*map, h);
            map->onScreenCommand(L"ok", 0, 0);
            EXPECT_EQ(stats.mGems, c.held - c.taken) << "price " << c.price << ", " << c.held << " gems";
            EXPECT_EQ(stats.mMoney, c.gold) << "price " << c.price << ", " << c.held << " gems";
            EXPECT_EQ(map->mScreen, 0);
            EXPECT_EQ(map->mSpeed, 1.0f);
        }
    });
}

TEST(Commands, HealthPurchaseNeverSoftLocks)
{
    RunGame("Commands.BuyHealth", {}, [](GameHarness& h) {
        TDMap* map = StartLevelOne(h);
        ASSERT_NE(map, nullptr);
        purchase::PurchaseSystem* purchases = purchase::PurchaseSystem::Instance();
        purchase::Product* product = purchases->findProduct(L"buy_health");
        ASSERT_NE(product, nullptr);
        ASSERT_NE(purchases->getStore(), nullptr);

        // Declined: the level is lost.
        map->mScreen = 22;
        PushWindow(*map, h);
        map->onScreenCommand(L"cancel", 0, 0);
        EXPECT_EQ(map->mScreen, 2);

        // Accepted: the game waits on 23 for the store's answer.
        map->mScreen = 22;
        map->mHealth = 0.0f;
        PushWindow(*map, h);
        map->onScreenCommand(L"ok", 0, 0);
        EXPECT_EQ(map->mScreen, 23);
        EXPECT_TRUE(product->pending);
        ASSERT_TRUE(h.StepUntil([&] { return !product->pending; }, 300));
        EXPECT_TRUE(map->mScreen == 0 || map->mScreen == 2) << map->mScreen;
        if (map->mScreen == 0) {
            EXPECT_EQ(map->mHealth, map->mMaxHealth);
        }

        // A failure while waiting counts as declined.
        map->mScreen = 23;
        map->mHealth = 0.0f;
        TPurchaseResult failed;
        failed.product = product;
        failed.code = TPurchaseResult::PurchaseFail;
        map->onPurchaseResult(failed);
        EXPECT_EQ(map->mScreen, 2);
        EXPECT_EQ(map->mHealth, 0.0f);

        // A store that never answers: the wait ends in a defeat too (steps of a second).
        map->mScreen = 22;
        PushWindow(*map, h);
        map->onScreenCommand(L"ok", 0, 0);
        ASSERT_EQ(map->mScreen, 23);
        auto* store = dynamic_cast<purchase::TestStore*>(purchases->getStore());
        ASSERT_NE(store, nullptr);
        store->queue.clear(); // the request is lost
        h.Step(29, 1.0f);
        EXPECT_EQ(map->mScreen, 23);
        h.Step(2, 1.0f);
        EXPECT_EQ(map->mScreen, 2);
        product->pending = false;

        // No such product in the store: "ok" loses at once instead of waiting.
        product->name = L"renamed";
        map->mScreen = 22;
        PushWindow(*map, h);
        map->onScreenCommand(L"ok", 0, 0);
        EXPECT_EQ(map->mScreen, 2);
        product->name = L"buy_health";
    });
}

TEST(Commands, TheLastLifeLostOffersHealthInAWindow)
{
    // With purchases and the low-life offer on, the last life lost pauses the level
    // behind the buy-health window; "ok" buys, "cancel" loses the level.
    GameSetup setup;
    setup.contentFiles["td/config.xml"] = ConfigWith("low_life_dialog", true);
    ASSERT_NE(setup.contentFiles["td/config.xml"].find("\"in_app_purchases\" is_active=\"true\""), std::string::npos);
    RunGame("Commands.TheLastLifeLostOffersHealthInAWindow", setup, [](GameHarness& h) {
        TDMap* map = StartLevelOne(h);
        ASSERT_NE(map, nullptr);
        const purchase::Product* product = purchase::PurchaseSystem::Instance()->findProduct(L"buy_health");
        ASSERT_NE(product, nullptr);
        const std::wstring title = LocalStrings::Instance()->get(L"buyHealthDialogTitle");
        // The units walk in and reach the goal; one life is all the level has left.
        const auto loseTheLastLife = [&] {
            map->mHealth = 1.0f;
            map->mSpeed = 2.0f;
            // Long frames: the walk to the goal takes a hundred or so of them.
            for (int frame = 0; frame < 400 && map->mScreen != 22; ++frame)
                h.Step(1, 0.25f);
            ASSERT_EQ(map->mScreen, 22) << "no unit reached the goal";
            h.StepSeconds(0.5f);
            EXPECT_EQ(map->mHealth, 0.0f);
            EXPECT_EQ(map->mSpeed, 0.0f) << "the level waits for the answer";
            auto* offer = dynamic_cast<HUDModalMessage*>(click::TopWindow(h));
            ASSERT_NE(offer, nullptr) << "the offer is a window the player can answer";
            ASSERT_NE(offer->findText(L"caption"), nullptr);
            EXPECT_EQ(*offer->findText(L"caption"), title);
            const std::wstring* text = offer->findText(L"message");
            ASSERT_NE(text, nullptr);
            EXPECT_NE(text->find(product->price), std::wstring::npos) << "the price is in the offer";
        };

        loseTheLastLife();
        h.Screenshot("buy-health-offer");
        ASSERT_TRUE(click::Button(h, L"ok"));
        EXPECT_EQ(map->mScreen, 23);
        ASSERT_TRUE(h.StepUntil([&] { return map->mScreen != 23; }, 60 * 5)) << "the store never answered";
        EXPECT_EQ(map->mScreen, 0);
        EXPECT_EQ(map->mHealth, map->mMaxHealth);
        EXPECT_EQ(click::TopWindow(h), nullptr);
        h.Step(2);
        h.Screenshot("health-bought");

        loseTheLastLife();
        ASSERT_TRUE(click::Button(h, L"cancel"));
        h.Step(2);
        EXPECT_EQ(map->mScreen, 2) << "declined: the level is lost";
        h.StepSeconds(0.5f);
        h.Screenshot("declined");
    });
}

TEST(Commands, PurchaseResults)
{
    RunGame("Commands.PurchaseResults", {}, [](GameHarness& h) {
        TDMap* map = StartLevelOne(h);
        ASSERT_NE(map, nullptr);
        purchase::PurchaseSystem* purchases = purchase::PurchaseSystem::Instance();
        TDPlayerStats& stats = *map->mStats;
        struct Case {
            const wchar_t* product;
            int code;
            int gems;
        } cases[] = {
            {L"buy_100_cr", 0, 100},  {L"buy_300_cr", 2, 300},   {L"buy_500_cr", 0, 600},
            {L"buy_1000_cr", 0, 2000}, {L"buy_2500_cr", 2, 4500}, {L"buy_1000_cr", 1, 0},
            {L"buy_1000_cr", 3, 0},   {L"extra_energy", 0, 0},
        };
        for (const Case& c : cases) {
            purchase::Product* product = purchases->findProduct(c.product);
            ASSERT_NE(product, nullptr) << c.product;
            stats.mGems = 10;
            stats.mGemsGained = 0;
            map->mProgress->setGems(10);
            TPurchaseResult result;
            result.product = product;
            result.code = c.code;
            map->onPurchaseResult(result);
            EXPECT_EQ(stats.mGems, 10 + c.gems) << c.product << " code " << c.code;
            EXPECT_EQ(stats.mGemsGained, c.gems) << c.product << " code " << c.code;
            EXPECT_EQ(map->mProgress->getGems(), stats.mGems) << c.product;
        }

        // A failed health purchase outside the waiting screen changes nothing.
        TPurchaseResult health;
        health.product = purchases->findProduct(L"buy_health");
        health.code = TPurchaseResult::PurchaseFail;
        map->mHealth = 5.0f;
        map->mScreen = 0;
        map->onPurchaseResult(health);
        EXPECT_EQ(map->mHealth, 5.0f);
        EXPECT_EQ(map->mScreen, 0);
        health.code = TPurchaseResult::PurchaseSuccess;
        map->mScreen = 23;
        map->onPurchaseResult(health);
        EXPECT_EQ(map->mHealth, map->mMaxHealth);
        EXPECT_EQ(map->mScreen, 0);
        // A restored health purchase offers the health again.
        health.code = TPurchaseResult::RestoreSuccess;
        map->onPurchaseResult(health);
        EXPECT_EQ(map->mScreen, 22);

        // A bought reset refunds the gem prices of the bought steps.
        ASSERT_FALSE(map->mUpgrades->mUpgrades.empty());
        const UpgradeDef& upgrade = map->mUpgrades->mUpgrades.front();
        ASSERT_GE(upgrade.steps.size(), 1u);
        map->mProgress->setUpgradeLevel(upgrade.id, 0);
        EXPECT_TRUE(map->hasBoughtUpgrades());
        stats.mGems = 0;
        TPurchaseResult reset;
        reset.product = purchases->findProduct(L"reset_upgrades");
        reset.code = TPurchaseResult::PurchaseSuccess;
        map->onPurchaseResult(reset);
        EXPECT_EQ(stats.mGems, upgrade.steps[0].costGems);
        EXPECT_FALSE(map->hasBoughtUpgrades());
    });
}

TEST(Commands, ResetUpgradesRefundsTheBoughtSteps)
{
    RunGame("Commands.ResetUpgrades", {}, [](GameHarness& h) {
        TDMap* map = StartLevelOne(h);
        ASSERT_NE(map, nullptr);
        std::vector<UpgradeDef>& upgrades = map->mUpgrades->mUpgrades;
        ASSERT_GE(upgrades.size(), 2u);
        UpgradeDef& bought = upgrades[0];
        ASSERT_GE(bought.steps.size(), 3u) << "the first upgrade of the shipped table has three steps or more";
        for (UpgradeDef& u : upgrades)
            map->mProgress->setUpgradeLevel(u.id, -1);
        map->mProgress->setUpgradeLevel(bought.id, 2);
        map->mStats->mGems = 0;
        map->mScreen = 26;
        PushWindow(*map, h);
        map->onScreenCommand(L"ok", 0, 0); // "reset_upgrades" is free in the shipped config
        EXPECT_EQ(map->mScreen, 8);
        EXPECT_EQ(map->mStats->mGems, bought.steps[0].costGems + bought.steps[1].costGems + bought.steps[2].costGems);
        EXPECT_EQ(map->mProgress->getUpgradeLevel(bought.id), -1);
        EXPECT_EQ(map->mProgress->getUpgradeLevel(upgrades[1].id), -1);
        EXPECT_FALSE(map->hasBoughtUpgrades());
        // A level beyond the last step refunds every step, no more.
        map->mStats->mGems = 0;
        map->mProgress->setUpgradeLevel(bought.id, 99);
        map->resetUpgrades();
        int all = 0;
        for (const UpgradeStep& step : bought.steps)
            all += step.costGems;
        EXPECT_EQ(map->mStats->mGems, all);
    });
}

TEST(Commands, ScreenRowsWithoutAScreenToOpen)
{
    RunGame("Commands.SimpleRows", {}, [](GameHarness& h) {
        TDMap* map = StartLevelOne(h);
        ASSERT_NE(map, nullptr);
        // (screen, name) -> screen after; the window on the stack is taken where the row pops.
        struct Case {
            int screen;
            const wchar_t* name;
            int after;
            float speed;
            bool popped;
        } cases[] = {
            {4, L"resume", 0, 0.0f, true},  {4, L"close", 0, 0.0f, true},  {19, L"cancel", 0, 1.0f, true},
            {21, L"cancel", 0, 1.0f, true}, {20, L"cancel", 8, 0.0f, true}, {26, L"cancel", 8, 0.0f, true},
            {11, L"ok", 0, 1.0f, true},     {16, L"nothing", 16, 0.0f, false}, {12, L"ok", 12, 0.0f, false},
            {18, L"back", 18, 0.0f, false}, {24, L"x", 24, 0.0f, false},    {23, L"ok", 23, 0.0f, false},
            {15, L"ok", 15, 0.0f, false},
        };
        for (const Case& c : cases) {
            map->mHud->clearWindows();
            h.Step(1);
            PushWindow(*map, h);
            map->mScreen = c.screen;
            map->mSpeed = 0.0f;
            map->onScreenCommand(c.name, 0, 0);
            if (c.screen == 23) // the waiting screen is left by the store, not by a click
                map->mScreen = 23;
            EXPECT_EQ(map->mScreen, c.after) << c.screen << " " << std::string(c.name, c.name + wcslen(c.name));
            EXPECT_EQ(map->mSpeed, c.speed) << c.screen;
            EXPECT_EQ(map->mHud->windows.empty(), c.popped) << c.screen;
            EXPECT_EQ(map->mHud->fadeState == 0 || !c.popped, true);
        }

        // A return request is served by the next update: the flag goes and the top
        // window makes way for the selection.
        map->mHud->clearWindows();
        h.Step(1);
        auto* selection = new HUDWindow;
        map->mHud->pushWindow(selection);
        h.Step(1);
        ASSERT_EQ(map->mHud->topWindow(), selection);
        map->mScreen = 6;
        map->mReturnToSelect = true;
        h.Step(1);
        EXPECT_FALSE(map->mReturnToSelect);
        EXPECT_EQ(std::count(map->mHud->windows.begin(), map->mHud->windows.end(), selection), 0);
    });
}

namespace {

// A release at a map point of the level being played (view at scale 1, no offset).
void Release(TDMap& map, float x, float y)
{
    map.onLevelCommand(static_cast<int>(x), static_cast<int>(y), x, y);
}

TDFrameEntry* Spot(TDMap& map, size_t index)
{
    return map.mLevelArt && index < map.mLevelArt->mSpotSprites.size() ? map.mLevelArt->mSpotSprites[index]
                                                                       : nullptr;
}

// Lets a closing menu finish and go.
void SettleMenu(TDMap& map, GameHarness& h)
{
    h.Step(30);
    if (map.mContextMenu && !map.mContextMenu->alive) {
        delete map.mContextMenu;
        map.mContextMenu = nullptr;
    }
}

} // namespace

TEST(Pointer, CallingAWaveEarlyPaysAndLabels)
{
    RunGame("Pointer.WaveCall", {}, [](GameHarness& h) {
        TDMap* map = StartLevelOne(h);
        ASSERT_NE(map, nullptr);
        // (block level, seconds before the wave) -> bonus paid (-1: the call is refused)
        struct Case {
            int block;
            float early;
            int bonus;
        } cases[] = {{0, 10.4f, 20}, {3, 3.0f, 6}, {1, 10.0f, -1}, {2, 10.0f, -1}, {0, 0.2f, 0}};
        for (const Case& c : cases) {
            map->mHud->uiBlock = c.block;
            map->mWaveHint->clear();
            TDFrameEntry* hint = map->mWaveHint->add();
            ASSERT_NE(hint, nullptr);
            ASSERT_GT(hint->mWidth, 0.0f) << "the hint has its image from td/ui";
            map->mWaves->clock = 100.0f;
            map->mWaveHint->dueTime = 100.0f + c.early;
            map->mWaveHint->leadTime = 5.0f;
            map->mStats->mMoney = 50;
            const size_t labels = map->mFloatingLabels->mLabels.size();
            Release(*map, hint->centerX(), hint->centerY());
            if (c.bonus < 0) {
                EXPECT_EQ(map->mStats->mMoney, 50) << "block " << c.block;
                EXPECT_EQ(map->mWaveHint->entries.size(), 1u);
                continue;
            }
            EXPECT_EQ(map->mStats->mMoney, 50 + c.bonus) << c.early << " s early";
            EXPECT_EQ(map->mWaves->clock, 100.0f + c.early - 5.0f);
            for (TDWaveProto* wave : map->mWaves->protos)
                EXPECT_EQ(wave->clock, map->mWaves->clock);
            ASSERT_EQ(map->mFloatingLabels->mLabels.size(), labels + 1);
            EXPECT_EQ(map->mFloatingLabels->mLabels.back()->text, L"+ " + std::to_wstring(c.bonus));
            EXPECT_EQ(map->mFloatingLabels->mLabels.back()->kind, TDFloatingLabels::kMoneyKind);
            EXPECT_TRUE(map->mWaveHint->entries.empty()) << "the hint disappears";
        }
        map->mHud->uiBlock = 0;
    });
}

TEST(Pointer, SpotMenusOpenCloseAndObeyTheAllowedSpot)
{
    RunGame("Pointer.SpotMenus", {}, [](GameHarness& h) {
        TDMap* map = StartLevelOne(h);
        ASSERT_NE(map, nullptr);
        TDFrameEntry* first = Spot(*map, 0);
        TDFrameEntry* second = Spot(*map, 1);
        ASSERT_TRUE(first && second);
        ASSERT_EQ(first->mName, L"#0");

        // The same spot twice: opens, then closes.
        Release(*map, first->centerX(), first->centerY());
        ASSERT_NE(map->mContextMenu, nullptr);
        EXPECT_EQ(map->mContextMenu->spot, first->mSpot);
        h.Step(20);
        h.Screenshot("spot-menu-open");
        Release(*map, first->centerX(), first->centerY());
        ASSERT_NE(map->mContextMenu, nullptr);
        EXPECT_EQ(map->mContextMenu->state, TDContextMenu::Closing);
        SettleMenu(*map, h);
        EXPECT_EQ(map->mContextMenu, nullptr);

        // A second spot while a menu is open only closes the first.
        Release(*map, first->centerX(), first->centerY());
        h.Step(20);
        TDContextMenu* menu = map->mContextMenu;
        Release(*map, second->centerX(), second->centerY());
        EXPECT_EQ(map->mContextMenu, menu);
        EXPECT_EQ(map->mContextMenu->state, TDContextMenu::Closing);
        SettleMenu(*map, h);

        // Restrictions: (allowed spot, blocked index, spot clicked) -> opens
        struct Case {
            int allowed, blocked;
            size_t spot;
            bool opens;
        } cases[] = {{3, -1, 0, false}, {3, -1, 3, true}, {-1, 1, 1, false}, {-1, 1, 2, true}, {-1, -1, 1, true}};
        for (const Case& c : cases) {
            TDFrameEntry* spot = Spot(*map, c.spot);
            ASSERT_NE(spot, nullptr);
            map->mAllowedSpot = c.allowed;
            std::fill(std::begin(map->mBlockedSpots), std::end(map->mBlockedSpots), 0);
            if (c.blocked >= 0)
                map->mBlockedSpots[c.blocked] = 1;
            Release(*map, spot->centerX(), spot->centerY());
            EXPECT_EQ(map->mContextMenu != nullptr, c.opens) << "allowed " << c.allowed << " spot " << c.spot;
            if (map->mContextMenu)
                map->closeContextMenu();
        }
        map->mAllowedSpot = -1;
        std::fill(std::begin(map->mBlockedSpots), std::end(map->mBlockedSpots), 0);

        // Nothing there: the release goes on to the HUD, no menu.
        Release(*map, 1000.0f, 20.0f);
        EXPECT_EQ(map->mContextMenu, nullptr);
    });
}

TEST(Pointer, HudButtonsAndTheirBlockLevels)
{
    RunGame("Pointer.HudButtons", {}, [](GameHarness& h) {
        TDMap* map = StartLevelOne(h);
        ASSERT_NE(map, nullptr);
        // (button, block level, speed before) -> speed after, screen after
        struct Case {
            const wchar_t* name;
            int block;
            float before, after;
            int screen;
        } cases[] = {
            {L"pause_btn", 2, 1.0f, 0.0f, 0}, {L"play_btn", 1, 0.0f, 1.0f, 0}, {L"play_btn", 2, 0.0f, 0.0f, 0},
            {L"speed_btn", 0, 1.0f, 2.0f, 0}, {L"speed_btn", 1, 1.0f, 1.0f, 0}, {L"play_btn_ac", 0, 2.0f, 2.0f, 0},
            {L"options_btn", 0, 1.0f, 0.0f, 4},
        };
        for (const Case& c : cases) {
            map->mScreen = 0;
            map->mHud->uiBlock = c.block;
            map->mSpeed = c.before;
            EXPECT_TRUE(map->onHudButton(c.name));
            EXPECT_EQ(map->mSpeed, c.after) << std::string(c.name, c.name + wcslen(c.name)) << " block " << c.block;
            EXPECT_EQ(map->mScreen, c.screen);
        }
        EXPECT_FALSE(map->onHudButton(L"spell0")) << "other names go on to the spell buttons";
        map->mHud->uiBlock = 0;
    });
}

TEST(Results, DropsSettleOnVictoryOnlyWithTheSwitchAlwaysOnDefeat)
{
    // (switch on, victory) -> gems added for three lying drops and one collected
    struct Case {
        bool on, victory;
        int gems;
        bool emptied;
    } cases[] = {{true, true, 3, true}, {false, true, 0, false}, {false, false, 3, true}, {true, false, 3, true}};
    int n = 0;
    for (const Case& c : cases) {
        GameSetup setup;
        if (!c.on)
            setup.contentFiles["td/config.xml"] = ConfigWith("premium_points_on_mob_dead", false);
        RunGame("Results.Drops" + std::to_string(n++), setup, [c](GameHarness& h) {
            TDMap* map = StartLevelOne(h);
            ASSERT_NE(map, nullptr);
            DeleteOwnedVector(map->mSpecials);
            AddDrops(*map, {1, 1, 2, 1});
            const int gems = map->mStats->mGems;
            map->mEpisode = 1;
            map->mLevel = 4;
            if (c.victory)
                map->showVictory();
            else
                map->showDefeat();
            HUDWindow* top = map->mHud->queued.empty() ? map->mHud->topWindow() : map->mHud->queued.back();
            auto* window = dynamic_cast<HUDLevelResultWindow*>(top);
            ASSERT_NE(window, nullptr);
            // The result window adds its own star gems; the drops come on top.
            EXPECT_EQ(map->mStats->mGems, gems + c.gems + window->gemsAwarded);
            EXPECT_EQ(map->mProgress->getGems(), map->mStats->mGems);
            EXPECT_EQ(map->mSpecials.empty(), c.emptied);
            EXPECT_EQ(map->mScreen, c.victory ? 1 : 2);
            EXPECT_EQ(map->mSpeed, 0.0f);
            EXPECT_EQ(h.sounds.empty() ? std::wstring() : h.sounds.back(), c.victory ? L"winSound" : L"loseSound");
            if (c.victory) {
                const std::wstring* name = window->findText(L"levelName");
                ASSERT_NE(name, nullptr);
                EXPECT_NE(name->find(L" 2 - 5"), std::wstring::npos) << "episode index 1, level index 4";
            }
            h.Step(30);
            h.Screenshot(c.victory ? "victory" : "defeat");
        });
    }
}

TEST(UnlockMessage, OneItemPerClickAndNoIconNoItem)
{
    RunGame("UnlockMessage.Items", {}, [](GameHarness& h) {
        TDMap* map = StartLevelOne(h);
        ASSERT_NE(map, nullptr);
        // (ids) -> items shown, "ok" clicks needed
        struct Case {
            std::vector<int> ids;
            size_t items;
        } cases[] = {
            {{10000, 20000, 3001}, 3}, // three items with icons: three clicks
            {{10000, 777, 3001}, 2},   // an id without an icon is left out
            {{777, 778}, 0},           // no icon at all: nothing shown, the first click closes
        };
        for (const Case& c : cases) {
            HUDUnlockMessage message(c.ids);
            ASSERT_EQ(message.items.size(), c.items);
            TDButtonFrame* ok = message.findButton(L"ok");
            ASSERT_NE(ok, nullptr);
            const int x = static_cast<int>(ok->centerX());
            const int y = static_cast<int>(ok->centerY());
            if (c.items == 0) {
                for (const TDFrameEntry* icon : message.icons)
                    EXPECT_FALSE(icon->mVisible);
                EXPECT_EQ(message.click(5, 5), L"ok");
                continue;
            }
            EXPECT_TRUE(message.icons[0]->mVisible);
            EXPECT_EQ(message.click(5, 5), L"") << "a click beside the button changes nothing";
            EXPECT_EQ(message.current, 0u);
            for (size_t k = 1; k < c.items; ++k) {
                EXPECT_EQ(message.click(x, y), L"") << "item " << k;
                ASSERT_EQ(message.current, k);
                for (size_t i = 0; i < message.icons.size(); ++i)
                    EXPECT_EQ(message.icons[i]->mVisible, i == k);
                const std::wstring* text = message.findText(L"message");
                ASSERT_NE(text, nullptr);
                EXPECT_EQ(*text, LocalStrings::Instance()->get(L"unlock_" + std::to_wstring(message.items[k])));
            }
            EXPECT_EQ(message.click(x, y), L"ok") << "after the last item";
        }

        // The level intro: a list starting with -1 shows nothing; the shipped list of
        // level 1 opens the message on screen 11 with the game paused.
        map->mUnlocks->mTable[{0, 0}] = {-1, 10000};
        map->mScreen = 0;
        map->showLevelIntro();
        EXPECT_EQ(map->mScreen, 0);
        map->mUnlocks->mTable[{0, 0}] = {10000, 20000};
        map->mSpeed = 1.0f;
        map->showLevelIntro();
        EXPECT_EQ(map->mScreen, 11);
        EXPECT_EQ(map->mSpeed, 0.0f);
        h.Step(5);
        h.Screenshot("unlock-message");
        // Its last "ok": play resumes at normal speed and the level title shows.
        map->onScreenCommand(L"ok", 0, 0);
        EXPECT_EQ(map->mScreen, 0);
        EXPECT_EQ(map->mSpeed, 1.0f);
        EXPECT_NE(h.game()->mGameWindow->mModal2, nullptr);

        // Later levels list what the earlier ones opened too: only what a level adds
        // is announced, from the last level of the episode before for an episode's
        // first; a level adding nothing shows its title.
        struct Intro {
            int episode, level;
            std::vector<int> announced;
        };
        map->mUnlocks->mTable[{0, 1}] = {10000, 20000, 30000};
        map->mUnlocks->mTable[{0, 2}] = {10000, 20000, 30000};
        const int lastLevel = map->episodeLevelCount(0) - 1;
        ASSERT_GT(lastLevel, 2);
        map->mUnlocks->mTable[{0, lastLevel}] = {10000, 20000, 30000};
        map->mUnlocks->mTable[{1, 0}] = {10000, 20000, 30000, 3001};
        for (const Intro& c : {Intro{0, 1, {30000}}, Intro{0, 2, {}}, Intro{1, 0, {3001}}}) {
            map->mEpisode = c.episode;
            map->mLevel = c.level;
            map->mScreen = 0;
            map->showLevelIntro();
            h.Step(2);
            auto* message = dynamic_cast<HUDUnlockMessage*>(map->mHud->topWindow());
            if (c.announced.empty()) {
                EXPECT_EQ(map->mScreen, 0) << c.episode << "/" << c.level;
                EXPECT_EQ(message, nullptr);
                continue;
            }
            EXPECT_EQ(map->mScreen, 11) << c.episode << "/" << c.level;
            ASSERT_NE(message, nullptr) << c.episode << "/" << c.level;
            EXPECT_EQ(message->items, c.announced) << c.episode << "/" << c.level;
            map->mHud->popWindow();
            h.Step(2);
        }
    });
}
