#include "Source/TD/World/TDWaves.h"

#include "Core/Base/Log.h"
#include "Core/Render/Math/Random.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Towers/TDCrystalDrop.h"
#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/ParamSet.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/TDPoint.h"
#include "Source/TD/World/UnitPrototype.h"
#include "Source/TD/World/WaveHint.h"

#include <algorithm>
#include <cmath>
#include <tinyxml2.h>

namespace {

void FireTutorialEvent(const std::wstring& name)
{
    TDTutorial::Instance()->fireEvent(name);
}

} // namespace

TDWaveEnemy::TDWaveEnemy(const tinyxml2::XMLElement* element, TDWaveProto* owner)
    : id(ReadIntAttribute(element, "id")), upgrade(ReadIntAttribute(element, "upgrade")),
      x(ReadFloatAttribute(element, "x")), y(ReadFloatAttribute(element, "y")), owner(owner)
{
}

TDWaveProto::~TDWaveProto()
{
    DeleteOwnedVector(entries);
}

float TDWaveProto::dueTime(const TDWaveEnemy& entry) const
{
    return scale * (entry.x / 45.0f) + static_cast<float>(timeout);
}

void TDWaveProto::update(float dt)
{
    clock += dt;
    if (state != 1)
        return;
    if (clock < 1.0f)
        FireTutorialEvent(L"wave_1_spawned_0");
    // By index: a spawn may append entries (cargo, raised units) to this wave.
    for (size_t i = 0; i < entries.size(); ++i) {
        TDWaveEnemy* entry = entries[i];
        if (entry->spawned == 1 || clock < dueTime(*entry))
            continue;
        if (map)
            map->mSpawnIndex = spawnedCount;
        spawnEntry(entry);
        ++spawnedCount;
        if (spawnedCount == 2)
            FireTutorialEvent(L"wave_1_spawned_2");
        else if (spawnedCount == 9)
            FireTutorialEvent(L"wave_1_spawned_10");
    }
}

void TDWaveProto::spawnEntry(TDWaveEnemy* entry)
{
    entry->spawned = 1;
    TDPoint* point = nullptr;
    if (map)
        point = spawn == -1 ? map->firstSpawnPoint() : FindPointById(map->mPoints, spawn);
    if (!map || !map->spawnMob(entry, point)) {
        // Not spawned (the reason is logged): counted as gone, so the wave can still end.
        entry->state = 2;
        return;
    }
    entry->state = 7;
}

bool TDWaveProto::isFinished() const
{
    for (const TDWaveEnemy* entry : entries)
        if (entry->state != 2 && entry->state != 3)
            return false;
    return true;
}

void TDWaveProto::loadFromXML(const tinyxml2::XMLElement* element)
{
    timeout = ReadIntAttribute(element, "timeout");
    spawn = ReadIntAttribute(element, "spawn");
    wipeAward = ReadIntAttribute(element, "wipeAward");
    scale = ReadFloatAttribute(element, "scale");
    linked = element->Attribute("linked") ? ReadIntAttribute(element, "linked") : -1;
    if (scale == 0.0f)
        scale = 1.0f;
    GE_LOG(L"LOADED ENEMY WAVE=(timeout=%d, spawner=%d)\n") << timeout << spawn;
    for (const tinyxml2::XMLElement* child = element->FirstChildElement(); child; child = child->NextSiblingElement())
        entries.push_back(new TDWaveEnemy(child, this));
    spawnedCount = 0;
}

TDWaves::~TDWaves()
{
    clear();
}

void TDWaves::clearMobs()
{
    DeleteOwnedVector(mobs);
}

void TDWaves::clear()
{
    clearMobs();
    active.clear();
    DeleteOwnedVector(protos);
}

void TDWaves::load(const tinyxml2::XMLElement* waves)
{
    active.clear();
    DeleteOwnedVector(protos);
    nextIndex = 0;
    clock = 0.0f;
    timeout = ReadFloatAttribute(waves, "timeout");
    if (!waves)
        return;
    const tinyxml2::XMLElement* wave = waves->FirstChildElement("wave");
    for (; wave; wave = wave->NextSiblingElement()) {
        auto* proto = new TDWaveProto;
        proto->map = mMap;
        proto->loadFromXML(wave);
        proto->timeout += static_cast<i32>(std::floor(timeout));
        if (proto->entries.empty())
            delete proto;
        else
            protos.push_back(proto);
    }
}

