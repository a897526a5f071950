// The first level played by the real game with one tower of each family built through
// the spots' tower menus by clicks: the towers turn, fire and kill, and the money
// rises. The screenshots show the fight for a person to look at.
#include "Source/TD/Shell/Profiles.h"
#include "Source/TD/Towers/TDBulletList.h"
#include "Source/TD/Towers/TDSpot.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/TDWaves.h"
#include "tests/Support/ClickPlayer.h"
#include "tests/Support/GameHarness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

namespace {

constexpr int kFamilies[] = {10000, 20000, 30000, 40000}; // artillery, darts, cannon, support

// The first level as shipped, with a budget that pays for one tower of each family
// (the shipped one pays for two).
std::string FirstLevelWithBudget(int budget)
{
    std::ifstream in(std::filesystem::path(GE_BINARY_DIR "/content/td/levels_normal/level_01_01.xml"));
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return std::regex_replace(text, std::regex("<budget>[0-9]+</budget>"),
                              "<budget>" + std::to_string(budget) + "</budget>");
}

GameSetup FourFamiliesOnTheFirstLevel()
{
    GameSetup setup;
    // A player who has seen the tutorial, so every spot is open.
    const std::wstring defaultName = file::Profiles::kDefaultName;
    setup.profiles = "<Profiles currentProfile=\"P\"><Profile name=\"" +
                     std::string(defaultName.begin(), defaultName.end()) +
                     "\"/><Profile name=\"P\"><tutorial/></Profile></Profiles>";
    // The first level offers the later families too; nothing else changes.
    setup.contentFiles["td/unlocks.csv"] = "0;0;10000,20000,30000,40000,3001\n";
    setup.contentFiles["td/levels_normal/level_01_01.xml"] = FirstLevelWithBudget(70 + 50 + 60 + 90);
    return setup;
}

} // namespace

TEST(TowerPlay, OneTowerOfEachFamilyDefendsTheFirstLevel)
{
    RunGame("TowerPlay.OneTowerOfEachFamilyDefendsTheFirstLevel", FourFamiliesOnTheFirstLevel(), [](GameHarness& h) {
        ASSERT_EQ(h.Start(), GE_OK);
        TDMap* map = click::Level(h);
        ASSERT_NE(map, nullptr);
        map->mEpisode = 0;
        map->mLevel = 0;
        ASSERT_TRUE(map->startLevel());
        // The unlock message, one item per click on its button, until the level plays.
        ASSERT_TRUE(h.StepUntil([&] { return map->mScreen == 11 || map->mScreen == 0; }, 120));
        for (int clicks = 0; map->mScreen == 11 && clicks < 10; ++clicks) {
            h.Step(20);
            ASSERT_TRUE(click::Button(h, L"ok")) << "the unlock message has its button";
        }
        ASSERT_EQ(map->mScreen, 0);
        ASSERT_EQ(map->mStats->mMoney, 270);

        // Artillery, darts, cannon and support, each on a spot of its own, nearest the
        // road first, bought from the spot's menu.
        for (int family : kFamilies) {
            const std::vector<TDSpot*> spots = click::FreeSpots(map);
            ASSERT_FALSE(spots.empty()) << family;
            EXPECT_NE(click::Build(h, spots.front(), family), nullptr)
                << family << " from the menu; money " << map->mStats->mMoney;
        }
        ASSERT_EQ(map->mTowers.size(), 4u);
        EXPECT_EQ(map->mStats->mMoney, 0) << "each tower took its price";
        EXPECT_TRUE(map->mTowers.front()->currentPrototype()->boostTower) << "boost towers come first";
        const int moneyAfterBuilding = map->mStats->mMoney;

        // Until the first unit is in range of some tower and a shot is in flight.
        bool fired = false;
        ASSERT_TRUE(h.StepUntil(
            [&] {
                fired = fired || !map->mBullets->bullets.empty();
                return fired;
            },
            60 * 60))
            << "a tower fires once units come; screen " << map->mScreen << " units " << map->mWaves->mobs.size();
        h.Screenshot("first-shots");
        h.StepSeconds(6.0f);
        h.Screenshot("fight");
        h.StepSeconds(12.0f);
        // The next moment a unit falls while shots are in flight.
        EXPECT_TRUE(h.StepUntil(
            [&] {
                if (map->mBullets->bullets.empty())
                    return false;
                for (const TDMob* unit : map->mWaves->mobs)
                    if (unit->mState == TDMob::Dying)
                        return true;
                return false;
            },
            60 * 30));
        h.Screenshot("later");

        EXPECT_GT(map->mStats->mKills, 0) << "towers kill";
        EXPECT_GT(map->mStats->mMoney, moneyAfterBuilding) << "kills pay";
        for (TDTower* tower : map->mTowers)
            EXPECT_FLOAT_EQ(tower->fade, 1.0f);
    }, {}, 240);
}
