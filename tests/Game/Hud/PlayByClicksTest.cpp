// The first level played from the game's start with injected clicks only: the menus,
// a tower bought from the spot's menu, the speed buttons, the pause menu and back, the
// level won with its result window and the result in "profiles.xml"; and the level lost
// by doing nothing, then restarted from the defeat window. The game's objects are read
// only to find where to click and to check what happened.
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/HUDIngameMenu.h"
#include "Source/TD/Hud/HUDLevelResultWindow.h"
#include "Source/TD/Hud/TDButtonFrame.h"
#include "Source/TD/Screens/HUDEpisodeSelectIOS.h"
#include "Source/TD/Screens/HUDLevelSelect.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Shell/Profiles.h"
#include "Source/TD/Towers/TDSpot.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/TDWaves.h"
#include "tests/Support/ClickPlayer.h"
#include "tests/Support/GameHarness.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr int kArtillery = 10000, kDarts = 20000;

std::wstring Text(const wchar_t* key)
{
    return LocalStrings::Instance()->get(key);
}

// The splash slides clicked away, then the main menu.
void ToMainMenu(GameHarness& h)
{
    ASSERT_EQ(h.Start(), GE_OK);
    ASSERT_TRUE(click::ThroughSplash(h));
}

// From the episode select: the first episode, its first plate, the unlock message
// clicked through; the level then plays.
void EpisodeToFirstLevel(GameHarness& h)
{
    ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 5; }, 60));
    ASSERT_NE(dynamic_cast<HUDEpisodeSelectIOS*>(click::TopWindow(h)), nullptr);
    h.StepSeconds(0.6f);
    ASSERT_TRUE(click::Button(h, L"play")) << "the episode select's play button";
    ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 6; }, 60));
    ASSERT_NE(dynamic_cast<HUDLevelSelect*>(click::TopWindow(h)), nullptr);
    h.StepSeconds(0.5f);
    ASSERT_TRUE(click::LevelPlate(h, 0));
    ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 11 || h.Screen() == 0; }, 120));
    EXPECT_EQ(click::Level(h)->mLevel, 0);
    EXPECT_EQ(click::Level(h)->mEpisode, 0);
}

// The unlock message, one item per click on its button, until the level plays.
void CloseUnlockMessage(GameHarness& h)
{
    for (int clicks = 0; h.Screen() == 11 && clicks < 10; ++clicks) {
        h.Step(20);
        ASSERT_TRUE(click::Button(h, L"ok")) << "the unlock message has its button";
    }
    ASSERT_EQ(h.Screen(), 0);
}

// The speed the HUD's buttons light: exactly one of play, speed and pause.
float LitSpeed(TDMap* map)
{
    auto lit = [map](const wchar_t* name) {
        const TDButtonFrame* button = map->mHud->findButton(name);
        return button && button->mVisible;
    };
    const int count = lit(L"pause_btn_ac") + lit(L"play_btn_ac") + lit(L"speed_btn_ac");
    if (count != 1)
        return -1.0f;
    return lit(L"pause_btn_ac") ? 0.0f : lit(L"play_btn_ac") ? 1.0f : 2.0f;
}

// The stars stored for level 1 of episode 1 in the current profile of a saved
// "profiles.xml"; -1 when the profile holds no result for it.
int StoredStars(const std::string& xml)
{
    tinyxml2::XMLDocument document;
    if (document.Parse(xml.c_str(), xml.size()) != tinyxml2::XML_SUCCESS)
        return -1;
    const tinyxml2::XMLElement* root = document.FirstChildElement("Profiles");
    const char* current = root ? root->Attribute("currentProfile") : nullptr;
    for (const tinyxml2::XMLElement* profile = root ? root->FirstChildElement("Profile") : nullptr; profile;
         profile = profile->NextSiblingElement("Profile")) {
        if (!current || !profile->Attribute("name", current))
            continue;
        const tinyxml2::XMLElement* levels = profile->FirstChildElement("levels");
        for (const tinyxml2::XMLElement* level = levels ? levels->FirstChildElement("level") : nullptr; level;
             level = level->NextSiblingElement("level"))
            if (level->IntAttribute("n", -1) == 0 && level->IntAttribute("episode", -1) == 0)
                return level->IntAttribute("stars", -1);
    }
    return -1;
}

} // namespace

