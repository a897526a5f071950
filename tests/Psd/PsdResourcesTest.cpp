// Image resources: the kept blocks, alpha-channel tables bounded by their blocks,
// and the JPEG thumbnail.
#include "Core/Psd/PsdReader.h"
#include "tests/Psd/PsdTestSupport.h"

#include <cstdio>
#include <jpeglib.h>

using namespace psdtest;

namespace {

std::vector<u8> EncodeJpeg(u32 w, u32 h, u8 r, u8 g, u8 b)
{
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = w;
    info.image_height = h;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<u8> row(size_t(w) * 3);
    for (u32 x = 0; x < w; ++x) {
        row[x * 3] = r;
        row[x * 3 + 1] = g;
        row[x * 3 + 2] = b;
    }
    while (info.next_scanline < h) {
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&info, &p, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<u8> bytes(out, out + size);
    jpeg_destroy_compress(&info);
    std::free(out);
    return bytes;
}

std::vector<u8> Thumbnail(u32 format, u32 w, u32 h, const std::vector<u8>& jpeg)
{
    ByteWriter t;
    t.U32(format).U32(w).U32(h).U32(w * 3).U32(w * h * 3).U32(static_cast<u32>(jpeg.size())).U16(24).U16(1);
    t.Raw(jpeg);
    return t.bytes;
}

TEST(PsdResources, KeptBlocksFillTheirFields)
{
    Document doc = RgbDocument(1, 1);
    ByteWriter resolution;
    resolution.U32(72 << 16).U16(1).U16(2).U32((300 << 16) + 0x8000).U16(1).U16(3);
    ByteWriter display;
    display.Color(0, 0xFF00, 0x0000, 0x8000).U16(100).U8(1).U8(0);
    ByteWriter version;
    version.U32(1).U8(1).U32(2).U16('P').U16('S').U32(1).U16('X').U32(1);
    doc.resources = {
        {1005, "", resolution.bytes},
        {1007, "", display.bytes},
        {1008, "", {5, 'h', 'e', 'l', 'l', 'o'}},
        {1024, "", {0, 3}},
        {1026, "", {0, 1, 0, 2, 0, 1}},
        {1034, "", {0, 1}},
        {1037, "", {0, 0, 0, 90}},
        {1042, "", {0, 1}},
        {1049, "", {0xFF, 0xFF, 0xFF, 0xF6}},
        {1057, "", version.bytes},
        {4000, "plug-in", std::vector<u8>(11, 0xEE)},
    };
    Loaded loaded = Load(doc);
    ASSERT_EQ(loaded.status, PSD_OK);
    const PsdContext& ctx = *loaded.doc;
    EXPECT_TRUE(ctx.resolutionPresent);
    EXPECT_FLOAT_EQ(ctx.horizontalResolution, 72.0f);
    EXPECT_FLOAT_EQ(ctx.verticalResolution, 300.5f);
    EXPECT_EQ(ctx.widthUnit, 2);
    EXPECT_EQ(ctx.heightUnit, 3);
    EXPECT_TRUE(ctx.displayInfoPresent);
    EXPECT_EQ(ctx.displayColor, 0xFFFF0080u);
    EXPECT_EQ(ctx.displayOpacity, 100);
    EXPECT_STREQ(ctx.caption.data(), "hello");
    EXPECT_EQ(ctx.targetLayer, 3);
    EXPECT_EQ(ctx.layerGroupIds, (std::vector<u16>{1, 2, 1}));
    EXPECT_EQ(ctx.copyright, 1);
    EXPECT_EQ(ctx.globalAngle, 90);
    EXPECT_EQ(ctx.globalAltitude, -10);
    EXPECT_EQ(ctx.effectsVisible, 1);
    EXPECT_TRUE(ctx.versionInfoPresent);
    EXPECT_TRUE(ctx.hasRealMergedData);
    EXPECT_EQ(PsdUtf16ToWide(ctx.writerName), L"PS");
    EXPECT_EQ(PsdUtf16ToWide(ctx.readerName), L"X");
    EXPECT_EQ(ctx.fileVersion, 1u);
}

TEST(PsdResources, EmptySectionSetsNoDefaults)
{
    Loaded loaded = Load(RgbDocument(1, 1));
    ASSERT_EQ(loaded.status, PSD_OK);
    EXPECT_EQ(loaded.doc->globalAngle, 0);
    EXPECT_EQ(loaded.doc->globalAltitude, 0);

    Document doc = RgbDocument(1, 1);
    doc.resources.push_back({1024, "", {0, 1}});
    loaded = Load(doc);
    ASSERT_EQ(loaded.status, PSD_OK);
    EXPECT_EQ(loaded.doc->globalAngle, 30);
    EXPECT_EQ(loaded.doc->globalAltitude, 30);
}

TEST(PsdResources, NamesAndOddSizesArePadded)
{
    // Names of length 0, 1 and 2, a block of odd size 3: the block after each reads right.
    Document doc = RgbDocument(1, 1);
    doc.resources = {
        {1046, "", {0, 1}}, {4001, "a", {1, 2, 3}},      {1047, "ab", {0, 2}},
        {4002, "", {9}},    {1037, "xyz", {0, 0, 0, 7}},
    };
    Loaded loaded = Load(doc);
    ASSERT_EQ(loaded.status, PSD_OK);
    EXPECT_EQ(loaded.doc->indexedColorCount, 1);
    EXPECT_EQ(loaded.doc->transparencyIndex, 2);
    EXPECT_EQ(loaded.doc->globalAngle, 7);
}

TEST(PsdResources, AlphaTablesAreBoundedByTheirBlocks)
{
    // 1045 with an entry claiming more characters than the block holds counts only the
    // whole entries; 1053 with fewer identifiers than table entries reads only those.
    Document doc = RgbDocument(1, 1);
    doc.channels = 5;
    doc.merged.assign(5, 0);
    ByteWriter unicode;
    unicode.U32(1).U16('x').U32(1).U16('y').U32(0x10000000).U16('z');
    doc.resources = {{1045, "", unicode.bytes}, {1053, "", {0, 0, 0, 4}}};
    Loaded loaded = Load(doc);
    ASSERT_EQ(loaded.status, PSD_OK);
    ASSERT_EQ(loaded.doc->alphaChannels.size(), 2u);
    EXPECT_EQ(loaded.doc->colorChannelCount, 3);
    EXPECT_EQ(PsdUtf16ToWide(loaded.doc->alphaChannels[1].unicodeName), L"y");
    EXPECT_EQ(loaded.doc->alphaChannels[0].identifier, 4u);
    EXPECT_EQ(loaded.doc->alphaChannels[1].identifier, 0u);

    // More alpha names than channels cannot make the colour count negative.
    Document many = RgbDocument(1, 1);
    many.channels = 1;
    many.merged.assign(1, 0);
    many.resources = {{1006, "", {1, 'a', 1, 'b', 1, 'c', 1, 'd'}}};
    loaded = Load(many);
    ASSERT_EQ(loaded.status, PSD_OK);
    EXPECT_EQ(loaded.doc->colorChannelCount, 0);
}

TEST(PsdResources, FirstAlphaTableWinsAndLaterBlocksAddNames)
{
    Document doc = RgbDocument(1, 1);
    doc.channels = 5;
    doc.merged.assign(5, 0);
    ByteWriter unicode;
    unicode.U32(2).U16('u').U16('1');
    doc.resources = {{1006, "", {2, 'n', '1', 2, 'n', '2'}}, {1045, "", unicode.bytes}};
    Loaded loaded = Load(doc);
    ASSERT_EQ(loaded.status, PSD_OK);
    ASSERT_EQ(loaded.doc->alphaChannels.size(), 2u);
    EXPECT_STREQ(loaded.doc->alphaChannels[1].name.data(), "n2");
    EXPECT_EQ(PsdUtf16ToWide(loaded.doc->alphaChannels[0].unicodeName), L"u1");
    EXPECT_TRUE(loaded.doc->alphaChannels[1].unicodeName.empty());
}

TEST(PsdResources, JpegThumbnailIsDecoded)
{
    Document doc = RgbDocument(1, 1);
    doc.resources = {{1036, "", Thumbnail(1, 16, 8, EncodeJpeg(16, 8, 200, 40, 90))}};
    Loaded loaded = Load(doc);
    ASSERT_EQ(loaded.status, PSD_OK);
    EXPECT_TRUE(loaded.doc->thumbnailPresent);
    EXPECT_EQ(loaded.doc->thumbnailPixelWidth, 16u);
    EXPECT_EQ(loaded.doc->thumbnailPixelHeight, 8u);
    ASSERT_EQ(loaded.doc->thumbnailPixels.size(), 128u);
    for (u32 p : loaded.doc->thumbnailPixels) {
        EXPECT_EQ(p >> 24, 0xFFu);
        EXPECT_NEAR(int((p >> 16) & 0xFF), 200, 4);
        EXPECT_NEAR(int((p >> 8) & 0xFF), 40, 4);
        EXPECT_NEAR(int(p & 0xFF), 90, 4);
    }
}

TEST(PsdResources, RawThumbnailIsSkippedAndBrokenJpegFails)
{
    Document doc = RgbDocument(1, 1);
    doc.resources = {{1033, "", Thumbnail(0, 2, 2, std::vector<u8>(12, 7))}, {1037, "", {0, 0, 0, 5}}};
    Loaded loaded = Load(doc);
    ASSERT_EQ(loaded.status, PSD_OK);
    EXPECT_TRUE(loaded.doc->thumbnailPresent);
    EXPECT_TRUE(loaded.doc->thumbnailPixels.empty());
    EXPECT_EQ(loaded.doc->globalAngle, 5);

    // Not a JPEG at all, and a JPEG whose frame header has a bogus length.
    doc.resources = {{1036, "", Thumbnail(1, 8, 8, std::vector<u8>(64, 0x5A))}};
    EXPECT_EQ(Load(doc).status, PSD_ERR_THUMBNAIL);
    doc.resources = {{1036, "", Thumbnail(1, 8, 8, {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x02, 0, 0, 0, 0})}};
    EXPECT_EQ(Load(doc).status, PSD_ERR_THUMBNAIL);
    doc.resources = {{1036, "", Thumbnail(1, 8, 8, {})}};
    EXPECT_EQ(Load(doc).status, PSD_ERR_THUMBNAIL);
}

} // namespace
