#include "Source/TD/Units/MagicTowerBoost.h"

#include "Source/TD/Towers/TDTower.h"

MagicTowerBoost::MagicTowerBoost(const EffectWorld& world, TDTower* tower)
    : TDModifier("", tower, 0.0f, -1.0f), mWorld(world)
{
}

float MagicTowerBoost::reach(const TDTower& tower)
{
    const UnitPrototype* tier = tower.currentPrototype();
    if (!tier)
        return 0.0f;
    float multiplier = tower.spotNumber("radius_mult");
    // A spot that does not set it would leave the effect reaching nothing.
    if (multiplier == 0.0f)
        multiplier = 1.0f;
    return tier->r * 0.5f * multiplier;
}

void MagicTowerBoost::apply(TDMob*, float)
{
    if (!mOwner || !mWorld.towers)
        return;
    const UnitPrototype* own = mOwner->currentPrototype();
    if (!own)
        return;
    const float factor = own->speed / 100.0f;
    const float range = reach(*mOwner);
    for (TDTower* other : *mWorld.towers) {
        if (!other || other == mOwner)
            continue;
        const UnitPrototype* tier = other->currentPrototype();
        if (!tier || tier->boostTower)
            continue;
        const float dx = other->x - mOwner->x;
        const float dy = other->y - mOwner->y;
        if (dx * dx + dy * dy > range * range)
            continue;
        other->bonus.strength += tier->strength * factor;
        other->bonus.r += tier->r * factor;
        other->boosted = true;
    }
}
