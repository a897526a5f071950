#pragma once
#include "Core/Render/ImageData.h"
#include <string>
#include <vector>

namespace render {

// BMP, GIF, JPEG, PNG and TGA through the DevIL library, converted to 8-bit RGBA
// and handed to the texture upright as A8R8G8B8 (32-bit BMPs with bit fields or a
// version 4 or 5 header are decoded here, as DevIL cannot). DevIL keeps global state: one
// image is in flight at a time, from Load to CopyPixels.
class ImageDataDevil : public ImageData {
public:
    // Texels with alpha at or above this are opaque for hit tests.
    static constexpr u32 kOpaqueFrom = 50;

    ImageDataDevil() = default;
    ~ImageDataDevil() override;

    GEResultEnum Load(base::Stream* stream, const wchar_t* extension) override;
    GEResultEnum CopyPixels(i32 pitch, i32 unused1, void* bits, AlphaMask* mask, i32 unused2) override;

    // The DevIL type code for an extension (first four units, lower case), or 0.
    static u32 TypeForExtension(const wchar_t* extension);
    bool IsLowerLeft() const { return lowerLeft; }

private:
    // Deletes the image and lets DevIL go when no other decoder holds it.
    void ReleaseImage();
    // A 32-bit BMP by its channel masks, into `decoded`; false (logged) when its
    // header and data disagree.
    bool DecodeBmp32(const u8* bytes, u32 size);

    std::wstring extension;
    u32 imageName = 0;
    bool haveImage = false;
    bool lowerLeft = false;
    const u8* data = nullptr; // owned by DevIL, or `decoded`
    std::vector<u8> decoded;  // RGBA texels decoded here rather than by DevIL
};

} // namespace render
