#include "Source/TD/Units/DotModifierArea.h"

#include "Source/TD/Units/DotModifier.h"
#include "Source/TD/Units/TDMob.h"

DotModifierArea::DotModifierArea(const EffectWorld& world, float x, float y, float radius, float value,
                                 float duration)
    : AreaModifier(world, "", nullptr, value, duration, x, y, radius)
{
}

void DotModifierArea::touch(TDMob& unit)
{
    auto* dot = new DotModifier(mWorld, "", nullptr, mValue, mDuration);
    dot->mTickInterval = kDotInterval;
    if (!unit.addModifier(dot))
        delete dot;
}
