#pragma once
#include "Core/Render/ImageData.h"

namespace render {

// DDS files, read by the engine itself: uncompressed texels of 8 to 32 bits laid out
// by the pixel format's channel masks (turned into B, G, R, A bytes), or DXT1/3/5
// blocks, which the texture keeps as stored. Only the top level is copied; mip
// levels stored after it are skipped.
class ImageDataDDS : public ImageData {
public:
    static constexpr u32 kMagicSize = 4;
    static constexpr u32 kHeaderSize = 124;
    static constexpr u32 kDataOffset = kMagicSize + kHeaderSize;
    static constexpr u32 kFlagAlphaPixels = 0x1;
    static constexpr u32 kFlagAlpha = 0x2;
    static constexpr u32 kFlagFourCC = 0x4;
    static constexpr u32 kFlagRgb = 0x40;
    static constexpr u32 kFlagLuminance = 0x20000;
    // Texels with alpha above this are opaque for hit tests.
    static constexpr u32 kOpaqueAbove = 10;

    GEResultEnum Load(base::Stream* stream, const wchar_t* extension) override;
    GEResultEnum CopyPixels(i32 pitch, i32 unused1, void* bits, AlphaMask* mask, i32 unused2) override;

    u32 GetDataByteCount() const { return dataByteCount; }
    // Bytes of the top level as stored in the file.
    u64 GetTopLevelSize() const;

    // Alpha of the 16 texels (t = 4 x row + column) of one block of the given kind.
    static void BlockAlpha(u32 compression, const u8* block, u8 alpha[16]);

private:
    u32 BlockSize() const { return compression == Dxt1 ? 8u : 16u; }
    // Bytes of one row of blocks or texels, in the file and in the texture.
    u64 RowBytes() const;
    u64 TextureRowBytes() const;
    u32 RowCount() const;
    // Reads the uncompressed layout from the pixel format; false (logged) when it is
    // one the engine does not decode.
    bool ReadLayout(const u8* header);
    // One file row of uncompressed texels as B, G, R, A bytes.
    void ConvertRow(const u8* in, u8* out) const;
    void FillMask(const u8* data, u64 pitch, AlphaMask& mask) const;

    base::Stream* stream = nullptr;
    u32 dataByteCount = 0;
    // Uncompressed layout: bytes per texel and the masks of R, G, B and A (an A mask
    // of 0: opaque). `bgra` when the file already holds B, G, R, A bytes.
    u32 texelBytes = 4;
    u32 masks[4] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u};
    bool bgra = true;
};

} // namespace render
