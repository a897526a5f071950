#include "Source/TD/Units/DotModifier.h"

#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/TDSprite.h"

DotModifier::DotModifier(const EffectWorld& world, std::string name, TDTower* owner, float value, float duration)
    : TDModifier(std::move(name), owner, value, duration), mWorld(world)
{
}

void DotModifier::apply(TDMob* unit, float)
{
    if (!unit)
        return;
    unit->damage(mValue);
    if (!mWorld.floatingSprites)
        return;
    auto* cloud = new TDAnimatedSprite(L"td/mob_dot");
    cloud->mX = unit->mDrawX;
    cloud->mY = unit->mDrawY;
    mWorld.floatingSprites->push_back(cloud);
}
