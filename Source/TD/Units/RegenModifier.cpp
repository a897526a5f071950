#include "Source/TD/Units/RegenModifier.h"

#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/UnitPrototype.h"

RegenModifier::RegenModifier(const EffectWorld& world, float interval) : TDModifier("", nullptr, 0.0f, -1.0f), mWorld(world)
{
    mInnate = true;
    mTickInterval = interval;
}

bool RegenModifier::healTenth(TDMob& unit, const UnitPrototype& prototype)
{
    const float maximum = prototype.health * gDifficulty;
    if (!(maximum > unit.mHealth))
        return false;
    unit.damage(maximum / -10.0f);
    if (unit.mHealth > maximum)
        unit.mHealth = maximum;
    return true;
}

void RegenModifier::apply(TDMob* unit, float)
{
    if (!unit || !mWorld.prototypes || unit->mSpeedPenalty != 0.0f || unit->mState == TDMob::Dying)
        return;
    if (const UnitPrototype* prototype = unit->getPrototype(*mWorld.prototypes))
        healTenth(*unit, *prototype);
}
