// The first level played by the real game with one tower of each family built on its
// spots: the towers turn, fire and kill, and the money rises. The screenshots show the
// fight for a person to look at.
#include "Core/Render/Math/Random.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Towers/TDBulletList.h"
#include "Source/TD/Towers/TDSpot.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/TDWaves.h"
#include "tests/Support/GameHarness.h"

#include <gtest/gtest.h>

TEST(TowerPlay, OneTowerOfEachFamilyDefendsTheFirstLevel)
{
    RunGame("TowerPlay.OneTowerOfEachFamilyDefendsTheFirstLevel", {}, [](GameHarness& h) {
        ASSERT_EQ(h.Start(), GE_OK);
        TDMap* map = h.game()->mGameWindow->mMap;
        ASSERT_NE(map, nullptr);
        ResetRandomCounter();
        map->mEpisode = 0;
        map->mLevel = 0;
        ASSERT_TRUE(map->startLevel());
        // Straight into the fight: whatever the level announces first is put away.
        h.Step(5);
        map->mHud->clearWindows();
        map->mScreen = 0;
        map->mSpeed = 1.0f;

        // Artillery, darts, cannon and support, each on a spot of its own.
        const int families[] = {10000, 20000, 30000, 40000};
        size_t next = 0;
        for (TDSpot* spot : map->mSpotList) {
            if (next == 4 || !spot->mEntry || !spot->mEntry->mVisible)
                continue;
            const UnitPrototype* prototype = map->mPrototypes->find(families[next]);
            ASSERT_NE(prototype, nullptr) << families[next];
            map->mStats->mMoney += static_cast<int>(prototype->cost) + 50;
            ASSERT_NE(map->buildTower(prototype, spot->mEntry), nullptr) << families[next];
            ++next;
        }
        ASSERT_EQ(map->mTowers.size(), 4u);
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
            << "a tower fires once units come; screen " << map->mScreen << " units " << map->mWaves->mobs.size()
            << " tower state " << map->mTowers.back()->state << " target " << map->mTowers.back()->target
            << " first unit " << (map->mWaves->mobs.empty() ? -1.0f : map->mWaves->mobs[0]->mX) << ","
            << (map->mWaves->mobs.empty() ? -1.0f : map->mWaves->mobs[0]->mY) << " tower " << map->mTowers.back()->x
            << "," << map->mTowers.back()->y << " r " << map->mTowers.back()->effectiveRadius();
        h.Screenshot("first-shots");
        h.StepSeconds(6.0f);
        h.Screenshot("fight");
        h.StepSeconds(12.0f);
        h.Screenshot("later");

        EXPECT_GT(map->mStats->mKills, 0) << "towers kill";
        EXPECT_GT(map->mStats->mMoney, moneyAfterBuilding) << "kills pay";
        for (TDTower* tower : map->mTowers)
            EXPECT_FLOAT_EQ(tower->fade, 1.0f);
    });
}
