#pragma once
// An ambient effect of the level: the episode's effect fired at an "fx" point of the
// level art, first after 3 to 8 s and then, for repeating effects, every 20 s up to
// the episode's maximum interval. The level's ambient list owns the records; each
// firing adds a running effect to the level's effect list.
#include "Source/TD/World/TDSprite.h"
#include <string>
#include <vector>

class LevelArt;
struct ParticleEffect;

class AmbientEffect : public TDSprite {
public:
    // `effects` is the level's effect list that firings add to (not owned).
    AmbientEffect(const std::string& name, float x, float y, float maxInterval,
                  std::vector<ParticleEffect*>* effects);

    // dt in seconds of game time.
    void update(float dt) override;
    void fire();

    std::string mName;
    u8 mNoRepeat = 0;
    float mPeriod = 0.0f;      // until the first firing
    float mMaxInterval = 0.0f; // 0: fires once
    float mInterval = 0.0f;    // until the next firing once fired
    float mTimer = 0.0f;
    u8 mFired = 0;
    ParticleEffect* mEffect = nullptr; // the last one fired; the effect list owns it
    std::vector<ParticleEffect*>* mEffects = nullptr;
};

// The effect name and maximum interval of an episode (0-based); false when the episode
// has no ambient effect.
bool AmbientEffectOf(int episode, std::string* name, float* maxInterval);
// One record per layer of the art whose name starts with "fx", at the layer's centre,
// appended to `out`.
void BuildAmbientEffects(const LevelArt& art, int episode, std::vector<ParticleEffect*>* effects,
                         std::vector<TDSprite*>& out);
