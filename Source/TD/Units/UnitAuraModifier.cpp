#include "Source/TD/Units/UnitAuraModifier.h"

#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/UnitPrototype.h"

UnitAuraModifier::UnitAuraModifier(const EffectWorld& world, float interval)
    : TDModifier("", nullptr, 0.0f, -1.0f), mWorld(world)
{
    mInnate = true;
    mTickInterval = interval;
}

void UnitAuraModifier::apply(TDMob* source, float)
{
    if (!source || !mWorld.prototypes || source->mState == TDMob::Dying)
        return;
    const UnitPrototype* prototype = source->getPrototype(*mWorld.prototypes);
    if (!prototype)
        return;
    for (TDMob* unit : mWorld.unitsNear(*source, prototype->r))
        touch(*unit);
}
