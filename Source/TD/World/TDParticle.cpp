#include "Source/TD/World/TDParticle.h"

#include "Core/Render/Graphics.h"
#include "Core/Render/ParticleEmitter.h"
#include "Core/Render/ParticleSystem.h"

render::ParticleEmitter* TDParticle::startedEmitter(const std::string& name)
{
    if (name.empty())
        return nullptr;
    render::ParticleEmitter* emitter = render::ParticleSystem::Instance()->CreateEmitter(name);
    if (!emitter)
        return nullptr;
    emitter->SetLoopMode(1);
    emitter->Start();
    return emitter;
}

TDParticle::TDParticle(const std::string& name)
{
    if (render::ParticleEmitter* emitter = startedEmitter(name))
        mEmitters.push_back(emitter);
}

TDParticle::~TDParticle()
{
    // The emitter's destructor unloads it from the particle library.
    for (render::ParticleEmitter* emitter : mEmitters)
        delete emitter;
}

void TDParticle::draw(render::Graphics* g)
{
    if (!g)
        return;
    for (render::ParticleEmitter* emitter : mEmitters)
        render::DrawTransform2DParam<render::DrawParticlesParam> request(g->DrawParticles(emitter), mTransform);
}

void TDParticle::update(float dt)
{
    for (render::ParticleEmitter* emitter : mEmitters)
        emitter->Update(dt);
}

bool TDParticle::isRunning() const
{
    if (mEmitters.empty())
        return false;
    for (const render::ParticleEmitter* emitter : mEmitters)
        if (emitter->GetState() != render::ParticleEmitter::Playing)
            return false;
    return true;
}

void TDParticle::interrupt()
{
    for (render::ParticleEmitter* emitter : mEmitters)
        if (emitter->GetState() != render::ParticleEmitter::Stopping)
            emitter->Stop();
}
