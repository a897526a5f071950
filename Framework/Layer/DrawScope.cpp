#include "Framework/Layer/DrawScope.h"
#include "Core/Render/Graphics.h"
#include "Framework/Layer/Layer.h"

namespace layer {

DrawScope::DrawScope(render::Graphics* g, Layer& layer, bool secondBlend)
    : g(g), colorMode(g->colorMode), color(g->color), tint(g->tint), transform(g->GetTransform()),
      texturedShader(g->texturedShader), font(g->font)
{
    g->SetTransform(&layer.transform);
    // The colour's own alpha is not used: the layer's effective opacity is.
    if (layer.tint) {
        g->SetColorMode(render::Graphics::Tint);
        g->SetColor(layer.color.x, layer.color.y, layer.color.z, layer.effectiveOpacity);
        g->tint = layer.tintAmount;
    } else {
        g->SetColorMode(render::Graphics::Multiply);
        g->SetColor(layer.color.x, layer.color.y, layer.color.z, layer.effectiveOpacity);
    }
    g->SetBlendMode(secondBlend ? 2 : 1);
}

DrawScope::~DrawScope()
{
    // The blend mode stays as the draw set it.
    if (colorMode == 0) {
        g->colorMode = 0;
        g->texturedShader = texturedShader ? texturedShader : g->multShader;
    } else {
        g->SetColorMode(colorMode);
    }
    g->color = color;
    g->tint = tint;
    g->SetTransform(transform);
    g->font = font;
}

} // namespace layer
