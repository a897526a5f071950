#include "Source/TD/Units/MapImpassableArea.h"

#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/UnitPrototype.h"

MapImpassableArea::MapImpassableArea(const EffectWorld& world, float x, float y, float radius, float duration)
    : AreaModifier(world, "", nullptr, 0.0f, duration, x, y, radius)
{
}

void MapImpassableArea::touch(TDMob& unit)
{
    if (!mWorld.prototypes)
        return;
    if (const UnitPrototype* prototype = unit.getPrototype(*mWorld.prototypes))
        unit.mSpeedPenalty = prototype->speed;
}
