#include "Core/Render/DrawTextParam.h"
#include "Core/Render/BMFont.h"
#include "Core/Render/DrawParam.h"
#include "Core/Render/Font.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/Math/BoundingBox.h"
#include "Core/Render/Vertex.h"
#include <cmath>

namespace render {

GEResultEnum DrawTextParam::ApplyTransform(void* vertices, const VertexFormat& format, u32 count)
{
    float dx = 0.0f, dy = 0.0f;
    if (hAlign == 1)
        dx = -width;
    else if (hAlign == 2)
        dx = std::floor(-0.5f * width);
    if (vAlign == 1)
        dy = -height;
    else if (vAlign == 2)
        dy = -std::floor(0.5f * height);
    else if (vAlign == 3 && font)
        dy = -font->GetBase();
    if (dx != 0.0f || dy != 0.0f)
        TranslateVertices(vertices, format, count, dx, dy);
    if (request) {
        const GEResultEnum result = request->ApplyTransform(vertices, format, count);
        if (result != GE_OK)
            return result;
    }
    if (graphics && graphics->transform)
        return graphics->transform->TransformVertices(vertices, format, count);
    return GE_OK;
}

GEResultEnum DrawTextParam::Draw(DrawParam& drawing)
{
    if (!font || !text)
        return GE_FAIL;
    request = &drawing;
    float size[2] = {0.0f, 0.0f};
    const GEResultEnum result = font->RenderText(graphics, this, *text, layout, size);
    width = size[0];
    height = size[1];
    if (result != GE_OK)
        return result;
    if (outWidth)
        *outWidth = width;
    if (outHeight)
        *outHeight = height;
    if (outBox) {
        SVertex2D corners[4] = {};
        corners[1].x = width;
        corners[2].x = width;
        corners[2].y = height;
        corners[3].y = height;
        const GEResultEnum transformed = ApplyTransform(corners, SVertex2D::Format(), 4);
        if (transformed != GE_OK)
            return transformed;
        outBox->Reset();
        for (const SVertex2D& corner : corners)
            outBox->AddPoint(math::Point3{corner.x, corner.y, corner.z});
    }
    return GE_OK;
}

// The text operations of the drawing context live beside their body.

GEResultEnum Graphics::SetFont(const resource::ResourceHandle<BMFont>& handle)
{
    if (!handle)
        return GE_FAIL;
    font = handle.Get();
    return GE_OK;
}

DrawUntransformedParam<DrawTextParam> Graphics::DrawText(const std::wstring& text)
{
    DrawTextParam body;
    body.graphics = this;
    body.render = render;
    body.state = &state;
    body.text = &text;
    body.font = font;
    return DrawUntransformedParam<DrawTextParam>(body, font != nullptr);
}

DrawUntransformedParam<DrawTextParam> Graphics::DrawTextEx(const std::wstring& text, float indent,
                                                           u32 alignment, float maxWidth)
{
    DrawUntransformedParam<DrawTextParam> request = DrawText(text);
    request.params.layout.indent = indent;
    request.params.layout.alignment = alignment;
    request.params.layout.maxWidth = maxWidth;
    request.params.layout.justifyLetters = 1;
    return request;
}

} // namespace render
