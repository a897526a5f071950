#pragma once
// A reveal tower's standing effect: units strictly within its reach are shown fully.
#include "Source/TD/Units/TDModifier.h"

class ShowInvisible : public TDModifier {
public:
    ShowInvisible(const EffectWorld& world, TDTower* tower);
    void apply(TDMob* target, float dt) override;

private:
    EffectWorld mWorld;
};
