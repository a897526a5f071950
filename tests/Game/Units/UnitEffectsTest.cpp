#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Units/DotModifier.h"
#include "Source/TD/Units/HasteAreaModifier.h"
#include "Source/TD/Units/HealerModifier.h"
#include "Source/TD/Units/HoldAndTeleport.h"
#include "Source/TD/Units/HoldModifier.h"
#include "Source/TD/Units/InvisibleAreaModifier.h"
#include "Source/TD/Units/InvisibleModifier.h"
#include "Source/TD/Units/RegenModifier.h"
#include "Source/TD/Units/StunModifier.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/ParticleEffect.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/SheetToXml.h"
#include "Source/TD/World/TDPoint.h"
#include "Source/TD/World/TDSprite.h"

#include "tests/Game/Units/EffectField.h"
#include "tests/Support/SheetStore.h"

#include <gtest/gtest.h>
#include <memory>
#include <tinyxml2.h>

namespace {

// Units 1 (walker, speed 4, health 10), 2 (healer, reach 100, health 20), 3 (aura
// unit, reach 50), 4 (straight flyer, speed 6).
struct World : EffectField {
    World()
    {
        points = {new TDPoint(10, 5, 7), new TDPoint(11, 100, 7)};
        world.prototypes = sheet.store.get();
        world.areaModifiers = nullptr;
    }
    // One level tick of the units' effects, the penalties cleared at its end.
    void tick(float dt)
    {
        for (TDMob* unit : units)
            unit->updateEffects(dt);
        for (TDMob* unit : units)
            unit->dropEndedEffects();
    }
    void endTick()
    {
        for (TDMob* unit : units)
            unit->mSpeedPenalty = 0.0f;
    }

    SheetStore sheet{"id;speed;r;health;straight\n"
                     "1;4;0;10;0\n"
                     "2;2;100;20;0\n"
                     "3;2;50;10;0\n"
                     "4;6;0;10;1\n"};
};

} // namespace

