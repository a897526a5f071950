#pragma once
// A unit born regenerating heals a tenth of its maximum health each interval while it
// is neither stunned nor held.
#include "Source/TD/Units/TDModifier.h"

class UnitPrototype;

class RegenModifier : public TDModifier {
public:
    RegenModifier(const EffectWorld& world, float interval);
    void apply(TDMob* unit, float dt) override;

    // Heals `unit` by a tenth of its maximum (prototype health times the difficulty),
    // never above it; false when it was already at its maximum.
    static bool healTenth(TDMob& unit, const UnitPrototype& prototype);

private:
    EffectWorld mWorld;
};
