#pragma once
// An effect on a circle of the map: each tick it touches every unit standing in the
// circle (edge included). Lives in the level's area list.
#include "Source/TD/Units/TDModifier.h"

class AreaModifier : public TDModifier {
public:
    AreaModifier(const EffectWorld& world, std::string name, TDTower* owner, float value, float duration, float x,
                 float y, float radius);
    void apply(TDMob* target, float dt) override;

protected:
    virtual void touch(TDMob& unit) = 0;

    EffectWorld mWorld;
};
