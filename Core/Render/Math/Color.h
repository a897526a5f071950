#pragma once
// Packing of float RGBA colours into the 0xAARRGGBB words that data files and
// vertices use.
#include "Core/Base/Types.h"
#include "Core/Render/Math/Point4.h"

// Each channel becomes trunc(channel x 255), clamped to 0..255.
u32 ColorToArgb(const math::Point4& color);
u32 ColorToArgb(float r, float g, float b, float a);
