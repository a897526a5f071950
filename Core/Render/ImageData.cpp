#include "Core/Render/ImageData.h"

namespace render {

u32 ImageData::GetDataSize()
{
    if (width <= 0 || height <= 0)
        return 0;
    return static_cast<u32>(width) * static_cast<u32>(height) * 4u;
}

bool ImageData::IsMaskRun(u32 mask)
{
    if (mask == 0)
        return true;
    const u32 shifted = mask >> __builtin_ctz(mask);
    return (shifted & (shifted + 1)) == 0;
}

u8 ImageData::MaskedChannel(u32 texel, u32 mask, u8 absent)
{
    if (mask == 0)
        return absent;
    const u32 shift = __builtin_ctz(mask);
    const u64 max = u64(mask >> shift);
    return static_cast<u8>((u64((texel & mask) >> shift) * 255 + max / 2) / max);
}

} // namespace render
