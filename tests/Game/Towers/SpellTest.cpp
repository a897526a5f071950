// Spells cast onto the map: what each kind does to units, how long it lives, how it
// ends, and a cast that cannot happen.
#include "tests/Game/Towers/BulletField.h"

#include "Source/TD/Towers/TDSpell.h"
#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/Units/DotModifierArea.h"
#include "Source/TD/Units/FireSplashModifier.h"
#include "Source/TD/Units/MapImpassableArea.h"
#include "Source/TD/Units/StunModifier.h"
#include "Source/TD/Units/TowersBoost.h"
#include "Source/TD/World/UpgradesTable.h"

#include "tests/Support/LogCapture.h"

#include <gtest/gtest.h>

namespace {

// Unit 1 (speed 40); spells (strength, duration, radius): 3001 burning ground (3, 2 s,
// 50), 3002 splash (4, 1 s, 50), 3003 hold (-, 2 s, 50), 3004 poison (2, 3 s, 50),
// 3005 tower boost (50 %, 2 s), 3006 stun (1, 2 s, 50), 3007 splash lasting 0 s.
const char* kSheet = "id;strength;speed;r;firesplash;splash;hold;dot;boostTower;stun;health\n"
                     "1;0;40;0;0;0;0;0;0;0;20\n"
                     "3001;3;2;50;1;0;0;0;0;0;0\n"
                     "3002;4;1;50;0;1;0;0;0;0;0\n"
                     "3003;0;2;50;0;0;1;0;0;0;0\n"
                     "3004;2;3;50;0;0;0;1;0;0;0\n"
                     "3005;50;2;0;0;0;0;0;1;0;0\n"
                     "3006;1;2;50;0;0;0;0;0;1;0\n"
                     "3007;5;0;50;0;1;0;0;0;0;0\n";

struct Field : BulletField {
    Field() : BulletField(kSheet) { TDTutorial::Instance()->events.clear(); }

    // Cast the way the level does: made, placed, handed to the list, cast.
    TDSpell* cast(int prototypeId, float x = 0, float y = 0, int spellId = 7)
    {
        auto* spell = new TDSpell(spellId, prototypeId);
        spell->position = {x, y};
        list->add(spell);
        cast_ok = spell->cast();
        return spell;
    }
    // Level ticks: area effects and units' effects, then the bullets. The penalties of
    // the tick before are cleared first, so they show what this tick did.
    void run(float dt, int ticks)
    {
        for (int i = 0; i < ticks; ++i) {
            for (TDMob* unit : units)
                unit->mSpeedPenalty = 0.0f;
            tickEffects(dt);
            list->update(dt);
        }
    }
    int events(const std::wstring& name) const
    {
        const auto& all = TDTutorial::Instance()->events;
        return static_cast<int>(std::count(all.begin(), all.end(), name));
    }
    bool cast_ok = false;
};

template <class T> T* Only(const std::vector<TDModifier*>& areas)
{
    EXPECT_EQ(areas.size(), 1u);
    return areas.size() == 1 ? dynamic_cast<T*>(areas[0]) : nullptr;
}

} // namespace

TEST(Spell, EachKindPlacesItsEffectWithItsValues)
{
    Field f;
    f.cast(3001, 10, 20);
    auto* fire = Only<FireSplashModifier>(f.areas);
    ASSERT_NE(fire, nullptr);
    EXPECT_FLOAT_EQ(fire->mValue, 3.0f);
    EXPECT_FLOAT_EQ(fire->mDuration, 2.0f);
    EXPECT_FLOAT_EQ(fire->mTickInterval, 1.0f);
    EXPECT_FLOAT_EQ(fire->mRadius, 50.0f);
    EXPECT_FLOAT_EQ(fire->mX, 10.0f);
    EXPECT_FLOAT_EQ(fire->mY, 20.0f);
    EXPECT_EQ(fire->mOwner, nullptr);

    const struct {
        int id;
        float duration;
        bool (*is)(TDModifier*);
    } kinds[] = {
        {3003, 2.0f, [](TDModifier* m) { return dynamic_cast<MapImpassableArea*>(m) != nullptr; }},
        {3004, 3.0f, [](TDModifier* m) { return dynamic_cast<DotModifierArea*>(m) != nullptr; }},
        {3005, 2.0f, [](TDModifier* m) { return dynamic_cast<TowersBoost*>(m) != nullptr; }},
    };
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.id);
        Field g;
        g.cast(k.id, 10, 20);
        EXPECT_TRUE(g.cast_ok);
        ASSERT_EQ(g.areas.size(), 1u);
        EXPECT_TRUE(k.is(g.areas[0]));
        EXPECT_FLOAT_EQ(g.areas[0]->mDuration, k.duration);
        EXPECT_EQ(g.events(L"spell_casted"), 1);
    }
    Field g;
    g.cast(3005);
    EXPECT_FLOAT_EQ(g.areas[0]->mValue, 0.5f) << "the boost's value is a hundredth of its strength";
}

