#pragma once
#include "Core/Base/Types.h"

namespace render {

class DrawParam;
class Graphics;
class Image;
class Render;
struct RenderState;

// The body of an image draw: one textured quad of the source rectangle, placed by
// its alignment, optionally flipped, coloured and tinted by the context.
struct DrawImageParam {
    DrawImageParam() = default;
    // Field by field: a request moves its body on right after the fields were written
    // one by one, and a block copy reads them back in wider pieces than they were
    // stored, which the store buffer cannot forward; every sprite then waits for its
    // own stores to land. A new field must be copied here too.
    DrawImageParam(const DrawImageParam& o)
        : graphics(o.graphics), render(o.render), state(o.state), image(o.image), hAlign(o.hAlign),
          vAlign(o.vAlign), flipX(o.flipX), flipY(o.flipY), srcX(o.srcX), srcY(o.srcY), srcW(o.srcW),
          srcH(o.srcH)
    {
    }
    DrawImageParam& operator=(const DrawImageParam&) = default;
    Graphics* graphics = nullptr;
    Render* render = nullptr;
    RenderState* state = nullptr;
    Image* image = nullptr;
    u32 hAlign = 0; // 0 left, 1 right, 2 centre
    u32 vAlign = 0; // 0 top, 1 bottom, 2 centre
    u8 flipX = 0;
    u8 flipY = 0;
    float srcX = 0.0f, srcY = 0.0f, srcW = 0.0f, srcH = 0.0f;

    GEResultEnum Draw(DrawParam& request);
};

} // namespace render
