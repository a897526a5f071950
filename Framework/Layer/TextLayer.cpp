#include "Framework/Layer/TextLayer.h"
#include "Core/Render/Graphics.h"
#include "Framework/Layer/DrawScope.h"
#include <cmath>

namespace layer {

TextLayer::TextLayer(const FontHandle& font, const std::wstring& text, float indent, u32 alignment,
                     bool justifyLetters, float maxWidth)
    : font(font), text(text), justifyLetters(justifyLetters ? 1 : 0)
{
    layout.indent = indent;
    layout.alignment = alignment;
    layout.maxWidth = maxWidth;
    hasLocalBounds = true;
    localBoundsValid = false;
}

void TextLayer::SetText(const std::wstring& newText)
{
    if (newText == text)
        return;
    text = newText;
    InvalidateLocalBounds();
}

void TextLayer::SetFont(const FontHandle& newFont)
{
    font = newFont;
    InvalidateLocalBounds();
}

void TextLayer::SetAlign(int h, int v)
{
    hAlign = h;
    vAlign = v;
    InvalidateLocalBounds();
}

render::DrawTextParam TextLayer::MakeBody() const
{
    render::DrawTextParam body;
    body.text = &text;
    body.font = font.Get();
    body.layout = layout;
    body.layout.justifyLetters = justifyLetters;
    body.layout.keepWidestLine = keepWidestLine;
    body.hAlign = u32(hAlign);
    body.vAlign = u32(vAlign);
    return body;
}

bool TextLayer::Measure(math::BoundingBox* box) const
{
    box->Reset();
    if (!font || text.empty())
        return false;
    render::DrawTextParam body = MakeBody();
    body.outBox = box;
    {
        // Without a drawing context the request only lays the text out.
        render::DrawUntransformedParam<render::DrawTextParam> request(body);
    }
    return true;
}

GEResultEnum TextLayer::Draw(render::Graphics* g)
{
    if (!g || !font || text.empty())
        return GE_OK;
    DrawScope scope(g, *this, secondBlend);
    g->font = font.Get();
    render::DrawTextParam body = MakeBody();
    body.graphics = g;
    body.render = g->render;
    body.state = &g->state;
    render::DrawUntransformedParam<render::DrawTextParam> request(body);
    return GE_OK;
}

void TextLayer::UpdateBounds()
{
    Measure(&localBounds);
}

bool TextLayer::HitTestPoint(const math::Point3&)
{
    return true;
}

void TextLayer::SnapToPixels()
{
    math::BoundingBox box;
    if (!Measure(&box))
        return;
    const float x = std::floor(position.x + box.min.x) - box.min.x;
    const float y = std::floor(position.y + box.min.y) - box.min.y;
    if (x != position.x)
        SetX(x);
    if (y != position.y)
        SetY(y);
}

} // namespace layer
