// Adjustment, fill, effects and type blocks, descriptors and patterns.
#include "Core/Psd/PsdCursor.h"
#include "Core/Psd/PsdDescriptor.h"
#include "Core/Psd/PsdEffects.h"
#include "Core/Psd/PsdReader.h"
#include "tests/Psd/PsdBlockWriters.h"
#include "tests/Psd/PsdTestSupport.h"

using namespace psdtest;

namespace {

// A one-layer document whose layer carries `blocks`; the layer has pixels so that
// reading them shows the record stayed in step.
Loaded LoadWithBlocks(const std::vector<Block>& blocks)
{
    Document doc = RgbDocument(4, 4);
    Layer layer = RgbLayer("styled", 1, 1, 2, 1, {0xFF112233u, 0x80445566u}, 1);
    layer.blocks = blocks;
    ByteWriter id;
    id.U32(4242);
    layer.blocks.push_back(MakeBlock("lyid", id.bytes));
    doc.layers.push_back(layer);
    doc.layers.push_back(RgbLayer("after", 0, 0, 1, 1, {0xFF010101u}, 2));
    return Load(doc);
}

Block Exact(const std::string& key, const std::vector<u8>& data)
{
    Block b = MakeBlock(key, data);
    b.exactLength = true;
    return b;
}

template <class T> const T* Entry(const PsdLayerRecord& r, u32 kind)
{
    for (int i = 0; i < r.adjustmentCount; ++i)
        if (r.adjustments[i].kind == kind)
            return dynamic_cast<const T*>(r.adjustments[i].data.get());
    return nullptr;
}

void ExpectInStep(const Loaded& loaded)
{
    ASSERT_NE(loaded.doc, nullptr);
    const PsdLayerRecord& r = loaded.doc->layerRecords[0];
    EXPECT_EQ(r.layerId, 4242u);
    EXPECT_EQ(r.pixels, (std::vector<u32>{0xFF112233u, 0x80445566u}));
    EXPECT_EQ(loaded.doc->layerRecords[1].pixels, std::vector<u32>{0xFF010101u});
}

TEST(PsdAdjustments, EachKindSetsItsEntryAndLayerType)
{
    struct Case {
        const char* key;
        std::vector<u8> data;
        u32 kind;
        u32 layerType;
        bool adjustmentLayer;
    };
    const Case cases[] = {
        {"levl", LevelsBlock(true), PSD_ADJ_LEVELS, 6, true},
        {"curv", CurvesBlock(0x0F, 3, true), PSD_ADJ_CURVES, 7, true},
        {"brit", BrightnessBlock(), PSD_ADJ_BRIGHTNESS, 8, true},
        {"blnc", ColorBalanceBlock(), PSD_ADJ_COLOR_BALANCE, 9, true},
        {"hue2", HueSaturationBlock(), PSD_ADJ_HUE_SATURATION, 10, true},
        {"selc", SelectiveColorBlock(), PSD_ADJ_SELECTIVE_COLOR, 11, true},
        {"thrs", ThresholdBlock(), PSD_ADJ_THRESHOLD, 12, true},
        {"nvrt", {}, PSD_ADJ_INVERT, 13, true},
        {"post", PosterizeBlock(), PSD_ADJ_POSTERIZE, 14, true},
        {"mixr", ChannelMixerBlock(), PSD_ADJ_CHANNEL_MIXER, 15, true},
        {"grdm", GradientMapBlock(), PSD_ADJ_GRADIENT_MAP, 16, true},
        {"phfl", PhotoFilterBlock(), PSD_ADJ_PHOTO_FILTER, 17, true},
        {"SoCo", SolidColorBlock(), PSD_ADJ_SOLID_COLOR, 3, false},
        {"GdFl", GradientFillBlock(), PSD_ADJ_GRADIENT_FILL, 4, false},
        {"PtFl", PatternFillBlock(), PSD_ADJ_PATTERN_FILL, 19, false},
        {"tySh", TypeToolBlock(), PSD_ADJ_TYPE_TOOL, 0, false},
        {"lrFX", LrfxBlock(), PSD_ADJ_EFFECTS, 0, false},
        {"lfx2", Lfx2Block(), PSD_ADJ_EFFECTS2, 0, false},
    };
    for (const Case& c : cases) {
        Loaded loaded = LoadWithBlocks({MakeBlock(c.key, c.data)});
        ASSERT_EQ(loaded.status, PSD_OK) << c.key;
        ExpectInStep(loaded);
        const PsdLayerRecord& r = loaded.doc->layerRecords[0];
        ASSERT_EQ(r.adjustmentCount, 1) << c.key;
        EXPECT_EQ(r.adjustments[0].kind, c.kind) << c.key;
        EXPECT_EQ(r.layerType, c.layerType) << c.key;
        EXPECT_EQ(r.adjustmentLayer, c.adjustmentLayer) << c.key;
    }
}

TEST(PsdAdjustments, WrongVersionsGiveTheirStatus)
{
    const std::pair<Block, int> cases[] = {
        {MakeBlock("levl",
                   [] {
                       auto b = LevelsBlock(false);
                       b[1] = 3;
                       return b;
                   }()),
         PSD_ERR_LEVELS_VERSION},
        {MakeBlock("curv",
                   [] {
                       auto b = CurvesBlock(1, 2, false);
                       b[2] = 2;
                       return b;
                   }()),
         PSD_ERR_CURVES_VERSION},
        {MakeBlock("hue2", HueSaturationBlock(1)), PSD_ERR_HUE_SATURATION},
        {MakeBlock("selc", SelectiveColorBlock(2)), PSD_ERR_SELECTIVE_COLOR},
        {MakeBlock("mixr", ChannelMixerBlock(2)), PSD_ERR_CHANNEL_MIXER},
        {MakeBlock("phfl", PhotoFilterBlock(2)), PSD_ERR_PHOTO_FILTER},
        {MakeBlock("grdm", GradientMapBlock(2)), PSD_ERR_GRADIENT_MAP},
        {MakeBlock("SoCo", SolidColorBlock(15)), PSD_ERR_SOLID_COLOR},
        {MakeBlock("GdFl", GradientFillBlock(15)), PSD_ERR_GRADIENT_FILL},
        {MakeBlock("PtFl", PatternFillBlock(17)), PSD_ERR_PATTERN_FILL},
        {MakeBlock("lrFX", LrfxBlock(1)), PSD_ERR_EFFECTS_VERSION},
        {MakeBlock("lfx2",
                   [] {
                       auto b = Lfx2Block();
                       b[7] = 15;
                       return b;
                   }()),
         PSD_ERR_EFFECTS_VERSION},
    };
    for (const auto& [block, status] : cases) {
        Loaded loaded = LoadWithBlocks({block});
        EXPECT_EQ(loaded.status, status) << block.key;
        EXPECT_EQ(loaded.doc, nullptr) << block.key;
    }
}

TEST(PsdAdjustments, LevelsLengthMustBeExact)
{
    std::vector<u8> exact = LevelsBlock(false);
    ASSERT_EQ(exact.size(), 292u);
    Loaded loaded = LoadWithBlocks({Exact("levl", exact)});
    ASSERT_EQ(loaded.status, PSD_OK);
    const PsdLevels* levels = Entry<PsdLevels>(loaded.doc->layerRecords[0], PSD_ADJ_LEVELS);
    ASSERT_NE(levels, nullptr);
    EXPECT_TRUE(levels->extra.empty());
    EXPECT_EQ(levels->records[28].inputFloor, 28);
    EXPECT_FLOAT_EQ(levels->records[5].gamma, 1.0f);

    std::vector<u8> longer = exact;
    longer.push_back(0);
    std::vector<u8> shorter(exact.begin(), exact.end() - 1);
    EXPECT_EQ(LoadWithBlocks({Exact("levl", longer)}).status, PSD_ERR_LEVELS_LENGTH);
    EXPECT_EQ(LoadWithBlocks({Exact("levl", shorter)}).status, PSD_ERR_LEVELS_LENGTH);

    loaded = LoadWithBlocks({MakeBlock("levl", LevelsBlock(true))});
    ASSERT_EQ(loaded.status, PSD_OK);
    levels = Entry<PsdLevels>(loaded.doc->layerRecords[0], PSD_ADJ_LEVELS);
    ASSERT_EQ(levels->extra.size(), 2u);
    EXPECT_FLOAT_EQ(levels->extra[1].gamma, 1.5f);

    std::vector<u8> badSignature = LevelsBlock(true);
    badSignature[292] = 'X';
    EXPECT_EQ(LoadWithBlocks({MakeBlock("levl", badSignature)}).status, PSD_ERR_LEVELS_EXTRA_SIGNATURE);
    std::vector<u8> badVersion = LevelsBlock(true);
    badVersion[297] = 2;
    EXPECT_EQ(LoadWithBlocks({MakeBlock("levl", badVersion)}).status, PSD_ERR_LEVELS_EXTRA_VERSION);
}

TEST(PsdAdjustments, CurvesFollowTheirMaskAndKeepAtMostNineteenPoints)
{
    Loaded loaded = LoadWithBlocks({MakeBlock("curv", CurvesBlock(0x0F, 3, true))});
    ASSERT_EQ(loaded.status, PSD_OK);
    const PsdCurves* curves = Entry<PsdCurves>(loaded.doc->layerRecords[0], PSD_ADJ_CURVES);
    ASSERT_NE(curves, nullptr);
    ASSERT_EQ(curves->curves.size(), 4u);
    for (u16 i = 0; i < 4; ++i) {
        EXPECT_EQ(curves->curves[i].channel, i);
        EXPECT_EQ(curves->curves[i].pointCount, 3);
        EXPECT_EQ(curves->curves[i].output[2], 4);
        EXPECT_EQ(curves->curves[i].input[2], 2);
    }

    // 25 points in each of two curves: 19 are kept, the rest read over.
    loaded = LoadWithBlocks({MakeBlock("curv", CurvesBlock(0x81, 25, true))});
    ASSERT_EQ(loaded.status, PSD_OK);
    ExpectInStep(loaded);
    curves = Entry<PsdCurves>(loaded.doc->layerRecords[0], PSD_ADJ_CURVES);
    ASSERT_EQ(curves->curves.size(), 2u);
    EXPECT_EQ(curves->curves[1].channel, 7);
    EXPECT_EQ(curves->curves[1].pointCount, PsdCurve::kMaxPoints);
    EXPECT_EQ(curves->curves[1].input[18], 18);

    std::vector<u8> badCopy = CurvesBlock(1, 2, true);
    badCopy[17] = 'X'; // after the padding, version, mask and one curve of two points
    EXPECT_EQ(LoadWithBlocks({MakeBlock("curv", badCopy)}).status, PSD_ERR_CURVES_EXTRA_SIGNATURE);
    badCopy = CurvesBlock(1, 2, true);
    badCopy[22] = 3;
    EXPECT_EQ(LoadWithBlocks({MakeBlock("curv", badCopy)}).status, PSD_ERR_CURVES_EXTRA_VERSION);
}

TEST(PsdAdjustments, FillLayersKeepTheirDescriptors)
{
    Loaded loaded = LoadWithBlocks({MakeBlock("SoCo", SolidColorBlock())});
    ASSERT_EQ(loaded.status, PSD_OK);
    const PsdSolidColorFill* solid =
        Entry<PsdSolidColorFill>(loaded.doc->layerRecords[0], PSD_ADJ_SOLID_COLOR);
    ASSERT_NE(solid, nullptr);
    EXPECT_EQ(solid->color, 0xFF0C2238u);
    EXPECT_EQ(solid->classId, PsdKey("null"));

    loaded = LoadWithBlocks({MakeBlock("GdFl", GradientFillBlock())});
    ASSERT_EQ(loaded.status, PSD_OK);
    const PsdGradientFill* gradient =
        Entry<PsdGradientFill>(loaded.doc->layerRecords[0], PSD_ADJ_GRADIENT_FILL);
    ASSERT_NE(gradient, nullptr);
    EXPECT_EQ(gradient->angle, -45.0);
    EXPECT_EQ(gradient->type, 1u);
    EXPECT_TRUE(gradient->dither);
    EXPECT_EQ(gradient->scale, 80.0);
    EXPECT_EQ(gradient->gradient.name, L"Two stops");
    ASSERT_EQ(gradient->gradient.colorStops.size(), 2u);
    EXPECT_EQ(gradient->gradient.colorStops[1].color, 0xFFFF8000u);
    EXPECT_EQ(gradient->gradient.colorStops[1].type, 2u);
    EXPECT_EQ(gradient->gradient.colorStops[1].location, 4096);
    ASSERT_EQ(gradient->gradient.transparencyStops.size(), 1u);
    EXPECT_EQ(gradient->gradient.transparencyStops[0].opacity, 255);

    loaded = LoadWithBlocks({MakeBlock("PtFl", PatternFillBlock())});
    ASSERT_EQ(loaded.status, PSD_OK);
    const PsdPatternFill* pattern = Entry<PsdPatternFill>(loaded.doc->layerRecords[0], PSD_ADJ_PATTERN_FILL);
    ASSERT_NE(pattern, nullptr);
    EXPECT_EQ(pattern->pattern.id, L"1234-abcd");
    EXPECT_TRUE(pattern->align);
    EXPECT_EQ(pattern->phase.y, -4);
}

TEST(PsdEffects, OldFixedRecords)
{
    Loaded loaded = LoadWithBlocks({MakeBlock("lrFX", LrfxBlock())});
    ASSERT_EQ(loaded.status, PSD_OK);
    ExpectInStep(loaded);
    const PsdLayerEffects* fx = Entry<PsdLayerEffects>(loaded.doc->layerRecords[0], PSD_ADJ_EFFECTS);
    ASSERT_NE(fx, nullptr);
    EXPECT_EQ(fx->effectCount, 7);
    EXPECT_EQ(fx->visible, 1);
    EXPECT_EQ(fx->dropShadow.blendMode, 3u);
    EXPECT_EQ(fx->dropShadow.angle, 120);
    EXPECT_TRUE(fx->innerShadow.enabled);
    EXPECT_EQ(fx->outerGlow.color, 0xFFFFFFBEu);
    EXPECT_EQ(fx->innerGlow.source, 0u);
    EXPECT_EQ(fx->bevel.shadowBlendMode, 3u);
    EXPECT_EQ(fx->solidFill.color, 0xFFFF0000u);
    for (int section : {0, 1, 2, 3, 5, 9})
        EXPECT_EQ(fx->present[section], 1) << section;
    EXPECT_EQ(fx->present[PSD_FX_SATIN], 0);
}

TEST(PsdEffects, BrokenOldRecordsGiveTheirStatus)
{
    std::vector<u8> block = LrfxBlock();
    const auto at = [&](const char* tag) { return std::string(block.begin(), block.end()).find(tag); };
    struct Case {
        const char* what;
        size_t offset;
        u8 value;
        int status;
    };
    const Case cases[] = {
        {"signature", at("8BIMcmnS"), 'X', PSD_ERR_EFFECTS_SIGNATURE},
        {"unknown key", at("cmnS"), 'X', PSD_ERR_EFFECTS_KEY},
        {"common state version", at("cmnS") + 11, 1, PSD_ERR_EFFECTS_COMMON},
        {"shadow version", at("dsdw") + 11, 1, PSD_ERR_EFFECT_SHADOW},
        {"outer glow version", at("oglw") + 11, 3, PSD_ERR_EFFECT_OUTER_GLOW},
        {"inner glow version", at("iglw") + 11, 3, PSD_ERR_EFFECT_INNER_GLOW},
        {"bevel version", at("bevl") + 11, 1, PSD_ERR_EFFECT_BEVEL},
        {"solid fill version", at("sofi") + 11, 0, PSD_ERR_EFFECT_SOLID_FILL},
        {"blend signature", at("8BIMmul "), 'X', PSD_ERR_BLEND_SIGNATURE},
    };
    for (const Case& c : cases) {
        std::vector<u8> broken = block;
        broken[c.offset] = c.value;
        EXPECT_EQ(LoadWithBlocks({MakeBlock("lrFX", broken)}).status, c.status) << c.what;
    }
}

TEST(PsdEffects, DescriptorEffectsKeepTheirValues)
{
    Loaded loaded = LoadWithBlocks({MakeBlock("lfx2", Lfx2Block())});
    ASSERT_EQ(loaded.status, PSD_OK);
    ExpectInStep(loaded);
    const PsdLayerEffects* fx = Entry<PsdLayerEffects>(loaded.doc->layerRecords[0], PSD_ADJ_EFFECTS2);
    ASSERT_NE(fx, nullptr);
    EXPECT_EQ(fx->effectCount, 10);
    EXPECT_EQ(fx->visible, 1);
    const PsdShadow& shadow = fx->dropShadow;
    EXPECT_TRUE(shadow.enabled);
    EXPECT_EQ(shadow.opacity, 191); // 75 percent
    EXPECT_EQ(shadow.blendMode, 5u);
    EXPECT_EQ(shadow.color, 0xFF0A141Eu);
    EXPECT_EQ(shadow.nativeColor, 0xFF0A141Eu);
    EXPECT_FALSE(shadow.useGlobalLight);
    EXPECT_EQ(shadow.angle, 90);
    EXPECT_EQ(shadow.distance, 7);
    EXPECT_EQ(shadow.size, 5); // default kept
    EXPECT_EQ(shadow.contour.table[128], 200);
    EXPECT_EQ(shadow.contour.table[0], 0);
    EXPECT_EQ(shadow.contour.table[255], 255);
    EXPECT_EQ(fx->outerGlow.fillType, 1u);
    EXPECT_EQ(fx->outerGlow.gradient.colorStops.size(), 2u);
    EXPECT_EQ(fx->innerGlow.source, 0u);
    EXPECT_EQ(fx->innerGlow.color, 0xFF010203u);
    EXPECT_EQ(fx->bevel.style, 2u);
    EXPECT_EQ(fx->bevel.technique, 1u);
    EXPECT_EQ(fx->bevel.highlightOpacity, 127); // 50 x 2.55 + 0.5 falls just below 128
    EXPECT_EQ(fx->bevel.pattern.name, L"Dots");
    EXPECT_EQ(fx->bevel.phase.y, 2);
    EXPECT_EQ(fx->satin.opacity, 102);
    EXPECT_EQ(fx->solidFill.blendMode, 7u);
    EXPECT_EQ(fx->gradientOverlay.type, 4u);
    EXPECT_EQ(fx->patternOverlay.pattern.id, L"1234-abcd");
    EXPECT_EQ(fx->stroke.position, 1u);
    EXPECT_EQ(fx->stroke.fillType, 1u);
    EXPECT_EQ(fx->stroke.size, 9);
    for (int section = 0; section < 10; ++section)
        EXPECT_EQ(fx->present[section], 1) << section;
}

TEST(PsdEffects, UnknownItemsAreSkippedByTheirType)
{
    // An unknown effect holding a nested descriptor, a list, a reference and other
    // types of the skip table, and a key of 300 characters, all read over.
    ByteWriter extra;
    extra.Object("newEffectKind", "nEfK", 3)
        .Double("doub", 1)
        .Text("TEXT", L"t")
        .Item("alis", "alis")
        .U32(3)
        .Zeros(3);
    extra.List("someList", 3).Tag("long").I32(1).Tag("bool").U8(1).Tag("UntF").Tag("#Pxl").F64(2);
    extra.Item("ref ", "obj ").U32(3);
    extra.Tag("Enmr").Unicode(L"").Key("Lyr ").Key("Ordn").Key("Trgt");
    extra.Tag("prop").Unicode(L"").Key("Lyr ").Key("Nm  ");
    extra.Tag("indx").U32(4);
    extra.Item("glob", "GlbC").Unicode(L"x").Key("clss");
    extra.Item(std::string(300, 'k'), "doub").F64(3);
    extra.Item("tdta", "tdta").U32(5).Zeros(5);
    Loaded loaded = LoadWithBlocks({MakeBlock("lfx2", Lfx2Block(extra.bytes, 6))});
    ASSERT_EQ(loaded.status, PSD_OK);
    ExpectInStep(loaded);
    const PsdLayerEffects* fx = Entry<PsdLayerEffects>(loaded.doc->layerRecords[0], PSD_ADJ_EFFECTS2);
    ASSERT_NE(fx, nullptr);
    EXPECT_EQ(fx->effectCount, 10);
}

TEST(PsdEffects, UnknownItemTypeFailsTheBlockInsteadOfReadingOutOfStep)
{
    ByteWriter extra;
    extra.Item("oddT", "Zzzz").U32(1);
    Loaded loaded = LoadWithBlocks({MakeBlock("lfx2", Lfx2Block(extra.bytes, 1))});
    EXPECT_EQ(loaded.status, PSD_ERR_EFFECTS_VERSION);

    ByteWriter fill;
    fill.U32(16).DescHeader("null", 2).Item("what", "Zzzz").U32(1).RgbColor("Clr ", 1, 1, 1);
    EXPECT_EQ(LoadWithBlocks({MakeBlock("SoCo", fill.bytes)}).status, PSD_ERR_SOLID_COLOR);

    // An unknown reference form leaves the stream unreadable as well.
    ByteWriter reference;
    reference.U32(16).DescHeader("null", 1).Item("ref ", "obj ").U32(1).Tag("????");
    EXPECT_EQ(LoadWithBlocks({MakeBlock("GdFl", reference.bytes)}).status, PSD_ERR_GRADIENT_FILL);
}

TEST(PsdEffects, DeeplyNestedDescriptorsFailInsteadOfExhaustingTheStack)
{
    ByteWriter nested;
    nested.U32(16).DescHeader("null", 1);
    for (int i = 0; i < 5000; ++i)
        nested.Object("deep", "deep", 1);
    nested.Double("leaf", 1);
    EXPECT_EQ(LoadWithBlocks({MakeBlock("PtFl", nested.bytes)}).status, PSD_ERR_PATTERN_FILL);
}

TEST(PsdEffects, TruncatedDescriptorStopsWithoutFailing)
{
    std::vector<u8> block = Lfx2Block();
    ASSERT_GT(block.size(), 40u);
    block.erase(block.end() - 40, block.end());
    Loaded loaded = LoadWithBlocks({MakeBlock("lfx2", block)});
    ASSERT_EQ(loaded.status, PSD_OK);
    ExpectInStep(loaded);
}

TEST(PsdEffects, ContourTable)
{
    PsdContour identity;
    const int x[] = {0, 255}, y[] = {0, 255};
    const bool corners[] = {true, true};
    ComputeContourTable(identity.table.data(), 2, x, y, corners);
    for (int i = 0; i < 256; ++i)
        EXPECT_NEAR(identity.table[i], i, 1) << i;

    PsdContour inverted;
    const int ix[] = {10, 245}, iy[] = {255, 0};
    ComputeContourTable(inverted.table.data(), 2, ix, iy, corners);
    EXPECT_EQ(inverted.table[0], 255);
    EXPECT_EQ(inverted.table[10], 255);
    EXPECT_EQ(inverted.table[245], 0);
    EXPECT_EQ(inverted.table[255], 0);
    EXPECT_NEAR(inverted.table[128], 127, 2);
}

TEST(PsdTypeTool, RecordIsRead)
{
    Loaded loaded = LoadWithBlocks({MakeBlock("tySh", TypeToolBlock())});
    ASSERT_EQ(loaded.status, PSD_OK);
    const PsdTypeTool* type = Entry<PsdTypeTool>(loaded.doc->layerRecords[0], PSD_ADJ_TYPE_TOOL);
    ASSERT_NE(type, nullptr);
    ASSERT_EQ(type->faces.size(), 1u);
    EXPECT_EQ(type->faces[0].styleName, "Regular");
    EXPECT_EQ(type->faces[0].designAxes, (std::vector<u32>{1, 2}));
    ASSERT_EQ(type->styles.size(), 1u);
    EXPECT_EQ(type->styles[0].leading, 14u);
    ASSERT_EQ(type->lines.size(), 1u);
    EXPECT_EQ(type->lines[0].character, 'H');
    EXPECT_EQ(type->color, 0xFFFF0000u);
    EXPECT_TRUE(type->antiAliased);
}

Document WithPatterns(const std::vector<u8>& patterns)
{
    Document doc = RgbDocument(2, 2);
    doc.layers.push_back(RgbLayer("one", 0, 0, 1, 1, {0xFF0000FFu}));
    doc.globalBlocks.push_back(MakeBlock("Patt", patterns));
    return doc;
}

TEST(PsdPatterns, RecordsAreDecoded)
{
    ByteWriter patterns;
    patterns.Raw(PatternRecord(3, 2, 1, {{255, 0}, {0, 255}, {0, 0}}));
    patterns.Raw(PatternRecord(1, 1, 2, {{0x40, 0x80}, {0xFF, 0x00}}));
    patterns.Raw(PatternRecord(2, 2, 1, {{1, 200}}));
    Loaded loaded = Load(WithPatterns(patterns.bytes));
    ASSERT_EQ(loaded.status, PSD_OK);
    ASSERT_EQ(loaded.doc->patterns.size(), 3u);
    const PsdPattern& rgb = loaded.doc->patterns[0];
    EXPECT_EQ(rgb.width, 2);
    EXPECT_EQ(rgb.height, 1);
    EXPECT_EQ(PsdUtf16ToWide(rgb.name), L"P1");
    EXPECT_STREQ(rgb.uniqueId.data(), "id-1");
    EXPECT_EQ(rgb.channelCount, 3);
    EXPECT_EQ(rgb.pixels, (std::vector<u32>{0xFFFF0000u, 0xFF00FF00u}));
    EXPECT_EQ(loaded.doc->patterns[1].pixels, (std::vector<u32>{0xFF404040u, 0x00808080u}));
    EXPECT_EQ(loaded.doc->patterns[2].pixels, (std::vector<u32>{0xFF01FE00u, 0xFFC83764u}));
    EXPECT_EQ(loaded.doc->layerRecords[0].pixels, std::vector<u32>{0xFF0000FFu});
}

TEST(PsdPatterns, BrokenRecordsGiveTheirStatusAndPatternsBeyondTheirModeAreIgnored)
{
    EXPECT_EQ(Load(WithPatterns(PatternRecord(5, 1, 1, {{1}}))).status, PSD_ERR_COLOR_MODE);
    EXPECT_EQ(Load(WithPatterns(PatternRecord(3, 1, 1, {{1}}, 2))).status, PSD_ERR_PATTERN);
    // A grey pattern with five channels decodes two of them.
    Loaded loaded = Load(WithPatterns(PatternRecord(1, 1, 1, {{1}, {2}, {3}, {4}, {5}})));
    ASSERT_EQ(loaded.status, PSD_OK);
    EXPECT_EQ(loaded.doc->patterns[0].channelCount, 2);
    EXPECT_EQ(loaded.doc->patterns[0].pixels, std::vector<u32>{0x02010101u});
}

TEST(PsdBlocks, DocumentWithEveryBlockKindReadsToTheEnd)
{
    Document doc = RgbDocument(6, 4);
    doc.mergedCompression = 1;
    for (size_t i = 0; i < doc.merged.size(); ++i)
        doc.merged[i] = static_cast<u8>(i * 3);
    const std::vector<Block> blocks = {
        MakeBlock("levl", LevelsBlock(true)),    MakeBlock("curv", CurvesBlock(0x0F, 4, true)),
        MakeBlock("brit", BrightnessBlock()),    MakeBlock("blnc", ColorBalanceBlock()),
        MakeBlock("hue2", HueSaturationBlock()), MakeBlock("selc", SelectiveColorBlock()),
        MakeBlock("thrs", ThresholdBlock()),     MakeBlock("nvrt", {}),
        MakeBlock("post", PosterizeBlock()),     MakeBlock("mixr", ChannelMixerBlock()),
        MakeBlock("grdm", GradientMapBlock()),   MakeBlock("phfl", PhotoFilterBlock()),
        MakeBlock("SoCo", SolidColorBlock()),    MakeBlock("GdFl", GradientFillBlock()),
        MakeBlock("PtFl", PatternFillBlock()),   MakeBlock("tySh", TypeToolBlock()),
        MakeBlock("lrFX", LrfxBlock()),          MakeBlock("lfx2", Lfx2Block()),
    };
    for (int i = 0; i < 3; ++i) {
        Layer layer =
            RgbLayer("layer" + std::to_string(i), i, 1, 3, 2,
                     {0xFF000001u + i, 0xFF000002u, 0xFF000003u, 0xFF000004u, 0xFF000005u, 0x01000006u}, i);
        layer.blocks = blocks;
        doc.layers.push_back(layer);
    }
    doc.globalBlocks.push_back(MakeBlock("Patt", PatternRecord(3, 1, 1, {{1}, {2}, {3}})));
    Loaded loaded = Load(doc);
    ASSERT_EQ(loaded.status, PSD_OK);
    ASSERT_EQ(loaded.doc->layerCount, 3);
    for (int i = 0; i < 3; ++i) {
        const PsdLayerRecord& r = loaded.doc->layerRecords[i];
        EXPECT_EQ(r.adjustmentCount, 18);
        EXPECT_EQ(r.pixels[0], 0xFF000001u + i);
        EXPECT_EQ(r.pixels[5], 0x01000006u);
    }
    EXPECT_EQ(loaded.doc->patterns.size(), 1u);
    EXPECT_EQ(loaded.doc->mergedImage[1], 0xFF034B93u);
}

} // namespace
