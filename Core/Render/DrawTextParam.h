#pragma once
// The body of a text draw: a text in a font with its layout, aligned against the
// measured box. The font lays the text out and, with a drawing context, draws it,
// calling back ApplyTransform for every batch of glyph vertices.
#include "Core/Base/Types.h"
#include <string>

namespace math {
struct BoundingBox;
}

namespace render {

class DrawParam;
class Font;
class Graphics;
class Render;
class VertexFormat;
struct RenderState;

// How a font breaks and places a text.
struct TextLayout {
    float letterSpacing = 0.0f;
    float maxWidth = 0.0f; // 0: no wrapping
    u32 alignment = 0;     // 0 left, 1 centre, 2 right, 3 justify
    u16 lineBreak = 10;
    u16 defaultChar = 0; // drawn for characters without a glyph; 0: they are skipped
    float lineSpacing = 0.0f;
    float indent = 0.0f; // x offset of the first line of each paragraph
    u8 justifyLetters = 1;
    // 0 with a maximum width: the measured width is the maximum width.
    u8 keepWidestLine = 1;
};

struct DrawTextParam {
    Graphics* graphics = nullptr; // null: measure only
    Render* render = nullptr;
    RenderState* state = nullptr;
    const std::wstring* text = nullptr; // the caller's, alive until the request is done
    Font* font = nullptr;
    TextLayout layout;
    u32 hAlign = 0;               // 0 none, 1 right, 2 centre
    u32 vAlign = 0;               // 0 none, 1 bottom, 2 middle, 3 by the font's base
    float width = 0.0f;           // measured, written by the font
    float height = 0.0f;          // measured, written by the font
    DrawParam* request = nullptr; // the request being drawn
    float* outWidth = nullptr;
    float* outHeight = nullptr;
    math::BoundingBox* outBox = nullptr;

    GEResultEnum Draw(DrawParam& drawing);
    // Alignment against the measured box, then the request's own transform, then the
    // context's 3-D transform.
    GEResultEnum ApplyTransform(void* vertices, const VertexFormat& format, u32 count);
};

} // namespace render
