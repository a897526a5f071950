#pragma once
// How a text lays out in the box it is drawn in: the size and lines the font gives it,
// and the scale at which a text that must stay on one line fits its box. Places of
// one line shrink what is wider rather than wrap it out of the box: counters and
// player names can outgrow any box.
#include <string>

namespace layer {
class TextLayer;
}
namespace render {
class Font;
}

struct TextBlock {
    float width = 0.0f; // the widest line
    float height = 0.0f;
    int lines = 0;
};

// `text` laid out in `font`, wrapped at `maxWidth` (0: only at line breaks).
TextBlock LayOutText(render::Font* font, const std::wstring& text, float maxWidth);
// True when a box `boxHeight` high has room for one line of the font and no more.
bool HoldsOneLine(const render::Font* font, float boxHeight);
// The scale, at most 1, at which `text` on one line fits a box of that size.
float OneLineScale(render::Font* font, const std::wstring& text, float boxWidth, float boxHeight);
// Sets the layer's text on one line (no wrapping), scaled to fit the box.
void SetOneLineText(layer::TextLayer* layer, const std::wstring& text, float boxWidth, float boxHeight);
