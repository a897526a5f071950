#pragma once
// An effect object of the level: a set of particle emitters at one place.
#include <vector>

namespace render {
class ParticleEmitter;
}

class TDParticle {
public:
    virtual ~TDParticle() = default;
    virtual void update(float) {}
    // Finished once an emitter has stopped (or there is none).
    bool finished() const;

    std::vector<render::ParticleEmitter*> emitters; // not owned here
};
