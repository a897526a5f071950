#include "Source/TD/Units/HasteAreaModifier.h"

#include "Source/TD/Units/TDMob.h"

void HasteAreaModifier::touch(TDMob& unit)
{
    unit.mSlowTarget = 2.0f;
    unit.mSlowTimer = 5.0f;
}
