#include "Source/TD/Units/ShamanModifier.h"

#include "Core/Render/Math/Random.h"
#include "Source/TD/Units/ShamanPortal.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/UnitPrototype.h"

ShamanModifier::ShamanModifier(const EffectWorld& world, float cooldown)
    : TDModifier("", nullptr, 0.0f, -1.0f), mWorld(world)
{
    mInnate = true;
    mTickInterval = cooldown * (1.0f + RandomFloat());
}

void ShamanModifier::apply(TDMob* shaman, float)
{
    if (!shaman || shaman->mSpeedPenalty != 0.0f)
        return;
    shaman->mState = TDMob::Special;
    shaman->mAnimTime = 0.0f;
    if (!mWorld.prototypes || !mWorld.areaModifiers)
        return;
    const UnitPrototype* own = shaman->getPrototype(*mWorld.prototypes);
    const UnitPrototype* portalKind = own ? mWorld.prototypes->find(own->ammoid) : nullptr;
    if (!portalKind)
        return;
    auto* portal = new ShamanPortal(mWorld, *shaman, portalKind->cooldown, portalKind->onFire);
    portal->mTickInterval = portalKind->speed;
    mWorld.areaModifiers->push_back(portal);
}
