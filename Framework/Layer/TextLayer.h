#pragma once
// A text drawn with a bitmap font; its extent is the font's measured text box.
#include "Core/Render/DrawTextParam.h"
#include "Core/Render/Font.h"
#include "Core/Resource/ResourceHandle.h"
#include "Framework/Layer/Layer.h"
#include <string>

namespace layer {

class TextLayer : public Layer {
public:
    using FontHandle = resource::ResourceHandle<render::Font>;

    // indent: first-line indent; alignment: the font's line alignment; justifyLetters:
    // the layout's first flag; maxWidth: wrapping width (0: none).
    TextLayer(const FontHandle& font, const std::wstring& text, float indent = 0.0f, u32 alignment = 0,
              bool justifyLetters = true, float maxWidth = 0.0f);

    // Shares the font of a handle to any font type (its count is incremented).
    template <class F> static FontHandle ShareFont(const resource::ResourceHandle<F>& handle)
    {
        if (handle.count)
            ++*handle.count;
        return FontHandle(handle.Get(), handle.count);
    }

    void SetText(const std::wstring& newText);
    const std::wstring& GetText() const { return text; }
    void SetFont(const FontHandle& newFont);
    const FontHandle& GetFont() const { return font; }
    // h: 0 none, 1 right, 2 centre; v: 0 none, 1 bottom, 2 middle, 3 by the font's base.
    void SetAlign(int h, int v);
    // Moves the layer so that the text box's corner falls on whole pixels.
    void SnapToPixels();

    GEResultEnum Draw(render::Graphics* g) override;
    void UpdateBounds() override;
    bool HitTestPoint(const math::Point3& local) override;

    FontHandle font;
    std::wstring text;
    // Letter spacing, maximum width, alignment, line break, default character, line
    // spacing and first-line indent; the two flags below override the block's own.
    render::TextLayout layout;
    u8 justifyLetters = 1;
    u8 reserved = 1;
    int hAlign = 0;
    int vAlign = 0;
    // 0 with a maximum width: the measured width is the maximum width.
    u8 keepWidestLine = 0;

private:
    render::DrawTextParam MakeBody() const;
    bool Measure(math::BoundingBox* box) const;
};

} // namespace layer
