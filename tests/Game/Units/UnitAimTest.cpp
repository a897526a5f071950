// A unit's aim point goes with it as it moves, so towers choose and homing shots reach
// the unit where it stands, not a fixed corner of the level.
#include "Source/TD/Towers/TDBulletList.h"
#include "Source/TD/Towers/TDSpot.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/TDPoint.h"
#include "Source/TD/World/TDWaves.h"
#include "tests/Support/SheetStore.h"

#include <gtest/gtest.h>
#include <memory>
#include <tinyxml2.h>

namespace {

// Tower 100 fires homing shots (aimed) with reach 200; unit 2 flies straight to the goal.
const char* const kTowers = "id;parent;levelid;strength;cooldown;r;cost;fps;speed;ammoid;air;aimed\n"
                            "100;-1;0;10;0,5;200;50;10;300;900;1;1\n";
const char* const kUnits = "id;strength;health;speed;r;air;straight\n"
                           "2;1;100;40;0;1;1\n";
const char* const kAmmo = "id;speed;r\n900;300;0\n";

} // namespace

TEST(UnitAim, TheAimPointFollowsAFlyingUnitAndHomingShotsReachIt)
{
    TDMap map;
    tinyxml2::XMLDocument document;
    delete map.mPrototypes;
    map.mPrototypes =
        new PrototypeStore(SheetsInto(document, {{"units", kUnits}, {"towers", kTowers}, {"ammo", kAmmo}}));
    map.mScreen = 0;
    TDPoint goal(1, 600.0f, 300.0f);
    goal.params.number("goal") = 1.0f;
    map.mPoints.push_back(&goal);

    // The tower stands well away from the level's top-left corner.
    tinyxml2::XMLDocument spotElement;
    spotElement.Parse("<spot x='300' y='300'/>");
    TDSpot spot(spotElement.RootElement());
    TDFrameEntry entry;
    entry.mSpot = &spot;
    entry.mX = 264.0f;
    entry.mY = 274.0f;
    entry.mWidth = 72.0f;
    entry.mHeight = 52.0f;
    map.mStats->mMoney = 50;
    TDTower* tower = map.buildTower(map.mPrototypes->find(100), &entry);
    ASSERT_NE(tower, nullptr);

    auto* unit = new TDMob;
    unit->mMap = &map;
    unit->mPrototypeId = 2;
    unit->mX = unit->mDrawX = 150.0f;
    unit->mY = unit->mDrawY = 300.0f;
    unit->mHealth = 100.0f;
    map.mWaves->mobs.push_back(unit);

    const float dt = 0.05f;
    map.mLastDt = dt;
    unit->tick(map, dt);
    EXPECT_FLOAT_EQ(unit->mAimX, unit->mDrawX);
    EXPECT_FLOAT_EQ(unit->mAimY, unit->mDrawY);
    EXPECT_GT(unit->mDrawX, 150.0f) << "it flew";

    // Three seconds of the tower, its shots and the unit: the shots strike it.
    for (int step = 0; step < 60 && unit->mHealth > 0.0f; ++step) {
        tower->update(dt);
        map.mBullets->update(dt);
        unit->tick(map, dt);
        EXPECT_FLOAT_EQ(unit->mAimX, unit->mDrawX) << "step " << step;
        EXPECT_FLOAT_EQ(unit->mAimY, unit->mDrawY) << "step " << step;
    }
    EXPECT_LT(unit->mHealth, 100.0f) << "homing shots reach the unit where it is";
    map.mPoints.clear();
}
