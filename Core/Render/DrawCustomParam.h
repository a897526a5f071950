#pragma once
#include "Core/Base/Types.h"
#include "Core/Render/VertexFormat.h"

namespace render {

class DrawParam;
class Graphics;
class IndexBufferImpl;
class Render;
class Shader;
class VertexBufferImpl;
struct RenderState;

// The body of a draw of vertices (and indices) already leased and filled by the
// caller, through a given shader.
struct DrawCustomParam {
    Graphics* graphics = nullptr;
    Render* render = nullptr;
    RenderState* state = nullptr;
    u32 primitiveType = 0;
    void* vertices = nullptr;
    VertexFormat format;
    u32 firstVertex = 0;
    u32 vertexCount = 0;
    VertexBufferImpl* vertexBuffer = nullptr;
    u32 firstIndex = 0;
    u32 indexCount = 0;
    IndexBufferImpl* indexBuffer = nullptr; // null: not indexed
    Shader* shader = nullptr;
    u32 primitiveCount = 0; // 0: derived from the vertex or index count

    GEResultEnum Draw(DrawParam& request);
    // Primitives of `type` made of n vertices (or indices).
    static u32 DerivePrimitiveCount(u32 type, u32 n);
};

} // namespace render
