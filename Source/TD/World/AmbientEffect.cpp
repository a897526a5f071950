#include "Source/TD/World/AmbientEffect.h"

#include "Core/Render/Math/Random.h"
#include "Core/Render/ParticleEmitter.h"
#include "Source/TD/World/LevelArt.h"
#include "Source/TD/World/ParticleEffect.h"

namespace {

constexpr float kMinInterval = 20.0f;

} // namespace

bool AmbientEffectOf(int episode, std::string* name, float* maxInterval)
{
    static const struct {
        const char* name;
        float maxInterval;
    } kEpisodes[] = {{"btfly", 0.0f}, {"sh_snow", 0.0f}, {"tr1", 30.0f},
                     {"bird", 30.0f}, {"lava_3", 30.0f}, {"fire_fly_2", 0.0f}};
    if (episode < 0 || episode >= static_cast<int>(std::size(kEpisodes)))
        return false;
    *name = kEpisodes[episode].name;
    *maxInterval = kEpisodes[episode].maxInterval;
    return true;
}

AmbientEffect::AmbientEffect(const std::string& name, float x, float y, float maxInterval,
                             std::vector<ParticleEffect*>* effects)
    : mName(name), mMaxInterval(maxInterval), mEffects(effects)
{
    mX = x;
    mY = y;
    mNoRepeat = maxInterval == 0.0f ? 1 : 0;
    mPeriod = 3.0f + RandomFloat() * 5.0f;
}

void AmbientEffect::update(float dt)
{
    if (!mFired) {
        mTimer += dt;
        if (mTimer > mPeriod)
            fire();
        return;
    }
    if (mNoRepeat)
        return;
    mTimer += dt;
    if (mTimer > mInterval)
        fire();
}

void AmbientEffect::fire()
{
    mFired = 1;
    mTimer = 0.0f;
    // The next firing comes a whole interval later: 20 s up to the maximum.
    mInterval = kMinInterval + RandomFloat() * (mMaxInterval - kMinInterval);
    if (mName.empty() || !mEffects)
        return;
    ParticleEffect* effect = MakeParticleEffect(mName);
    if (!effect->emitter) {
        DeleteEffectRecord(effect);
        return;
    }
    const float at[2] = {mX, mY};
    effect->emitter->SetPosition(at, 1);
    // An effect that fires once keeps repeating; a repeating one plays once a firing.
    effect->emitter->SetLoopMode(mNoRepeat ? 1 : 0);
    effect->emitter->Start();
    mEffect = effect;
    mEffects->push_back(effect);
}

void BuildAmbientEffects(const LevelArt& art, int episode, std::vector<ParticleEffect*>* effects,
                         std::vector<TDSprite*>& out)
{
    std::string name;
    float maxInterval = 0.0f;
    if (!AmbientEffectOf(episode, &name, &maxInterval))
        return;
    for (const TDFrameEntry* layer : art.mLayerSprites) {
        // Layer names are paths in the art's image; the last part names the layer.
        const size_t slash = layer->mName.rfind(L'/');
        const std::wstring leaf = slash == std::wstring::npos ? layer->mName : layer->mName.substr(slash + 1);
        if (leaf.compare(0, 2, L"fx") != 0)
            continue;
        out.push_back(new AmbientEffect(name, layer->centerX(), layer->centerY(), maxInterval, effects));
    }
}
