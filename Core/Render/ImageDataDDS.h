#pragma once
#include "Core/Render/ImageData.h"

namespace render {

// DDS files, read by the engine itself: uncompressed 32-bit B, G, R, A texels or
// DXT1/3/5 blocks, which the texture keeps as stored. Only the top level is
// copied; mip levels stored after it are skipped.
class ImageDataDDS : public ImageData {
public:
    static constexpr u32 kMagicSize = 4;
    static constexpr u32 kHeaderSize = 124;
    static constexpr u32 kDataOffset = kMagicSize + kHeaderSize;
    static constexpr u32 kFlagFourCC = 0x4;
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
    u64 RowBytes() const;
    u32 RowCount() const;
    void FillMask(const u8* data, AlphaMask& mask) const;

    base::Stream* stream = nullptr;
    u32 dataByteCount = 0;
};

} // namespace render