void TDWaves::reset()
{
    active.clear();
    finishedBatches = 0;
    for (TDWaveProto* proto : protos) {
        proto->state = 0;
        proto->clock = 0.0f;
        proto->spawnedCount = 0;
        proto->wipePaid = false;
        auto& entries = proto->entries;
        for (size_t i = 0; i < entries.size();) {
            if (entries[i]->x == -1.0f) {
                delete entries[i];
                entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            entries[i]->spawned = 0;
            entries[i]->state = -1;
            ++i;
        }
    }
}

std::vector<TrackRequest> TDWaves::trackRequests() const
{
    std::vector<TrackRequest> requests;
    for (const TDWaveProto* proto : protos)
        for (const TDWaveEnemy* entry : proto->entries)
            requests.push_back({proto->spawn, entry->y});
    return requests;
}

void TDWaves::applyModifiers(float dt)
{
    // By index: an effect may summon a unit.
    for (size_t i = 0; i < mobs.size(); ++i)
        mobs[i]->updateEffects(dt);
}

void TDWaves::tick(float dt)
{
    clock += dt;
    WaveHint* hint = mMap ? mMap->mWaveHint : nullptr;
    if (hint && clock >= hint->dueTime && !hint->entries.empty())
        hint->clear();

    collectFinished();

    if (active.empty()) {
        if (nextIndex < static_cast<i32>(protos.size())) {
            startBatch();
        } else {
            // No wave left: the level is won. The result ends play, so this runs once.
            if (mMap)
                mMap->showVictory();
            return;
        }
    }
    if (active.empty())
        return;
    for (TDWaveProto* wave : active)
        wave->update(dt);
    if (!allFinished())
        return;
    clock = 0.0f;
    active.clear();
    FireTutorialEvent(L"wave_vanish_" + std::to_wstring(nextIndex + 1));
    ++nextIndex;
    ++finishedBatches;
    if (mMap) {
        mMap->mHud->setWavesText();
        mMap->mFinishedBatches = finishedBatches;
    }
}

void TDWaves::collectFinished()
{
    for (size_t i = 0; i < mobs.size();) {
        TDMob* mob = mobs[i];
        if (mob->mActive != 0) {
            ++i;
            continue;
        }
        TDWaveEnemy* entry = mob->mWaveEntry;
        if (!mob->mReachedGoal) {
            if (entry) {
                entry->state = 2;
                if (entry->owner)
                    payWipeAward(*entry->owner);
            }
            dropGem(*mob);
        } else if (entry) {
            entry->state = 3;
        }
        if (mMap)
            mMap->forgetMob(mob);
        delete mob;
        mobs.erase(mobs.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void TDWaves::payWipeAward(TDWaveProto& wave)
{
    if (wave.wipePaid)
        return;
    for (const TDWaveEnemy* entry : wave.entries)
        if (entry->state != 2)
            return;
    wave.wipePaid = true;
    if (mMap && mMap->mStats)
        mMap->mStats->addMoney(wave.wipeAward);
}

void TDWaves::dropGem(const TDMob& mob)
{
    if (!mMap)
        return;
    if (mGemDrops < 0)
        mGemDrops = FeatureConfig::instance()->getBool("premium_points_on_mob_dead", "is_active") ? 1 : 0;
    if (mGemDrops == 0)
        return;
    const UnitPrototype* prototype = mMap->mPrototypes ? mob.getPrototype(*mMap->mPrototypes) : nullptr;
    const int chance = prototype ? prototype->dropChance : 0;
    if (!TDCrystallSpecial::drops(chance, mMap->mDropChanceOverride, RandomFloat()))
        return;
    mMap->mSpecials.push_back(new TDCrystallSpecial(&mob, mMap->mDropChanceOverride));
    FireTutorialEvent(L"gem_dropped");
}

void TDWaves::startBatch()
{
    TDWaveProto* head = protos[static_cast<size_t>(nextIndex)];
    while (head->linked != -1) {
        ++nextIndex;
        if (mMap)
            mMap->mHud->setWavesText();
        if (nextIndex >= static_cast<i32>(protos.size()))
            return;
        head = protos[static_cast<size_t>(nextIndex)];
    }
    head->state = 1;
    active.push_back(head);
    for (TDWaveProto* proto : protos) {
        if (proto->linked == nextIndex) {
            proto->state = 1;
            active.push_back(proto);
        }
    }
    if (mMap && mMap->mWaveHint) {
        mMap->mWaveHint->add();
        mMap->mWaveHint->dueTime = firstSpawnTime();
    }
}

void TDWaves::unitsInCircle(std::vector<TDMob*>& out, float x, float y, float radius) const
{
    for (TDMob* mob : mobs) {
        const float dx = mob->mX - x;
        const float dy = mob->mY - y;
        if (dx * dx + dy * dy <= radius * radius)
            out.push_back(mob);
    }
}

void TDWaves::mobsInRadius(std::vector<TDMob*>& out, float x, float y, float size) const
{
    unitsInCircle(out, x, y, size * 0.5f);
}

TDMob* TDWaves::mobAt(float x, float y) const
{
    const float px = static_cast<float>(static_cast<int>(x));
    const float py = static_cast<float>(static_cast<int>(y));
    for (TDMob* mob : mobs) {
        if (std::fabs(px - mob->mX) <= mob->mFrameW * 0.5f && std::fabs(py - mob->mY) <= mob->mFrameH * 0.5f)
            return mob;
    }
    return nullptr;
}

float TDWaves::firstSpawnTime() const
{
    float first = 10000000.0f;
    for (const TDWaveProto* wave : active) {
        float least = 0.0f;
        for (const TDWaveEnemy* entry : wave->entries)
            least = std::min(least, entry->x);
        first = std::min(first, static_cast<float>(wave->timeout) + least / 45.0f);
    }
    return first;
}

bool TDWaves::allFinished() const
{
    for (const TDWaveProto* proto : active)
        if (!proto->isFinished())
            return false;
    return true;
}

TDMob* TDWaves::addMob(TDWaveEnemy* entry, TDPoint* point)
{
    auto* mob = new TDMob(entry, mMap ? mMap->mPrototypes : nullptr);
    mob->mMap = mMap;
    if (point) {
        mob->mX = mob->mDrawX = mob->mPrevX = point->x;
        mob->mY = mob->mDrawY = mob->mPrevY = point->y;
    }
    entry->spawned = 1;
    mobs.push_back(mob);
    return mob;
}
