#include "Source/TD/Units/HoldAndTeleport.h"

#include "Core/Render/ParticleEmitter.h"
#include "Source/TD/Audio/SoundTags.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/ParticleEffect.h"
#include "Source/TD/World/TDPoint.h"
#include "Source/TD/World/UnitPrototype.h"

#include <algorithm>

namespace {

const TDPoint* PointById(const std::vector<TDPoint*>* points, int id)
{
    if (!points)
        return nullptr;
    for (const TDPoint* point : *points)
        if (point && point->id == id)
            return point;
    return nullptr;
}

} // namespace

HoldAndTeleport::HoldAndTeleport(const EffectWorld& world, std::string name, TDTower* owner, float value,
                                 float duration)
    : TDModifier(std::move(name), owner, value, duration), mWorld(world)
{
}

HoldAndTeleport::~HoldAndTeleport()
{
    stop(mArrivalPortal);
    stop(mDeparturePortal);
}

ParticleEffect* HoldAndTeleport::startEffect(const char* name, float x, float y)
{
    if (!mWorld.effects)
        return nullptr;
    ParticleEffect* effect = MakeParticleEffect(name);
    if (effect->emitter) {
        const float xy[2] = {x, y};
        effect->emitter->SetPosition(xy, 0);
        effect->emitter->Start();
    }
    mWorld.effects->push_back(effect);
    return effect;
}

void HoldAndTeleport::stop(ParticleEffect*& portal)
{
    if (portal && mWorld.effects &&
        std::find(mWorld.effects->begin(), mWorld.effects->end(), portal) != mWorld.effects->end() &&
        portal->emitter)
        portal->emitter->Stop();
    portal = nullptr;
}

void HoldAndTeleport::update(TDMob* unit, float dt)
{
    TDModifier::update(unit, dt);
    if (!mActive && mKind == Holding) {
        mActive = true;
        mKind = TeleportDue;
    }
}

void HoldAndTeleport::apply(TDMob* unit, float)
{
    if (!unit)
        return;
    const float remaining = mDuration - mElapsed;
    if (remaining < 1.0f && !mArrivalPortal && !unit->mPathNodes.empty()) {
        if (const TDPoint* spawn = PointById(mWorld.points, unit->mPathNodes.front()))
            mArrivalPortal = startEffect("portal_1", spawn->x, spawn->y);
    }
    if (remaining < 2.0f && !mDeparturePortal)
        mDeparturePortal = startEffect("portal_1", unit->mDrawX, unit->mDrawY - 15.0f);
    const UnitPrototype* prototype = mWorld.prototypes ? unit->getPrototype(*mWorld.prototypes) : nullptr;
    if (mKind == Holding) {
        if (prototype)
            unit->mSpeedPenalty = prototype->speed;
    } else if (mKind == TeleportDue) {
        teleport(*unit);
        mKind = Done;
        mElapsed = 0.0f;
        mDuration = 0.5f;
    }
}

void HoldAndTeleport::teleport(TDMob& unit)
{
    unit.mPathIndex = 0;
    unit.mSegmentTime = 0.0f;
    unit.mSegmentT = 0.0f;
    k2::SoundTags::Instance()->play(L"teleportEnemy");
    // A tower sold meanwhile has been forgotten: nothing to release.
    if (mOwner)
        mOwner->release(&unit);
    startEffect("blow_bub", unit.mDrawX, unit.mDrawY);
    stop(mDeparturePortal);
    const UnitPrototype* prototype = mWorld.prototypes ? unit.getPrototype(*mWorld.prototypes) : nullptr;
    if (prototype && prototype->straight)
        return;
    if (!unit.mPathNodes.empty()) {
        if (const TDPoint* spawn = PointById(mWorld.points, unit.mPathNodes.front())) {
            unit.mX = spawn->x;
            unit.mY = spawn->y;
            unit.mPrevX = spawn->x;
            unit.mPrevY = spawn->y;
        }
    }
    unit.mState = TDMob::Walking;
}

void HoldAndTeleport::forget(const void* object)
{
    if (mOwner == object)
        mOwner = nullptr;
}
