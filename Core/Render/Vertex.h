#pragma once
// The engine's three vertex layouts. Their descriptors are registered before
// main in this order: SVertex2D (id 0), SVertexGeom (1), SVertexRT (2).
#include "Core/Base/Types.h"
#include "Core/Render/VertexFormat.h"

namespace render {

// Textured, coloured quads: images, text, particles and meshes.
struct SVertex2D {
    float x, y, z, w;
    u32 diffuse;  // 0xAARRGGBB
    u32 specular; // tint weights in green (vertex colour) and blue (texture)
    float u, v;
    static const VertexFormat& Format();
};
static_assert(sizeof(SVertex2D) == 32);

// Untextured coloured geometry: lines and filled rectangles.
struct SVertexGeom {
    float x, y, z;
    u32 diffuse;
    static const VertexFormat& Format();
};
static_assert(sizeof(SVertexGeom) == 16);

// Render-target quads; this format gets no buffer cache.
struct SVertexRT {
    float x, y, z, w;
    float u, v;
    static const VertexFormat& Format();
};
static_assert(sizeof(SVertexRT) == 24);

} // namespace render
