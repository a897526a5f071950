#include "Source/TD/Units/AreaDamageModifier.h"
#include "Source/TD/Units/DotModifier.h"
#include "Source/TD/Units/DotModifierArea.h"
#include "Source/TD/Units/FireSplashModifier.h"
#include "Source/TD/Units/MapImpassableArea.h"
#include "Source/TD/Units/ShamanModifier.h"
#include "Source/TD/Units/ShamanPortal.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/ParticleEffect.h"
#include "Source/TD/World/TDPoint.h"
#include "Source/TD/World/TDSprite.h"
#include "Source/TD/World/TDWaves.h"

#include "tests/Game/Units/EffectField.h"
#include "tests/Support/SheetStore.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

// Unit 1 walks at speed 4; unit 4 is a summoner whose portal kind is unit 0 (open for
// 3 s, one unit every 1 s); unit 5 summons through an unknown kind.
struct Area : EffectField {
    Area()
    {
        points = {new TDPoint(10, 0, 0), new TDPoint(11, 100, 0), new TDPoint(12, 200, 0)};
        world.prototypes = sheet.store.get();
        world.spawn = [this](TDWaveEnemy* entry, TDPoint* point) -> TDMob* {
            spawnedAt.push_back(point);
            if (!point)
                return nullptr;
            TDMob* unit = add(entry->id, point->x, point->y, 10.0f);
            unit->mWaveEntry = entry;
            unit->mPathNodes = {99};
            return unit;
        };
    }
    // The level's order: area effects, then every unit's own effects; penalties are
    // cleared by the caller when it has looked at them.
    void tick(float dt)
    {
        for (size_t i = 0; i < areas.size(); ++i)
            areas[i]->update(nullptr, dt);
        for (size_t i = 0; i < units.size(); ++i)
            units[i]->updateEffects(dt);
        for (TDMob* unit : units)
            unit->dropEndedEffects();
    }

    SheetStore sheet{"id;speed;r;health;cooldown;ammoid;onFire\n"
                     "0;5;0;10;3;0;\n"
                     "1;4;0;10;0;0;\n"
                     "4;2;0;30;4;0;portal_fx\n"
                     "5;2;0;30;4;77;\n"};
    std::vector<TDPoint*> spawnedAt;
};

enum class Kind { FireSplash, PoisonCloud, Blocked };

} // namespace

