#pragma once
#include "Core/Base/Types.h"

namespace render {

class Texture;
class ShaderImpl;
class VertexBufferImpl;
class IndexBufferImpl;

// The block of render state that a draw needs; copied by value. The renderer
// holds one as requested and one as last recorded, and every drawing context
// carries its own.
struct RenderState {
    Texture* target = nullptr; // null: the back buffer
    // Design-to-device transform of scissor rectangles.
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    float offsetX = 0.0f;
    float offsetY = 0.0f;
    ShaderImpl* shader = nullptr;
    VertexBufferImpl* vertexBuffer = nullptr;
    IndexBufferImpl* indexBuffer = nullptr;
    u32 blendMode = 0;
    u8 scissorEnabled = 0;
    float scissorRect[4] = {0.0f, 0.0f, 0.0f, 0.0f}; // x, y, w, h in design units
    u8 depthTest = 0;
    u8 depthWrite = 1;
};

} // namespace render
