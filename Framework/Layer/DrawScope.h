#pragma once
// The frame around a concrete layer's draw: the graphics context takes the layer's
// world transform, colour mode, colour (alpha = effective opacity) and blend mode, and
// gets its colour mode, colour, tint, transform and font back afterwards.
#include "Core/Base/Types.h"
#include "Core/Render/Math/Point4.h"

namespace math {
class Transform3D;
}
namespace render {
class Font;
class Graphics;
class ShaderTextured;
} // namespace render

namespace layer {

class Layer;

class DrawScope {
public:
    // `secondBlend` selects blend mode 2 instead of 1.
    DrawScope(render::Graphics* g, Layer& layer, bool secondBlend);
    ~DrawScope();
    DrawScope(const DrawScope&) = delete;
    DrawScope& operator=(const DrawScope&) = delete;

private:
    render::Graphics* g;
    u32 colorMode;
    math::Point4 color;
    float tint;
    math::Transform3D* transform;
    render::ShaderTextured* texturedShader;
    render::Font* font;
};

} // namespace layer
