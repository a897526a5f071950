#pragma once
#include "Core/Base/Types.h"
#include <string>

namespace base {

// What travels with every named image: its name, its rectangle on the virtual
// screen, opacity, index, flags, an optional place inside an atlas texture, and
// the content scale its rectangle was made with.
class ImageInfo {
public:
    ImageInfo() = default;
    // Each float of the rectangle is the integer times `scale`.
    ImageInfo(const std::wstring& name, int x, int y, int w, int h, u32 opacity, u32 index, bool hasImage,
              bool rawPixels, float scale);
    virtual ~ImageInfo() = default;
    ImageInfo(const ImageInfo&) = default;
    ImageInfo& operator=(const ImageInfo&) = default;

    std::wstring name;
    u32 opacity = 255;
    u32 index = 0;
    bool hasImage = true;   // false for rectangles without pixels ("|box", "|center")
    bool rawPixels = false; // pixels come from memory as 32-bit words
    bool inAtlas = false;   // a sub-rectangle of the texture named by atlasPath
    std::wstring atlasPath;
    float u = 0.0f, v = 0.0f;   // origin inside the atlas, texture coordinates
    float du = 1.0f, dv = 1.0f; // size inside the atlas, texture coordinates
    float scale = 1.0f;
    float x = 0.0f, y = 0.0f, width = 0.0f, height = 0.0f;
};

} // namespace base
