// Layer records: fields, names, property blocks, masks, folders and broken records.
#include "Core/Psd/PsdReader.h"
#include "tests/Psd/PsdTestSupport.h"

using namespace psdtest;

namespace {

std::vector<u32> Pattern(u32 w, u32 h, u32 seed)
{
    std::vector<u32> argb(size_t(w) * h);
    for (size_t i = 0; i < argb.size(); ++i)
        argb[i] = (u32((i * 37 + seed) % 256) << 24) | (u32((i * 11 + seed) % 256) << 16) |
                  (u32((i * 5 + 3 * seed) % 256) << 8) | u32((i * 101 + seed) % 256);
    return argb;
}

std::vector<u8> Be32(u32 v)
{
    return {u8(v >> 24), u8(v >> 16), u8(v >> 8), u8(v)};
}

TEST(PsdLayers, RecordsKeepTheirFieldsAndPixelsForEveryCompression)
{
    Document doc = RgbDocument(40, 30);
    const u32 w = 9, h = 5;
    for (int compression = 0; compression < 4; ++compression) {
        Layer layer = RgbLayer("layer " + std::to_string(compression), 3 * compression, 2 + compression, w, h,
                               Pattern(w, h, compression), compression);
        layer.opacity = static_cast<u8>(100 + compression);
        layer.blend = compression == 2 ? "mul " : "norm";
        layer.flags = compression == 1 ? 2 : 0; // bit 1: hidden
        layer.clipping = compression == 3;
        doc.layers.push_back(layer);
    }
    Loaded loaded = Load(doc);
    ASSERT_EQ(loaded.status, PSD_OK);
    ASSERT_EQ(loaded.doc->layerCount, 4);
    for (int i = 0; i < 4; ++i) {
        const PsdLayerRecord& r = loaded.doc->layerRecords[i];
        EXPECT_EQ(NameOf(r), "layer " + std::to_string(i));
        EXPECT_EQ(r.left, 3 * i);
        EXPECT_EQ(r.top, 2 + i);
        EXPECT_EQ(r.width, static_cast<i32>(w));
        EXPECT_EQ(r.height, static_cast<i32>(h));
        EXPECT_EQ(r.opacity, 100 + i);
        EXPECT_EQ(r.blendMode, i == 2 ? 3u : 0u);
        EXPECT_EQ(r.visible, i != 1);
        EXPECT_EQ(r.clipping, i == 3);
        EXPECT_EQ(r.layerType, 0u);
        EXPECT_EQ(r.pixels, Pattern(w, h, i)) << "compression " << i;
    }
}

TEST(PsdLayers, NegativeCountReadsThatManyRecords)
{
    Document doc = RgbDocument(4, 4);
    doc.negativeLayerCount = true;
    for (int i = 0; i < 3; ++i)
        doc.layers.push_back(RgbLayer("n" + std::to_string(i), 0, 0, 2, 2, Pattern(2, 2, i)));
    Loaded loaded = Load(doc);
    ASSERT_EQ(loaded.status, PSD_OK);
    ASSERT_EQ(loaded.doc->layerCount, 3);
    EXPECT_EQ(NameOf(loaded.doc->layerRecords[2]), "n2");
    EXPECT_EQ(loaded.doc->layerRecords[2].pixels, Pattern(2, 2, 2));
}

// 0x8000 is the one count whose magnitude does not fit a signed 16-bit number.
TEST(PsdLayers, CountOf0x8000KeepsEveryRecord)
{
    Document doc = RgbDocument(1, 1);
    for (u32 i = 0; i < 0x8000; ++i)
        doc.layers.push_back(RgbLayer("", 0, 0, 1, 1, {0xFF000000u | i}));
    Loaded loaded = Load(doc);
    ASSERT_EQ(loaded.status, PSD_OK);
    ASSERT_EQ(loaded.doc->layerCount, 0x8000);
    ASSERT_EQ(loaded.doc->layerRecords.size(), 0x8000u);
    EXPECT_EQ(loaded.doc->layerRecords.back().pixels, std::vector<u32>{0xFF007FFFu});
}

TEST(PsdLayers, NamesAndOddBlocksKeepTheRecordInStep)
{
    // Names of 3 (no padding) and 5 (two padding bytes); a block of odd length 5 takes
    // 6 bytes; an unknown key is skipped whole; "lyid" after them still reads right.
    Document doc = RgbDocument(4, 4);
    for (const char* name : {"abc", "abcde", "", "abcdefgh"}) {
        Layer layer = RgbLayer(name, 0, 0, 1, 1, {0xFF102030u});
        layer.blocks.push_back(MakeBlock("zzzz", {1, 2, 3, 4, 5}));
        layer.blocks.push_back(MakeBlock("lyid", Be32(0x01020304)));
        doc.layers.push_back(layer);
    }
    Loaded loaded = Load(doc);
    ASSERT_EQ(loaded.status, PSD_OK);
    const char* names[] = {"abc", "abcde", "", "abcdefgh"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(NameOf(loaded.doc->layerRecords[i]), names[i]);
        EXPECT_EQ(loaded.doc->layerRecords[i].layerId, 0x01020304u);
        EXPECT_EQ(loaded.doc->layerRecords[i].pixels, std::vector<u32>{0xFF102030u});
    }
}

TEST(PsdLayers, PropertyBlocksFillTheirFields)
{
    Document doc = RgbDocument(4, 4);
    Layer layer = RgbLayer("props", 0, 0, 1, 1, {0xFF000000u});
    ByteWriter fxrp;
    fxrp.F64(-12.75).F64(40.9);
    ByteWriter luni;
    luni.U32(3).U16(0x00C4).U16(0x0416).U16(0x4E2D);
    layer.blocks = {
        MakeBlock("lnsr", Be32(0x6C617972)),
        MakeBlock("lyvr", Be32(7)),
        MakeBlock("clbl", {0, 0, 0, 0}),
        MakeBlock("infx", {1, 0, 0, 0}),
        MakeBlock("knko", {1, 0, 0, 0}),
        MakeBlock("tsly", {0, 0, 0, 0}),
        MakeBlock("vmgm", {1, 0, 0, 0}),
        MakeBlock("lmgm", {1, 0, 0, 0}),
        MakeBlock("iOpa", {0x40, 0, 0, 0}),
        MakeBlock("lspf", Be32(5)),
        MakeBlock("lclr", {0x11, 0x22, 0x33, 0x44, 0, 0, 0, 0}),
        MakeBlock("fxrp", fxrp.bytes),
        MakeBlock("luni", luni.bytes),
    };
    layer.channels[0].id = 0; // ids 0, 0, 1, 2; "brst" marks the first channel with id 1
    layer.blocks.push_back(MakeBlock("brst", Be32(1)));
    doc.layers.push_back(layer);
    Loaded loaded = Load(doc);
    ASSERT_EQ(loaded.status, PSD_OK);
    const PsdLayerRecord& r = loaded.doc->layerRecords[0];
    EXPECT_EQ(r.nameSource, 0x6C617972u);
    EXPECT_EQ(r.layerVersion, 7u);
    EXPECT_FALSE(r.blendClippedElements);
    EXPECT_TRUE(r.blendInteriorElements);
    EXPECT_TRUE(r.knockout);
    EXPECT_FALSE(r.transparencyShapesLayer);
    EXPECT_TRUE(r.vectorMaskHidesEffects);
    EXPECT_TRUE(r.layerMaskHidesEffects);
    EXPECT_EQ(r.fillOpacity, 0x40);
    EXPECT_TRUE(r.protectTransparency);
    EXPECT_FALSE(r.protectComposite);
    EXPECT_TRUE(r.protectPosition);
    EXPECT_EQ(r.sheetColor, 0xFF112233u);
    EXPECT_EQ(r.referencePointX, -12);
    EXPECT_EQ(r.referencePointY, 40);
    EXPECT_EQ(r.unicodeNameLength, 3u);
    EXPECT_EQ(PsdUtf16ToWide(r.unicodeName), L"\u00C4\u0416\u4E2D");
    EXPECT_EQ(r.channels[2].blendRestricted, 1);
    EXPECT_EQ(r.channels[0].blendRestricted + r.channels[1].blendRestricted + r.channels[3].blendRestricted,
              0);
}

TEST(PsdLayers, UnicodeNameLongerThanItsBlockKeepsWhatTheBlockHolds)
{
    Document doc = RgbDocument(4, 4);
    Layer layer = RgbLayer("u", 0, 0, 1, 1, {0xFF000000u});
    ByteWriter luni;
    luni.U32(0x40000000).U16('h').U16('i');
    layer.blocks = {MakeBlock("luni", luni.bytes), MakeBlock("lyid", Be32(9))};
    doc.layers.push_back(layer);
    Loaded loaded = Load(doc);
    ASSERT_EQ(loaded.status, PSD_OK);
    EXPECT_EQ(PsdUtf16ToWide(loaded.doc->layerRecords[0].unicodeName), L"hi");
    EXPECT_EQ(loaded.doc->layerRecords[0].layerId, 9u);
}

TEST(PsdLayers, SectionDividersMakeFoldersAndLinkTheirLayers)
{
    Document doc = RgbDocument(4, 4);
    auto divider = [](const std::string& name, u32 type, bool withBlend) {
        Layer layer;
        layer.name = name;
        ByteWriter w;
        w.U32(type);
        if (withBlend)
            w.Tag("8BIM").Tag("mul ");
        layer.blocks.push_back(MakeBlock("lsct", w.bytes));
        return layer;
    };
    // Bottom to top: folder end, A, B, folder start (open, with a blend key), then a
    // closed folder start of length 4 above it.
    doc.layers.push_back(divider("</Layer group>", 3, false));
    doc.layers.push_back(RgbLayer("A", 0, 0, 1, 1, {0xFF000001u}));
    doc.layers.push_back(RgbLayer("B", 0, 0, 1, 1, {0xFF000002u}));
    doc.layers.push_back(divider("group", 1, true));
    doc.layers.push_back(divider("closed", 2, false));
    Loaded loaded = Load(doc);
    ASSERT_EQ(loaded.status, PSD_OK);
    const auto& r = loaded.doc->layerRecords;
    EXPECT_EQ(r[0].layerType, 1u);
    EXPECT_EQ(r[3].layerType, 2u);
    EXPECT_EQ(r[3].sectionBlendMode, 3u);
    EXPECT_EQ(r[4].layerType, 2u);
    EXPECT_EQ(r[4].sectionDividerType, 2u);
    EXPECT_EQ(r[4].sectionBlendMode, 23u); // length 4: no blend key
    EXPECT_EQ(r[1].enclosingFolder, &r[3]);
    EXPECT_EQ(r[2].enclosingFolder, &r[3]);
    EXPECT_EQ(r[3].enclosingFolder, nullptr);
}

TEST(PsdLayers, SectionDividerWithBadSignatureFails)
{
    Document doc = RgbDocument(4, 4);
    Layer layer;
    ByteWriter w;
    w.U32(1).Tag("8BIX").Tag("norm");
    layer.blocks.push_back(MakeBlock("lsct", w.bytes));
    doc.layers.push_back(layer);
    EXPECT_EQ(Load(doc).status, PSD_ERR_SECTION_DIVIDER);
}

TEST(PsdLayers, MasksOfEveryLengthAreReadAndSkippedByTheirLength)
{
    // A zero-size layer with a 10 x 10 mask: no pixels, 100 mask bytes. Mask blocks
    // of 20, 36 and 28 bytes all leave the name and blocks after them readable.
    for (u32 length : {20u, 36u, 28u}) {
        Document doc = RgbDocument(16, 16);
        Layer layer;
        layer.name = "masked";
        ByteWriter mask;
        mask.I32(1).I32(2).I32(11).I32(12).U8(0).U8(length == 20 ? 4 : 1);
        if (length == 36)
            mask.U8(4).U8(255).I32(1).I32(2).I32(11).I32(12);
        mask.Zeros(length - mask.Size());
        layer.mask = mask.bytes;
        layer.maskWidth = 10;
        layer.maskHeight = 10;
        std::vector<u8> plane(100);
        for (int i = 0; i < 100; ++i)
            plane[i] = static_cast<u8>(i * 2);
        layer.channels.push_back({-2, plane, 1});
        layer.blocks.push_back(MakeBlock("lyid", Be32(77)));
        doc.layers.push_back(layer);
        Loaded loaded = Load(doc);
        ASSERT_EQ(loaded.status, PSD_OK) << length;
        const PsdLayerRecord& r = loaded.doc->layerRecords[0];
        EXPECT_EQ(NameOf(r), "masked") << length;
        EXPECT_EQ(r.layerId, 77u) << length;
        EXPECT_TRUE(r.pixels.empty());
        EXPECT_EQ(r.maskWidth, 10);
        EXPECT_EQ(r.maskHeight, 10);
        EXPECT_EQ(r.maskInverted, length != 28) << length;
        EXPECT_EQ(r.maskPixels, plane) << length;
    }
}

TEST(PsdLayers, BrokenRecordsFailWithTheirStatus)
{
    struct Case {
        const char* what;
        int status;
    };
    const Case cases[] = {
        {"no blending ranges", PSD_ERR_BLEND_RANGES},
        {"blend signature", PSD_ERR_BLEND_SIGNATURE},
        {"block signature", PSD_ERR_INFO_SIGNATURE},
    };
    for (const Case& c : cases) {
        Document doc = RgbDocument(4, 4);
        Layer layer = RgbLayer("x", 0, 0, 1, 1, {0xFF000000u});
        if (c.status == PSD_ERR_BLEND_RANGES)
            layer.blendingRanges = {0, 0, 255, 255, 0, 0, 255, 255}; // the composite pair alone
        doc.layers.push_back(layer);
        std::vector<u8> bytes = Write(doc);
        if (c.status != PSD_ERR_BLEND_RANGES) {
            // The second "8BIM" of the file is the layer's blend signature.
            const std::string text(bytes.begin(), bytes.end());
            size_t at = text.find("8BIM");
            if (c.status == PSD_ERR_INFO_SIGNATURE) {
                doc.layers[0].blocks.push_back(MakeBlock("lyid", Be32(1)));
                bytes = Write(doc);
                at = std::string(bytes.begin(), bytes.end()).find("8BIMlyid");
            }
            ASSERT_NE(at, std::string::npos);
            bytes[at + 3] = 'X';
        }
        Loaded loaded = Load(bytes);
        EXPECT_EQ(loaded.status, c.status) << c.what;
        EXPECT_EQ(loaded.doc, nullptr);
    }
}

TEST(PsdLayers, RecordWithoutBlendingRangesReads)
{
    // Some writers keep no blending ranges (length 0).
    Document doc = RgbDocument(4, 4);
    Layer layer = RgbLayer("plain", 0, 0, 1, 1, {0xFF0A0B0Cu});
    layer.noBlendingRanges = true;
    doc.layers.push_back(layer);
    Loaded loaded = Load(doc);
    ASSERT_EQ(loaded.status, PSD_OK);
    EXPECT_EQ(loaded.doc->layerRecords[0].channelRangeCount, 0);
    EXPECT_EQ(loaded.doc->layerRecords[0].pixels, std::vector<u32>{0xFF0A0B0Cu});
}

TEST(PsdLayers, MoreLayersAnnouncedThanTheDataHoldsFails)
{
    Document doc = RgbDocument(4, 4);
    doc.layers.push_back(RgbLayer("only", 0, 0, 1, 1, {0xFF000000u}));
    std::vector<u8> info = WriteLayerInfo(doc);
    info[0] = 0x7F; // 32513 layers announced
    ByteWriter w;
    std::vector<u8> bytes = Write(RgbDocument(4, 4));
    bytes.resize(26 + 4 + 4);
    w.Raw(bytes).U32(static_cast<u32>(info.size() + 8)).U32(static_cast<u32>(info.size())).Raw(info).U32(0);
    Loaded loaded = Load(w.bytes);
    EXPECT_EQ(loaded.status, PSD_ERR_BLEND_SIGNATURE);
}

TEST(PsdLayers, SixteenBitLayersComeFromTheLr16Block)
{
    Document doc = RgbDocument(4, 4);
    doc.depth = 16;
    doc.merged.assign(4 * 4 * 3 * 2, 0);
    doc.layersInLr16 = true;
    Layer layer;
    layer.name = "deep";
    layer.right = 2;
    layer.bottom = 1;
    layer.channels.push_back({0, {0xAB, 0xCD, 0x01, 0x02}, 2});
    layer.channels.push_back({1, {0x10, 0x00, 0x20, 0x00}, 2});
    layer.channels.push_back({2, {0x30, 0xFF, 0x40, 0xFF}, 3});
    doc.layers.push_back(layer);
    Loaded loaded = Load(doc);
    ASSERT_EQ(loaded.status, PSD_OK);
    ASSERT_EQ(loaded.doc->layerCount, 1);
    EXPECT_EQ(NameOf(loaded.doc->layerRecords[0]), "deep");
    EXPECT_EQ(loaded.doc->layerRecords[0].pixels, (std::vector<u32>{0xFFAB1030u, 0xFF012040u}));
}

TEST(PsdLayers, MoreThanTwentyAdjustmentBlocksAreReadButNotKept)
{
    Document doc = RgbDocument(4, 4);
    Layer layer = RgbLayer("inverted", 0, 0, 1, 1, {0xFF000000u});
    for (int i = 0; i < 25; ++i)
        layer.blocks.push_back(MakeBlock("nvrt", {}));
    // A block with a second reading after the table is full is still read whole.
    ByteWriter curves;
    curves.U8(0).U16(1).U32(1).U16(1).U16(5).U16(6).Tag("Crv ").U16(4).U32(1).U16(0).U16(1).U16(5).U16(6);
    layer.blocks.push_back(MakeBlock("curv", curves.bytes));
    layer.blocks.push_back(MakeBlock("lyid", Be32(5)));
    doc.layers.push_back(layer);
    Loaded loaded = Load(doc);
    ASSERT_EQ(loaded.status, PSD_OK);
    const PsdLayerRecord& r = loaded.doc->layerRecords[0];
    EXPECT_EQ(r.adjustmentCount, PsdLayerRecord::kMaxAdjustments);
    EXPECT_EQ(r.adjustments[19].kind, static_cast<u32>(PSD_ADJ_INVERT));
    EXPECT_EQ(r.layerType, 7u); // the curves block still sets its type
    EXPECT_TRUE(r.adjustmentLayer);
    EXPECT_EQ(r.layerId, 5u);
}

TEST(PsdLayers, GlobalMaskAndDocumentBlocksAfterTheLayers)
{
    Document doc = RgbDocument(4, 4);
    doc.layers.push_back(RgbLayer("one", 0, 0, 1, 1, {0xFF000000u}));
    ByteWriter mask;
    mask.Color(0, 0xFF00, 0x8000, 0x0000).U16(50).U8(1).Zeros(3);
    doc.globalMask = mask.bytes;
    doc.globalBlocks.push_back(MakeBlock("Txt2", std::vector<u8>(30, 1)));
    doc.globalBlocks.push_back(MakeBlock("Mt16", {}));
    Loaded loaded = Load(doc);
    ASSERT_EQ(loaded.status, PSD_OK);
    EXPECT_EQ(loaded.doc->globalMaskColor, 0xFFFF8000u);
    EXPECT_EQ(loaded.doc->globalMaskOpacity, 50);
    EXPECT_EQ(loaded.doc->globalMaskKind, 1);
}

} // namespace
