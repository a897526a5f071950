#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/Units/TDModifier.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// Records the update number of every apply and the dt it was given.
class Probe : public TDModifier {
public:
    Probe(TDTower* owner, float duration, float interval) : TDModifier("probe", owner, 0.0f, duration)
    {
        mTickInterval = interval;
    }
    void apply(TDMob*, float dt) override
    {
        applies.push_back(updates);
        dts.push_back(dt);
    }
    int updates = 0;
    std::vector<int> applies;
    std::vector<float> dts;
};

struct TimingCase {
    const char* what;
    float interval;
    float duration;
    float dt;
    int updates;
    std::vector<int> applies; // update numbers (1-based) on which the effect applied
    int endsOn;               // the update after which it is inactive; 0: never
};

} // namespace

TEST(ModifierTiming, Table)
{
    const TimingCase cases[] = {
        {"every update, including the ending one", -1.0f, 0.5f, 0.25f, 5, {1, 2, 3}, 3},
        {"interval 0.9 over 2.0 s: counter restarts at 0", 0.9f, 2.0f, 0.25f, 12, {4, 8}, 9},
        {"interval 0.9 with coarse frames", 0.9f, 2.0f, 0.5f, 8, {2, 4}, 5},
        {"duration 0 applies once", -1.0f, 0.0f, 0.1f, 4, {1}, 1},
        {"duration 0 with an interval never applies", 0.9f, 0.0f, 0.1f, 3, {}, 1},
        {"endless", 1.0f, -1.0f, 0.5f, 1000, {}, 0},
    };
    for (const TimingCase& c : cases) {
        SCOPED_TRACE(c.what);
        Probe probe(nullptr, c.duration, c.interval);
        int endedOn = 0;
        for (int i = 1; i <= c.updates; ++i) {
            probe.updates = i;
            probe.update(nullptr, c.dt);
            if (!probe.mActive && endedOn == 0)
                endedOn = i;
        }
        EXPECT_EQ(endedOn, c.endsOn);
        if (c.duration == -1.0f) {
            EXPECT_EQ(probe.applies.size(), static_cast<size_t>(c.updates / 3)) << "every third 0.5 s frame";
            continue;
        }
        EXPECT_EQ(probe.applies, c.applies);
        for (float dt : probe.dts)
            EXPECT_EQ(dt, c.dt) << "apply gets the frame's dt, not the accumulated time";
    }
}

TEST(ModifierTiming, EndedEffectStandsStill)
{
    Probe probe(nullptr, 0.0f, -1.0f);
    probe.update(nullptr, 0.1f);
    probe.update(nullptr, 0.1f);
    EXPECT_EQ(probe.applies.size(), 1u);
    EXPECT_FLOAT_EQ(probe.mElapsed, 0.1f);
}

TEST(ModifierTiming, OneInflictedEffectPerOwner)
{
    TDTower a(nullptr, nullptr, 0, 0), b(nullptr, nullptr, 0, 0);
    struct Held {
        TDTower* owner;
        bool innate;
    };
    struct Case {
        const char* what;
        std::vector<Held> held;
        TDTower* newOwner;
        bool accepted;
    } cases[] = {
        {"nothing held", {}, &a, true},
        {"same tower, any class", {{&a, false}}, &a, false},
        {"another tower", {{&a, false}}, &b, true},
        {"innate effect of the same owner never blocks", {{&a, true}}, &a, true},
        {"owner-less effects share one slot", {{nullptr, false}}, nullptr, false},
        {"abilities do not block owner-less effects", {{nullptr, true}, {nullptr, true}}, nullptr, true},
        {"a tower's effect beside an owner-less one", {{nullptr, false}, {&b, false}}, &a, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TDMob unit;
        for (const Held& h : c.held) {
            auto* held = new Probe(h.owner, 3.0f, -1.0f);
            held->mInnate = h.innate;
            unit.mModifiers.push_back(held);
        }
        auto* offered = new Probe(c.newOwner, 3.0f, -1.0f);
        const bool accepted = unit.addModifier(offered);
        EXPECT_EQ(accepted, c.accepted);
        EXPECT_EQ(unit.mModifiers.size(), c.held.size() + (accepted ? 1u : 0u));
        if (!accepted)
            delete offered;
    }
}

TEST(ModifierTiming, UnitUpdatesAndDropsItsEffects)
{
    TDMob unit;
    auto* shortOne = new Probe(nullptr, 0.0f, -1.0f);
    auto* longOne = new Probe(nullptr, 5.0f, -1.0f);
    unit.mModifiers = {shortOne, longOne};
    unit.updateEffects(0.1f);
    EXPECT_EQ(shortOne->applies.size(), 1u);
    EXPECT_EQ(longOne->applies.size(), 1u);
    unit.dropEndedEffects();
    ASSERT_EQ(unit.mModifiers.size(), 1u);
    EXPECT_EQ(unit.mModifiers[0], longOne);
}
