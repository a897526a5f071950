#pragma once
// A font as the drawing code sees it: metrics, a glyph test and one operation that
// lays a text out and, given a drawing context, draws it.
#include "Core/Base/Types.h"
#include "Core/Render/DrawParam.h"
#include "Core/Render/DrawTextParam.h"
#include "Core/Resource/Resource.h"
#include <string>

namespace render {

class Graphics;

class Font : public resource::Resource {
public:
    u32 Init() override { return 0; }

    virtual float GetBase() const = 0;
    virtual float GetSizeMinusBase() const = 0;
    virtual float GetSize() const = 0;
    // Size plus leading: the advance from one line to the next.
    virtual float GetLineAdvance() const = 0;
    virtual float GetLeading() const = 0;
    // Lays `text` out; outSize (width, height) gets the measured box when given; with
    // `graphics` the text is drawn too.
    virtual GEResultEnum RenderText(Graphics* graphics, DrawTextParam* textParam, const std::wstring& text,
                                    const TextLayout& layout, float* outSize) = 0;
    virtual bool HasGlyph(wchar_t c) const = 0;

    // A request that only measures: width, height and box come back through the
    // body's out pointers when it is done. `text` must outlive the request (a
    // temporary does, within the full expression that makes the request).
    DrawUntransformedParam<DrawTextParam> MeasureText(const std::wstring& text);
};

} // namespace render
