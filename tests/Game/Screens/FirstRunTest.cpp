// A new player's first run, with injected clicks and keys only: the splash slides, the
// main menu, the name typed in, the episodes, the levels, the unlock message, level 1
// played through the tutorial's steps to victory, the result window's "done" into the
// upgrade shop, an upgrade bought with gems, a pack bought in the gem shop, back, and
// "return_ac" into level 2. Every screen on the way leaves a screenshot.
#include "Framework/Layer/ImageLayer.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/HUDLevelResultWindow.h"
#include "Source/TD/Hud/HUDSpellButton.h"
#include "Source/TD/Hud/TDButtonFrame.h"
#include "Source/TD/Screens/HUDBuyGemScreen.h"
#include "Source/TD/Screens/HUDEpisodeSelectIOS.h"
#include "Source/TD/Screens/HUDItemPlate.h"
#include "Source/TD/Screens/HUDShopWindow.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/Towers/TDContextMenu.h"
#include "Source/TD/Towers/TDSpot.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/TDFloatingLabels.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/TDWaves.h"
#include "Source/TD/World/WaveHint.h"
#include "tests/Support/ClickPlayer.h"
#include "tests/Support/GameHarness.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int kBackspace = 0x08;

// Screens of the level object on the way.
enum Screen {
    Playing = 0, Won = 1, Episodes = 5, Levels = 6, MainMenu = 7, Shop = 8, Unlock = 11,
    Splash = 12, NameEntry = 14, GemShop = 18
};

bool Has(const std::string& text, const std::string& needle)
{
    return text.find(needle) != std::string::npos;
}

template <class Window>
Window* Top(GameHarness& h)
{
    return dynamic_cast<Window*>(click::TopWindow(h));
}

// Waits for `screen`, lets its opening settle and takes its picture.
bool Reach(GameHarness& h, int screen, const std::string& shot, int frames = 120)
{
    if (!h.StepUntil([&] { return h.Screen() == screen; }, frames))
        return false;
    h.StepSeconds(0.6f);
    h.Screenshot(shot);
    return true;
}

// The unlock message shows one item per click on its button.
void CloseUnlockMessage(GameHarness& h, const std::string& shot)
{
    ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == Unlock; }, 60));
    h.StepSeconds(0.6f);
    h.Screenshot(shot);
    for (int clicks = 0; h.Screen() == Unlock && clicks < 12; ++clicks)
        ASSERT_TRUE(click::Button(h, L"ok"));
    EXPECT_EQ(h.Screen(), Playing);
}

// Splash, main menu, the name entry with a typed name, the episodes and the levels,
// and level 1's plate.
void MenusToTheFirstLevel(GameHarness& h)
{
    ASSERT_EQ(h.Start(), GE_OK);
    ASSERT_TRUE(click::ThroughSplash(h, "01-splash-"));
    h.Screenshot("02-main-menu");

    ASSERT_TRUE(click::Button(h, L"play"));
    ASSERT_TRUE(Reach(h, NameEntry, "03-name-entry", 30));
    for (int i = 0; i < 12; ++i)
        h.Key(kBackspace);
    click::Type(h, L"Juno");
    h.Step(2);
    h.Screenshot("04-name-typed");
    ASSERT_TRUE(click::Button(h, L"ok"));
    EXPECT_TRUE(Has(h.ProfilesXml(), "name=\"Juno\"")) << h.ProfilesXml();

    ASSERT_TRUE(Reach(h, Episodes, "05-episodes", 60));
    ASSERT_NE(Top<HUDEpisodeSelectIOS>(h), nullptr);
    ASSERT_TRUE(click::Button(h, L"play"));
    ASSERT_TRUE(Reach(h, Levels, "06-levels", 60));
    ASSERT_TRUE(click::LevelPlate(h, 0));
    CloseUnlockMessage(h, "07-unlock-message");
    TDMap* map = click::Level(h);
    EXPECT_EQ(map->mEpisode, 0);
    EXPECT_EQ(map->mLevel, 0);
}

