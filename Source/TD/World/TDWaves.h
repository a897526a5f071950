#pragma once
// The waves of a level: each names a spawn point, a start delay and its enemy entries.
// TDWaves owns them and the live enemy units. Loading and reset are here; the
// schedule that spawns, pays and ends the level grows with the enemy units.
#include "Core/Base/Types.h"
#include "Source/TD/World/PathGraph.h"

#include <vector>

namespace tinyxml2 {
class XMLElement;
}

class TDMob;
class TDPoint;
class TDWaveProto;

class TDWaveEnemy {
public:
    explicit TDWaveEnemy(TDWaveProto* owner) : owner(owner) {}
    // Reads upgrade and id (integers), x and y (floats); absent ones read 0.
    TDWaveEnemy(const tinyxml2::XMLElement* element, TDWaveProto* owner);

    i32 state = -1; // -1 not spawned, 7 spawned, 2 killed, 3 reached the goal
    i32 id = 0;
    float offset = 0.0f;
    i32 upgrade = 0;
    float x = 0.0f; // spawn time in 1/45 s; -1.0 marks an entry added during play
    float y = 0.0f; // selects the curve track
    i32 spawned = 0;
    TDWaveProto* owner;
};

class TDWaveProto {
public:
    TDWaveProto() = default;
    virtual ~TDWaveProto();
    TDWaveProto(const TDWaveProto&) = delete;
    TDWaveProto& operator=(const TDWaveProto&) = delete;

    virtual void update(float dt) { clock += dt; }
    virtual bool isFinished() const;
    virtual void hook(int, float, float) {}

    // Reads timeout, spawn, wipeAward, scale and linked, logs the wave, and makes one
    // entry of every child element.
    void loadFromXML(const tinyxml2::XMLElement* element);

    float clock = 0.0f;
    i32 state = 0;
    i32 spawn = 0; // -1: the level's first spawn point
    i32 timeout = 0;
    i32 wipeAward = 0;
    i32 linked = -1;
    float scale = 1.0f;
    i32 spawnedCount = 0;
    std::vector<TDWaveEnemy*> entries; // owned
};

class TDWaves {
public:
    TDWaves() = default;
    ~TDWaves();
    TDWaves(const TDWaves&) = delete;
    TDWaves& operator=(const TDWaves&) = delete;

    // Replaces the waves with those of the element; waves without entries are dropped.
    void load(const tinyxml2::XMLElement* waves);
    // Back to the state after loading: entries added during play go.
    void reset();
    // Deletes the live units and the waves.
    void clear();
    void clearMobs();
    // One curve request per entry of every wave, for the path set.
    std::vector<TrackRequest> trackRequests() const;

    void applyModifiers(float dt);
    void tick(float dt);
    bool allFinished() const;
    // A unit for the entry at the point, appended to the live units.
    TDMob* addMob(TDWaveEnemy* entry, TDPoint* point);
    // The first unit whose box (its sprite extent centred on its position) holds the
    // whole-unit point (x, y), edges included.
    TDMob* mobAt(float x, float y) const;

    std::vector<TDWaveProto*> active;
    std::vector<TDWaveProto*> protos; // owned
    std::vector<TDMob*> mobs;         // owned
    i32 nextIndex = 0;
    i32 finishedBatches = 0;
    float timeout = 0.0f;
    float clock = 0.0f;
};
