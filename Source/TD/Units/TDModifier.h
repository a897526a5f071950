#pragma once
// The base of every timed effect on a unit, a tower or an area of the map. One object
// is one effect with a clock: its host updates it once a frame, the update applies the
// effect at its tick interval and ends it once its duration is over.
#include <functional>
#include <string>
#include <vector>

class PrototypeStore;
class TDFloatingLabels;
class TDMob;
class TDPlayerStats;
class TDModifier;
class TDPoint;
class TDSprite;
class TDTower;
class TDWaveEnemy;
class UpgradesTable;
struct ParticleEffect;

// The parts of the level that effects read and add to. Any list may be null (then the
// effect skips that part of its work).
struct EffectWorld {
    const PrototypeStore* prototypes = nullptr;
    std::vector<TDMob*>* units = nullptr;
    std::vector<TDSprite*>* floatingSprites = nullptr;
    std::vector<TDModifier*>* areaModifiers = nullptr;
    std::vector<ParticleEffect*>* effects = nullptr;
    const std::vector<TDPoint*>* points = nullptr;
    std::vector<TDTower*>* towers = nullptr;
    std::vector<ParticleEffect*>* hudEffects = nullptr;
    const UpgradesTable* upgrades = nullptr;
    TDFloatingLabels* labels = nullptr;
    TDPlayerStats* stats = nullptr;
    // Spawns a unit for a wave entry at a point (the level's spawnMob); null when the
    // unit cannot be spawned.
    std::function<TDMob*(TDWaveEnemy*, TDPoint*)> spawn;

    // The units other than `source` (any state) whose distance from it is strictly
    // below `radius`, in list order.
    std::vector<TDMob*> unitsNear(const TDMob& source, float radius) const;
    // The units still in the game (any state) whose position lies within `radius` of
    // (x, y), the edge included, in list order.
    std::vector<TDMob*> unitsInCircle(float x, float y, float radius) const;
};

class TDModifier {
public:
    TDModifier(std::string name, TDTower* owner, float value, float duration);
    TDModifier(const TDModifier&) = delete;
    TDModifier& operator=(const TDModifier&) = delete;
    virtual ~TDModifier() = default;

    // Adds dt to both clocks; applies (with the frame's dt) once the time since the last
    // apply passes the tick interval (every update for -1); then ends the effect once
    // its elapsed time passes the duration (never for -1). The ending frame applies too.
    virtual void update(TDMob* target, float dt);
    // The effect of one tick on the target (a unit; null for area and tower effects).
    virtual void apply(TDMob*, float) {}
    // Drops a pointer to an object that is going away.
    virtual void forget(const void*) {}

    bool mInnate = false; // born with the unit: never blocks an inflicted effect
    int mKind = 0;        // 101: splash mark
    bool mActive = true;
    std::string mName;
    float mValue;
    float mDuration; // seconds; -1 endless
    float mElapsed = 0.0f;
    float mSinceTick = 0.0f;
    float mTickInterval = -1.0f; // -1: every update
    float mX = 0.0f;
    float mY = 0.0f;
    float mRadius = 0.0f;
    TDTower* mOwner; // the tower that caused the effect, or null
};
