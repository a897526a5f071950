#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Towers/TDBullet.h"
#include "Source/TD/Towers/TDSpot.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Units/AreaDamageModifier.h"
#include "Source/TD/Units/BlastModifier.h"
#include "Source/TD/Units/DotModifier.h"
#include "Source/TD/Units/FireSplashModifier.h"
#include "Source/TD/Units/StunModifier.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/ParamSet.h"
#include "Source/TD/World/ParticleEffect.h"
#include "Source/TD/World/TDFloatingLabels.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDPlayerStats.h"

#include "tests/Game/Units/EffectField.h"
#include "tests/Support/SheetStore.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

// Towers (strength 10, ammunition 900 of radius 100): 10 plain, dealing type 1 only;
// 11 splash; 12 dot, stun and hold; 13 burning ground; 14 gold (income 10); 15 plain
// with ammunition 901 of strength 3. Units: 1
// unarmoured, 2 resists type 1 by half, 3 resists type 1 by half and type 2 by a
// quarter, 4 resists type 2 by nothing.
const char* const kSheet = "id;strength;r;ammoid;type1;type2;type3;type4;resist1;resist2;splash;dot;stun;hold;"
                           "firesplash;goldIncome;onHit\n"
                           "10;10;0;900;1;0;0;0;0;0;0;0;0;0;0;0;\n"
                           "11;10;0;900;1;1;1;1;0;0;1;0;0;0;0;0;\n"
                           "12;10;0;900;1;1;1;1;0;0;0;1;1;1;0;0;\n"
                           "13;10;0;900;1;1;1;1;0;0;0;0;0;0;1;0;\n"
                           "14;10;0;900;1;1;1;1;0;0;0;0;0;0;0;10;\n"
                           "15;10;0;901;1;0;0;0;0;0;0;0;0;0;0;0;\n"
                           "900;0;100;0;1;1;1;1;0;0;0;0;0;0;0;0;boom\n"
                           "901;3;100;0;0;0;0;0;0;0;0;0;0;0;0;0;\n"
                           "1;0;0;0;1;1;1;1;0;0;0;0;0;0;0;0;\n"
                           "2;0;0;0;1;1;1;1;0,5;0;0;0;0;0;0;0;\n"
                           "3;0;0;0;1;1;1;1;0,5;0,25;0;0;0;0;0;0;\n"
                           "4;0;0;0;1;1;1;1;0;0;0;0;0;0;0;0;\n";

struct Range : EffectField {
    Range()
    {
        world.prototypes = sheet.store.get();
        world.labels = &labels;
        world.stats = &stats;
    }
    TDTower* build(int id)
    {
        tower = std::make_unique<TDTower>(sheet.find(id), &entry, 0.0f, 0.0f);
        return tower.get();
    }
    // A shot of the tower's tier at (x, y); the tower may be gone.
    std::unique_ptr<TDBullet> shot(int id, float x, float y, TDTower* from)
    {
        auto bullet = std::make_unique<TDBullet>(nullptr, nullptr);
        bullet->prototype = sheet.find(id);
        bullet->tower = from;
        bullet->position = {x, y};
        bullet->world = world;
        return bullet;
    }
    TDMob* unit(int id, float x, float y, float health = 100.0f) { return add(id, x, y, health); }

    SheetStore sheet{kSheet};
    TDSpot spot{nullptr};
    TDFrameEntry entry;
    std::unique_ptr<TDTower> tower;
    TDFloatingLabels labels;
    TDPlayerStats stats{nullptr, nullptr};
};

struct ImmunityOff {
    ImmunityOff() { gEffectImmunityActive = false; }
    ~ImmunityOff() { gEffectImmunityActive = saved; }
    bool saved = gEffectImmunityActive;
};

} // namespace

