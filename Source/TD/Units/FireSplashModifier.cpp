#include "Source/TD/Units/FireSplashModifier.h"

#include "Source/TD/Units/TDMob.h"

FireSplashModifier::FireSplashModifier(const EffectWorld& world, std::string name, TDTower* owner, float value,
                                       float duration, float x, float y, float radius)
    : AreaModifier(world, std::move(name), owner, value, duration, x, y, radius)
{
}

void FireSplashModifier::touch(TDMob& unit)
{
    unit.damage(mValue);
}
