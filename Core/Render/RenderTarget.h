#pragma once
#include "Core/Base/Types.h"
#include "Core/Render/Image.h"
#include "Core/Render/Math/Matrix4.h"

namespace render {

class Texture;

// An off-screen target that a drawing context can draw into and that is then drawn
// like any image. It owns its render-target texture; the projection maps the
// target's own pixels, and the screen scale and offset are those of its scissor
// rectangles.
class RenderTarget : public Image {
public:
    // Takes ownership of `texture` (a render-target texture). With `withProjection`
    // the projection is the renderer's orthographic one for the texture's size,
    // otherwise the identity.
    RenderTarget(Texture* texture, u8 withProjection);

    math::Matrix4 projection = math::Matrix4::Identity();
    float screenOffsetX = 0.0f;
    float screenOffsetY = 0.0f;
    float screenScaleX = 1.0f;
    float screenScaleY = 1.0f;
};

} // namespace render