TEST(PlayByClicks, FirstLevelFromTheMenusToVictory)
{
    GameSetup setup;
    // A player who has been here before: no tutorial, and gems to pay for towers the
    // first level's gold does not reach.
    const std::wstring defaultName = file::Profiles::kDefaultName;
    setup.profiles = "<Profiles currentProfile=\"P\"><Profile name=\"" +
                     std::string(defaultName.begin(), defaultName.end()) +
                     "\"/><Profile name=\"P\"><gems amount=\"40\"/><tutorial/></Profile></Profiles>";
    RunGame(
        "PlayByClicks.FirstLevelToVictory", setup,
        [](GameHarness& h) {
            ToMainMenu(h);
            // A named player goes from play straight to the episodes.
            ASSERT_TRUE(click::Button(h, L"play"));
            EpisodeToFirstLevel(h);
            CloseUnlockMessage(h);
            TDMap* map = click::Level(h);
            EXPECT_FALSE(TDTutorial::Instance()->active);

            // Two towers from the budget, bought through the spots' menus.
            const int budget = map->mStats->mMoney;
            ASSERT_GE(click::FreeSpots(map).size(), 5u);
            ASSERT_NE(click::Build(h, click::FreeSpots(map).front(), kArtillery), nullptr);
            ASSERT_NE(click::Build(h, click::FreeSpots(map).front(), kDarts), nullptr);
            EXPECT_EQ(map->mStats->mMoney, budget - 70 - 50);

            // Three more: when the gold is short the menu item asks for gems, and "ok"
            // pays ceil(70 / 50) = 2 of them for 50 gold each.
            int paidWithGems = 0;
            for (int tower = 0; tower < 3; ++tower) {
                const size_t towers = map->mTowers.size();
                const int gems = map->mStats->mGems;
                const int gold = map->mStats->mMoney;
                ASSERT_TRUE(click::OpenSpot(h, click::FreeSpots(map).front()));
                ASSERT_TRUE(click::MenuItem(h, kArtillery));
                if (gold < 70) {
                    ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 21; }, 30)) << "the gem payment dialog";
                    h.StepSeconds(0.3f);
                    if (paidWithGems++ == 0)
                        h.Screenshot("pay-with-gems");
                    ASSERT_TRUE(click::Button(h, L"ok"));
                    EXPECT_EQ(h.Screen(), 0);
                    EXPECT_EQ(map->mStats->mGems, gems - 2) << "tower " << tower;
                    EXPECT_EQ(map->mStats->mMoney, gold + 100 - 70) << "tower " << tower;
                } else {
                    EXPECT_EQ(map->mStats->mGems, gems) << "tower " << tower;
                    EXPECT_EQ(map->mStats->mMoney, gold - 70) << "tower " << tower;
                }
                EXPECT_EQ(map->mTowers.size(), towers + 1) << "tower " << tower;
            }
            EXPECT_GE(paidWithGems, 1);

            // The speed buttons: each sets the speed and lights itself.
            struct SpeedCase {
                const wchar_t* button;
                float speed;
            } speeds[] = {{L"speed_btn", 2.0f}, {L"pause_btn", 0.0f}, {L"play_btn", 1.0f}, {L"speed_btn", 2.0f}};
            for (const SpeedCase& c : speeds) {
                ASSERT_TRUE(click::Button(h, c.button)) << std::string(c.button, c.button + 5);
                EXPECT_EQ(map->mSpeed, c.speed);
                EXPECT_EQ(LitSpeed(map), c.speed);
            }
            h.StepSeconds(2.0f);
            h.Screenshot("hud-in-play");

            // Pause through the options button: the in-game menu over a stopped level.
            // Resume gives the level back the speed it had, paused or fast.
            for (const SpeedCase& c : {speeds[1], speeds[2], speeds[3]}) {
                ASSERT_TRUE(click::Button(h, c.button));
                ASSERT_TRUE(click::Button(h, L"options_btn"));
                h.StepSeconds(0.5f);
                EXPECT_EQ(h.Screen(), 4);
                ASSERT_NE(dynamic_cast<HUDIngameMenu*>(click::TopWindow(h)), nullptr);
                EXPECT_EQ(map->mSpeed, 0.0f);
                const float clock = map->mWaves->clock;
                h.StepSeconds(1.0f);
                EXPECT_EQ(map->mWaves->clock, clock) << "nothing moves under the menu";
                if (c.speed == 2.0f)
                    h.Screenshot("ingame-menu");
                ASSERT_TRUE(click::Button(h, L"resume"));
                h.Step(5);
                EXPECT_EQ(h.Screen(), 0);
                EXPECT_EQ(click::TopWindow(h), nullptr);
                EXPECT_EQ(map->mSpeed, c.speed) << "resumed at the speed before the menu";
                EXPECT_EQ(LitSpeed(map), c.speed);
            }
            EXPECT_EQ(map->mSpeed, 2.0f);

            // The towers win it.
            ASSERT_TRUE(h.StepUntil([&] { return h.Screen() != 0; }, 60 * 150));
            ASSERT_EQ(h.Screen(), 1) << "won; health " << map->mHealth << " towers " << map->mTowers.size();
            EXPECT_GT(map->mStats->mKills, 0);

            // The result window: the stars it judged shown, the gems awarded counted.
            h.Step(5);
            auto* result = dynamic_cast<HUDLevelResultWindow*>(click::TopWindow(h));
            ASSERT_NE(result, nullptr);
            EXPECT_EQ(result->stars, HUDLevelResultWindow::starsFor(map->mHealth, map->mMaxHealth));
            EXPECT_GE(result->stars, 1);
            EXPECT_EQ(result->gemsAwarded, 15 * result->stars) << "a first win pays for every star";
            for (const TDFrameEntry* image : result->images)
                for (int k = 0; k < 3; ++k) {
                    if (image->mName == L"star" + std::to_wstring(k)) {
                        EXPECT_EQ(image->mVisible, k < result->stars) << "star " << k;
                    }
                }
            ASSERT_NE(result->findText(L"gems"), nullptr);
            EXPECT_EQ(*result->findText(L"gems"), Text(L"gems") + L": " + std::to_wstring(map->mStats->mGemsGained));
            EXPECT_GE(map->mStats->mGemsGained, result->gemsAwarded);
            EXPECT_EQ(*result->findText(L"levelResult"), Text(L"game_win"));
            ASSERT_TRUE(h.StepUntil([&] { return result->state == HUDLevelResultWindow::Finished; }, 60 * 10));
            h.Screenshot("victory");
            EXPECT_EQ(StoredStars(h.ProfilesXml()), result->stars) << "saved with the result";
        },
        [](const std::filesystem::path& user) {
            // What the next start finds: the won level with its stars.
            std::ifstream in(user / "profiles.xml");
            const std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            EXPECT_GE(StoredStars(xml), 1) << xml;
        },
        600);
}

