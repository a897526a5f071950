#include "Source/TD/Towers/TDSpell.h"

#include "Core/Base/Log.h"
#include "Core/Base/WideFormat.h"
#include "Core/Render/ParticleEmitter.h"
#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/Units/DotModifierArea.h"
#include "Source/TD/Units/FireSplashModifier.h"
#include "Source/TD/Units/MapImpassableArea.h"
#include "Source/TD/Units/StunModifier.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/Units/TowersBoost.h"
#include "Source/TD/World/ParticleEffect.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/TDAnimationSet.h"
#include "Source/TD/World/TDResources.h"
#include "Source/TD/World/TDSprite.h"
#include "Source/TD/World/UnitPrototype.h"

#include <algorithm>
#include <memory>

TDSpell::TDSpell(int spellId, int prototypeId) : TDBullet(nullptr, nullptr), spellId(spellId), prototypeId(prototypeId)
{
    alive = 1;
}

bool TDSpell::cast()
{
    const UnitPrototype* base = world.prototypes ? world.prototypes->find(prototypeId) : nullptr;
    if (!base) {
        GE_LOG(L"Spell %d is not cast: its prototype %d is not in the prototype store.\n") << spellId << prototypeId;
        alive = 0;
        return false;
    }
    const std::unique_ptr<UnitPrototype> upgraded(MakeUpgradedPrototype(*world.prototypes, world.upgrades, prototypeId));
    const UnitPrototype& q = *upgraded;
    const float x = position.x;
    const float y = position.y;
    auto addArea = [this](TDModifier* modifier) {
        if (world.areaModifiers)
            world.areaModifiers->push_back(modifier);
        else
            delete modifier;
    };

    if (q.firesplash) {
        auto* fire = new FireSplashModifier(world, "", nullptr, q.strength, q.speed, x, y, q.r);
        fire->mTickInterval = 1.0f;
        addArea(fire);
    }
    if (q.splash) {
        for (TDMob* unit : world.unitsInCircle(x, y, q.r)) {
            unit->damage(q.strength);
            struck.push_back(unit);
        }
    }
    if (q.hold)
        addArea(new MapImpassableArea(world, x, y, q.r, q.speed));
    if (q.dot)
        addArea(new DotModifierArea(world, x, y, q.r, q.strength, q.speed));
    if (q.boostTower)
        addArea(new TowersBoost(world, q.strength / 100.0f, q.speed));
    if (!q.onAmmo.empty()) {
        ParticleEffect* effect = MakeParticleEffect(q.onAmmo);
        if (effect->emitter && world.hudEffects) {
            const float at[2] = {x, y};
            effect->emitter->SetPosition(at, 0);
            effect->emitter->Start();
            // An upgrade that lengthens the spell slows its effect to match.
            effect->speed = q.speed != 0.0f ? base->speed / q.speed : 1.0f;
            world.hudEffects->push_back(effect);
        } else {
            DeleteEffectRecord(effect);
        }
    }
    if (q.sprite && !IsStillDescription(*q.sprite) && world.floatingSprites) {
        auto* sprite = new TDAnimatedSprite(q.sprite->name);
        sprite->mSet->mFps = static_cast<float>(static_cast<int>(q.fps));
        sprite->mX = x;
        sprite->mY = y;
        world.floatingSprites->push_back(sprite);
    }
    TDTutorial::Instance()->fireEvent(L"spell_casted");
    return true;
}

void TDSpell::update(float dt)
{
    const UnitPrototype* base = world.prototypes ? world.prototypes->find(prototypeId) : nullptr;
    if (!base) {
        alive = 0;
        return;
    }
    lifeClock += dt;
    alive = lifeClock < base->speed ? 1 : 0;
    if (!alive) {
        WideFormat event(L"spell_casting_end_%d");
        event % spellId;
        event.Finish();
        TDTutorial::Instance()->fireEvent(event.Output());
        return;
    }
    for (TDMob* unit : world.unitsInCircle(position.x, position.y, base->r)) {
        if (std::find(struck.begin(), struck.end(), unit) != struck.end())
            continue;
        // No death here: the unit's own tick ends a unit at zero health.
        unit->mHealth -= base->strength;
        if (base->stun)
            unit->mModifiers.push_back(new StunModifier(world, "", nullptr, 0.0f, base->speed));
        struck.push_back(unit);
    }
}
