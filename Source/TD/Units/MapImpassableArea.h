#pragma once
// A blocked circle: every unit inside stands still while the effect lasts.
#include "Source/TD/Units/AreaModifier.h"

class MapImpassableArea : public AreaModifier {
public:
    MapImpassableArea(const EffectWorld& world, float x, float y, float radius, float duration);

protected:
    void touch(TDMob& unit) override;
};
