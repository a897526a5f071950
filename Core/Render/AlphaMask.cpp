#include "Core/Render/AlphaMask.h"

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

} // namespace render
