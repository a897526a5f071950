#include "Framework/Layer/ParticlesLayer.h"
#include "Core/Render/DrawParam.h"
#include "Core/Render/DrawParticlesParam.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/ParticleEmitter.h"
#include "Framework/Layer/DrawScope.h"

namespace layer {

ParticlesLayer::~ParticlesLayer()
{
    if (ownsEmitter)
        delete emitter;
}

void ParticlesLayer::SetEmitter(render::ParticleEmitter* newEmitter, bool owns)
{
    if (ownsEmitter && emitter != newEmitter)
        delete emitter;
    emitter = newEmitter;
    ownsEmitter = owns;
}

GEResultEnum ParticlesLayer::Draw(render::Graphics* g)
{
    if (!g || !emitter)
        return GE_OK;
    // Particles always use blend mode 1.
    DrawScope scope(g, *this, false);
    render::DrawParticlesParam body;
    body.graphics = g;
    body.render = g->render;
    body.state = &g->state;
    body.emitter = emitter;
    render::DrawUntransformedParam<render::DrawParticlesParam> request(body);
    return GE_OK;
}

} // namespace layer