// Damage of a direct hit: the tower's working strength, its boost bonus, the
// ammunition's strength and the spot's "damage_mult", times the mean of
// (1 - resistance) over the resisted types it deals.
TEST(BulletHit, DirectDamage)
{
    ImmunityOff quiet;
    struct Case {
        const char* what;
        int towerId, unitId;
        float bonus, damageMult;
        bool sold;
        float health; // of 100
    } cases[] = {
        {"plain", 10, 1, 0.0f, 0.0f, false, 90.0f},
        {"boost bonus added", 10, 1, 5.0f, 0.0f, false, 85.0f},
        {"the spot's damage_mult is added", 10, 1, 0.0f, 2.0f, false, 88.0f},
        {"half resisted", 10, 2, 0.0f, 0.0f, false, 95.0f},
        {"a resistance to a type not dealt does not count", 10, 3, 0.0f, 0.0f, false, 95.0f},
        {"a resistance of 0 does not count", 11, 4, 0.0f, 0.0f, false, 90.0f},
        {"two resisted types: the mean", 11, 3, 0.0f, 0.0f, false, 93.75f},
        {"bonus and spot before the resistance", 10, 2, 4.0f, 2.0f, false, 92.0f},
        {"the tower sold while the shot flew: the tier's strength", 10, 1, 5.0f, 2.0f, true, 90.0f},
        {"the ammunition's strength is added", 15, 1, 0.0f, 0.0f, false, 87.0f},
        {"and resisted with the rest", 15, 2, 0.0f, 0.0f, false, 93.5f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Range r;
        r.entry.mSpot = &r.spot;
        r.spot.mParams->number("damage_mult") = c.damageMult;
        TDTower* tower = r.build(c.towerId);
        tower->bonus.strength = c.bonus;
        TDMob* unit = r.unit(c.unitId, 0.0f, 0.0f);
        auto bullet = r.shot(c.towerId, 0.0f, 0.0f, c.sold ? nullptr : tower);
        unit->takeBulletHit(bullet.get(), true);
        EXPECT_FLOAT_EQ(unit->mHealth, c.health);
    }
}

// A splash hit falls off with the distance from the shot to the unit: nothing at the
// ammunition's radius and beyond.
TEST(BulletHit, SplashFalloff)
{
    ImmunityOff quiet;
    struct Case {
        float distance;
        float health; // of 100, hit for 10
    } cases[] = {{0.0f, 90.0f}, {50.0f, 95.0f}, {75.0f, 97.5f}, {100.0f, 100.0f}, {150.0f, 100.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.distance);
        Range r;
        TDTower* tower = r.build(10);
        TDMob* unit = r.unit(1, 30.0f + c.distance, 40.0f);
        auto bullet = r.shot(10, 30.0f, 40.0f, tower);
        unit->takeBulletHit(bullet.get(), false);
        EXPECT_FLOAT_EQ(unit->mHealth, c.health);
    }
}

// A direct hit of splash ammunition marks the splash and strikes the units around the
// struck one as splash hits, which splash no further.
TEST(BulletHit, SplashAround)
{
    ImmunityOff quiet;
    Range r;
    TDTower* tower = r.build(11);
    TDMob* struck = r.unit(1, 0.0f, 0.0f);
    TDMob* near = r.unit(1, 50.0f, 0.0f);
    TDMob* edge = r.unit(1, 0.0f, 100.0f);
    TDMob* far = r.unit(1, 150.0f, 0.0f);
    auto bullet = r.shot(11, 0.0f, 0.0f, tower);
    struck->takeBulletHit(bullet.get(), true);
    EXPECT_FLOAT_EQ(struck->mHealth, 90.0f);
    EXPECT_FLOAT_EQ(near->mHealth, 95.0f);
    EXPECT_FLOAT_EQ(edge->mHealth, 100.0f);
    EXPECT_FLOAT_EQ(far->mHealth, 100.0f);
    ASSERT_EQ(r.areas.size(), 1u) << "one mark: splash hits splash no further";
    EXPECT_EQ(r.areas[0]->mKind, AreaDamageModifier::kKind);
}

// The tier's effects go on the unit with the tower as owner; the unit takes one of
// them per tower. Burning ground goes on the map at the unit.
TEST(BulletHit, EffectsOfTheTier)
{
    ImmunityOff quiet;
    Range r;
    TDTower* tower = r.build(12);
    TDMob* unit = r.unit(1, 5.0f, 6.0f);
    auto bullet = r.shot(12, 5.0f, 6.0f, tower);
    unit->takeBulletHit(bullet.get(), true);
    ASSERT_EQ(unit->mModifiers.size(), 1u);
    auto* dot = dynamic_cast<DotModifier*>(unit->mModifiers[0]);
    ASSERT_NE(dot, nullptr);
    EXPECT_EQ(dot->mOwner, tower);
    EXPECT_EQ(dot->mName, "health");
    EXPECT_FLOAT_EQ(dot->mValue, 0.5f);
    EXPECT_FLOAT_EQ(dot->mDuration, 2.0f);
    EXPECT_FLOAT_EQ(dot->mTickInterval, 0.9f);
    // Another tower's stun is taken beside it.
    Range other;
    TDTower* second = other.build(12);
    auto* stun = new StunModifier(r.world, "speed", second, 0.5f, 3.0f);
    EXPECT_TRUE(unit->addModifier(stun));

    TDTower* burner = r.build(13);
    auto fire = r.shot(13, 5.0f, 6.0f, burner);
    unit->takeBulletHit(fire.get(), true);
    ASSERT_EQ(r.areas.size(), 1u);
    auto* ground = dynamic_cast<FireSplashModifier*>(r.areas[0]);
    ASSERT_NE(ground, nullptr);
    EXPECT_FLOAT_EQ(ground->mX, 5.0f);
    EXPECT_FLOAT_EQ(ground->mY, 6.0f);
    EXPECT_FLOAT_EQ(ground->mRadius, 64.0f);
    EXPECT_FLOAT_EQ(ground->mValue, 1.0f);
    EXPECT_FLOAT_EQ(ground->mDuration, 10.0f);
    EXPECT_FLOAT_EQ(ground->mTickInterval, 1.0f);
    EXPECT_EQ(ground->mOwner, burner);
}

// The gold a hit earns is the ammunition's income as it stands, whatever the spot's
// "income_mult" (which multiplies a gold tower's own income), also on a spot without
// it; the label shows what is paid.
TEST(BulletHit, GoldIncomePaysWhatTheLabelShows)
{
    ImmunityOff quiet;
    struct Case {
        float incomeMult; // < 0: not set
        int paid;
    } cases[] = {{1.5f, 10}, {1.0f, 10}, {-1.0f, 10}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.incomeMult);
        Range r;
        r.entry.mSpot = &r.spot;
        if (c.incomeMult >= 0.0f)
            r.spot.mParams->number("income_mult") = c.incomeMult;
        TDTower* tower = r.build(14);
        TDMob* unit = r.unit(1, 20.0f, 30.0f);
        auto bullet = r.shot(14, 20.0f, 30.0f, tower);
        unit->takeBulletHit(bullet.get(), true);
        EXPECT_EQ(r.stats.mMoney, c.paid);
        ASSERT_EQ(r.labels.mLabels.size(), 1u);
        const TDFloatingLabels::Label* label = r.labels.mLabels[0];
        EXPECT_EQ(label->text, L"+" + std::to_wstring(c.paid));
        EXPECT_EQ(label->kind, TDFloatingLabels::kMoneyKind);
        EXPECT_FLOAT_EQ(label->x, 20.0f);
        EXPECT_FLOAT_EQ(label->y, 60.0f);
    }
}

