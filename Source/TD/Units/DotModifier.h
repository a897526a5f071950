#pragma once
// Damage over time on a unit (poison, burning ammunition): `mValue` per tick, with a
// small cloud drawn over the unit each time.
#include "Source/TD/Units/TDModifier.h"

class DotModifier : public TDModifier {
public:
    DotModifier(const EffectWorld& world, std::string name, TDTower* owner, float value, float duration);
    void apply(TDMob* unit, float dt) override;

private:
    EffectWorld mWorld;
};