TEST(PlayByClicks, FirstLevelLostByDoingNothingAndRestarted)
{
    RunGame(
        "PlayByClicks.FirstLevelLost", {},
        [](GameHarness& h) {
            ToMainMenu(h);
            // A new player: play asks for a name, whose OK leads on to the episodes.
            ASSERT_TRUE(click::Button(h, L"play"));
            ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 14; }, 30));
            h.StepSeconds(0.3f);
            ASSERT_TRUE(click::Button(h, L"ok")) << "the name entry's OK";
            EpisodeToFirstLevel(h);
            CloseUnlockMessage(h);
            TDMap* map = click::Level(h);

            // The first level teaches; its skip button ends that.
            EXPECT_TRUE(TDTutorial::Instance()->active) << "a new player meets the tutorial";
            h.Step(30);
            h.Screenshot("hud-tutorial");
            ASSERT_TRUE(click::SkipTutorial(h));
            EXPECT_EQ(map->mAllowedSpot, -1) << "every spot is open after the skip";

            // Nothing built; only the speed button, to get there sooner.
            ASSERT_TRUE(click::Button(h, L"speed_btn"));
            ASSERT_TRUE(h.StepUntil([&] { return h.Screen() != 0; }, 60 * 150));
            ASSERT_EQ(h.Screen(), 2) << "lost";
            EXPECT_EQ(map->mHealth, 0.0f);
            EXPECT_EQ(map->mSpeed, 0.0f);

            h.Step(5);
            auto* result = dynamic_cast<HUDLevelResultWindow*>(click::TopWindow(h));
            ASSERT_NE(result, nullptr);
            EXPECT_EQ(result->stars, 0);
            EXPECT_EQ(result->gemsAwarded, 0);
            for (const TDFrameEntry* image : result->images)
                if (image->mName.rfind(L"star", 0) == 0 && image->mName != L"star_sockets") {
                    EXPECT_FALSE(image->mVisible) << "no stars on a defeat";
                }
            EXPECT_EQ(*result->findText(L"levelResult"), Text(L"game_lose"));
            ASSERT_TRUE(h.StepUntil([&] { return result->state == HUDLevelResultWindow::Finished; }, 60 * 10));
            h.Screenshot("defeat");
            EXPECT_LE(StoredStars(h.ProfilesXml()), 0) << "a defeat stores no stars";

            // Restart: the result window goes and the level runs again from its start.
            ASSERT_TRUE(click::Button(h, L"restart"));
            ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 11 || h.Screen() == 0; }, 120));
            CloseUnlockMessage(h);
            EXPECT_EQ(click::TopWindow(h), nullptr) << "the defeat window has gone";
            EXPECT_EQ(map->mLevel, 0);
            EXPECT_EQ(map->mHealth, map->mMaxHealth);
            EXPECT_EQ(map->mSpeed, 1.0f);
            EXPECT_EQ(map->mStats->mKills, 0);
            const float clock = map->mWaves->clock;
            h.StepSeconds(2.0f);
            EXPECT_GT(map->mWaves->clock, clock) << "the level runs";
            h.Screenshot("restarted");
        },
        {}, 600);
}
