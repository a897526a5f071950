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
    static constexpr u32 kFormatId = 0;
};
static_assert(sizeof(SVertex2D) == 32);

// Untextured coloured geometry: lines and filled rectangles.
struct SVertexGeom {
    float x, y, z;
    u32 diffuse;
    static const VertexFormat& Format();
    static constexpr u32 kFormatId = 1;
};
static_assert(sizeof(SVertexGeom) == 16);

// Render-target quads; this format gets no buffer cache.
struct SVertexRT {
    float x, y, z, w;
    float u, v;
    static const VertexFormat& Format();
    static constexpr u32 kFormatId = 2;
};
static_assert(sizeof(SVertexRT) == 24);

// The six indices of a quad drawn as two triangles (corners 0 1 2 and 0 2 3) whose
// corners stand at `first` to `first` + 3 in the vertex buffer.
inline void WriteQuadIndices(u16* index, u16 first)
{
    index[0] = first;
    index[1] = u16(first + 1);
    index[2] = u16(first + 2);
    index[3] = first;
    index[4] = u16(first + 2);
    index[5] = u16(first + 3);
}

} // namespace render
