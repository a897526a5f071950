#include "Source/TD/World/ParticleEffect.h"

#include "Core/Render/ParticleEmitter.h"
#include "Core/Render/ParticleSystem.h"

ParticleEffect* MakeParticleEffect(const std::string& name)
{
    auto* effect = new ParticleEffect;
    effect->emitter = render::ParticleSystem::Instance()->CreateEmitter(name);
    return effect;
}

bool StartEffectAt(ParticleEffect* effect, float x, float y)
{
    if (!effect || !effect->emitter)
        return false;
    const float at[2] = {x, y};
    effect->emitter->SetPosition(at, 1);
    effect->emitter->Start();
    return true;
}

void DeleteEffectRecord(ParticleEffect* effect)
{
    if (!effect)
        return;
    if (effect->emitter && effect->emitter->GetState() == render::ParticleEmitter::Playing)
        effect->emitter->Stop();
    delete effect->emitter;
    delete effect;
}