TEST(UnitEffects, DamageOverTime)
{
    struct Case {
        const char* what;
        int state;
        float value, duration, interval, dt;
        int ticks;
        float health;
        size_t clouds;
    } cases[] = {
        {"hit: 0.5 at 0.9 s and 1.8 s, then over", TDMob::Walking, 0.5f, 2.0f, 0.9f, 0.25f, 20, 9.0f, 2},
        {"interval 1.0 in half-second frames: every third frame", TDMob::Walking, 2.0f, 3.0f, 1.0f, 0.5f, 20, 6.0f, 2},
        {"a dying unit takes no damage", TDMob::Dying, 0.5f, 2.0f, 0.9f, 0.25f, 20, 10.0f, 2},
        {"fading out: no damage either", TDMob::FadingOut, 0.5f, 2.0f, 0.9f, 0.25f, 20, 10.0f, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        World w;
        TDMob* unit = w.add(1, 0, 0, 10.0f);
        unit->mState = c.state;
        auto* dot = new DotModifier(w.world, "health", nullptr, c.value, c.duration);
        dot->mTickInterval = c.interval;
        ASSERT_TRUE(unit->addModifier(dot));
        for (int i = 0; i < c.ticks; ++i)
            w.tick(c.dt);
        EXPECT_FLOAT_EQ(unit->mHealth, c.health);
        EXPECT_EQ(w.sprites.size(), c.clouds);
        EXPECT_TRUE(unit->mModifiers.empty()) << "ended effects are dropped";
    }
}

TEST(UnitEffects, Healers)
{
    struct Case {
        const char* what;
        float healerPenalty;
        float distance;
        float health; // of the neighbour, whose maximum is 10
        int neighbourState;
        float expected;
        int healerState;
    } cases[] = {
        {"a tenth of the maximum", 0.0f, 50.0f, 5.0f, TDMob::Walking, 6.0f, TDMob::Special},
        {"never above the maximum", 0.0f, 50.0f, 9.5f, TDMob::Walking, 10.0f, TDMob::Special},
        {"exactly at its reach: out", 0.0f, 100.0f, 5.0f, TDMob::Walking, 5.0f, TDMob::Walking},
        {"just inside its reach", 0.0f, 99.9f, 5.0f, TDMob::Walking, 6.0f, TDMob::Special},
        {"nobody hurt: no special animation", 0.0f, 50.0f, 10.0f, TDMob::Walking, 10.0f, TDMob::Walking},
        {"dying units are not healed", 0.0f, 50.0f, 5.0f, TDMob::Dying, 5.0f, TDMob::Walking},
        {"a stunned healer does not heal", 1.0f, 50.0f, 5.0f, TDMob::Walking, 5.0f, TDMob::Walking},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        World w;
        TDMob* healer = w.add(2, 0, 0, 1.0f);
        TDMob* neighbour = w.add(1, c.distance, 0, c.health);
        neighbour->mState = c.neighbourState;
        healer->mModifiers.push_back(new HealerModifier(w.world, 1.0f));
        healer->mSpeedPenalty = c.healerPenalty;
        w.tick(0.1f); // interval 1.0: nothing yet
        EXPECT_FLOAT_EQ(neighbour->mHealth, c.health);
        w.tick(1.0f);
        EXPECT_FLOAT_EQ(neighbour->mHealth, c.expected);
        EXPECT_EQ(healer->mState, c.healerState);
        EXPECT_FLOAT_EQ(healer->mHealth, 1.0f) << "a healer never heals itself";
        EXPECT_EQ(healer->mModifiers.size(), 1u) << "abilities are endless";
    }
}

TEST(UnitEffects, TwoHealersHealEachOther)
{
    World w;
    TDMob* a = w.add(2, 0, 0, 10.0f);
    TDMob* b = w.add(2, 30, 0, 19.0f);
    a->mModifiers.push_back(new HealerModifier(w.world, -1.0f));
    b->mModifiers.push_back(new HealerModifier(w.world, -1.0f));
    w.tick(0.1f);
    EXPECT_FLOAT_EQ(a->mHealth, 12.0f);
    EXPECT_FLOAT_EQ(b->mHealth, 20.0f);
    EXPECT_EQ(w.sprites.size(), 2u);
    EXPECT_EQ(static_cast<TDAnimatedSprite*>(w.sprites[0])->mUnit, b);
}

TEST(UnitEffects, Regeneration)
{
    struct Case {
        const char* what;
        float health, penalty, expected;
    } cases[] = {
        {"a tenth of the maximum", 5.0f, 0.0f, 6.0f},
        {"clamped to the maximum", 9.5f, 0.0f, 10.0f},
        {"held or stunned this tick: no regeneration", 5.0f, 4.0f, 5.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        World w;
        TDMob* unit = w.add(1, 0, 0, c.health);
        unit->mModifiers.push_back(new RegenModifier(w.world, -1.0f));
        unit->mSpeedPenalty = c.penalty;
        w.tick(0.1f);
        EXPECT_FLOAT_EQ(unit->mHealth, c.expected);
    }
}

TEST(UnitEffects, StunAgainstHold)
{
    enum Kind { Stun, Hold, Regen };
    struct Case {
        const char* what;
        std::vector<Kind> list;
        float penalty;
        float health; // starts at 5 of 10
    } cases[] = {
        {"stun: half speed", {Stun}, 2.0f, 5.0f},
        {"hold: stands still", {Hold}, 4.0f, 5.0f},
        {"the later in the list wins (hold)", {Stun, Hold}, 4.0f, 5.0f},
        {"the later in the list wins (stun)", {Hold, Stun}, 2.0f, 5.0f},
        {"an ability before the stun still works that tick", {Regen, Stun}, 2.0f, 6.0f},
        {"an ability after the stun is blocked", {Stun, Regen}, 2.0f, 5.0f},
    };
    TDTower towers[3] = {{nullptr, nullptr, 0, 0}, {nullptr, nullptr, 0, 0}, {nullptr, nullptr, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        World w;
        TDMob* unit = w.add(1, 0, 0, 5.0f);
        int n = 0;
        for (Kind kind : c.list) {
            TDModifier* m = kind == Stun   ? static_cast<TDModifier*>(new StunModifier(w.world, "speed", &towers[n], 0.5f, 3.0f))
                            : kind == Hold ? static_cast<TDModifier*>(new HoldModifier(w.world, "speed", &towers[n], 0.5f, 3.0f))
                                           : static_cast<TDModifier*>(new RegenModifier(w.world, -1.0f));
            ASSERT_TRUE(unit->addModifier(m));
            ++n;
        }
        w.tick(0.1f);
        EXPECT_FLOAT_EQ(unit->mSpeedPenalty, c.penalty);
        EXPECT_FLOAT_EQ(unit->mHealth, c.health);
    }
}

TEST(UnitEffects, Invisibility)
{
    World w;
    TDMob* self = w.add(1, 0, 0, 10.0f);
    self->mModifiers.push_back(new InvisibleModifier(5.0f));
    w.tick(0.01f);
    EXPECT_FLOAT_EQ(self->mHideTimer, 2.0f) << "hidden on the first update";
    EXPECT_FLOAT_EQ(self->mTargetAlpha, 0.4f);
    self->damage(1.0f);
    EXPECT_FLOAT_EQ(self->mHideTimer, 0.0f) << "a hit shows the unit";
    EXPECT_FLOAT_EQ(self->mTargetAlpha, 1.0f);
    w.tick(1.0f);
    EXPECT_FLOAT_EQ(self->mTargetAlpha, 1.0f) << "visible until the next apply";
    w.tick(4.5f);
    EXPECT_FLOAT_EQ(self->mTargetAlpha, 0.4f);

    World a;
    TDMob* source = a.add(3, 0, 0, 10.0f);
    TDMob* near = a.add(1, 49.0f, 0, 10.0f);
    TDMob* edge = a.add(1, 0, 50.0f, 10.0f);
    near->mState = TDMob::Dying; // any state is hidden
    source->mModifiers.push_back(new InvisibleAreaModifier(a.world, -1.0f));
    source->mModifiers.push_back(new HasteAreaModifier(a.world, -1.0f));
    a.tick(0.1f);
    EXPECT_FLOAT_EQ(near->mTargetAlpha, 0.4f);
    EXPECT_FLOAT_EQ(near->mSlowTarget, 2.0f);
    EXPECT_FLOAT_EQ(near->mSlowTimer, 5.0f);
    EXPECT_FLOAT_EQ(edge->mTargetAlpha, 1.0f) << "exactly at the reach: out";
    EXPECT_FLOAT_EQ(edge->mSlowTarget, 1.0f);
    EXPECT_FLOAT_EQ(source->mTargetAlpha, 1.0f) << "the source stays visible";
    EXPECT_FLOAT_EQ(source->mSlowTarget, 1.0f);
}

TEST(UnitEffects, Teleport)
{
    struct Case {
        const char* what;
        int prototype;
        bool towerSold;
        float x; // after the teleport
        bool released;
    } cases[] = {
        {"walker goes back to its spawn point", 1, false, 5.0f, true},
        {"tower sold meanwhile: teleports, releases nothing", 1, true, 5.0f, false},
        {"straight unit keeps its place", 4, false, 150.0f, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        World w;
        TDTower tower(nullptr, nullptr, 0, 0);
        TDTower bystander(nullptr, nullptr, 0, 0);
        TDMob* unit = w.add(c.prototype, 150, 7, 10.0f);
        unit->mPathNodes = {10, 11, 12};
        unit->mPathIndex = 2;
        unit->mSegmentT = 0.5f;
        unit->mState = TDMob::Special;
        tower.held = unit;
        auto* teleport = new HoldAndTeleport(w.world, "", &tower, 0.0f, 3.0f);
        ASSERT_TRUE(unit->addModifier(teleport));
        const float speed = c.prototype == 4 ? 6.0f : 4.0f;
        int tick = 0;
        size_t effectsAt5 = 0, effectsAt9 = 0;
        // Held for 3 s (13 ticks of 0.25 s: the 13th passes 3.0 and still holds).
        for (; tick < 13; ++tick) {
            w.tick(0.25f);
            EXPECT_FLOAT_EQ(unit->mSpeedPenalty, speed);
            w.endTick();
            if (tick == 4)
                effectsAt5 = w.effects.size();
            if (tick == 8)
                effectsAt9 = w.effects.size();
        }
        EXPECT_EQ(effectsAt5, 1u) << "the portal over the unit opens 2 s before the end";
        EXPECT_EQ(effectsAt9, 2u) << "the portal at the spawn point 1 s before the end";
        EXPECT_EQ(unit->mPathIndex, 2);
        ASSERT_EQ(teleport->phase(), HoldAndTeleport::TeleportDue);
        if (c.towerSold)
            teleport->forget(&tower);
        teleport->forget(&bystander);
        w.tick(0.25f);
        EXPECT_EQ(teleport->phase(), HoldAndTeleport::Done);
        EXPECT_EQ(unit->mPathIndex, 0);
        EXPECT_FLOAT_EQ(unit->mSegmentT, 0.0f);
        EXPECT_FLOAT_EQ(unit->mX, c.x);
        EXPECT_EQ(unit->mState, c.prototype == 4 ? TDMob::Special : TDMob::Walking);
        EXPECT_EQ(tower.held == nullptr, c.released);
        EXPECT_EQ(w.effects.size(), 3u) << "the blow at the unit";
        w.endTick();
        // 0.5 s more, then gone.
        w.tick(0.25f);
        w.tick(0.25f);
        EXPECT_EQ(unit->mModifiers.size(), 1u);
        w.tick(0.25f);
        EXPECT_TRUE(unit->mModifiers.empty());
    }
}
