#include "Source/TD/World/TDParticle.h"

#include "Core/Render/ParticleEmitter.h"

bool TDParticle::finished() const
{
    if (emitters.empty())
        return true;
    for (const render::ParticleEmitter* emitter : emitters)
        if (emitter->GetState() != render::ParticleEmitter::Playing)
            return true;
    return false;
}
