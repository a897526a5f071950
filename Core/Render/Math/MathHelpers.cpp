#include "Core/Render/Math/MathHelpers.h"
#include <algorithm>
#include <limits>

void ColorFromArgb(u32 argb, float out[4])
{
    out[0] = static_cast<float>((argb >> 16) & 0xFFu) / 255.0f;
    out[1] = static_cast<float>((argb >> 8) & 0xFFu) / 255.0f;
    out[2] = static_cast<float>(argb & 0xFFu) / 255.0f;
    out[3] = static_cast<float>(argb >> 24) / 255.0f;
}

i32* RectUnion(const i32 self[4], i32 out[4], const i32 other[4])
{
    // Edges are computed in 64 bits so that extreme rectangles cannot overflow;
    // a size beyond the i32 range is clamped.
    const i64 x = std::min<i64>(self[0], other[0]);
    const i64 y = std::min<i64>(self[1], other[1]);
    const i64 right = std::max<i64>(i64(self[0]) + self[2], i64(other[0]) + other[2]);
    const i64 bottom = std::max<i64>(i64(self[1]) + self[3], i64(other[1]) + other[3]);
    constexpr i64 lo = std::numeric_limits<i32>::min();
    constexpr i64 hi = std::numeric_limits<i32>::max();
    out[0] = static_cast<i32>(x);
    out[1] = static_cast<i32>(y);
    out[2] = static_cast<i32>(std::clamp(right - x, lo, hi));
    out[3] = static_cast<i32>(std::clamp(bottom - y, lo, hi));
    return out;
}