// The tutorial's steps, each done the way its overlay asks: build on the marked spot,
// upgrade the tower, call the wave early, cast a spell, pick up the gem that drops, buy
// the spell's recharge with it.
TDTower* TutorialSteps(GameHarness& h, TDMap* map, int* buildCommand, float* price)
{
    TDTutorial* tutorial = TDTutorial::Instance();
    PlayerProgress* progress = map->mProgress;
    h.StepSeconds(0.5f);
    h.Screenshot("08-tutorial-build");
    EXPECT_EQ(progress->getTutorialStepState(0), 1);

    // Only the marked spot takes a click; its menu offers the towers.
    const std::vector<TDSpot*> spots = click::FreeSpots(map);
    EXPECT_EQ(spots.size(), 1u);
    if (spots.empty() || !click::OpenSpot(h, spots[0]) || map->mContextMenu->items.empty()) {
        ADD_FAILURE() << "the marked spot opens no build menu";
        return nullptr;
    }
    *buildCommand = map->mContextMenu->items[0]->command;
    *price = map->mContextMenu->items[0]->price;
    EXPECT_TRUE(click::MenuItem(h, *buildCommand));
    if (map->mTowers.size() != 1u) {
        ADD_FAILURE() << "no tower was built on the marked spot";
        return nullptr;
    }
    TDTower* tower = map->mTowers[0];
    EXPECT_EQ(progress->getTutorialStepState(0), 2);
    h.StepSeconds(0.5f);
    h.Screenshot("09-tutorial-upgrade");

    // One click on the arrow buys the next tier, which the tutorial's gift of money
    // pays for, and shows what it bought: the label with the change, the sound, the
    // tier's pip over the tower.
    const int money = map->mStats->mMoney;
    const size_t labels = map->mFloatingLabels->mLabels.size();
    const int upgrade = click::OpenTower(h, tower) ? click::MenuCommand(map, 1) : -1;
    if (upgrade <= 0 || !click::MenuItem(h, upgrade)) {
        ADD_FAILURE() << "the tower's menu offers no upgrade";
        return nullptr;
    }
    EXPECT_EQ(tower->tierLevel, 1);
    EXPECT_GT(tower->currentPrototype()->stars, 0) << "the tier shows its pip";
    EXPECT_LT(map->mStats->mMoney, money);
    EXPECT_GT(map->mFloatingLabels->mLabels.size(), labels);
    EXPECT_EQ(std::count(h.sounds.begin(), h.sounds.end(), L"upgradeTower"), 1);
    EXPECT_EQ(progress->getTutorialStepState(1), 2);
    h.StepSeconds(0.3f);
    h.Screenshot("09b-tower-upgraded");
    EXPECT_TRUE(h.StepUntil([&] { return progress->getTutorialStepState(2) == 1; }, 60));
    EXPECT_TRUE(h.StepUntil([&] { return !map->mWaveHint->entries.empty(); }, 60 * 30)) << "no wave hint shows";
    // The game stands still while the player reads the step, so the wave it asks to
    // call does not come by itself and take the button away.
    h.StepSeconds(30.0f);
    EXPECT_EQ(map->mSpeed, 0.0f);
    EXPECT_TRUE(map->mWaves->mobs.empty());
    EXPECT_FALSE(map->mWaveHint->entries.empty()) << "the wave button went before it was called";
    EXPECT_TRUE(map->mFloatingLabels->mLabels.empty())
        << "the labels of the gift and the upgrade stood still on the held game, one over the other";
    h.StepSeconds(0.3f);
    h.Screenshot("10-tutorial-wave");
    EXPECT_TRUE(click::WaveHint(h));
    EXPECT_EQ(progress->getTutorialStepState(2), 2);
    EXPECT_EQ(map->mSpeed, 1.0f) << "the called wave comes";

    // The spell on the first unit that walks in.
    EXPECT_TRUE(h.StepUntil([&] { return !map->mWaves->mobs.empty(); }, 60 * 20)) << "no unit came";
    h.StepSeconds(1.0f);
    h.Screenshot("11-tutorial-spell");
    if (!map->mWaves->mobs.empty()) {
        const TDMob* mob = map->mWaves->mobs.front();
        EXPECT_TRUE(click::CastSpell(h, 0, mob->mX, mob->mY));
    }
    EXPECT_EQ(progress->getTutorialStepState(3), 2);

    // The first unit killed drops a gem for sure; a click picks it up.
    const int gems = map->mStats->mGems;
    EXPECT_TRUE(h.StepUntil([&] { return progress->getTutorialStepState(4) == 1; }, 60 * 30)) << "no gem dropped";
    EXPECT_TRUE(h.StepUntil([&] { return click::CollectDrop(h); }, 120));
    h.StepSeconds(0.3f);
    h.Screenshot("12-tutorial-gem");
    EXPECT_EQ(progress->getTutorialStepState(4), 2);
    EXPECT_GT(map->mStats->mGems, gems);

    // With gems in hand the last step points at the recharging spell: a click pays its
    // price and readies it, and casting it again ends the tutorial.
    EXPECT_EQ(progress->getTutorialStepState(6), 1);
    EXPECT_EQ(tutorial->visible, 1);
    const HUDSpellButton* spell = map->mHud->spellButtons.empty() ? nullptr : map->mHud->spellButtons[0];
    if (!spell) {
        ADD_FAILURE() << "no spell button";
        return tower;
    }
    EXPECT_GT(spell->time, 0.0f) << "the spell cast above still recharges";
    const int beforeRecharge = map->mStats->mGems;
    click::At(h, spell->x, spell->y);
    EXPECT_LT(map->mStats->mGems, beforeRecharge) << "the recharge is paid in gems";
    EXPECT_LE(spell->time, 0.0f);
    if (map->mSelectedSpell)
        click::At(h, spell->x, spell->y); // the paying click may have picked it too
    const float castX = map->mWaves->mobs.empty() ? 400.0f : map->mWaves->mobs.front()->mX;
    const float castY = map->mWaves->mobs.empty() ? 384.0f : map->mWaves->mobs.front()->mY;
    EXPECT_TRUE(click::CastSpell(h, 0, castX, castY));
    EXPECT_EQ(progress->getTutorialStepState(6), 2);
    EXPECT_EQ(tutorial->visible, 0);
    return tower;
}

