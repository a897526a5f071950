#include "Core/Render/Math/Color.h"

namespace {

// trunc(c x 255), low 8 bits; values outside the int range (and NaN) give 0
// instead of an undefined conversion.
u32 ChannelByte(float c)
{
    const float v = c * 255.0f;
    if (!(v > -2147483648.0f && v < 2147483648.0f))
        return 0;
    return static_cast<u32>(static_cast<i32>(v)) & 0xFFu;
}

} // namespace

u32 ColorToArgb(float r, float g, float b, float a)
{
    return ChannelByte(a) << 24 | ChannelByte(r) << 16 | ChannelByte(g) << 8 | ChannelByte(b);
}

u32 ColorToArgb(const math::Point4& color)
{
    return ColorToArgb(color.x, color.y, color.z, color.w);
}
