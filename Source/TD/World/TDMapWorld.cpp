// Spawning enemy units with their ability effects, a unit reaching the goal or leaving
// the world, and the path queries the units walk by.
#include "Source/TD/World/TDMap.h"

#include "Core/Base/Log.h"
#include "Core/Render/Math/Random.h"
#include "Core/Render/ParticleEmitter.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Purchase/PurchaseSystem.h"
#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Towers/TDBulletList.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Units/HasteAreaModifier.h"
#include "Source/TD/Units/HealerModifier.h"
#include "Source/TD/Units/InvisibleAreaModifier.h"
#include "Source/TD/Units/InvisibleModifier.h"
#include "Source/TD/Units/RegenModifier.h"
#include "Source/TD/Units/ShamanModifier.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/ParticleEffect.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/TDLink.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/TDSprite.h"
#include "Source/TD/World/TDPoint.h"
#include "Source/TD/World/TDWaves.h"
#include "Source/TD/World/UnitPrototype.h"

#include <algorithm>
#include <cmath>

namespace {

// The unit kind a carrier lets out when it dies.
constexpr int kCargoId = 11;

// A "low_..." dialog switch of the feature table, read once per process.
bool DialogFeature(int& cached, const char* feature)
{
    if (cached < 0)
        cached = FeatureConfig::instance()->getBool(feature, "is_active") ? 1 : 0;
    return cached == 1;
}

int gLowLifeDialog = -1;

} // namespace

TDPoint* TDMap::goalPoint() const
{
    // The path set's routes end at the last goal point; units aim at the same one.
    return LastMarkedPoint(mPoints, "goal");
}

TDMob* TDMap::spawnMob(TDWaveEnemy* entry, TDPoint* start)
{
    if (!entry || !mWaves)
        return nullptr;
    if (!start) {
        GE_LOG(L"Wave entry %d has no spawn point: not spawned.\n") << entry->id;
        return nullptr;
    }
    TDPoint* goal = goalPoint();
    if (!goal) {
        GE_LOG(L"The level has no goal point: unit %d not spawned.\n") << entry->id;
        return nullptr;
    }
    TDMob probe(entry, nullptr);
    const UnitPrototype* prototype = mPrototypes ? probe.getPrototype(*mPrototypes) : nullptr;
    const bool straight = prototype && prototype->straight;
    std::vector<i32> route = straight ? std::vector<i32>{start->id, goal->id} : findPath(start, goal);
    if (route.empty()) {
        GE_LOG(L"Spawn point %d has no route to the goal: unit %d not spawned.\n") << start->id << entry->id;
        return nullptr;
    }

    TDMob* mob = mWaves->addMob(entry, start);
    if (prototype) {
        const EffectWorld world = effectWorld();
        // Born with the unit, each ticking every `cooldown` seconds while it lives.
        const float cooldown = prototype->cooldown;
        if (prototype->haste_buff)
            mob->mModifiers.push_back(new HasteAreaModifier(world, cooldown));
        if (prototype->invisibleArea)
            mob->mModifiers.push_back(new InvisibleAreaModifier(world, cooldown));
        if (prototype->invisible)
            mob->mModifiers.push_back(new InvisibleModifier(cooldown));
        if (prototype->regen)
            mob->mModifiers.push_back(new RegenModifier(world, cooldown));
        if (prototype->healer)
            mob->mModifiers.push_back(new HealerModifier(world, cooldown));
        if (prototype->summon) // draws its own interval between cooldown and twice it
            mob->mModifiers.push_back(new ShamanModifier(world, cooldown));
    }
    mob->mPathNodes = std::move(route);
    mob->mPathIndex = 0;
    if (!straight) {
        fetchPathSamples(*mob);
        mob->updateUpper(mPoints);
        // It stands where its track begins, so its first step is not a sideways jump.
        if (!mob->mPathSamples.empty()) {
            const MobPoint at = mob->mPathSamples.front();
            mob->mX = mob->mDrawX = mob->mPrevX = at.x;
            mob->mY = mob->mDrawY = mob->mPrevY = at.y;
        }
    }
    return mob;
}

void TDMap::fetchPathSamples(TDMob& mob) const
{
    mob.mPathSamples.clear();
    const size_t index = static_cast<size_t>(std::max(0, mob.mPathIndex));
    if (index + 1 >= mob.mPathNodes.size())
        return;
    const int from = mob.mPathNodes[index];
    const int to = mob.mPathNodes[index + 1];
    if (const TDLink* link = findLink(from, to)) {
        TDPathNodeList nodes;
        mPaths.findAlongRoute(link, TrackKeyForY(mob.mWaveEntry ? mob.mWaveEntry->y : -65.0f), from, nodes);
        for (const auto& node : nodes)
            mob.mPathSamples.push_back({node->x, node->y});
    }
    if (mob.mPathSamples.size() >= 2)
        return;
    // No curve for this track: the unit walks the straight line between the points.
    mob.mPathSamples.clear();
    const TDPoint* a = FindPointById(mPoints, from);
    const TDPoint* b = FindPointById(mPoints, to);
    if (a && b)
        mob.mPathSamples = {{a->x, a->y}, {b->x, b->y}};
}

