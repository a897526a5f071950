#include "Source/TD/Towers/TDBullet.h"

#include "Core/Base/WideFormat.h"
#include "Core/Render/ParticleEmitter.h"
#include "Source/TD/Audio/SoundTags.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Units/BlastModifier.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/ParticleEffect.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/TDAnimationSet.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDResources.h"
#include "Source/TD/World/UnitPrototype.h"

#include <cmath>

namespace {

constexpr float kDegrees = 180.0f / 3.14159265358979f;

float Distance(float ax, float ay, float bx, float by)
{
    return std::hypot(bx - ax, by - ay);
}

// The muzzle of a rotating tier: where its sprite's shot point stands for the tower's
// direction column, relative to the tower's centre.
BulletPoint MuzzleOffset(TDTower& tower, const SpriteDescription& sprite)
{
    if (tower.directionIndex < 0 || tower.directionIndex > 31)
        tower.directionIndex = 0;
    int k = 32 - tower.directionIndex;
    if (k > 31)
        k = 0;
    const std::vector<TDFrameEntry*>& shots = sprite.frames("s_point");
    const std::vector<TDFrameEntry*>& bases = sprite.frames("base_point");
    BulletPoint offset;
    if (static_cast<size_t>(k) >= shots.size() || bases.empty())
        return offset;
    float w = 0.0f, h = 0.0f;
    sprite.extent(&w, &h);
    const TDFrameEntry& s = *shots[static_cast<size_t>(k)];
    const TDFrameEntry& b = *bases.front();
    offset.x = (w / 2.0f - b.mX) + (w / 2.0f - s.mX);
    offset.y = s.mY - b.mY;
    return offset;
}

} // namespace

bool IsStillDescription(const SpriteDescription& sprite)
{
    return !sprite.secondName.empty() && sprite.name == sprite.secondName;
}

float BulletAngle(float dx, float dy)
{
    const float a = std::atan2(dx, dy) * kDegrees - 90.0f;
    return a < 90.0f ? a + 270.0f : a - 90.0f;
}

TDBullet::TDBullet(TDTower* tower, TDMob* target)
{
    if (!target)
        return;
    this->tower = tower;
    this->target = target;
    aimPoint = {target->mX, target->mY};
    if (!tower)
        return;
    prototype = tower->getPrototype(-1);
    if (!prototype)
        return;
    speed = prototype->speed;
    position = {tower->x, tower->y};
    if (prototype->rotating && prototype->sprite) {
        const BulletPoint muzzle = MuzzleOffset(*tower, *prototype->sprite);
        position.x += muzzle.x;
        position.y += muzzle.y;
    }
    const float dx = target->mX - position.x;
    const float dy = target->mY - position.y;
    const float length = std::hypot(dx, dy);
    if (length > 0.0f)
        direction = {dx / length, dy / length};
    if (prototype->ammoid == kLobAmmo) {
        position.y -= 15.0f;
        animation = new TDAnimationSet(L"td/tower3_1b", L"fire");
    }
}

TDBullet::~TDBullet()
{
    delete animation;
    delete trail;
}

const UnitPrototype* TDBullet::ammo() const
{
    if (!prototype || !world.prototypes)
        return nullptr;
    return world.prototypes->find(prototype->ammoid);
}

