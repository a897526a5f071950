#pragma once
// Lays texts out in the font and the box they are drawn in and notes every one that
// leaves its box, wraps where its box has room for one line, or fits only shrunk
// although it holds none of the long values the check put into the game. Every text
// it lays out is kept, so that a check over the strings file can ask which of them
// were never laid out anywhere.
#include "Core/Render/BMFont.h"
#include "Core/Render/Image.h"
#include "Framework/Layer/ImageLayer.h"
#include "Framework/Layer/TextLayer.h"
#include "Source/TD/Hud/HUDButtonOver.h"
#include "Source/TD/Hud/HUDWindow.h"
#include "Source/TD/Hud/TextFit.h"
#include "Source/TD/World/TDFrameEntry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace textfit {

struct Box {
    float x = 0.0f, y = 0.0f, w = 0.0f, h = 0.0f;
};

inline std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text)
        out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

inline std::string Describe(float value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.0f", value);
    return buffer;
}

class Check {
public:
    // Pixels a measured text may pass its box by (whole-pixel snapping).
    static constexpr float kSlack = 1.0f;

    // Texts holding one of these may shrink to fit: the player names the check put
    // into the game (the long counters it recognises by their digits).
    std::vector<std::wstring> longValues;
    std::vector<std::string> problems;
    std::vector<std::wstring> laidOut;

    bool isLong(const std::wstring& text) const
    {
        for (const std::wstring& value : longValues)
            if (text.find(value) != std::wstring::npos)
                return true;
        // A number of nine digits or more: a counter the check filled up (or a sum
        // of such).
        int digits = 0;
        for (wchar_t c : text) {
            digits = c >= L'0' && c <= L'9' ? digits + 1 : 0;
            if (digits >= 9)
                return true;
        }
        return false;
    }

    // One text: wrapped at `wrap` (0: only at line breaks) and drawn at `scale` in
    // `box` (in the units of the screen). A place is made for its text at `designed`;
    // a smaller scale shrinks the text to fit, which only the long values may need.
    void text(const std::string& where, const std::wstring& text, render::Font* font, float wrap, float scale,
              const Box& box, float designed = 1.0f)
    {
        if (text.empty())
            return;
        laidOut.push_back(text);
        const std::string at = where + " \"" + Narrow(text) + "\": ";
        if (!font) {
            problems.push_back(at + "no font");
            return;
        }
        const TextBlock block = LayOutText(font, text, wrap);
        const float w = block.width * scale, h = block.height * scale;
        if (w > box.w + kSlack)
            problems.push_back(at + Describe(w) + " wide in a box " + Describe(box.w) + " wide");
        if (h > box.h + kSlack)
            problems.push_back(at + Describe(h) + " high in a box " + Describe(box.h) + " high");
        if (HoldsOneLine(font, box.h / designed) && block.lines > 1)
            problems.push_back(at + "wraps onto " + std::to_string(block.lines) +
                               " lines in a box of one line");
        if (scale < designed - 0.001f && !isLong(text))
            problems.push_back(at + "fits only shrunk to " +
                               std::to_string(static_cast<int>(100.0f * scale / designed)) + "%");
    }

    // Every text a window set into an anchor, as the window draws it there.
    void window(const std::string& where, const HUDWindow& window)
    {
        for (const auto& [name, value] : window.texts) {
            const auto anchor = window.textAnchors.find(name);
            if (anchor == window.textAnchors.end())
                continue;
            const TDFrameEntry* a = anchor->second;
            const HUDWindow::TextPlacement placed = window.placeText(name, value, *a);
            text(where + " text/" + Narrow(name), value, placed.font.Get(), placed.wrap,
                 placed.scale * window.scale,
                 Box{a->mX, a->mY, a->mWidth * window.scale, a->mHeight * window.scale}, window.scale);
        }
    }

