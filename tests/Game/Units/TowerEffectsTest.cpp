#include "Source/TD/Towers/TDSpot.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Units/GoldIncomerModifier.h"
#include "Source/TD/Units/MagicTowerBoost.h"
#include "Source/TD/Units/ShowInvisible.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/ParamSet.h"
#include "Source/TD/World/TDFrameEntry.h"

#include "tests/Support/SheetStore.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

// 100 a plain tower; 200 a boost tower (reach 400 x 0.5 = 200, speed 20: +20 %); 300 a
// reveal tower (reach 100); 400 a gold tower with every standing effect.
struct Field {
    Field() { world.towers = &towers; world.units = &units; }
    ~Field()
    {
        for (TDTower* tower : towers)
            delete tower;
        for (TDMob* unit : units)
            delete unit;
    }
    // A tower on its own spot; radiusMult < 0: the spot has no "radius_mult".
    TDTower* build(int id, float x, float y, float radiusMult = 1.0f)
    {
        auto spot = std::make_unique<TDSpot>(nullptr);
        if (radiusMult >= 0.0f)
            spot->mParams->number("radius_mult") = radiusMult;
        auto entry = std::make_unique<TDFrameEntry>();
        entry->mSpot = spot.get();
        auto* tower = new TDTower(sheet.find(id), entry.get(), x, y);
        spots.push_back(std::move(spot));
        entries.push_back(std::move(entry));
        towers.push_back(tower);
        return tower;
    }
    TDMob* unit(float x, float y)
    {
        auto* unit = new TDMob;
        unit->mX = x;
        unit->mY = y;
        unit->mHideTimer = 2.0f;
        unit->mTargetAlpha = 0.4f;
        units.push_back(unit);
        return unit;
    }

    SheetStore sheet{"id;strength;r;speed;cooldown;goldIncome;boostTower;showInvisible\n"
                     "100;10;200;0;1;0;0;0\n"
                     "200;0;400;20;1;0;1;0\n"
                     "300;0;200;0;1;0;0;1\n"
                     "400;0;200;20;2.5;10;1;1\n"};
    std::vector<std::unique_ptr<TDSpot>> spots;
    std::vector<std::unique_ptr<TDFrameEntry>> entries;
    std::vector<TDTower*> towers;
    std::vector<TDMob*> units;
    EffectWorld world;
};

} // namespace

// A boost tower reaches the towers at most half its range (times the spot's
// multiplier) away, the edge included, and never another boost tower.
TEST(TowerEffects, BoostReach)
{
    struct Case {
        const char* what;
        float radiusMult; // of the boost tower's spot; < 0: not set
        float distance;
        int otherId;
        bool boosted;
    } cases[] = {
        {"inside", 1.0f, 150.0f, 100, true},
        {"exactly at its reach", 1.0f, 200.0f, 100, true},
        {"just beyond", 1.0f, 200.5f, 100, false},
        {"the spot's multiplier widens it", 1.5f, 300.0f, 100, true},
        {"and narrows it", 0.5f, 101.0f, 100, false},
        {"a spot without the multiplier counts 1", -1.0f, 200.0f, 100, true},
        {"boost towers do not boost each other", 1.0f, 50.0f, 200, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Field f;
        TDTower* booster = f.build(200, 0.0f, 0.0f, c.radiusMult);
        TDTower* other = f.build(c.otherId, 0.0f, c.distance);
        MagicTowerBoost boost(f.world, booster);
        boost.update(nullptr, 0.1f);
        boost.update(nullptr, 0.1f);
        EXPECT_EQ(other->boosted, c.boosted);
        EXPECT_FALSE(booster->boosted);
        if (c.otherId == 100) {
            // Twice +20 % of strength 10 and range 200: the level clears the bonus
            // between ticks, so both updates add up here.
            EXPECT_FLOAT_EQ(other->bonus.strength, c.boosted ? 4.0f : 0.0f);
            EXPECT_FLOAT_EQ(other->bonus.r, c.boosted ? 80.0f : 0.0f);
        }
    }
}

// A reveal tower shows the units strictly within its reach.
TEST(TowerEffects, RevealReach)
{
    struct Case {
        const char* what;
        float distance;
        bool shown;
    } cases[] = {
        {"inside", 60.0f, true},
        {"exactly at its reach", 100.0f, false},
        {"outside", 140.0f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Field f;
        TDTower* tower = f.build(300, 10.0f, 10.0f);
        TDMob* unit = f.unit(10.0f + c.distance, 10.0f);
        ShowInvisible reveal(f.world, tower);
        reveal.update(nullptr, 0.1f);
        EXPECT_FLOAT_EQ(unit->mHideTimer, c.shown ? 0.0f : 2.0f);
        EXPECT_FLOAT_EQ(unit->mTargetAlpha, c.shown ? 1.0f : 0.4f);
    }
}

TEST(TowerEffects, StandingEffectsOfATier)
{
    Field f;
    TDTower* gold = f.build(400, 0.0f, 0.0f);
    std::vector<TDModifier*> effects = MakeTowerEffects(f.world, gold, *f.sheet.find(400));
    ASSERT_EQ(effects.size(), 3u);
    auto* income = dynamic_cast<GoldIncomerModifier*>(effects[0]);
    ASSERT_NE(income, nullptr);
    EXPECT_EQ(income->mGoldIncome, 10);
    EXPECT_FLOAT_EQ(income->mTickInterval, 2.5f);
    EXPECT_NE(dynamic_cast<MagicTowerBoost*>(effects[1]), nullptr);
    EXPECT_NE(dynamic_cast<ShowInvisible*>(effects[2]), nullptr);
    for (TDModifier* effect : effects) {
        EXPECT_EQ(effect->mOwner, gold);
        EXPECT_FLOAT_EQ(effect->mDuration, -1.0f);
        EXPECT_FALSE(effect->mInnate);
        delete effect;
    }
    EXPECT_TRUE(MakeTowerEffects(f.world, gold, *f.sheet.find(100)).empty());
}
