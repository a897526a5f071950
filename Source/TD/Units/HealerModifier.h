#pragma once
// A healer unit heals the hurt units around it (never itself) each interval while it
// is neither stunned nor held, and plays its special animation when it did.
#include "Source/TD/Units/TDModifier.h"

class HealerModifier : public TDModifier {
public:
    HealerModifier(const EffectWorld& world, float interval);
    void apply(TDMob* healer, float dt) override;

private:
    EffectWorld mWorld;
};
