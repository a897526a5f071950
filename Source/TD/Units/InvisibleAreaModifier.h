#pragma once
// A unit with an invisibility aura hides the other units within its range each
// interval; it stays visible itself.
#include "Source/TD/Units/TDModifier.h"

class InvisibleAreaModifier : public TDModifier {
public:
    InvisibleAreaModifier(const EffectWorld& world, float interval);
    void apply(TDMob* source, float dt) override;

private:
    EffectWorld mWorld;
};