// The tower's next tier, a click on its menu's arrow, when the gold covers it.
void UpgradeWhenPaid(GameHarness& h, TDMap* map, TDTower* tower)
{
    if (map->mScreen != Playing || !click::OpenTower(h, tower))
        return;
    const int command = click::MenuCommand(map, 1);
    float price = -1.0f;
    for (const TDContextMenuItem* item : map->mContextMenu->items)
        if (item->kind == 1)
            price = map->mContextMenu->shownPrice(*item);
    if (command <= 0 || price < 0.0f || price > static_cast<float>(map->mStats->mMoney)) {
        click::CloseMenu(h);
        return;
    }
    const int tier = tower->tierLevel;
    EXPECT_TRUE(click::MenuItem(h, command));
    EXPECT_TRUE(tower->tierLevel != tier || map->mScreen != Playing) << "the arrow bought nothing";
}

// More towers as the money allows, each stepped through its tiers, drops picked up,
// at double speed until the level is won.
void PlayToVictory(GameHarness& h, TDMap* map, TDTower* first, int buildCommand, float price)
{
    UpgradeWhenPaid(h, map, first);
    ASSERT_TRUE(click::Button(h, L"speed_btn"));
    EXPECT_EQ(map->mSpeed, 2.0f);
    h.Screenshot("13-double-speed");
    for (int round = 0; round < 60 * 60 && map->mScreen == Playing; ++round) {
        click::CollectDrop(h);
        const std::vector<TDSpot*> spots = click::FreeSpots(map);
        // The result window comes up while the last units fall, before the screen changes.
        if (map->mHud->topWindow()) {
            h.Step(30);
            continue;
        }
        if (!spots.empty() && map->mStats->mMoney >= price) {
            const int before = map->mStats->mMoney;
            TDTower* tower = click::Build(h, spots[0], buildCommand);
            EXPECT_TRUE(tower || map->mHud->topWindow()) << "money " << before << " then " << map->mStats->mMoney << " screen "
                                      << map->mScreen << " spot " << spots[0]->mEntry->centerX() << ","
                                      << spots[0]->mEntry->centerY();
        }
        for (TDTower* tower : std::vector<TDTower*>(map->mTowers))
            UpgradeWhenPaid(h, map, tower);
        h.Step(30);
    }
    ASSERT_EQ(map->mScreen, Won) << "health " << map->mHealth;
    EXPECT_GT(map->mTowers.size(), 1u);
    // The lives counter followed every unit that got through.
    const int lives = static_cast<int>(map->mHealth);
    EXPECT_EQ(*map->mHud->findText(L"mana"), std::to_wstring(lives) + L"/25");
    EXPECT_GT(lives, 12) << "won with half the lives or more";
}

// The whole first run, in a 1024 x 768 window or at a 1366 x 768 full screen with
// side bars (where every screenshot shows whether anything is drawn in the bars).
class FirstRun : public ::testing::TestWithParam<bool> {};

