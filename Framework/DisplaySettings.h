#pragma once
// The screen mode chosen at start-up and at each switch: where the window goes, what
// the renderer is told, and whether the frames are drawn through an off-screen target.
#include "Core/App/WindowTypes.h"
#include "Core/Base/Types.h"
#include "Core/Render/Math/Matrix4.h"
#include "Core/Render/RenderInitParam.h"

namespace framework {

struct FloatPair {
    float x = 0.0f;
    float y = 0.0f;
};

struct TargetSize {
    u32 width = 0;
    u32 height = 0;
};

struct DisplaySettings {
    app::point position;
    app::size windowSize;
    // Its width and height are the client size.
    render::RenderInitParam renderSettings;
    // A window was asked for, did not fit the monitor, and full screen was chosen.
    u8 windowTooLarge = 0;
    u8 targetEnabled = 0;
    TargetSize targetSize;
    math::Matrix4 targetMatrix = math::Matrix4::Identity();
    FloatPair targetScale{1.0f, 1.0f};
    FloatPair targetOffset{0.0f, 0.0f};
};

} // namespace framework
