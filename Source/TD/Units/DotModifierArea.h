#pragma once
// A poison cloud: each tick every unit in the circle is offered a damage-over-time
// effect of the cloud's strength and whole duration. They have no owner, so a unit
// carries one such poison at a time however many clouds it stands in.
#include "Source/TD/Units/AreaModifier.h"

class DotModifierArea : public AreaModifier {
public:
    static constexpr float kDotInterval = 1.0f;

    DotModifierArea(const EffectWorld& world, float x, float y, float radius, float value, float duration);

protected:
    void touch(TDMob& unit) override;
};
