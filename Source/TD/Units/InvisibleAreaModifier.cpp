#include "Source/TD/Units/InvisibleAreaModifier.h"

#include "Source/TD/Units/InvisibleModifier.h"
#include "Source/TD/Units/TDMob.h"

void InvisibleAreaModifier::touch(TDMob& unit)
{
    unit.mHideTimer = InvisibleModifier::kHideTime;
    unit.mTargetAlpha = InvisibleModifier::kHiddenAlpha;
}
