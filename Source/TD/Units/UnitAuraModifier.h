#pragma once
// An aura that a unit is born with: each interval, unless the source is dying, it
// touches every other unit (any state) strictly within the source prototype's range.
#include "Source/TD/Units/TDModifier.h"

class UnitAuraModifier : public TDModifier {
public:
    UnitAuraModifier(const EffectWorld& world, float interval);
    void apply(TDMob* source, float dt) override;

protected:
    virtual void touch(TDMob& unit) = 0;

    EffectWorld mWorld;
};