float TDMap::advanceFraction(const TDMob& mob, float distance) const
{
    const std::vector<MobPoint>& samples = mob.mPathSamples;
    const size_t n = samples.size();
    if (n < 2)
        return 1.0f;
    // Each segment between samples is 1 / (n - 1) of the fraction. The distance is
    // walked over the segments' own lengths: samples are only about evenly spaced (the
    // last segment is shorter), and scaling by one spacing alone lets a unit run ahead
    // on longer segments.
    const float f = std::max(0.0f, mob.mSegmentT);
    if (distance <= 0.0f)
        return f;
    const float width = 1.0f / static_cast<float>(n - 1);
    size_t i = std::min(n - 2, static_cast<size_t>(f / width));
    float left = distance;
    for (; i + 1 < n; ++i) {
        const float start = std::max(f, static_cast<float>(i) * width);
        const float end = static_cast<float>(i + 1) * width;
        const float length = std::hypot(samples[i + 1].x - samples[i].x, samples[i + 1].y - samples[i].y);
        if (length <= 0.0f || end <= start)
            continue;
        const float room = (end - start) / width * length;
        if (left < room)
            return start + left / length * width;
        left -= room;
    }
    return 1.0f; // past the last sample: the link is done
}

MobPoint TDMap::positionOnPath(const std::vector<MobPoint>& samples, float f)
{
    if (samples.empty())
        return {};
    const size_t n = samples.size();
    const float along = static_cast<float>(n - 1) * std::clamp(f, 0.0f, 1.0f);
    const size_t i = std::min(n - 1, static_cast<size_t>(std::floor(along)));
    if (i + 1 >= n)
        return samples[i];
    // The weight within the segment that i names, so the unit moves on evenly.
    const float w = along - static_cast<float>(i);
    return {samples[i].x + w * (samples[i + 1].x - samples[i].x), samples[i].y + w * (samples[i + 1].y - samples[i].y)};
}

void TDMap::onMobReachedGoal(TDMob* mob)
{
    if (!mob || mob->mReachedGoal)
        return;
    const UnitPrototype* prototype = mPrototypes ? mob->getPrototype(*mPrototypes) : nullptr;
    // A unit whose prototype is unknown still leaves, at no cost to the player.
    const float strength = prototype ? prototype->strength : 0.0f;
    mob->mReachedGoal = 1;
    mob->mActive = 0;
    if (mob->mWaveEntry)
        mob->mWaveEntry->state = 3;

    ParticleEffect* effect = MakeParticleEffect("damage_h");
    if (effect->emitter)
        effect->emitter->SetLoopMode(0);
    if (StartEffectAt(effect, mob->mDrawX, mob->mDrawY))
        mEffects.push_back(effect);
    else
        DeleteEffectRecord(effect);

    mStats->mPassedMobs += 1;
    mStats->mDamage += static_cast<int>(strength);
    if (mHealth == 0.0f)
        return;
    mHealth = std::max(mHealth - strength, 0.0f);
    // The counter follows every loss, or the player would see lives they no longer have.
    if (mHud)
        mHud->setManaText();
    if (mHealth > 0.0f)
        return;
    if (gInAppPurchases && DialogFeature(gLowLifeDialog, "low_life_dialog")) {
        mSpeed = 0.0f;
        updateSpeedButtons();
        showHealthOffer(purchase::PurchaseSystem::Instance()->findProduct(L"buy_health"));
        return;
    }
    showDefeat();
}

void TDMap::forgetMob(TDMob* mob)
{
    if (mSelectedMob == mob)
        mSelectedMob = nullptr;
    if (mBullets)
        mBullets->forget(mob);
    for (TDTower* tower : mTowers)
        tower->forget(mob);
    // A sparkle that follows the unit stays where the unit was last drawn.
    for (TDSprite* sprite : mFloatingSprites)
        if (auto* animated = dynamic_cast<TDAnimatedSprite*>(sprite); animated && animated->mUnit == mob) {
            animated->mX = mob->mDrawX;
            animated->mY = mob->mDrawY;
            animated->mUnit = nullptr;
        }
}

void TDMap::spawnCarriedUnits(TDMob* unit)
{
    if (!unit || !unit->mWaveEntry || !unit->mWaveEntry->owner)
        return;
    const size_t index = static_cast<size_t>(std::max(0, unit->mPathIndex));
    TDPoint* start = index < unit->mPathNodes.size() ? FindPointById(mPoints, unit->mPathNodes[index]) : nullptr;
    if (!start)
        return;
    const float base = std::clamp(unit->mSegmentT - 0.1f, 0.0f, 0.85f);
    TDWaveProto* wave = unit->mWaveEntry->owner;
    for (int i = 0; i < 3; ++i) {
        auto* entry = new TDWaveEnemy(wave);
        entry->id = kCargoId;
        entry->upgrade = unit->mUpgradeIndex + 1;
        entry->x = -1.0f;
        entry->y = unit->mWaveEntry->y;
        entry->spawned = 1;
        entry->offset = -130.0f * RandomFloat();
        wave->entries.push_back(entry);
        TDMob* cargo = spawnMob(entry, start);
        if (!cargo) {
            // An entry that never walks would keep its wave from ever ending.
            wave->entries.pop_back();
            delete entry;
            continue;
        }
        entry->state = 7;
        cargo->mPathIndex = unit->mPathIndex;
        cargo->mPathNodes = unit->mPathNodes;
        cargo->mPathSamples = unit->mPathSamples;
        cargo->mSegmentT = base + 0.1f * static_cast<float>(i);
        cargo->mSegmentTime = unit->mSegmentTime;
        cargo->mUpper = unit->mUpper;
        const MobPoint at = cargo->mPathSamples.empty() ? MobPoint{unit->mX, unit->mY}
                                                        : positionOnPath(cargo->mPathSamples, cargo->mSegmentT);
        cargo->mX = cargo->mDrawX = cargo->mPrevX = at.x;
        cargo->mY = cargo->mDrawY = cargo->mPrevY = at.y;
    }
}

