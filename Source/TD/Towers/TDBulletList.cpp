#include "Source/TD/Towers/TDBulletList.h"

#include "Core/Render/Graphics.h"
#include "Core/Render/Image.h"
#include "Core/Render/ParticleEmitter.h"
#include "Core/Render/ParticleSystem.h"
#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Towers/TDBullet.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/ParticleEffect.h"
#include "Source/TD/World/TDAnimationSet.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDResources.h"
#include "Source/TD/World/UnitPrototype.h"

#include <algorithm>
#include <unordered_set>

namespace {

// Whether launch effects turn with the tower.
bool FireParticlesFollowFacing()
{
    const bool active = FeatureConfig::instance()->activeFeatures().towerFireParticlesDirection;
    return active;
}

void DeleteWhere(std::vector<TDBullet*>& bullets, const std::function<bool(TDBullet*)>& doomed)
{
    for (size_t i = 0; i < bullets.size();) {
        if (!doomed(bullets[i])) {
            ++i;
            continue;
        }
        delete bullets[i];
        bullets.erase(bullets.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

} // namespace

TDBulletList::TDBulletList(std::function<EffectWorld()> world) : mWorld(std::move(world)) {}

TDBulletList::~TDBulletList()
{
    clear();
}

EffectWorld TDBulletList::world() const
{
    return mWorld ? mWorld() : EffectWorld();
}

void TDBulletList::add(TDBullet* bullet)
{
    if (!bullet)
        return;
    bullet->world = world();
    const UnitPrototype* ammo = bullet->tower ? bullet->ammo() : nullptr;
    if (ammo) {
        const float at[2] = {bullet->position.x, bullet->position.y};
        if (!ammo->onFire.empty() && bullet->world.effects) {
            ParticleEffect* effect = MakeParticleEffect(ammo->onFire);
            if (effect->emitter) {
                bullet->world.effects->push_back(effect);
                effect->emitter->SetPosition(at, 0);
                if (FireParticlesFollowFacing())
                    Magic_SetEmitterDirection(effect->emitter->emitter, bullet->tower->facing - 180.0f);
                effect->emitter->Start();
            } else {
                DeleteEffectRecord(effect);
            }
        }
        if (!ammo->onAmmo.empty()) {
            std::string name = ammo->onAmmo;
            if (name.back() == '\r')
                name.pop_back();
            bullet->trail = render::ParticleSystem::Instance()->CreateEmitter(name);
            if (bullet->trail) {
                bullet->trail->SetPosition(at, 0);
                bullet->trail->Start();
            }
        }
    }
    bullets.push_back(bullet);
}

void TDBulletList::update(float dt)
{
    const EffectWorld current = world();
    dropStaleReferences(current);
    // By index: a bullet added during the pass is updated in it too.
    for (size_t i = 0; i < bullets.size(); ++i) {
        bullets[i]->world = current;
        bullets[i]->update(dt);
    }
    DeleteWhere(bullets, [](TDBullet* bullet) {
        if (bullet->alive)
            return false;
        if (bullet->tower && bullet->tower->state == TDTower::AwaitShell) {
            bullet->tower->state = TDTower::Idle;
            bullet->tower->animTime = 0.0f;
        }
        return true;
    });
}

void TDBulletList::dropStaleReferences(const EffectWorld& current)
{
    if (bullets.empty())
        return;
    if (current.units) {
        const std::unordered_set<const TDMob*> live(current.units->begin(), current.units->end());
        for (TDBullet* bullet : bullets) {
            if (bullet->target && !live.count(bullet->target))
                bullet->target = nullptr;
            std::erase_if(bullet->struck, [&live](const TDMob* unit) { return !live.count(unit); });
        }
    }
    if (current.towers) {
        const std::unordered_set<const TDTower*> standing(current.towers->begin(), current.towers->end());
        DeleteWhere(bullets, [&standing](TDBullet* bullet) { return bullet->tower && !standing.count(bullet->tower); });
    }
}

void TDBulletList::draw(render::Graphics* graphics)
{
    graphics->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    for (TDBullet* bullet : bullets) {
        if (bullet->trail)
            graphics->DrawParticles(bullet->trail);
        const UnitPrototype* ammo = bullet->tower ? bullet->ammo() : nullptr;
        if (!ammo)
            continue;
        graphics->SetBlendMode(1);
        graphics->dirty = 1;
        const SpriteDescription* sprite = ammo->sprite;
        if (!sprite)
            continue;
        if (!IsStillDescription(*sprite)) {
            if (bullet->animation)
                bullet->animation->draw(graphics, bullet->position.x, bullet->position.y, bullet->angle);
            continue;
        }
        const std::vector<TDFrameEntry*>& frames = sprite->frames("");
        if (!frames.empty() && frames.front()->mImage)
            graphics->DrawImage(frames.front()->mImage.get()).SetAlign(2, 2).Translate(bullet->position.x,
                                                                                     bullet->position.y);
    }
}

void TDBulletList::removeTower(TDTower* tower)
{
    DeleteWhere(bullets, [tower](TDBullet* bullet) { return bullet->tower == tower; });
    const EffectWorld current = world();
    if (!current.units)
        return;
    for (TDMob* unit : *current.units)
        for (TDModifier* modifier : unit->mModifiers)
            modifier->forget(tower);
}

void TDBulletList::forgetUnit(TDMob* unit)
{
    for (TDBullet* bullet : bullets) {
        if (bullet->target == unit)
            bullet->target = nullptr;
        std::erase(bullet->struck, unit);
    }
}

void TDBulletList::clear()
{
    for (TDBullet* bullet : bullets)
        delete bullet;
    std::vector<TDBullet*>().swap(bullets);
}
