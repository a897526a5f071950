#pragma once
// The waves of a level: each names a spawn point, a start delay and its enemy entries.
// Waves run in batches (a head wave with the waves linked to it); once every entry of
// a batch is killed or through, the next batch starts, and after the last the level
// is won. TDWaves owns the waves and the live enemy units and runs that schedule.
#include "Core/Base/Types.h"
#include "Source/TD/World/PathGraph.h"

#include <vector>

namespace tinyxml2 {
class XMLElement;
}

class TDMap;
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

    // Runs the wave's clock; a running wave spawns the entries that fall due.
    virtual void update(float dt);
    virtual bool isFinished() const;
    virtual void hook(int, float, float) {}

    // Reads timeout, spawn, wipeAward, scale and linked, logs the wave, and makes one
    // entry of every child element.
    void loadFromXML(const tinyxml2::XMLElement* element);
    // When the entry spawns: scale x (x / 45) + timeout, in seconds of the wave clock.
    float dueTime(const TDWaveEnemy& entry) const;
    // Spawns the entry at the wave's spawn point (the level's first for -1).
    void spawnEntry(TDWaveEnemy* entry);

    float clock = 0.0f;
    i32 state = 0;
    i32 spawn = 0; // -1: the level's first spawn point
    i32 timeout = 0;
    i32 wipeAward = 0;
    i32 linked = -1;
    float scale = 1.0f;
    i32 spawnedCount = 0;
    std::vector<TDWaveEnemy*> entries; // owned
    TDMap* map = nullptr;              // the level that spawns the units; not owned
    // Set once the wipe award is paid: a unit raised in the wave afterwards and killed
    // does not pay it again.
    bool wipePaid = false;
};

class TDWaves {
public:
    explicit TDWaves(TDMap* map = nullptr) : mMap(map) {}
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
    // One step of the schedule: finished units collected (with the wipe award and gem
    // drops), the next batch started, the running waves spawning, the batch ended, or
    // the level won when no wave is left.
    void tick(float dt);
    bool allFinished() const;
    // A unit for the entry at the point, appended to the live units.
    TDMob* addMob(TDWaveEnemy* entry, TDPoint* point);
    // Appends every live unit within `radius` of (x, y), edge included.
    void unitsInCircle(std::vector<TDMob*>& out, float x, float y, float radius) const;
    // The same with a diameter (`size` x 0.5 is the reach).
    void mobsInRadius(std::vector<TDMob*>& out, float x, float y, float size) const;
    // The first unit whose box (its sprite extent centred on its position) holds the
    // whole-unit point (x, y), edges included.
    TDMob* mobAt(float x, float y) const;
    // When the wave hint is due: over the running waves, the least timeout + min(0,
    // least x) / 45.
    float firstSpawnTime() const;

    TDMap* mMap; // not owned

    std::vector<TDWaveProto*> active;
    std::vector<TDWaveProto*> protos; // owned
    std::vector<TDMob*> mobs;         // owned
    i32 nextIndex = 0;
    i32 finishedBatches = 0;
    float timeout = 0.0f;
    float clock = 0.0f;

private:
    void collectFinished();
    void startBatch();
    // Pays the wave's wipe award when every entry of it is killed.
    void payWipeAward(TDWaveProto& wave);
    void dropGem(const TDMob& mob);
    int mGemDrops = -1; // "premium_points_on_mob_dead", read on first use
};
