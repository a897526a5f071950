#include "Source/TD/Shell/AttributedString.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/Image.h"


AttributedStringChunk::AttributedStringChunk(const std::wstring& runText, render::Font* font) : text(runText)
{
    if (!font || text.empty())
        return;
    float measured = 0.0f;
    {
        auto request = font->MeasureText(text);
        request->outWidth = &measured;
    }
    width = measured;
}

void AttributedStringChunk::draw(render::Graphics& g, const math::Transform2D& t)
{
    if (text.empty())
        return;
    auto request = g.DrawText(text);
    request.SetAlign(0, 2);
    render::DrawTransform2DParam<render::DrawTextParam> placed(std::move(request), t);
}

AttributedImageChunk::AttributedImageChunk(render::Image* picture) : image(picture)
{
    width = image ? static_cast<float>(image->GetWidth()) : 0.0f;
}

void AttributedImageChunk::draw(render::Graphics& g, const math::Transform2D& t)
{
    if (!image)
        return;
    auto request = g.DrawImage(image);
    request.SetAlign(0, 2);
    render::DrawTransform2DParam<render::DrawImageParam> placed(std::move(request), t);
}

AttributedString::~AttributedString()
{
    clear();
}

void AttributedString::releaseChunks()
{
    for (AttributedChunk* chunk : chunks)
        delete chunk;
    chunks.clear();
}

void AttributedString::clear()
{
    releaseChunks();
    font = resource::ResourceHandle<render::BMFont>();
    images.clear();
    text.clear();
}

void AttributedString::build()
{
    releaseChunks();
    render::Font* measuring = font.Get();
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto image = images.find(text[i]);
        if (image == images.end())
            continue;
        if (i > start)
            chunks.push_back(new AttributedStringChunk(text.substr(start, i - start), measuring));
        chunks.push_back(new AttributedImageChunk(image->second));
        start = i + 1;
    }
    chunks.push_back(new AttributedStringChunk(text.substr(start), measuring));
}

float AttributedString::totalWidth() const
{
    float total = 0.0f;
    for (const AttributedChunk* chunk : chunks)
        total += chunk->width;
    return total;
}

void AttributedString::draw(render::Graphics& g, const math::Transform2D& t)
{
    if (font.Get())
        g.SetFont(font);
    // The pen runs in the line's own units, centred on the origin; each run's place
    // goes through the same scale as the run itself, so the line stays centred and
    // its runs touch at every scale.
    float pen = totalWidth() * -0.5f;
    for (AttributedChunk* chunk : chunks) {
        chunk->draw(g, placeRun(t, pen));
        pen += chunk->width;
    }
}

math::Transform2D AttributedString::placeRun(const math::Transform2D& t, float pen)
{
    math::Transform2D placed = t;
    // Where the transform puts the pen, relative to where it puts the origin; a
    // translation added to the transform moves its output by that much.
    math::Transform2D probe = t;
    float x = pen, y = 0.0f, ox = 0.0f, oy = 0.0f;
    probe.TransformPoint(&x, &y);
    probe.TransformPoint(&ox, &oy);
    placed.Translate(x - ox, y - oy);
    return placed;
}
