// The merged image, the layer made from it, alpha channels and colour conversions.
#include "Core/Psd/PsdReader.h"
#include "tests/Psd/PsdTestSupport.h"

#include <cstdlib>

using namespace psdtest;

namespace {

TEST(PsdMerged, RgbPlanesInEveryCompression)
{
    for (int compression = 0; compression < 4; ++compression) {
        Document doc = RgbDocument(2, 1);
        doc.merged = {255, 0, 0, 255, 0, 0};
        doc.mergedCompression = compression;
        Loaded loaded = Load(doc);
        ASSERT_EQ(loaded.status, PSD_OK) << compression;
        EXPECT_EQ(loaded.doc->mergedImage, (std::vector<u32>{0xFFFF0000u, 0xFF00FF00u})) << compression;
    }
}

TEST(PsdMerged, ModesAndDepths)
{
    struct Case {
        const char* what;
        u16 mode, depth, channels;
        std::vector<u8> planes; // one pixel
        u32 expected;
    };
    const Case cases[] = {
        {"grey 16 at 0x8000", 1, 16, 1, {0x80, 0x00}, 0xFF808080u},
        {"grey with alpha", 1, 8, 2, {0x30, 0x70}, 0x70303030u},
        {"rgb 16 with alpha", 3, 16, 4, {1, 0, 2, 0, 3, 0, 4, 0}, 0x04010203u},
        {"cmyk no ink", 4, 8, 4, {255, 255, 255, 255}, 0xFFFFFFFFu},
        {"cmyk black", 4, 8, 4, {255, 255, 255, 0}, 0xFF000000u},
        {"cmyk with alpha", 4, 8, 5, {255, 255, 255, 255, 0x11}, 0x11FFFFFFu},
        {"multichannel k = 255", 7, 8, 3, {0, 0, 0}, 0xFF010101u},
        {"multichannel with black plane", 7, 8, 4, {255, 255, 255, 0}, 0xFF000000u},
        {"lab with alpha", 9, 8, 4, {0, 128, 128, 0x22}, 0x22000000u},
        {"bitmap", 0, 1, 1, {0x00}, 0xFFFFFFFFu},
    };
    for (const Case& c : cases) {
        Document doc;
        doc.mode = c.mode;
        doc.depth = c.depth;
        doc.channels = c.channels;
        doc.merged = c.planes;
        Loaded loaded = Load(doc);
        ASSERT_EQ(loaded.status, PSD_OK) << c.what;
        EXPECT_EQ(loaded.doc->mergedImage, std::vector<u32>{c.expected}) << c.what;
    }
}

TEST(PsdMerged, DocumentWithoutLayersGetsOneCoveringLayer)
{
    Document doc;
    doc.width = 3;
    doc.height = 2;
    doc.channels = 4;
    doc.merged.resize(24);
    for (size_t i = 0; i < 24; ++i)
        doc.merged[i] = static_cast<u8>(i * 10);
    doc.mergedCompression = 1;
    Loaded loaded = Load(doc);
    ASSERT_EQ(loaded.status, PSD_OK);
    ASSERT_EQ(loaded.doc->layerCount, 1);
    const PsdLayerRecord& r = loaded.doc->layerRecords[0];
    EXPECT_EQ(r.right, 3);
    EXPECT_EQ(r.bottom, 2);
    EXPECT_EQ(r.width, 3);
    EXPECT_EQ(r.height, 2);
    EXPECT_EQ(r.opacity, 255);
    EXPECT_TRUE(r.visible);
    EXPECT_EQ(r.sectionBlendMode, 23u);
    ASSERT_EQ(r.channels.size(), 4u);
    EXPECT_EQ(r.channels[2].id, 2);
    EXPECT_EQ(r.channels[3].id, -1);
    EXPECT_EQ(r.rangeArrays[1], std::vector<u16>(4, 65535));
    EXPECT_EQ(r.pixels, loaded.doc->mergedImage);
    EXPECT_EQ(loaded.doc->mergedImage[1], (u32(190) << 24) | (u32(10) << 16) | (u32(70) << 8) | 130u);
}

TEST(PsdMerged, AlphaChannelsFillTheTable)
{
    Document doc = RgbDocument(2, 1);
    doc.channels = 4;
    doc.merged = {1, 2, 3, 4, 5, 6, 0x33, 0x44};
    doc.resources.push_back({1006, "", {7, 'A', 'l', 'p', 'h', 'a', ' ', '1'}});
    ByteWriter unicode;
    unicode.U32(2).U16('a').U16(0x00E9);
    doc.resources.push_back({1045, "", unicode.bytes});
    doc.resources.push_back({1053, "", {0, 0, 0, 9}});
    Loaded loaded = Load(doc);
    ASSERT_EQ(loaded.status, PSD_OK);
    EXPECT_EQ(loaded.doc->colorChannelCount, 3);
    ASSERT_EQ(loaded.doc->alphaChannels.size(), 1u);
    const PsdAlphaChannelInfo& alpha = loaded.doc->alphaChannels[0];
    EXPECT_STREQ(alpha.name.data(), "Alpha 1");
    EXPECT_EQ(PsdUtf16ToWide(alpha.unicodeName), L"a\u00E9");
    EXPECT_EQ(alpha.identifier, 9u);
    EXPECT_EQ(alpha.pixels, (std::vector<u8>{0x33, 0x44}));
    // With 3 colour channels the fourth plane is not the merged alpha.
    EXPECT_EQ(loaded.doc->mergedImage, (std::vector<u32>{0xFF010305u, 0xFF020406u}));
}

TEST(PsdMerged, ShortRawDataLeavesZerosAndHugeImagesAreRefused)
{
    Document doc = RgbDocument(2, 2);
    doc.merged = {9, 9, 9};
    Loaded loaded = Load(doc);
    ASSERT_EQ(loaded.status, PSD_OK);
    EXPECT_EQ(loaded.doc->mergedImage,
              (std::vector<u32>{0xFF090000u, 0xFF090000u, 0xFF090000u, 0xFF000000u}));

    Document huge = RgbDocument(1, 1);
    huge.width = 60000;
    huge.height = 60000;
    EXPECT_EQ(Load(huge).status, PSD_ERR_SHORT);
    huge.width = 0xFFFFFFFF;
    huge.height = 0xFFFFFFFF;
    EXPECT_EQ(Load(huge).status, PSD_ERR_SHORT);
}

TEST(PsdMerged, UnknownCompressionFails)
{
    Document doc = RgbDocument(1, 1);
    doc.mergedCompression = 7;
    EXPECT_EQ(Load(doc).status, PSD_ERR_COMPRESSION);
}

TEST(PsdColors, Conversions)
{
    const u32 white = LabToArgb(0xFF, 100, 0, 0);
    for (int shift : {0, 8, 16})
        EXPECT_GE((white >> shift) & 0xFF, 254u);
    EXPECT_EQ(white >> 24, 0xFFu);
    EXPECT_EQ(LabToArgb(0x80, 100, 127, -128) & 0xFF00FF, 0xFF00FFu); // beyond sRGB: clamped
    EXPECT_EQ(LabToArgb(0x10, 0, 0, 0), 0x10000000u);
    EXPECT_EQ(XyzToArgb(0xFF, -50, -50, -50), 0xFF000000u);
    EXPECT_EQ(HsbToArgb(0, 1.0, 0.5), 0xFFFF0000u);
    EXPECT_EQ(HsbToArgb(240, 1.0, 0.5), 0xFF0000FFu);
    EXPECT_EQ(HsbToArgb(-240, 1.0, 0.5), 0xFF00FF00u);
    EXPECT_EQ(HsbToArgb(77, 0.0, 1.0), 0xFFFFFFFFu);
    EXPECT_EQ(CmykToArgb(0, 0, 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(CmykToArgb(1, 0, 0, 0), 0xFF00FFFFu);
    EXPECT_EQ(CmykToArgb(0, 0, 0, 1), 0xFF000000u);
    EXPECT_EQ(CmykToArgb(-3, 9, 0.5, 0), 0xFFFF007Fu);
}

TEST(PsdColors, ColourRecords)
{
    const struct {
        i16 space;
        u16 c[4];
        u32 expected;
    } cases[] = {
        {0, {0xFFFF, 0x8000, 0x0100, 0}, 0xFFFF8001u},
        {1, {0, 100, 50, 0}, 0xFF000000u}, // components keep their high byte: all 0
        {2, {0, 0, 0, 0}, 0xFFFFFFFFu},
        {3, {1, 2, 3, 4}, 0x00FFFFFFu},
        {8, {1, 2, 3, 4}, 0x00FFFFFFu},
        {-1, {1, 2, 3, 4}, 0x00FFFFFFu},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PsdColorRecordToArgb(c.space, c.c), c.expected) << c.space;
    }
}

} // namespace
