#include "Core/Render/Math/Color.h"

namespace {

// trunc(c x 255) clamped to a byte, so 1.01 is 255 and not 1; NaN is 0.
u32 ChannelByte(float c)
{
    const float v = c * 255.0f;
    if (!(v > 0.0f))
        return 0;
    if (v >= 255.0f)
        return 255;
    return static_cast<u32>(v);
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
