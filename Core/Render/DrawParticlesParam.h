#pragma once
// The body of a particle draw: one emitter's particles, with the count drawn and
// the boxes of their vertices before and after the request's transform.
#include "Core/Base/Types.h"

namespace math {
struct BoundingBox;
}

namespace render {

class DrawParam;
class Graphics;
class ParticleEmitter;
class Render;
struct RenderState;

// What an emitter's Draw reports.
struct ParticlesDrawResult {
    u32 count = 0;                               // particles drawn, low 16 bits
    math::BoundingBox* box = nullptr;            // untransformed vertex positions, or null
    math::BoundingBox* transformedBox = nullptr; // after the request's transform, or null
};

struct DrawParticlesParam {
    Graphics* graphics = nullptr;
    Render* render = nullptr;
    RenderState* state = nullptr;
    ParticleEmitter* emitter = nullptr;
    u32* outCount = nullptr;
    math::BoundingBox* outBox = nullptr;
    math::BoundingBox* outTransformedBox = nullptr;

    GEResultEnum Draw(DrawParam& request);
};

} // namespace render
