#include "Source/TD/Units/BlastModifier.h"

#include "Core/Render/ParticleEmitter.h"
#include "Source/TD/Towers/TDBullet.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/ParticleEffect.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/UnitPrototype.h"

BlastModifier::BlastModifier(const EffectWorld& world, const TDBullet* bullet) : TDModifier("", nullptr, 0.0f, 0.0f)
{
    if (!bullet || !world.prototypes)
        return;
    mX = bullet->position.x;
    mY = bullet->position.y;
    const UnitPrototype* tier = bullet->tower ? bullet->tower->currentPrototype() : nullptr;
    if (!tier)
        tier = bullet->prototype;
    const UnitPrototype* ammo = tier ? world.prototypes->find(tier->ammoid) : nullptr;
    if (!ammo)
        return;
    mRadius = ammo->r;
    for (TDMob* unit : world.unitsInCircle(mX, mY, mRadius))
        unit->damage(tier->strength);
    if (!world.effects || ammo->onHit.empty())
        return;
    ParticleEffect* effect = MakeParticleEffect(ammo->onHit);
    if (effect->emitter) {
        const float xy[2] = {mX, mY};
        effect->emitter->SetPosition(xy, 0);
        effect->emitter->Start();
    }
    world.effects->push_back(effect);
}
