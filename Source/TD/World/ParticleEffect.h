#pragma once
// A running particle effect of the level: a copy of a named emitter with its speed
// scale and elapsed time.
#include <string>

namespace render {
class ParticleEmitter;
}

struct ParticleEffect {
    float speed = 1.0f;
    float elapsed = 0.0f;
    render::ParticleEmitter* emitter = nullptr; // owned
};

// A new record for the named emitter (its emitter null when the name is unknown).
ParticleEffect* MakeParticleEffect(const std::string& name);
// Places the record's emitter at (x, y) and starts it; false when it has none.
bool StartEffectAt(ParticleEffect* effect, float x, float y);
// Stops the emitter if it runs, deletes it and frees the record.
void DeleteEffectRecord(ParticleEffect* effect);
