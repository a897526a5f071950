#pragma once
#include "Core/Base/Types.h"

namespace render {

// Device capabilities, filled by the back end when it creates the device, and
// the flags by which a back end tunes the front end.
struct RenderCaps {
    u32 maxPrimitiveCount = 0;
    u32 maxTextureWidth = 0;
    u32 maxTextureHeight = 0;
    u32 maxVertexIndex = 0;
    u8 threeTextureStages = 0;
    u8 vertexShader1 = 0;
    u8 vertexShader2 = 0;
    u8 pixelShader1 = 0;
    u8 pixelShader2 = 0;
    u8 dxt[5] = {0, 0, 0, 0, 0}; // DXT1 .. DXT5
    u8 scissorTest = 0;
    u8 minAnisotropic = 0;
    u8 magAnisotropic = 0;

    // InitRender also makes the 32-bit index cache.
    u8 create32BitIndexCache = 1;
    // BeginScene forgets the applied state, so that the frame records all of it.
    u8 resetStateAtSceneStart = 0;
    // A target change records the whole state again.
    u8 resendStateAfterTargetChange = 0;
    // A target change records the scissor again.
    u8 resendScissorAfterTargetChange = 0;
};

} // namespace render
