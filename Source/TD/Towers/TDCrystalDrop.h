#pragma once
// A gem dropped by a dying unit. It lands 50 to 100 units away from the unit; while the
// level forces drops (the tutorial) it lies at once at a fixed spot.
#include "Source/TD/Towers/TDGoldDrop.h"

class TDMob;

class TDCrystallSpecial : public TDGoldSpecial {
public:
    // Where forced drops lie.
    static constexpr DropPoint kForcedSpot{200.0f, 200.0f};

    // `dropOverride` is the level's drop override: 1.0 forces drops.
    TDCrystallSpecial(const TDMob* unit, float dropOverride);
    // The pick-up also tells the tutorial.
    i32 setState(i32 value) override;

    // Whether a dying unit of `dropChance` percent drops a gem against the draw
    // `random` in [0, 1]: the override 1.0 always drops, a chance of 0 never does.
    static bool drops(int dropChance, float dropOverride, float random);
};
