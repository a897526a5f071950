#pragma once
// One line of text in which single characters stand for small images (a coin, a
// crystal): cut into text and image runs drawn side by side, centred as a whole on
// the transform it is drawn with. The owner sets the text, the font and the map.
#include "Core/Render/BMFont.h"
#include "Core/Render/Math/Transform2D.h"
#include "Core/Resource/ResourceHandle.h"
#include <map>
#include <string>
#include <vector>

namespace render {
class Graphics;
class Image;
} // namespace render

// A run of the line; width in unscaled units.
class AttributedChunk {
public:
    virtual ~AttributedChunk() = default;
    virtual void draw(render::Graphics& g, const math::Transform2D& t) = 0;
    float width = 0.0f;
};

class AttributedStringChunk : public AttributedChunk {
public:
    // Measured with `font` (none: width 0).
    AttributedStringChunk(const std::wstring& text, render::Font* font);
    void draw(render::Graphics& g, const math::Transform2D& t) override;
    std::wstring text;
};

class AttributedImageChunk : public AttributedChunk {
public:
    explicit AttributedImageChunk(render::Image* image);
    void draw(render::Graphics& g, const math::Transform2D& t) override;
    render::Image* image; // not owned
};

class AttributedString {
public:
    AttributedString() = default;
    ~AttributedString();
    AttributedString(const AttributedString&) = delete;
    AttributedString& operator=(const AttributedString&) = delete;

    // Cuts the text into runs again.
    void build();
    // The runs side by side, centred on t's origin; text in the string's font.
    void draw(render::Graphics& g, const math::Transform2D& t);
    // Drops the runs, the font, the map and the text.
    void clear();

    float totalWidth() const;
    // The transform of a run that starts `pen` units (unscaled) right of the line's
    // origin: the offset goes through t's scale and rotation like the run itself.
    static math::Transform2D placeRun(const math::Transform2D& t, float pen);

    std::wstring text;
    std::vector<AttributedChunk*> chunks; // owned
    resource::ResourceHandle<render::BMFont> font;
    std::map<wchar_t, render::Image*> images; // not owned

private:
    void releaseChunks();
};
