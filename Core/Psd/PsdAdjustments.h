#pragma once
// Data of the adjustment, fill, effects and type blocks kept in a layer record's
// adjustment table. Nothing outside the reader uses them.
#include "Core/Base/Types.h"
#include <array>
#include <string>
#include <vector>

// Kinds of the adjustment table entries.
enum PsdAdjustmentKind : u32 {
    PSD_ADJ_LEVELS = 1,
    PSD_ADJ_CURVES = 2,
    PSD_ADJ_BRIGHTNESS = 3,
    PSD_ADJ_COLOR_BALANCE = 4,
    PSD_ADJ_HUE_SATURATION = 5,
    PSD_ADJ_SELECTIVE_COLOR = 6,
    PSD_ADJ_THRESHOLD = 7,
    PSD_ADJ_INVERT = 8,
    PSD_ADJ_POSTERIZE = 9,
    PSD_ADJ_CHANNEL_MIXER = 10,
    PSD_ADJ_GRADIENT_MAP = 11,
    PSD_ADJ_PHOTO_FILTER = 12,
    PSD_ADJ_TYPE_TOOL = 13,
    PSD_ADJ_EFFECTS = 15,
    PSD_ADJ_EFFECTS2 = 16,
    PSD_ADJ_SOLID_COLOR = 17,
    PSD_ADJ_GRADIENT_FILL = 18,
    PSD_ADJ_PATTERN_FILL = 19,
};

struct PsdAdjustmentData {
    virtual ~PsdAdjustmentData() = default;
};

struct PsdLevelRecord {
    u16 inputFloor = 0;
    u16 inputCeiling = 0;
    u16 outputFloor = 0;
    u16 outputCeiling = 0;
    float gamma = 0.0f;
};

struct PsdLevels : PsdAdjustmentData {
    std::array<PsdLevelRecord, 29> records{};
    std::vector<PsdLevelRecord> extra;
};

struct PsdCurve {
    static constexpr int kMaxPoints = 19;
    u16 channel = 0;
    u16 pointCount = 0; // points kept, at most kMaxPoints
    std::array<u16, kMaxPoints> output{};
    std::array<u16, kMaxPoints> input{};
};

struct PsdCurves : PsdAdjustmentData {
    std::vector<PsdCurve> curves;
};

struct PsdBrightnessContrast : PsdAdjustmentData {
    u16 brightness = 0;
    u16 contrast = 0;
    u16 mean = 0;
    u8 labOnly = 0;
};

struct PsdColorBalance : PsdAdjustmentData {
    // shadows, midtones, highlights x cyan-red, magenta-green, yellow-blue
    std::array<std::array<u16, 3>, 3> ranges{};
    bool preserveLuminosity = false;
};

struct PsdHueRange {
    std::array<u16, 4> range{};
    u16 hue = 0;
    u16 saturation = 0;
    u16 lightness = 0;
};

struct PsdHueSaturation : PsdAdjustmentData {
    u8 colorize = 0;
    u16 colorizeHue = 0;
    u16 colorizeSaturation = 0;
    u16 colorizeLightness = 0;
    u16 masterHue = 0;
    u16 masterSaturation = 0;
    u16 masterLightness = 0;
    std::array<PsdHueRange, 6> ranges{};
};

struct PsdSelectiveColor : PsdAdjustmentData {
    u16 method = 0;
    std::array<std::array<u16, 4>, 10> plates{};
};

struct PsdThreshold : PsdAdjustmentData {
    u16 level = 0;
};

struct PsdPosterize : PsdAdjustmentData {
    u16 levels = 0;
};

struct PsdChannelMixer : PsdAdjustmentData {
    bool monochrome = false;
    std::array<std::array<u16, 5>, 4> channels{};
};

struct PsdPhotoFilter : PsdAdjustmentData {
    u32 x = 0;
    u32 y = 0;
    u32 z = 0;
    u32 density = 0;
    bool preserveLuminosity = false;
};

struct PsdGradientMapColorStop {
    u32 location = 0;
    u32 midpoint = 0;
    u32 color = 0;
};

struct PsdGradientMapTransparencyStop {
    u32 location = 0;
    u32 midpoint = 0;
    u16 opacity = 0;
};

struct PsdGradientMap : PsdAdjustmentData {
    bool reverse = false;
    bool dither = false;
    std::vector<u8> name; // UTF-16 as stored
    std::vector<PsdGradientMapColorStop> colorStops;
    std::vector<PsdGradientMapTransparencyStop> transparencyStops;
    u16 expansionCount = 0;
    u16 interpolation = 0;
    u16 length = 0;
    u16 mode = 0;
    u32 randomSeed = 0;
    u16 showTransparency = 0;
    u16 useVectorColor = 0;
    u32 roughness = 0;
    u16 colorModel = 0;
    u32 minimumColor = 0;
    u32 maximumColor = 0;
};

struct PsdTypeFace {
    u16 mark = 0;
    u32 fontType = 0;
    std::string fontName;
    std::string familyName;
    std::string styleName;
    u16 script = 0;
    std::vector<u32> designAxes;
};

struct PsdTypeStyle {
    u16 mark = 0;
    u16 faceMark = 0;
    u32 size = 0;
    u32 tracking = 0;
    u32 kerning = 0;
    u32 leading = 0;
    u32 baseShift = 0;
    bool autoKern = false;
    bool rotate = false;
};

struct PsdTypeLine {
    u32 characterCount = 0;
    u16 orientation = 0;
    u16 alignment = 0;
    u16 character = 0;
    u16 style = 0;
};

struct PsdTypeTool : PsdAdjustmentData {
    std::array<double, 6> transform{};
    std::vector<PsdTypeFace> faces;
    std::vector<PsdTypeStyle> styles;
    u16 type = 0;
    u32 scalingFactor = 0;
    u32 characterCount = 0;
    u32 horizontalPlacement = 0;
    u32 verticalPlacement = 0;
    u32 selectionStart = 0;
    u32 selectionEnd = 0;
    std::vector<PsdTypeLine> lines;
    u32 color = 0;
    bool antiAliased = false;
};