TEST(Spell, EffectsOnUnitsLastTheirDurationAndEnd)
{
    // Whether a unit inside the circle is hurt, and held still, while the spell lasts.
    const struct {
        int id;
        bool hurt, held;
    } kinds[] = {
        {3001, true, false}, // burning ground (and the living spell's strike)
        {3002, true, false}, // the cast's blow
        {3003, false, true}, // units cannot pass
        {3004, true, false}, // poison
        {3006, true, true},  // struck once and stunned
    };
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.id);
        Field f;
        TDMob* inside = f.unit(20, 0);
        TDMob* outside = f.unit(80, 0);
        TDSpell* spell = f.cast(k.id);
        f.run(0.25f, 2);
        EXPECT_EQ(inside->mSpeedPenalty > 0.0f, k.held);
        EXPECT_FLOAT_EQ(outside->mSpeedPenalty, 0.0f);
        f.run(0.25f, 14);
        EXPECT_FALSE(f.flying(spell)) << "gone after its duration";
        EXPECT_EQ(f.events(L"spell_casting_end_7"), 1);
        EXPECT_TRUE(f.areas.empty()) << "area effects end with it";
        EXPECT_TRUE(inside->mModifiers.empty()) << "and so do the units' effects";
        EXPECT_EQ(inside->mHealth < 20.0f, k.hurt);
        EXPECT_FLOAT_EQ(outside->mHealth, 20.0f);
        const float after = inside->mHealth;
        f.run(0.25f, 8);
        EXPECT_FLOAT_EQ(inside->mHealth, after) << "nothing acts after the end";
        EXPECT_FLOAT_EQ(inside->mSpeedPenalty, 0.0f);
    }
}

TEST(Spell, SplashStrikesEachUnitOnceAndLateComersOnEntering)
{
    Field f;
    TDMob* atCast = f.unit(30, 0);
    TDMob* late = f.unit(90, 0);
    TDSpell* spell = f.cast(3002);
    EXPECT_FLOAT_EQ(atCast->mHealth, 16.0f) << "the cast's blow";
    ASSERT_EQ(spell->struck.size(), 1u);
    f.run(0.25f, 1);
    EXPECT_FLOAT_EQ(atCast->mHealth, 16.0f) << "the living spell does not strike it again";
    EXPECT_FLOAT_EQ(late->mHealth, 20.0f);
    Field::place(late, 40, 0);
    f.run(0.25f, 2);
    EXPECT_FLOAT_EQ(late->mHealth, 16.0f) << "walked in: struck once";
    f.run(0.25f, 4);
    EXPECT_FALSE(f.flying(spell));
    EXPECT_EQ(f.events(L"spell_casting_end_7"), 1);
}

TEST(Spell, StunSpellStunsUnitsEnteringItsCircle)
{
    Field f;
    TDMob* unit = f.unit(100, 0);
    TDSpell* spell = f.cast(3006);
    f.run(0.25f, 1);
    EXPECT_TRUE(unit->mModifiers.empty());
    Field::place(unit, 30, 0);
    f.list->update(0.25f);
    ASSERT_EQ(unit->mModifiers.size(), 1u);
    auto* stun = dynamic_cast<StunModifier*>(unit->mModifiers[0]);
    ASSERT_NE(stun, nullptr);
    EXPECT_FLOAT_EQ(stun->mDuration, 2.0f);
    EXPECT_FLOAT_EQ(unit->mHealth, 19.0f);
    f.list->update(0.25f);
    EXPECT_EQ(unit->mModifiers.size(), 1u) << "once";
    EXPECT_TRUE(f.flying(spell));
}

TEST(Spell, ZeroDurationEndsInItsFirstTick)
{
    Field f;
    TDMob* unit = f.unit(10, 0);
    TDSpell* spell = f.cast(3007);
    EXPECT_FLOAT_EQ(unit->mHealth, 15.0f) << "the cast still strikes";
    TDMob* late = f.unit(20, 0);
    f.list->update(0.01f);
    EXPECT_FALSE(f.flying(spell));
    EXPECT_EQ(f.events(L"spell_casting_end_7"), 1);
    EXPECT_FLOAT_EQ(late->mHealth, 20.0f);
}

TEST(Spell, UpgradesChangeTheCastNotTheLivingSpell)
{
    UpgradesTable table;
    ASSERT_TRUE(table.parse(R"(<upgrades><upgrade id="1" section="1"><targets><target id="3002"/></targets>
        <steps><step><attributes><p name="strength" value="100"/><p name="radius" value="100"/></attributes></step>
        </steps></upgrade></upgrades>)",
                            L"upgrades.xml"));
    table.boughtLevel = [](int) { return 0; };
    table.unlocked = [](int) { return true; };
    Field f;
    f.world.upgrades = &table;
    TDMob* far = f.unit(90, 0);
    TDMob* entering = f.unit(200, 0);
    f.cast(3002);
    EXPECT_FLOAT_EQ(far->mHealth, 12.0f) << "doubled strength, doubled radius";
    Field::place(entering, 40, 0);
    f.run(0.25f, 1);
    EXPECT_FLOAT_EQ(entering->mHealth, 16.0f) << "the living spell keeps the sheet's values";
}

TEST(Spell, UnknownPrototypeIsNotCast)
{
    Field f;
    TDMob* unit = f.unit(0, 0);
    LogCapture log;
    TDSpell* spell = f.cast(3999, 0, 0, 9);
    EXPECT_FALSE(f.cast_ok);
    EXPECT_EQ(log.Lines(), 1);
    EXPECT_EQ(log.Count(L"3999"), 1) << log.text;
    EXPECT_EQ(f.events(L"spell_casted"), 0);
    f.list->update(0.1f);
    EXPECT_FALSE(f.flying(spell));
    EXPECT_EQ(f.events(L"spell_casting_end_9"), 0);
    EXPECT_TRUE(f.areas.empty());
    EXPECT_FLOAT_EQ(unit->mHealth, 20.0f);
}

TEST(Spell, RemovedUnitLeavesTheStruckList)
{
    Field f;
    TDMob* unit = f.unit(10, 0);
    TDSpell* spell = f.cast(3002);
    ASSERT_EQ(spell->struck.size(), 1u);
    f.remove(unit);
    EXPECT_TRUE(spell->struck.empty());
    f.run(0.25f, 1);
}
