#include "Source/TD/Units/ShamanPortal.h"

#include "Core/Render/Math/Random.h"
#include "Core/Render/ParticleEmitter.h"
#include "Source/TD/World/ParticleEffect.h"
#include "Source/TD/World/TDPoint.h"
#include "Source/TD/World/TDWaves.h"

#include <algorithm>

ShamanPortal::ShamanPortal(const EffectWorld& world, const TDMob& shaman, float duration,
                           const std::string& effectName)
    : TDModifier("", nullptr, 0.0f, duration), mWave(shaman.mWaveEntry ? shaman.mWaveEntry->owner : nullptr),
      mPathIndex(shaman.mPathIndex), mSegmentTime(shaman.mSegmentTime), mSegmentT(shaman.mSegmentT),
      mPathSamples(shaman.mPathSamples), mUpper(shaman.mUpper), mPathNodes(shaman.mPathNodes), mSpawnX(shaman.mX),
      mSpawnY(shaman.mY), mEntryY(shaman.mWaveEntry ? shaman.mWaveEntry->y : 0.0f), mWorld(world)
{
    mX = shaman.mX;
    mY = shaman.mY;
    if (!mWorld.effects)
        return;
    mEffect = MakeParticleEffect(effectName);
    if (mEffect->emitter) {
        const float xy[2] = {mSpawnX, mSpawnY};
        mEffect->emitter->SetPosition(xy, 0);
        mEffect->emitter->SetLoopMode(2);
        mEffect->emitter->Start();
    }
    mWorld.effects->push_back(mEffect);
}

ShamanPortal::~ShamanPortal()
{
    // A record the list has let go of already is gone.
    if (!mEffect || !mWorld.effects ||
        std::find(mWorld.effects->begin(), mWorld.effects->end(), mEffect) == mWorld.effects->end())
        return;
    if (mEffect->emitter)
        mEffect->emitter->Stop();
}

void ShamanPortal::update(TDMob* target, float dt)
{
    if (mEffect && mWorld.effects &&
        std::find(mWorld.effects->begin(), mWorld.effects->end(), mEffect) != mWorld.effects->end()) {
        mEffect->elapsed += mEffect->speed * dt;
        if (mEffect->emitter)
            mEffect->emitter->Update(mEffect->speed * dt);
    }
    TDModifier::update(target, dt);
}

void ShamanPortal::apply(TDMob*, float)
{
    // Without the summoner's wave the summoned unit would have no entry to belong to.
    if (!mWave || !mWorld.spawn)
        return;
    auto* entry = new TDWaveEnemy(mWave);
    entry->state = 1;
    entry->id = 0;
    entry->upgrade = 1;
    entry->x = -1.0f; // added during play: dropped when the level restarts
    entry->y = mEntryY;
    entry->offset = -100.0f * RandomFloat();
    entry->spawned = 1;

    TDPoint* point = nullptr;
    if (mWorld.points && mPathIndex >= 0 && static_cast<size_t>(mPathIndex) < mPathNodes.size()) {
        const int id = mPathNodes[static_cast<size_t>(mPathIndex)];
        for (TDPoint* candidate : *mWorld.points)
            if (candidate && candidate->id == id) {
                point = candidate;
                break;
            }
    }
    TDMob* unit = mWorld.spawn(entry, point);
    if (!unit) {
        // An entry without a unit would never be killed or pass, and its wave would
        // never end.
        delete entry;
        return;
    }
    mWave->entries.push_back(entry);
    unit->mPathNodes = mPathNodes;
    unit->mPathIndex = mPathIndex;
    unit->mSegmentTime = mSegmentTime;
    unit->mSegmentT = mSegmentT;
    unit->mPathSamples = mPathSamples;
    unit->mUpper = mUpper;
    unit->mX = unit->mDrawX = unit->mPrevX = mSpawnX;
    unit->mY = unit->mDrawY = unit->mPrevY = mSpawnY;
}
