#pragma once
// An effect object of the level: one named particle effect (one or more emitters)
// drawn under a 2-D transform. The level's particle list owns it.
#include "Core/Render/Math/Transform2D.h"
#include <string>
#include <vector>

namespace render {
class Graphics;
class ParticleEmitter;
} // namespace render

class TDParticle {
public:
    // With a name: one emitter copied from the particle system by that name, looping,
    // started. An empty or unknown name gives no emitter.
    explicit TDParticle(const std::string& name = std::string());
    virtual ~TDParticle();
    TDParticle(const TDParticle&) = delete;
    TDParticle& operator=(const TDParticle&) = delete;

    virtual void draw(render::Graphics* g);
    // dt in seconds.
    virtual void update(float dt);

    // At least one emitter, and every one running.
    bool isRunning() const;
    // The level drops a particle that no longer runs.
    bool finished() const { return !isRunning(); }
    // Each emitter not already finishing plays out its cycle and stops.
    void interrupt();

    std::vector<render::ParticleEmitter*> mEmitters; // owned
    math::Transform2D mTransform;

protected:
    // A started copy of the named emitter, or null when the system has none.
    static render::ParticleEmitter* startedEmitter(const std::string& name);
};
