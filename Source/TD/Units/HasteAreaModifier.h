#pragma once
// A unit with a haste aura doubles the speed of the other units within its range; the
// haste eases in and lasts 5 s after the last apply.
#include "Source/TD/Units/TDModifier.h"

class HasteAreaModifier : public TDModifier {
public:
    HasteAreaModifier(const EffectWorld& world, float interval);
    void apply(TDMob* source, float dt) override;

private:
    EffectWorld mWorld;
};
