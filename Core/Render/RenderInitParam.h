#pragma once
#include "Core/Base/Types.h"
#include "Core/Render/Math/Matrix4.h"

namespace render {

// What the application hands to the renderer at start-up and on a screen-mode switch.
struct RenderInitParam {
    u32 width = 0;
    u32 height = 0;
    u8 windowed = 1;
    // Set: an orthographic projection of width x height design pixels; else `projection`.
    u8 useDefaultProjection = 1;
    math::Matrix4 projection = math::Matrix4::Identity();
    float screenScaleX = 1.0f;
    float screenScaleY = 1.0f;
    float screenOffsetX = 0.0f;
    float screenOffsetY = 0.0f;
};

} // namespace render
