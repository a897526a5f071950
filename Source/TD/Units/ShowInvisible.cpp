#include "Source/TD/Units/ShowInvisible.h"

#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Units/MagicTowerBoost.h"
#include "Source/TD/Units/TDMob.h"

ShowInvisible::ShowInvisible(const EffectWorld& world, TDTower* tower)
    : TDModifier("", tower, 0.0f, -1.0f), mWorld(world)
{
}

void ShowInvisible::apply(TDMob*, float)
{
    if (!mOwner || !mWorld.units)
        return;
    const float range = MagicTowerBoost::reach(*mOwner);
    for (TDMob* unit : *mWorld.units) {
        if (!unit)
            continue;
        const float dx = unit->mX - mOwner->x;
        const float dy = unit->mY - mOwner->y;
        if (dx * dx + dy * dy >= range * range)
            continue;
        unit->mHideTimer = 0.0f;
        unit->mTargetAlpha = 1.0f;
    }
}
