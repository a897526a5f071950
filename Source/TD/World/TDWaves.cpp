#include "Source/TD/World/TDWaves.h"

#include "Core/Base/Log.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/ParamSet.h"
#include "Source/TD/World/TDPoint.h"

#include <cmath>
#include <tinyxml2.h>

TDWaveEnemy::TDWaveEnemy(const tinyxml2::XMLElement* element, TDWaveProto* owner)
    : id(ReadIntAttribute(element, "id")), upgrade(ReadIntAttribute(element, "upgrade")),
      x(ReadFloatAttribute(element, "x")), y(ReadFloatAttribute(element, "y")), owner(owner)
{
}

TDWaveProto::~TDWaveProto()
{
    DeleteOwnedVector(entries);
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
    auto* mob = new TDMob;
    mob->mWaveEntry = entry;
    mob->mPrototypeId = entry->id;
    mob->mUpgradeIndex = entry->upgrade - 1;
    if (point) {
        mob->mX = point->x;
        mob->mY = point->y;
    }
    entry->spawned = 1;
    mobs.push_back(mob);
    return mob;
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