    // A listed button's label in its label place: one line, unwrapped.
    void label(const std::string& where, const HUDButtonOver& button)
    {
        if (!button.hasLabel || button.label.empty())
            return;
        text(where + " label of " + Narrow(button.name), button.label, button.font.Get(), 0.0f,
             button.labelScale(),
             Box{button.labelRect[0], button.labelRect[1], button.labelRect[2], button.labelRect[3]});
    }

    // A text layer in its parent's space, against `box` in that space: where its
    // alignment puts the laid-out text, at the layer's scale.
    void layer(const std::string& where, const layer::TextLayer& t, const Box& box)
    {
        if (t.text.empty() || !t.visible)
            return;
        render::Font* font = t.font.Get();
        laidOut.push_back(t.text);
        const std::string at = where + " \"" + Narrow(t.text) + "\": ";
        if (!font) {
            problems.push_back(at + "no font");
            return;
        }
        const TextBlock block = LayOutText(font, t.text, t.layout.maxWidth);
        const Box r = rect(t);
        const float left = r.x, top = r.y, right = r.x + r.w, bottom = r.y + r.h;
        const float sy = t.scale.y;
        if (left < box.x - kSlack || right > box.x + box.w + kSlack)
            problems.push_back(at + "runs from x " + Describe(left) + " to " + Describe(right) + " out of " +
                               Describe(box.x) + " to " + Describe(box.x + box.w));
        if (top < box.y - kSlack || bottom > box.y + box.h + kSlack)
            problems.push_back(at + "runs from y " + Describe(top) + " to " + Describe(bottom) + " out of " +
                               Describe(box.y) + " to " + Describe(box.y + box.h));
        if (HoldsOneLine(font, box.h / sy) && block.lines > 1)
            problems.push_back(at + "wraps onto " + std::to_string(block.lines) +
                               " lines in a box of one line");
    }

    // Texts that share a picture must not run into each other.
    void apart(const std::string& where, const std::vector<const layer::TextLayer*>& texts)
    {
        for (size_t i = 0; i < texts.size(); ++i)
            for (size_t j = i + 1; j < texts.size(); ++j) {
                const Box a = rect(*texts[i]), b = rect(*texts[j]);
                if (a.w > 0.0f && b.w > 0.0f && a.x + kSlack < b.x + b.w && b.x + kSlack < a.x + a.w &&
                    a.y + kSlack < b.y + b.h && b.y + kSlack < a.y + a.h)
                    problems.push_back(where + " \"" + Narrow(texts[i]->text) + "\" and \"" +
                                       Narrow(texts[j]->text) + "\" run into each other");
            }
    }

    // Where a text layer's alignment puts its laid-out text, in its parent's space.
    static Box rect(const layer::TextLayer& t)
    {
        render::Font* font = t.font.Get();
        if (t.text.empty() || !t.visible || !font)
            return Box{};
        const TextBlock block = LayOutText(font, t.text, t.layout.maxWidth);
        const float measured =
            t.keepWidestLine == 0 && t.layout.maxWidth > 0.0f ? t.layout.maxWidth : block.width;
        float dx = 0.0f, dy = 0.0f;
        if (t.hAlign == 1)
            dx = -measured;
        else if (t.hAlign == 2)
            dx = std::floor(-0.5f * measured);
        if (t.vAlign == 1)
            dy = -block.height;
        else if (t.vAlign == 2)
            dy = -std::floor(0.5f * block.height);
        else if (t.vAlign == 3)
            dy = -font->GetBase();
        return Box{t.position.x + dx * t.scale.x, t.position.y + dy * t.scale.y,
                   std::max(measured, block.width) * t.scale.x, block.height * t.scale.y};
    }

    // The rectangle an image layer covers in its parent's space.
    static Box picture(const layer::ImageLayer& image)
    {
        const render::Image* i = image.GetImage();
        const float w = i ? static_cast<float>(i->GetWidth()) : 0.0f,
                    h = i ? static_cast<float>(i->GetHeight()) : 0.0f;
        return Box{image.position.x, image.position.y, w * image.scale.x, h * image.scale.y};
    }
};

} // namespace textfit
