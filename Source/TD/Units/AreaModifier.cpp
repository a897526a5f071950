#include "Source/TD/Units/AreaModifier.h"

AreaModifier::AreaModifier(const EffectWorld& world, std::string name, TDTower* owner, float value, float duration,
                           float x, float y, float radius)
    : TDModifier(std::move(name), owner, value, duration), mWorld(world)
{
    mX = x;
    mY = y;
    mRadius = radius;
}

void AreaModifier::apply(TDMob*, float)
{
    for (TDMob* unit : mWorld.unitsInCircle(mX, mY, mRadius))
        touch(*unit);
}
