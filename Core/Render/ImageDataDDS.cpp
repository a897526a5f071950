#include "Core/Render/ImageDataDDS.h"
#include "Core/Base/Log.h"
#include "Core/Base/Stream.h"
#include "Core/Render/AlphaMask.h"
#include <cstring>
#include <vector>

namespace render {

namespace {

u32 ReadLe32(const u8* p)
{
    return u32(p[0]) | u32(p[1]) << 8 | u32(p[2]) << 16 | u32(p[3]) << 24;
}

u64 ReadLe(const u8* p, int bytes)
{
    u64 v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | p[i];
    return v;
}

// Levels of a full chain down to 1 x 1: a larger count in a header is capped, as
// no texture of that size could have more.
u32 MaxLevels(i32 w, i32 h)
{
    u32 levels = 1;
    for (i32 side = w > h ? w : h; side > 1; side /= 2)
        ++levels;
    return levels;
}

} // namespace

bool ImageDataDDS::ReadLayout(const u8* header)
{
    const u32 flags = ReadLe32(header + 76);
    const u32 bitCount = ReadLe32(header + 84);
    u32 m[4] = {ReadLe32(header + 88), ReadLe32(header + 92), ReadLe32(header + 96), ReadLe32(header + 100)};
    if (bitCount == 32 && !m[0] && !m[1] && !m[2] && !m[3]) {
        // No masks at all: the classic 32-bit B, G, R, A texels.
        texelBytes = 4;
        bgra = true;
        return true;
    }
    if (flags & kFlagLuminance)
        m[1] = m[2] = m[0];
    else if (!(flags & kFlagRgb))
        m[0] = m[1] = m[2] = 0;
    if (!(flags & (kFlagAlphaPixels | kFlagAlpha)))
        m[3] = 0;
    const u64 reach = bitCount >= 32 ? 0xFFFFFFFFull : (1ull << bitCount) - 1;
    bool valid = (bitCount == 8 || bitCount == 16 || bitCount == 24 || bitCount == 32) &&
                 (flags & (kFlagRgb | kFlagLuminance | kFlagAlpha)) && (m[0] | m[1] | m[2] | m[3]) != 0;
    for (u32 mask : m)
        valid = valid && IsMaskRun(mask) && (mask & ~reach) == 0;
    if (!valid) {
        GE_LOG(L"DDS: the uncompressed pixel format (flags 0x%x, %u bits, masks 0x%x 0x%x 0x%x 0x%x) is not "
               L"supported.\n")
            << flags << bitCount << m[0] << m[1] << m[2] << m[3];
        return false;
    }
    texelBytes = bitCount / 8;
    std::memcpy(masks, m, sizeof masks);
    bgra = texelBytes == 4 && m[0] == 0x00FF0000u && m[1] == 0x0000FF00u && m[2] == 0x000000FFu &&
           m[3] == 0xFF000000u;
    return true;
}

void ImageDataDDS::ConvertRow(const u8* in, u8* out) const
{
    for (i32 x = 0; x < width; ++x, in += texelBytes, out += 4) {
        const u32 texel = static_cast<u32>(ReadLe(in, static_cast<int>(texelBytes)));
        out[0] = MaskedChannel(texel, masks[2], 0);
        out[1] = MaskedChannel(texel, masks[1], 0);
        out[2] = MaskedChannel(texel, masks[0], 0);
        out[3] = MaskedChannel(texel, masks[3], 255);
    }
}

GEResultEnum ImageDataDDS::Load(base::Stream* source, const wchar_t* /*extension*/)
{
    stream = source;
    if (!stream) {
        GE_LOG(L"DDS: no stream to read.\n");
        return GE_FAIL;
    }
    u8 magic[kMagicSize];
    if (stream->Read(magic, kMagicSize) != kMagicSize || std::memcmp(magic, "DDS ", kMagicSize) != 0) {
        GE_LOG(L"DDS: the file does not start with \"DDS \".\n");
        return GE_FAIL;
    }
    u8 header[kHeaderSize];
    if (stream->Read(header, kHeaderSize) != kHeaderSize) {
        GE_LOG(L"DDS: the header is cut short.\n");
        return GE_FAIL;
    }
    const u32 w = ReadLe32(header + 12);
    const u32 h = ReadLe32(header + 8);
    const u32 mips = ReadLe32(header + 24);
    width = static_cast<i32>(w);
    height = static_cast<i32>(h);
    bytesPerPixel = 4;
    levelCount = mips == 0 ? 1 : mips;
    const u32 size = stream->GetSize();
    dataByteCount = size > kDataOffset ? size - kDataOffset : 0;

    const u32 flags = ReadLe32(header + 76);
    if (!(flags & kFlagFourCC)) {
        compression = Uncompressed;
        if (!ReadLayout(header))
            return GE_FAIL;
    } else {
        const u8* code = header + 80;
        if (std::memcmp(code, "DXT1", 4) == 0) {
            compression = Dxt1;
        } else if (std::memcmp(code, "DXT3", 4) == 0) {
            compression = Dxt3;
        } else if (std::memcmp(code, "DXT5", 4) == 0) {
            compression = Dxt5;
        } else {
            GE_LOG(L"DDS: unsupported FourCC code.\n");
            return GE_FAIL;
        }
    }

    if (w == 0 || h == 0 || w > u32(kMaxImageSide) || h > u32(kMaxImageSide)) {
        GE_LOG(L"DDS: image size %u x %u is out of range.\n") << w << h;
        return GE_FAIL;
    }
    const u32 maxLevels = MaxLevels(width, height);
    if (levelCount > maxLevels)
        levelCount = maxLevels;
    if (GetTopLevelSize() > dataByteCount) {
        GE_LOG(L"DDS: %u bytes of pixel data, the image needs %u.\n")
            << dataByteCount << static_cast<u32>(GetTopLevelSize());
        return GE_FAIL;
    }
    return GE_OK;
}

u64 ImageDataDDS::RowBytes() const
{
    if (compression == Uncompressed)
        return u64(width) * texelBytes;
    return u64((width + 3) / 4) * BlockSize();
}

u64 ImageDataDDS::TextureRowBytes() const
{
    return compression == Uncompressed ? u64(width) * 4 : RowBytes();
}

u32 ImageDataDDS::RowCount() const
{
    return compression == Uncompressed ? u32(height) : u32((height + 3) / 4);
}

u64 ImageDataDDS::GetTopLevelSize() const
{
    if (width <= 0 || height <= 0)
        return 0;
    return RowBytes() * RowCount();
}

void ImageDataDDS::BlockAlpha(u32 kind, const u8* block, u8 alpha[16])
{
    if (kind == Dxt1) {
        const u32 c0 = u32(block[0]) | u32(block[1]) << 8;
        const u32 c1 = u32(block[2]) | u32(block[3]) << 8;
        for (int t = 0; t < 16; ++t) {
            const u32 index = (block[4 + t / 4] >> (2 * (t % 4))) & 3;
            alpha[t] = (c0 <= c1 && index == 3) ? 0 : 255;
        }
    } else if (kind == Dxt3) {
        const u64 bits = ReadLe(block, 8);
        for (int t = 0; t < 16; ++t)
            alpha[t] = static_cast<u8>(((bits >> (4 * t)) & 0xF) * 17);
    } else if (kind == Dxt5) {
        const u32 a0 = block[0];
        const u32 a1 = block[1];
        u32 table[8] = {a0, a1};
        if (a0 > a1) {
            for (u32 k = 1; k <= 6; ++k)
                table[1 + k] = ((7 - k) * a0 + k * a1) / 7;
        } else {
            for (u32 k = 1; k <= 4; ++k)
                table[1 + k] = ((5 - k) * a0 + k * a1) / 5;
            table[6] = 0;
            table[7] = 255;
        }
        const u64 bits = ReadLe(block + 2, 6);
        for (int t = 0; t < 16; ++t)
            alpha[t] = static_cast<u8>(table[(bits >> (3 * t)) & 7]);
    } else {
        std::memset(alpha, 255, 16);
    }
}

// `data` holds the top level as the texture does: uncompressed rows as B, G, R, A
// bytes `pitch` apart, blocks as stored.
void ImageDataDDS::FillMask(const u8* data, u64 pitch, AlphaMask& mask) const
{
    const u32 w = u32(width);
    const u32 h = u32(height);
    if (compression == Uncompressed) {
        for (u32 y = 0; y < h; ++y)
            mask.SetFromAlpha(y * w, data + y * pitch + 3, 4, w, kOpaqueAbove + 1);
        return;
    }
    // Partial blocks at the right and bottom edges are decoded too, clipped to the
    // image, so that every texel gets its bit.
    const u32 blocksX = (w + 3) / 4;
    const u32 blocksY = (h + 3) / 4;
    u8 alpha[16];
    for (u32 by = 0; by < blocksY; ++by) {
        for (u32 bx = 0; bx < blocksX; ++bx) {
            BlockAlpha(compression, data + (u64(by) * blocksX + bx) * BlockSize(), alpha);
            for (u32 r = 0; r < 4 && 4 * by + r < h; ++r)
                for (u32 c = 0; c < 4 && 4 * bx + c < w; ++c)
                    mask.Set(w * (4 * by + r) + 4 * bx + c, alpha[4 * r + c] > kOpaqueAbove);
        }
    }
}

GEResultEnum ImageDataDDS::CopyPixels(i32 pitch, i32 /*unused1*/, void* bits, AlphaMask* mask,
                                      i32 /*unused2*/)
{
    const u64 topLevel = GetTopLevelSize();
    if (!stream || !bits || topLevel == 0) {
        GE_LOG(L"DDS: nothing to copy.\n");
        return GE_FAIL;
    }
    const u64 rowBytes = RowBytes();
    if (pitch < 0 || u64(pitch) < TextureRowBytes()) {
        GE_LOG(L"DDS: a row pitch of %d bytes is too small.\n") << pitch;
        return GE_FAIL;
    }
    // Read into a buffer first: the file's rows are packed, the texture's are
    // `pitch` apart, and a short file must not leave half a texture behind.
    std::vector<u8> data(static_cast<size_t>(topLevel));
    stream->Seek(static_cast<i32>(kDataOffset), base::SeekBegin);
    if (stream->Read(data.data(), static_cast<u32>(topLevel)) != topLevel) {
        GE_LOG(L"DDS: the pixel data is cut short.\n");
        return GE_FAIL;
    }
    u8* out = static_cast<u8*>(bits);
    const u32 rows = RowCount();
    for (u32 r = 0; r < rows; ++r) {
        if (compression != Uncompressed || bgra)
            std::memcpy(out + u64(r) * u32(pitch), data.data() + r * rowBytes, static_cast<size_t>(rowBytes));
        else
            ConvertRow(data.data() + r * rowBytes, out + u64(r) * u32(pitch));
    }
    if (mask) {
        if (compression == Uncompressed)
            FillMask(out, u32(pitch), *mask);
        else
            FillMask(data.data(), 0, *mask);
    }
    return GE_OK;
}

} // namespace render
