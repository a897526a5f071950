#pragma once
// Layer styles and the shared pieces of fill layers (gradients, pattern references,
// contours), as read from "lrFX" and "lfx2" blocks. Nothing draws them; they are kept
// so that a document with layer styles reads to its end in step.
#include "Core/Base/Types.h"
#include "Core/Psd/PsdAdjustments.h"
#include <array>
#include <string>
#include <vector>

// A 256-entry transfer curve, identity by default.
struct PsdContour {
    PsdContour();
    std::array<u8, 256> table;
};

struct PsdColorStop {
    u32 color = 0xFF000000;
    u32 type = 0; // 0 user colour, 1 foreground, 2 background
    i32 location = 0;
    i32 midpoint = 50;
};

struct PsdTransparencyStop {
    u8 opacity = 255;
    i32 location = 0;
    i32 midpoint = 50;
};

struct PsdGradient {
    std::wstring name;
    std::string form;
    i32 smoothness = 0;
    std::vector<PsdColorStop> colorStops;
    std::vector<PsdTransparencyStop> transparencyStops;
};

struct PsdPatternRef {
    std::wstring name;
    std::wstring id;
};

struct PsdPoint {
    i32 x = 0;
    i32 y = 0;
};

struct PsdShadow {
    bool enabled = false;
    u32 blendMode = 3;
    u32 color = 0xFF000000;
    u32 nativeColor = 0xFF000000;
    u8 opacity = 191;
    i32 angle = 120;
    bool useGlobalLight = true;
    i32 distance = 5;
    i32 spread = 0;
    i32 size = 5;
    PsdContour contour;
    bool antiAliased = false;
    i32 noise = 0;
    bool knocksOut = false;
};

struct PsdGlow {
    bool enabled = false;
    u32 blendMode = 7;
    u32 color = 0xFFFFFFBE;
    u32 nativeColor = 0xFFFFFFBE;
    u8 opacity = 191;
    u32 fillType = 0; // 0 colour, 1 gradient
    PsdGradient gradient;
    u32 technique = 0;
    i32 spread = 0;
    i32 size = 5;
    i32 noise = 0;
    i32 shadingNoise = 0;
    PsdContour contour;
    bool antiAliased = false;
    i32 range = 50;
    u32 source = 1; // inner glow: 1 edge, 0 centre
};

struct PsdBevelEmboss {
    bool enabled = false;
    u32 style = 0;
    u32 technique = 0;
    i32 depth = 100;
    u32 direction = 0; // 0 up, 1 down
    i32 size = 5;
    i32 soften = 0;
    i32 angle = 120;
    i32 altitude = 30;
    bool useGlobalLight = true;
    PsdContour glossContour;
    bool antiAliasGloss = false;
    u32 highlightBlendMode = 7;
    u32 highlightColor = 0xFFFFFFFF;
    u8 highlightOpacity = 191;
    u32 shadowBlendMode = 7;
    u32 shadowColor = 0xFF000000;
    u8 shadowOpacity = 191;
    bool useShape = false;
    PsdContour contour;
    bool antiAliased = false;
    i32 range = 50;
    bool useTexture = false;
    PsdPatternRef pattern;
    i32 scale = 100;
    i32 textureDepth = 100;
    bool invertTexture = false;
    bool alignWithLayer = true;
    PsdPoint phase;
};

struct PsdSatin {
    bool enabled = false;
    u32 blendMode = 3;
    u32 color = 0xFF000000;
    bool antiAliased = false;
    bool invert = true;
    u8 opacity = 128;
    i32 angle = 19;
    i32 distance = 11;
    i32 size = 14;
    PsdContour contour;
};

struct PsdSolidFill {
    bool enabled = false;
    u32 blendMode = 0;
    u32 color = 0xFFFF0000;
    u32 nativeColor = 0xFFFF0000;
    u8 opacity = 255;
};

struct PsdGradientOverlay {
    bool enabled = false;
    u32 blendMode = 0;
    u8 opacity = 255;
    PsdGradient gradient;
    i32 angle = 90;
    u32 type = 0;
    bool reverse = false;
    bool alignWithLayer = true;
    i32 scale = 100;
    PsdPoint offset;
};

struct PsdPatternOverlay {
    bool enabled = false;
    u32 blendMode = 0;
    u8 opacity = 255;
    PsdPatternRef pattern;
    i32 scale = 100;
    bool linkWithLayer = true;
    PsdPoint phase;
};

struct PsdStroke {
    bool enabled = false;
    u32 position = 0; // 0 outside, 1 inside, 2 centre
    u32 fillType = 0; // 0 colour, 1 gradient, 2 pattern
    u32 blendMode = 0;
    u8 opacity = 255;
    i32 size = 3;
    u32 color = 0xFFFF0000;
    PsdGradient gradient;
    i32 angle = 90;
    u32 gradientType = 0;
    bool reverse = false;
    bool alignWithLayer = true;
    i32 scale = 100;
    PsdPoint offset;
    PsdPatternRef pattern;
    bool linkWithLayer = true;
    PsdPoint phase;
};

// Section numbers of PsdLayerEffects::present.
enum PsdEffectSection : int {
    PSD_FX_DROP_SHADOW = 0,
    PSD_FX_INNER_SHADOW = 1,
    PSD_FX_OUTER_GLOW = 2,
    PSD_FX_INNER_GLOW = 3,
    PSD_FX_SATIN = 4,
    PSD_FX_SOLID_FILL = 5,
    PSD_FX_GRADIENT_OVERLAY = 6,
    PSD_FX_PATTERN_OVERLAY = 7,
    PSD_FX_STROKE = 8,
    PSD_FX_BEVEL = 9,
};

// One "lrFX" or "lfx2" block (adjustment kinds 15 and 16).
struct PsdLayerEffects : PsdAdjustmentData {
    i16 effectCount = 0;
    u8 visible = 0;
    i32 scale = 100;
    PsdShadow dropShadow;
    PsdShadow innerShadow;
    PsdGlow outerGlow;
    PsdGlow innerGlow;
    PsdBevelEmboss bevel;
    PsdSatin satin;
    PsdSolidFill solidFill;
    PsdGradientOverlay gradientOverlay;
    PsdPatternOverlay patternOverlay;
    PsdStroke stroke;
    std::array<u8, 10> present{};
    std::array<u8, 10> read{};
};

// Fill layers ("SoCo", "GdFl", "PtFl").
struct PsdSolidColorFill : PsdAdjustmentData {
    u32 classId = 0;
    u32 color = 0;
};

struct PsdGradientFill : PsdAdjustmentData {
    PsdGradient gradient;
    bool align = false;
    double angle = 0.0;
    bool dither = false;
    bool reverse = false;
    double scale = 100.0;
    u32 type = 0;
    PsdPoint offset;
};

struct PsdPatternFill : PsdAdjustmentData {
    PsdPatternRef pattern;
    bool align = false;
    bool linked = false;
    double scale = 100.0;
    PsdPoint phase;
};