// Every area effect reaches a unit standing exactly on its edge, and none beyond.
TEST(AreaEffects, ReachAtTheEdge)
{
    struct Case {
        const char* what;
        Kind kind;
        float distance; // from the centre (100, 100)
        bool touched;
    } cases[] = {
        {"burning ground: inside", Kind::FireSplash, 10.0f, true},
        {"burning ground: on the edge", Kind::FireSplash, 64.0f, true},
        {"burning ground: just outside", Kind::FireSplash, 64.01f, false},
        {"poison cloud: on the edge", Kind::PoisonCloud, 64.0f, true},
        {"poison cloud: just outside", Kind::PoisonCloud, 64.01f, false},
        {"blocked area: inside", Kind::Blocked, 0.0f, true},
        {"blocked area: on the edge", Kind::Blocked, 64.0f, true},
        {"blocked area: just outside", Kind::Blocked, 64.01f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Area a;
        TDMob* unit = a.add(1, 100.0f + c.distance, 100.0f, 10.0f);
        TDModifier* area = nullptr;
        switch (c.kind) {
        case Kind::FireSplash:
            area = new FireSplashModifier(a.world, "", nullptr, 2.0f, 10.0f, 100.0f, 100.0f, 64.0f);
            break;
        case Kind::PoisonCloud:
            area = new DotModifierArea(a.world, 100.0f, 100.0f, 64.0f, 2.0f, 5.0f);
            break;
        case Kind::Blocked:
            area = new MapImpassableArea(a.world, 100.0f, 100.0f, 64.0f, 5.0f);
            break;
        }
        a.areas.push_back(area);
        a.tick(0.1f);
        switch (c.kind) {
        case Kind::FireSplash:
            EXPECT_FLOAT_EQ(unit->mHealth, c.touched ? 8.0f : 10.0f);
            break;
        case Kind::PoisonCloud:
            EXPECT_EQ(unit->mModifiers.size(), c.touched ? 1u : 0u);
            break;
        case Kind::Blocked:
            EXPECT_FLOAT_EQ(unit->mSpeedPenalty, c.touched ? 4.0f : 0.0f);
            break;
        }
    }
}

// Burning ground from a hit: 1 damage at each full second of game time after the last
// tick (the counter restarts at 0), for 10 s; the frame on which it ends applies too.
TEST(AreaEffects, BurningGroundTiming)
{
    struct Case {
        const char* what;
        float dt;
        int frames;
        float health; // of 20
    } cases[] = {
        {"half-second frames: a tick every 1.5 s, the ending frame included", 0.5f, 30, 13.0f},
        {"frames of 0.3 s: a tick every 1.2 s, none on the ending frame", 0.3f, 40, 12.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Area a;
        TDMob* unit = a.add(1, 10.0f, 0.0f, 20.0f);
        auto* fire = new FireSplashModifier(a.world, "", nullptr, FireSplashModifier::kHitValue,
                                            FireSplashModifier::kHitDuration, 0.0f, 0.0f,
                                            FireSplashModifier::kHitRadius);
        fire->mTickInterval = FireSplashModifier::kHitInterval;
        a.areas.push_back(fire);
        for (int i = 0; i < c.frames; ++i)
            a.tick(c.dt);
        EXPECT_FALSE(fire->mActive);
        EXPECT_FLOAT_EQ(unit->mHealth, c.health);
    }
}

// A unit in two poison clouds carries one poison (they have no owner), which runs its
// whole duration at one tick a second; a new one is taken once it is over.
TEST(AreaEffects, OnePoisonAtATime)
{
    Area a;
    TDMob* unit = a.add(1, 0.0f, 0.0f, 100.0f);
    for (float x : {-10.0f, 10.0f})
        a.areas.push_back(new DotModifierArea(a.world, x, 0.0f, 50.0f, 3.0f, 2.5f));
    a.tick(0.25f);
    ASSERT_EQ(unit->mModifiers.size(), 1u);
    const TDModifier* poison = unit->mModifiers[0];
    EXPECT_EQ(poison->mOwner, nullptr);
    EXPECT_FLOAT_EQ(poison->mValue, 3.0f);
    EXPECT_FLOAT_EQ(poison->mDuration, 2.5f);
    EXPECT_FLOAT_EQ(poison->mTickInterval, DotModifierArea::kDotInterval);
    // Quarter-second frames: the poison ticks on its 5th and 10th frame (two ticks of
    // 3) and ends on the frame that passes 2.5 s, while both clouds keep offering.
    for (int i = 0; i < 9; ++i)
        a.tick(0.25f);
    EXPECT_EQ(unit->mModifiers.size(), 1u);
    EXPECT_EQ(unit->mModifiers[0], poison);
    a.tick(0.25f);
    EXPECT_FLOAT_EQ(unit->mHealth, 94.0f);
    EXPECT_TRUE(unit->mModifiers.empty());
    EXPECT_FALSE(a.areas[0]->mActive);
    a.areas.push_back(new DotModifierArea(a.world, 0.0f, 0.0f, 50.0f, 3.0f, 2.5f));
    a.tick(0.25f);
    EXPECT_EQ(unit->mModifiers.size(), 1u) << "a new poison once the first is over";
}

TEST(AreaEffects, SplashMark)
{
    Area a;
    TDMob* unit = a.add(1, 0.0f, 0.0f, 10.0f);
    AreaDamageModifier mark(5.0f, 6.0f);
    EXPECT_EQ(mark.mKind, AreaDamageModifier::kKind);
    EXPECT_FLOAT_EQ(mark.mX, 5.0f);
    EXPECT_FLOAT_EQ(mark.mY, 6.0f);
    EXPECT_FLOAT_EQ(mark.mRadius, 100.0f);
    for (int i = 0; i < 3; ++i)
        mark.update(nullptr, 0.5f);
    EXPECT_TRUE(mark.mActive) << "1.5 s is not past its duration";
    mark.update(nullptr, 0.01f);
    EXPECT_FALSE(mark.mActive);
    EXPECT_FLOAT_EQ(unit->mHealth, 10.0f) << "the mark deals no damage";
}

// The summoner opens a portal each interval unless it is slowed or held this tick; the
// portal summons one unit of kind 0 per second for 3 s where the summoner stood, on
// its route, even after the summoner is gone.
TEST(AreaEffects, SummonerAndPortal)
{
    Area a;
    TDWaveProto wave;
    auto* own = new TDWaveEnemy(&wave);
    own->y = 2.0f;
    wave.entries.push_back(own);
    TDMob* shaman = a.add(4, 150.0f, 10.0f, 30.0f);
    shaman->mWaveEntry = own;
    shaman->mPathNodes = {10, 11, 12};
    shaman->mPathIndex = 1;
    shaman->mSegmentT = 0.5f;
    shaman->mSegmentTime = 1.25f;
    auto* ability = new ShamanModifier(a.world, 4.0f);
    EXPECT_TRUE(ability->mInnate);
    EXPECT_GE(ability->mTickInterval, 4.0f);
    EXPECT_LE(ability->mTickInterval, 8.0f);
    ability->mTickInterval = 1.0f;
    shaman->mModifiers.push_back(ability);

    // Held on the tick it is due: no portal, and the next chance is a full interval on.
    shaman->mSpeedPenalty = 2.0f;
    a.tick(1.5f);
    EXPECT_TRUE(a.areas.empty());
    EXPECT_EQ(shaman->mState, TDMob::Walking);
    shaman->mSpeedPenalty = 0.0f;
    a.tick(1.5f);
    ASSERT_EQ(a.areas.size(), 1u);
    EXPECT_EQ(shaman->mState, TDMob::Special);
    auto* portal = dynamic_cast<ShamanPortal*>(a.areas[0]);
    ASSERT_NE(portal, nullptr);
    EXPECT_FLOAT_EQ(portal->mDuration, 3.0f);
    EXPECT_FLOAT_EQ(portal->mTickInterval, 5.0f);
    EXPECT_EQ(a.effects.size(), 1u) << "its looping effect";
    portal->mTickInterval = 0.9f;
    ability->mActive = false; // one portal is enough here

    // The summoner goes; the portal keeps its copy of the route.
    shaman->mPathNodes.clear();
    shaman->mX = 500.0f;
    for (int i = 0; i < 7; ++i)
        a.tick(0.5f);
    EXPECT_FALSE(portal->mActive);
    ASSERT_EQ(a.units.size(), 4u) << "three summoned, at 1.0 s, 2.0 s and 3.0 s";
    ASSERT_EQ(wave.entries.size(), 4u);
    for (size_t i = 1; i < 4; ++i) {
        SCOPED_TRACE(i);
        const TDWaveEnemy* entry = wave.entries[i];
        EXPECT_EQ(entry->state, 1);
        EXPECT_EQ(entry->id, 0);
        EXPECT_EQ(entry->upgrade, 1);
        EXPECT_FLOAT_EQ(entry->x, -1.0f);
        EXPECT_FLOAT_EQ(entry->y, 2.0f);
        EXPECT_LE(entry->offset, 0.0f);
        EXPECT_GE(entry->offset, -100.0f);
        EXPECT_EQ(entry->spawned, 1);
        EXPECT_EQ(entry->owner, &wave);
        EXPECT_EQ(a.spawnedAt[i - 1], a.points[1]) << "the point of the summoner's node";
        const TDMob* summoned = a.units[i];
        EXPECT_EQ(summoned->mPrototypeId, 0);
        EXPECT_EQ(summoned->mPathNodes, (std::vector<int>{10, 11, 12}));
        EXPECT_EQ(summoned->mPathIndex, 1);
        EXPECT_FLOAT_EQ(summoned->mSegmentT, 0.5f);
        EXPECT_FLOAT_EQ(summoned->mSegmentTime, 1.25f);
        EXPECT_FLOAT_EQ(summoned->mX, 150.0f);
        EXPECT_FLOAT_EQ(summoned->mY, 10.0f);
    }
    // A portal kind the store lacks opens nothing, but the animation still plays.
    TDMob* other = a.add(5, 0.0f, 0.0f, 30.0f);
    ShamanModifier unknown(a.world, 1.0f);
    unknown.apply(other, 0.1f);
    EXPECT_EQ(other->mState, TDMob::Special);
    EXPECT_EQ(a.areas.size(), 1u);
}

// A summoner without a wave entry, or whose node names no point, summons nothing and
// leaves the waves untouched.
TEST(AreaEffects, PortalWithoutWaveOrPoint)
{
    Area a;
    TDMob* loner = a.add(4, 0.0f, 0.0f, 30.0f);
    ShamanPortal lonely(a.world, *loner, 3.0f, "");
    lonely.apply(nullptr, 0.1f);
    EXPECT_TRUE(a.spawnedAt.empty());

    TDWaveProto wave;
    auto* own = new TDWaveEnemy(&wave);
    wave.entries.push_back(own);
    loner->mWaveEntry = own;
    loner->mPathNodes = {42};
    ShamanPortal lost(a.world, *loner, 3.0f, "");
    lost.apply(nullptr, 0.1f);
    ASSERT_EQ(a.spawnedAt.size(), 1u);
    EXPECT_EQ(a.spawnedAt[0], nullptr);
    EXPECT_EQ(a.units.size(), 1u);
    EXPECT_EQ(wave.entries.size(), 1u) << "no entry that could never end its wave";
}
