#pragma once
// The engine's bitmap font: a resource read from the XML form of a BMFont
// description (resource name + ".fnt") whose glyphs live in page textures.
#include "Core/Base/Types.h"
#include "Core/Render/Font.h"
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace render {

class Image;
class Render;

class BMFont : public Font {
public:
    struct Glyph {
        // Place and size in the page, × texture scale × text scale.
        float x = 0.0f, y = 0.0f, width = 0.0f, height = 0.0f;
        float xoffset = 0.0f, yoffset = 0.0f, xadvance = 0.0f; // × text scale
        u32 page = 0;
        u32 chnl = 0;
        // The character before this one → the pair's amount, × text scale.
        std::map<u32, float> kerning;
        // Place and size in the page's texels (× texture scale only): texture
        // coordinates do not change with the text scale.
        float texX = 0.0f, texY = 0.0f, texWidth = 0.0f, texHeight = 0.0f;
    };

    BMFont();
    ~BMFont() override;

    u32 Release() override;
    GEResultEnum DoLoad() override;
    GEResultEnum DoUnLoad() override;

    float GetBase() const override { return base; }
    float GetSizeMinusBase() const override { return size - base; }
    float GetSize() const override { return size; }
    float GetLineAdvance() const override { return size + leading; }
    float GetLeading() const override { return leading; }
    GEResultEnum RenderText(Graphics* graphics, DrawTextParam* textParam, const std::wstring& text,
                            const TextLayout& layout, float* outSize) override;
    bool HasGlyph(wchar_t c) const override;

    // Parses a whole description; pages are loaded from `folder` (ending in '/', or
    // empty) through the renderer. On failure the font keeps no pages.
    GEResultEnum Parse(const char* data, size_t length, const std::wstring& folder);

    // The glyph of c, or null. Characters beyond the font's 16-bit ids have none.
    const Glyph* FindGlyph(u32 c) const;

    float base = 0.0f;
    float size = 0.0f;
    float leading = 0.0f;
    DrawTextParam* textParam = nullptr; // layout scratch, set by RenderText
    const TextLayout* layout = nullptr;
    Render* renderer = nullptr; // set by the owner before Load; pages load through it
    std::string face;
    u8 bold = 0;
    u8 italic = 0;
    std::string charset;
    float stretchH = 0.0f;
    u8 smooth = 0;
    u32 aa = 0;
    int padding[4] = {0, 0, 0, 0}; // up, right, down, left
    float spacing[2] = {0.0f, 0.0f};
    u32 outline = 0;
    float lineHeight = 0.0f;
    float scaleW = 0.0f;
    float scaleH = 0.0f;
    std::map<u32, Glyph> glyphs;
    std::vector<std::unique_ptr<Image>> pages;
    float textureScale = 1.0f;

private:
    void ReleasePages();
};

} // namespace render