TEST(BulletHit, ADeadUnitTakesNothing)
{
    ImmunityOff quiet;
    Range r;
    TDTower* tower = r.build(14);
    TDMob* unit = r.unit(1, 0.0f, 0.0f, 0.0f);
    auto bullet = r.shot(14, 0.0f, 0.0f, tower);
    unit->takeBulletHit(bullet.get(), true);
    EXPECT_FLOAT_EQ(unit->mHealth, 0.0f);
    EXPECT_EQ(r.stats.mMoney, 0);
    EXPECT_TRUE(r.labels.mLabels.empty());
}

// A resisted hit shows the immunity label, then not again until its cooldown is over.
TEST(BulletHit, ImmunityLabel)
{
    const bool active = gEffectImmunityActive;
    const float delay = gEffectImmunityDelay;
    gEffectImmunityActive = true;
    gEffectImmunityDelay = 2.0f;
    Range r;
    TDTower* tower = r.build(10);
    TDMob* armoured = r.unit(2, 0.0f, 0.0f);
    TDMob* plain = r.unit(1, 0.0f, 0.0f);
    auto bullet = r.shot(10, 0.0f, 0.0f, tower);
    armoured->takeBulletHit(bullet.get(), true);
    armoured->takeBulletHit(bullet.get(), true);
    plain->takeBulletHit(bullet.get(), true);
    EXPECT_FLOAT_EQ(armoured->mResistLabelTimer, 2.0f);
    EXPECT_FLOAT_EQ(plain->mResistLabelTimer, 0.0f);
    ASSERT_EQ(r.labels.mLabels.size(), 1u);
    EXPECT_EQ(r.labels.mLabels[0]->kind, TDFloatingLabels::kImmuneKind);
    gEffectImmunityActive = active;
    gEffectImmunityDelay = delay;
}

// A shot that bursts without its target deals the tier's strength to the units within
// the ammunition's radius (edge included) and plays its hit effect, for one tick.
TEST(BulletHit, Blast)
{
    for (bool sold : {false, true}) {
        SCOPED_TRACE(sold ? "its tower sold while it flew" : "its tower standing");
        Range r;
        TDTower* tower = r.build(10);
        TDMob* inside = r.unit(1, 10.0f, 10.0f);
        TDMob* edge = r.unit(1, 110.0f, 10.0f);
        TDMob* outside = r.unit(1, 10.0f, 110.5f);
        auto bullet = r.shot(10, 10.0f, 10.0f, sold ? nullptr : tower);
        BlastModifier blast(r.world, bullet.get());
        EXPECT_FLOAT_EQ(inside->mHealth, 90.0f);
        EXPECT_FLOAT_EQ(edge->mHealth, 90.0f);
        EXPECT_FLOAT_EQ(outside->mHealth, 100.0f);
        EXPECT_EQ(r.effects.size(), 1u) << "the ammunition's hit effect";
        blast.update(nullptr, 0.016f);
        EXPECT_FALSE(blast.mActive);
        EXPECT_FLOAT_EQ(inside->mHealth, 90.0f) << "it applies nothing afterwards";
    }
}
