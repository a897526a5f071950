#include "Core/Render/AlphaMask.h"

#include <algorithm>

namespace render {

void AlphaMask::Resize(u32 n)
{
    bits.reset();
    count = 0;
    if (n == 0)
        return;
    bits = std::make_unique<u8[]>((static_cast<u64>(n) + 7) / 8);
    count = n;
}

bool AlphaMask::Get(u32 i) const
{
    if (i >= count)
        return false;
    return (bits[i / 8] >> (i % 8)) & 1;
}

void AlphaMask::Set(u32 i, bool value)
{
    if (i >= count)
        return;
    const u8 bit = static_cast<u8>(1u << (i % 8));
    if (value)
        bits[i / 8] |= bit;
    else
        bits[i / 8] &= static_cast<u8>(~bit);
}

void AlphaMask::SetFromAlpha(u32 first, const u8* alpha, u32 stride, u32 count, u32 opaqueFrom)
{
    if (first >= this->count)
        return;
    count = std::min(count, this->count - first);
    u32 i = 0;
    // Single bits up to a byte boundary, then whole bytes of eight texels, then the rest.
    for (; i < count && (first + i) % 8 != 0; ++i)
        Set(first + i, alpha[u64(i) * stride] >= opaqueFrom);
    u8* out = bits.get() + (first + i) / 8;
    for (; i + 8 <= count; i += 8, ++out) {
        const u8* a = alpha + u64(i) * stride;
        u8 byte = 0;
        for (u32 b = 0; b < 8; ++b)
            byte |= static_cast<u8>((a[u64(b) * stride] >= opaqueFrom) << b);
        *out = byte;
    }
    for (; i < count; ++i)
        Set(first + i, alpha[u64(i) * stride] >= opaqueFrom);
}

} // namespace render