TEST_P(FirstRun, FromTheSplashToTheSecondLevelByClicksAndKeys)
{
    const bool wide = GetParam();
    GameSetup setup;
    if (wide) {
        setup.windowed = false;
        setup.displayWidth = 1366;
        setup.displayHeight = 768;
    }
    RunGame(
        wide ? "FirstRun.ToTheSecondLevelWide" : "FirstRun.ToTheSecondLevel", setup,
        [](GameHarness& h) {
            MenusToTheFirstLevel(h);
            if (testing::Test::HasFatalFailure())
                return;
            TDMap* map = click::Level(h);
            int buildCommand = -1;
            float price = 0.0f;
            TDTower* first = TutorialSteps(h, map, &buildCommand, &price);
            ASSERT_NE(first, nullptr);
            PlayToVictory(h, map, first, buildCommand, price);
            if (testing::Test::HasFatalFailure())
                return;

            // The result counts up its scores before the picture.
            ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == Won; }, 60));
            h.StepSeconds(5.0f);
            h.Screenshot("14-victory");
            ASSERT_NE(Top<HUDLevelResultWindow>(h), nullptr);
            ASSERT_TRUE(click::Button(h, L"done"));
            ASSERT_TRUE(Reach(h, Shop, "15-upgrade-shop", 60));
            auto* shop = Top<HUDShopWindow>(h);
            ASSERT_NE(shop, nullptr);
            ASSERT_FALSE(shop->plates.empty());
            // After a level the shop leads on, not back.
            EXPECT_TRUE(shop->findButton(L"return_ac")->mVisible);
            EXPECT_FALSE(shop->findButton(L"back_ac")->mVisible);

            // The first upgrade bought with the gems won so far.
            const int id = shop->plates[0]->upgradeId;
            const int gems = map->mStats->mGems;
            EXPECT_EQ(map->mProgress->getUpgradeLevel(id), -1);
            ASSERT_TRUE(click::UpgradeBuy(h, 0));
            h.Step(5);
            EXPECT_EQ(map->mProgress->getUpgradeLevel(id), 0);
            EXPECT_LT(map->mStats->mGems, gems);
            EXPECT_TRUE(shop->plates[0]->stars[0]->visible);
            h.Screenshot("16-upgrade-bought");

            // The gem shop: a pack bought, the gems arrive about a second later.
            ASSERT_TRUE(click::Button(h, L"gem_shop"));
            ASSERT_TRUE(Reach(h, GemShop, "17-gem-shop", 60));
            ASSERT_NE(Top<HUDBuyGemScreen>(h), nullptr);
            const int before = map->mStats->mGems;
            ASSERT_TRUE(click::GemOffer(h, 0));
            h.Screenshot("18-gem-shop-buying");
            int frames = 0;
            ASSERT_TRUE(h.StepUntil([&] { return ++frames, map->mStats->mGems != before; }, 180));
            EXPECT_GE(frames, 40);
            EXPECT_LE(frames, 90);
            EXPECT_EQ(map->mStats->mGems, before + 100);
            h.StepSeconds(0.3f);
            h.Screenshot("19-gem-shop-bought");

            // Back to the shop, still leading on; "return_ac" starts level 2.
            ASSERT_TRUE(click::Button(h, L"back_in"));
            ASSERT_TRUE(Reach(h, Shop, "20-upgrade-shop-again", 60));
            shop = Top<HUDShopWindow>(h);
            ASSERT_NE(shop, nullptr);
            EXPECT_EQ(shop->returnMode, 1);
            ASSERT_TRUE(click::Button(h, L"return_ac"));
            ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == Playing || h.Screen() == Unlock; }, 120));
            EXPECT_EQ(map->mLevel, 1);
            if (h.Screen() == Unlock)
                CloseUnlockMessage(h, "21-unlock-level-2");
            h.StepSeconds(1.0f);
            h.Screenshot("22-level-2");
            EXPECT_EQ(h.Screen(), Playing);
            EXPECT_EQ(map->mLevel, 1);
        },
        [](const fs::path& user) {
            // What the next start finds: the player, level 1 won, the upgrade, the gems.
            tinyxml2::XMLDocument document;
            ASSERT_EQ(document.LoadFile((user / "profiles.xml").string().c_str()), tinyxml2::XML_SUCCESS);
            const tinyxml2::XMLElement* profile = document.RootElement()->FirstChildElement("Profile");
            while (profile && !profile->Attribute("name", "Juno"))
                profile = profile->NextSiblingElement("Profile");
            ASSERT_NE(profile, nullptr);
            const tinyxml2::XMLElement* levels = profile->FirstChildElement("levels");
            const tinyxml2::XMLElement* upgrades = profile->FirstChildElement("upgrades");
            const tinyxml2::XMLElement* gems = profile->FirstChildElement("gems");
            ASSERT_TRUE(levels && upgrades && gems);
            const tinyxml2::XMLElement* level = levels->FirstChildElement("level");
            ASSERT_NE(level, nullptr);
            EXPECT_EQ(level->IntAttribute("n", -1), 0);
            EXPECT_EQ(level->IntAttribute("episode", -1), 0);
            EXPECT_GE(level->IntAttribute("stars"), 1);
            int bought = 0;
            for (const tinyxml2::XMLElement* e = upgrades->FirstChildElement("upgrade"); e;
                 e = e->NextSiblingElement("upgrade"))
                bought += e->IntAttribute("level", -1) == 0;
            EXPECT_EQ(bought, 1);
            EXPECT_GE(gems->IntAttribute("amount"), 100);
        },
        600);
}

INSTANTIATE_TEST_SUITE_P(Screens, FirstRun, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Wide1366x768FullScreen" : "Window1024x768"; });

} // namespace
