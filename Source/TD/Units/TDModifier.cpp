#include "Source/TD/Units/TDModifier.h"

void TDModifier::update(void*, float dt)
{
    clock += dt;
    if (duration >= 0.0f && clock >= duration)
        active = 0;
}
