#pragma once
#include "Core/Base/ImageInfo.h"
#include "Core/Render/ImageData.h"

namespace render {

// 32-bit A8R8G8B8 words of a layer already in memory, row by row from the top,
// read from a stream. The layer's record carries its rectangle scaled by the
// content scale; the stream holds the pixels at their real size, which is what
// the texture is made with.
class ImageDataRaw : public ImageData {
public:
    // Texels with alpha at or above this are opaque for hit tests.
    static constexpr u32 kOpaqueFrom = 10;

    explicit ImageDataRaw(const base::ImageInfo& info) : info(info) {}

    GEResultEnum Load(base::Stream* stream, const wchar_t* extension) override;
    GEResultEnum CopyPixels(i32 pitch, i32 unused1, void* bits, AlphaMask* mask, i32 unused2) override;

    const base::ImageInfo& GetInfo() const { return info; }

private:
    base::ImageInfo info;
    base::Stream* stream = nullptr;
};

} // namespace render
