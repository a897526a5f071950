#pragma once
// A boost spell over every tower: strength and range grow by `mValue` of their
// prototype's each tick while it lasts, and each tower gets a hammer over it once.
#include "Source/TD/Units/TDModifier.h"

class TowersBoost : public TDModifier {
public:
    TowersBoost(const EffectWorld& world, float value, float duration);
    // Takes its hammers away; a tower stays marked boosted while another live boost
    // still marks it.
    ~TowersBoost() override;
    void apply(TDMob* target, float dt) override;

    bool marks(const TDTower* tower) const;
    // The hammer's speed scale: prototype 3004's speed over that of its upgraded copy;
    // 1 when the prototype is missing or either speed is 0.
    static float hammerScale(const PrototypeStore* prototypes, const UpgradesTable* upgrades);

    std::vector<TDTower*> mMarked;         // not owned
    std::vector<ParticleEffect*> mHammers; // in the level's HUD effect list

private:
    EffectWorld mWorld;
};