void TDBullet::update(float dt)
{
    const UnitPrototype* ammoRecord = ammo();
    lifeClock += dt;
    clock += dt;
    if (animation)
        animation->advance(dt);
    // The target stays until the unit leaves the world (the list forgets it then): a
    // shot at a unit that died meanwhile flies on to it and strikes nothing.
    // A shot needs its tier and ammunition to fly; the tower refuses to fire without
    // them, so this only meets a sheet reloaded under it.
    if (!prototype || !ammoRecord || !tower) {
        alive = 0;
        return;
    }

    const bool lobbed = prototype->ammoid == kLobAmmo;
    if (lobbed && state == 0) {
        if (!target) {
            alive = 0;
            return;
        }
        if (clock < 0.5f) {
            position.y -= speed * dt;
        } else {
            state = 1;
            clock = 0.0f;
            arcStart = position;
            arcEnd = {target->mX, target->mY};
            arcControl.x = arcStart.x + 0.5f * (arcEnd.x - arcStart.x);
            arcControl.y = arcStart.y - 0.5f * (arcEnd.y - arcStart.y) - 35.0f;
        }
    } else if (lobbed && state == 1) {
        if (clock > 1.0f) {
            position = arcEnd;
            clock = 0.0f;
            state = 4;
            // The shell bursts where it lands. Flying on from there toward the point its
            // target stood at launch, as a straight shot, it would pass that point only
            // when the target had stood still, and vanish unexploded otherwise.
            aimPoint = arcEnd;
        } else {
            const float t = clock;
            const float u = 1.0f - t;
            const BulletPoint next{u * u * arcStart.x + 2.0f * t * u * arcControl.x + t * t * arcEnd.x,
                                   u * u * arcStart.y + 2.0f * t * u * arcControl.y + t * t * arcEnd.y};
            angle = BulletAngle(next.x - position.x, next.y - position.y);
            position = next;
        }
    }

    if (ammoRecord->sprite && lobbed && state != 4) {
        advanceTrail(dt);
        return;
    }

    if (prototype->speed == -1.0f) {
        if (target)
            target->takeBulletHit(this, true);
        alive = 0;
        return;
    }

    if (prototype->aimed) {
        if (!target || Distance(tower->x, tower->y, target->mX, target->mY) > tower->effectiveRadius()) {
            burst();
            return;
        }
        const float dx = target->mAimX - position.x;
        const float dy = target->mAimY - position.y;
        const float length = std::hypot(dx, dy);
        if (length < kHitDistance) {
            target->takeBulletHit(this, true);
            onHit(position.x, position.y);
            alive = 0;
            return;
        }
        direction = {dx / length, dy / length};
        position.x += direction.x * dt * speed;
        position.y += direction.y * dt * speed;
        angle = BulletAngle(direction.x, direction.y);
    } else if (lobbed && state == 4) {
        // Where it landed, also just past the range that its target walked out of.
        explode(*ammoRecord);
        return;
    } else {
        position.x += direction.x * dt * speed;
        position.y += direction.y * dt * speed;
        if (Distance(tower->x, tower->y, position.x, position.y) > tower->effectiveRadius()) {
            alive = 0;
            return;
        }
        if (Distance(position.x, position.y, aimPoint.x, aimPoint.y) < kHitDistance) {
            explode(*ammoRecord);
            return;
        }
    }
    advanceTrail(dt);
}

void TDBullet::advanceTrail(float dt)
{
    if (!trail)
        return;
    trail->Update(dt);
    const float at[2] = {position.x, position.y};
    trail->SetPosition(at, 0);
}

void TDBullet::burst()
{
    if (world.areaModifiers)
        world.areaModifiers->push_back(new BlastModifier(world, this));
    alive = 0;
}

void TDBullet::explode(const UnitPrototype& ammoRecord)
{
    // Collected first: a hit may change the unit list.
    for (TDMob* unit : world.unitsInCircle(position.x, position.y, ammoRecord.r)) {
        onHit(unit->mX, unit->mY);
        unit->takeBulletHit(this, false);
    }
    onHit(position.x, position.y);
    alive = 0;
}

void TDBullet::onHit(float x, float y)
{
    if (!tower)
        return;
    const UnitPrototype* ammoRecord = ammo();
    if (!ammoRecord || ammoRecord->onHit.empty())
        return;
    WideFormat sound(L"ammo%dhit");
    sound % ammoRecord->id;
    sound.Finish();
    k2::SoundTags::Instance()->play(sound.Output());
    ParticleEffect* effect = MakeParticleEffect(ammoRecord->onHit);
    if (!effect->emitter || !world.hudEffects) {
        DeleteEffectRecord(effect);
        return;
    }
    const float at[2] = {x, y};
    effect->emitter->SetPosition(at, 0);
    world.hudEffects->push_back(effect);
    effect->emitter->Start();
}
