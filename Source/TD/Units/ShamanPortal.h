#pragma once
// A summoning portal left by a summoner: for its duration it summons one unit of kind 0
// per tick interval, each starting where the summoner stood, on the summoner's route.
// It keeps a copy of that route state, so the summoner may die meanwhile.
#include "Source/TD/Units/TDModifier.h"
#include "Source/TD/Units/TDMob.h"

class TDWaveProto;

class ShamanPortal : public TDModifier {
public:
    // Opens the looping effect `effectName` at the summoner's position.
    ShamanPortal(const EffectWorld& world, const TDMob& shaman, float duration, const std::string& effectName);
    // Stops its effect; the level's effect list deletes it.
    ~ShamanPortal() override;

    // Advances its effect, then the clock.
    void update(TDMob* target, float dt) override;
    // Summons one unit.
    void apply(TDMob* target, float dt) override;

    TDWaveProto* mWave = nullptr; // the wave of the summoner's entry; not owned
    int mPathIndex = 0;
    float mSegmentTime = 0.0f;
    float mSegmentT = 0.0f;
    std::vector<MobPoint> mPathSamples;
    float mUpper = 0.0f;
    std::vector<int> mPathNodes;
    float mSpawnX = 0.0f;
    float mSpawnY = 0.0f;
    float mEntryY = 0.0f;
    ParticleEffect* mEffect = nullptr; // in the level's effect list, not owned

private:
    EffectWorld mWorld;
};
