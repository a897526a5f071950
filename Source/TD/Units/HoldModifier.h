#pragma once
// A held unit stands still while the effect lasts.
#include "Source/TD/Units/TDModifier.h"

class HoldModifier : public TDModifier {
public:
    HoldModifier(const EffectWorld& world, std::string name, TDTower* owner, float value, float duration);
    void apply(TDMob* unit, float dt) override;

private:
    EffectWorld mWorld;
};
