#include "Source/TD/Units/InvisibleAreaModifier.h"

#include "Source/TD/Units/InvisibleModifier.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/UnitPrototype.h"

InvisibleAreaModifier::InvisibleAreaModifier(const EffectWorld& world, float interval)
    : TDModifier("", nullptr, 0.0f, -1.0f), mWorld(world)
{
    mInnate = true;
    mTickInterval = interval;
}

void InvisibleAreaModifier::apply(TDMob* source, float)
{
    if (!source || !mWorld.prototypes || source->mState == TDMob::Dying)
        return;
    const UnitPrototype* prototype = source->getPrototype(*mWorld.prototypes);
    if (!prototype)
        return;
    for (TDMob* unit : mWorld.unitsNear(*source, prototype->r)) {
        unit->mHideTimer = InvisibleModifier::kHideTime;
        unit->mTargetAlpha = InvisibleModifier::kHiddenAlpha;
    }
}
