#pragma once
// A boost tower's standing effect: every tick, the towers around it (boost towers
// excepted, so they never boost each other) gain strength and range by the boost
// tower's speed in percent of their own, and show the boosted mark.
#include "Source/TD/Units/TDModifier.h"

class MagicTowerBoost : public TDModifier {
public:
    MagicTowerBoost(const EffectWorld& world, TDTower* tower);
    void apply(TDMob* target, float dt) override;

    // Half the tower's range times its spot's "radius_mult" (a spot without one counts
    // 1, as for firing): the reach of its boost and of its sight of hidden units.
    static float reach(const TDTower& tower);

private:
    EffectWorld mWorld;
};
