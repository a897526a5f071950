#pragma once
// A gold tower's standing effect: the tower pays its income once per tick interval.
#include "Source/TD/Units/TDModifier.h"

class UnitPrototype;

class GoldIncomerModifier : public TDModifier {
public:
    // `interval` is the tier's cooldown.
    GoldIncomerModifier(TDTower* tower, int goldIncome, float interval);
    void apply(TDMob* target, float dt) override;

    int mGoldIncome; // the tier's; the tower computes what it pays
};

// The standing effects of a tower's tier, in order: income, boost, reveal.
std::vector<TDModifier*> MakeTowerEffects(const EffectWorld& world, TDTower* tower, const UnitPrototype& tier);
