#pragma once
// A particle emitter drawn at the layer's place; it has no extent and takes no
// pointer events.
#include "Framework/Layer/Layer.h"

namespace render {
class ParticleEmitter;
}

namespace layer {

class ParticlesLayer : public Layer {
public:
    ParticlesLayer() = default;
    ParticlesLayer(render::ParticleEmitter* emitter, bool owns) : emitter(emitter), ownsEmitter(owns) {}
    ~ParticlesLayer() override;

    // Releases the previous emitter when the layer owned it.
    void SetEmitter(render::ParticleEmitter* newEmitter, bool owns);

    GEResultEnum Draw(render::Graphics* g) override;

    render::ParticleEmitter* emitter = nullptr;
    bool ownsEmitter = false;
};

} // namespace layer
