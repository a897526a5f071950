#include "Source/TD/Units/StunModifier.h"

#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/UnitPrototype.h"

StunModifier::StunModifier(const EffectWorld& world, std::string name, TDTower* owner, float value, float duration)
    : TDModifier(std::move(name), owner, value, duration), mWorld(world)
{
}

void StunModifier::apply(TDMob* unit, float)
{
    if (!unit || !mWorld.prototypes)
        return;
    if (const UnitPrototype* prototype = unit->getPrototype(*mWorld.prototypes))
        unit->mSpeedPenalty = 0.5f * prototype->speed;
}
