#include "Core/Render/ImageDataRaw.h"
#include "Core/Base/Log.h"
#include "Core/Base/Stream.h"
#include "Core/Render/AlphaMask.h"
#include <cmath>
#include <cstring>
#include <vector>

namespace render {

namespace {

// The layer's real size from its scaled rectangle side.
i64 RealSide(float scaled, float scale)
{
    const double side = (scale > 0.0f && std::isfinite(scale)) ? double(scaled) / scale : double(scaled);
    if (!std::isfinite(side) || side < 0.0 || side > double(kMaxImageSide))
        return -1;
    return static_cast<i64>(std::floor(side + 0.5));
}

} // namespace

GEResultEnum ImageDataRaw::Load(base::Stream* source, const wchar_t* /*extension*/)
{
    stream = source;
    const i64 w = RealSide(info.width, info.scale);
    const i64 h = RealSide(info.height, info.scale);
    bytesPerPixel = 4;
    if (!stream || w <= 0 || h <= 0) {
        GE_LOG(L"Layer '%s': no pixels to read.\n") << info.name;
        return GE_FAIL;
    }
    width = static_cast<i32>(w);
    height = static_cast<i32>(h);
    return GE_OK;
}

GEResultEnum ImageDataRaw::CopyPixels(i32 pitch, i32 /*unused1*/, void* bits, AlphaMask* mask,
                                      i32 /*unused2*/)
{
    if (!stream || !bits || width <= 0 || height <= 0 || pitch < 0 || u64(pitch) < u64(width) * 4) {
        GE_LOG(L"Layer '%s': nothing to copy.\n") << info.name;
        return GE_FAIL;
    }
    const u32 w = u32(width);
    u8* out = static_cast<u8*>(bits);
    std::vector<u8> row(size_t(w) * 4);
    for (u32 y = 0; y < u32(height); ++y) {
        const u32 got = stream->Read(row.data(), w * 4);
        // Whole words read before the end still land, as each word would have.
        const u32 words = got / 4;
        u8* target = out + u64(y) * u32(pitch);
        std::memcpy(target, row.data(), size_t(words) * 4);
        if (mask)
            mask->SetFromAlpha(y * w, row.data() + 3, 4, words, kOpaqueFrom);
        if (words < w) {
            GE_LOG(L"Layer '%s': the pixels end after %u of %u rows.\n") << info.name << y << u32(height);
            return GE_FAIL;
        }
    }
    return GE_OK;
}

} // namespace render
