#pragma once
// A stunned unit walks at half its prototype speed while the effect lasts.
#include "Source/TD/Units/TDModifier.h"

class StunModifier : public TDModifier {
public:
    StunModifier(const EffectWorld& world, std::string name, TDTower* owner, float value, float duration);
    // Writes the penalty rather than adding to it: of a stun and a hold in one tick,
    // the later in the list wins.
    void apply(TDMob* unit, float dt) override;

private:
    EffectWorld mWorld;
};
