// Feeds arbitrary bytes to the bitmap-font parser and, when it accepts them, lays
// texts out with the fonts it made under every alignment and wrapping mode.
#include "Core/Render/BMFont.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    render::BMFont font;
    font.name = L"fuzz";
    if (font.Parse(reinterpret_cast<const char*>(data), size, L"") != GE_OK)
        return 0;
    std::wstring fromInput;
    for (size_t i = 0; i + 1 < size && fromInput.size() < 64; i += 2)
        fromInput.push_back(static_cast<wchar_t>(data[i] | data[i + 1] << 8));
    const std::wstring texts[] = {L"", L"Hello world\nAV To  \n\n x", fromInput};
    for (const std::wstring& text : texts) {
        for (u32 alignment = 0; alignment < 4; ++alignment) {
            for (float maxWidth : {0.0f, 1.0f, 30.0f, 300.0f}) {
                render::TextLayout layout;
                layout.alignment = alignment;
                layout.maxWidth = maxWidth;
                layout.indent = alignment == 3 ? 5.0f : 0.0f;
                layout.defaultChar = alignment == 1 ? L'A' : 0;
                layout.keepWidestLine = maxWidth > 100.0f ? 0 : 1;
                float measured[2] = {0.0f, 0.0f};
                font.RenderText(nullptr, nullptr, text, layout, measured);
            }
        }
    }
    return 0;
}
