#include "Source/TD/Units/HoldModifier.h"

#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/UnitPrototype.h"

HoldModifier::HoldModifier(const EffectWorld& world, std::string name, TDTower* owner, float value, float duration)
    : TDModifier(std::move(name), owner, value, duration), mWorld(world)
{
}

void HoldModifier::apply(TDMob* unit, float)
{
    if (!unit || !mWorld.prototypes)
        return;
    if (const UnitPrototype* prototype = unit->getPrototype(*mWorld.prototypes))
        unit->mSpeedPenalty = prototype->speed;
}
