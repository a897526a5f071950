#include "Source/TD/Hud/TextFit.h"

#include "Core/Render/DrawParam.h"
#include "Core/Render/Font.h"
#include "Framework/Layer/TextLayer.h"

#include <algorithm>
#include <cmath>

TextBlock LayOutText(render::Font* font, const std::wstring& text, float maxWidth)
{
    TextBlock block;
    if (!font || text.empty())
        return block;
    {
        auto request = font->MeasureText(text);
        request->layout.maxWidth = maxWidth;
        request->layout.keepWidestLine = 1;
        request->outWidth = &block.width;
        request->outHeight = &block.height;
    }
    // One line measures the font's size; every further line adds an advance.
    const float advance = font->GetLineAdvance();
    const float extra = block.height - font->GetSize();
    if (block.width > 0.0f)
        block.lines =
            1 + (advance > 0.0f && extra > 0.0f ? static_cast<int>(std::lround(extra / advance)) : 0);
    return block;
}

bool HoldsOneLine(const render::Font* font, float boxHeight)
{
    return font && boxHeight < font->GetSize() + font->GetLineAdvance();
}

float OneLineScale(render::Font* font, const std::wstring& text, float boxWidth, float boxHeight)
{
    const TextBlock block = LayOutText(font, text, 0.0f);
    float scale = 1.0f;
    if (block.width > boxWidth && block.width > 0.0f)
        scale = boxWidth / block.width;
    if (block.height > boxHeight && block.height > 0.0f)
        scale = std::min(scale, boxHeight / block.height);
    return std::max(scale, 0.0f);
}

void SetOneLineText(layer::TextLayer* layer, const std::wstring& text, float boxWidth, float boxHeight)
{
    if (!layer)
        return;
    layer->layout.maxWidth = 0.0f;
    layer->InvalidateLocalBounds();
    layer->SetText(text);
    const float scale = OneLineScale(layer->font.Get(), text, boxWidth, boxHeight);
    layer->SetScale(scale, scale, 1.0f);
}
