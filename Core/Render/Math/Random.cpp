#include "Core/Render/Math/Random.h"
#include <cmath>

namespace {

u32 gRandomCounter = 0;

} // namespace

u32 RandomHash(u32 counter)
{
    constexpr u32 kGolden = 0x9E3779B9u;
    u32 h = (counter ^ 0x00BC602Fu) * kGolden;
    h = (h ^ (h << 6) ^ (h >> 26)) * kGolden;
    return ((h >> 12) ^ (h << 5)) + h;
}

float RandomUnitFromHash(u32 r)
{
    const float u = static_cast<float>(r) * 0x1p-32f;
    // The top 128 raw values round up to 1.0; callers index with floor(u x n).
    return u < 1.0f ? u : std::nextafter(1.0f, 0.0f);
}

float RandomFloat()
{
    ++gRandomCounter;
    return RandomUnitFromHash(RandomHash(gRandomCounter));
}

void ResetRandomCounter(u32 value)
{
    gRandomCounter = value;
}
