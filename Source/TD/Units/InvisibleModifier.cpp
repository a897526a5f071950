#include "Source/TD/Units/InvisibleModifier.h"

#include "Source/TD/Units/TDMob.h"

InvisibleModifier::InvisibleModifier(float interval) : TDModifier("", nullptr, 0.0f, -1.0f)
{
    mInnate = true;
    mTickInterval = interval;
    // Past any interval, so the first update hides the unit.
    mSinceTick = 100.0f;
}

void InvisibleModifier::apply(TDMob* unit, float)
{
    if (!unit || unit->mState == TDMob::Dying)
        return;
    unit->mHideTimer = kHideTime;
    unit->mTargetAlpha = kHiddenAlpha;
}
