#include "Source/TD/World/ParticleEffect.h"

#include "Core/Render/ParticleEmitter.h"
#include "Core/Render/ParticleSystem.h"

ParticleEffect* MakeParticleEffect(const std::string& name)
{
    auto* effect = new ParticleEffect;
    effect->emitter = render::ParticleSystem::Instance()->CreateEmitter(name);
    return effect;
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
