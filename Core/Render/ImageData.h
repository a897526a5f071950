#pragma once
#include "Core/Base/Types.h"

namespace base {
class Stream;
}

namespace render {

class AlphaMask;

// A decoded image waiting to become the top level of a device texture. The
// texture reads the dimensions, level count and compression after Load, then
// calls CopyPixels once.
class ImageData {
public:
    enum Compression : u32 {
        Uncompressed = 0, // 32-bit A8R8G8B8
        Dxt1 = 1,
        Dxt3 = 2,
        Dxt5 = 3,
    };

    ImageData() = default;
    virtual ~ImageData() = default;
    ImageData(const ImageData&) = delete;
    ImageData& operator=(const ImageData&) = delete;

    // 0 ready, 1 failure (logged). The stream is not owned and must outlive CopyPixels.
    virtual GEResultEnum Load(base::Stream* stream, const wchar_t* extension) = 0;
    // Writes the top level into `bits` (rows `pitch` bytes apart) and sets one mask
    // bit per texel (mask may be null). The two unused arguments are ignored.
    virtual GEResultEnum CopyPixels(i32 pitch, i32 unused1, void* bits, AlphaMask* mask, i32 unused2) = 0;
    // width x height x 4.
    virtual u32 GetDataSize();

    i32 GetWidth() const { return width; }
    i32 GetHeight() const { return height; }
    i32 GetBytesPerPixel() const { return bytesPerPixel; }
    u32 GetLevelCount() const { return levelCount; }
    u32 GetCompression() const { return compression; }

protected:
    // Texels laid out by channel masks (DDS pixel formats, BMP bit fields): a mask
    // must be one run of bits (0: the channel is absent), and a channel's value is
    // scaled to 0..255 (`absent` without a mask).
    static bool IsMaskRun(u32 mask);
    static u8 MaskedChannel(u32 texel, u32 mask, u8 absent);

    i32 width = 0;
    i32 height = 0;
    i32 bytesPerPixel = 0;
    u32 levelCount = 1;
    u32 compression = Uncompressed;
};

// The largest side any decoder accepts; keeps every size computation far from
// overflow and every allocation bounded.
constexpr i32 kMaxImageSide = 16384;

} // namespace render
