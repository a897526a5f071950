#pragma once
// Burning ground: `mValue` damage to every unit in the circle each tick interval.
#include "Source/TD/Units/AreaModifier.h"

class FireSplashModifier : public AreaModifier {
public:
    // What a burning hit leaves around the unit it struck.
    static constexpr float kHitValue = 1.0f;
    static constexpr float kHitDuration = 10.0f;
    static constexpr float kHitInterval = 1.0f;
    static constexpr float kHitRadius = 64.0f;

    FireSplashModifier(const EffectWorld& world, std::string name, TDTower* owner, float value, float duration,
                       float x, float y, float radius);

protected:
    void touch(TDMob& unit) override;
};
