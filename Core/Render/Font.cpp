#include "Core/Render/Font.h"

namespace render {

DrawUntransformedParam<DrawTextParam> Font::MeasureText(const std::wstring& text)
{
    DrawTextParam body;
    body.text = &text;
    body.font = this;
    return DrawUntransformedParam<DrawTextParam>(body);
}

} // namespace render
