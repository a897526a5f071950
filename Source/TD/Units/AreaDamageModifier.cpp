#include "Source/TD/Units/AreaDamageModifier.h"

AreaDamageModifier::AreaDamageModifier(float x, float y) : TDModifier("", nullptr, 0.0f, kDuration)
{
    mKind = kKind;
    mX = x;
    mY = y;
    mRadius = kRadius;
}
