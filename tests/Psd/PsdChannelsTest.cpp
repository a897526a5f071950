// Channel decoding and the combiners of every colour mode and depth.
#include "Core/Psd/PsdReader.h"
#include "tests/Psd/PsdTestSupport.h"

using namespace psdtest;

namespace {

TEST(PsdPackBits, HeaderBytes)
{
    // Row 0: 128 is skipped, 255 repeats the next byte twice, 0 copies one byte,
    // 2 copies three. Row 1 starts at its own offset.
    ByteWriter w;
    w.U16(8).U16(2);
    w.U8(128).U8(255).U8(0x11).U8(0).U8(0x22).U8(2).U8(1).U8(2);
    w.U8(255).U8(0x33);
    std::vector<u8> out(12, 0xEE);
    DecodePsdPackBits(w.bytes.data(), static_cast<u32>(w.Size()), out.data(), 2, 6);
    // The literal run of three is cut at the data's end after two bytes; what the rows
    // do not fill is zero, whatever the buffer held.
    EXPECT_EQ(out, (std::vector<u8>{0x11, 0x11, 0x22, 1, 2, 0, 0x33, 0x33, 0, 0, 0, 0}));
}

TEST(PsdPackBits, OutputIsBoundedByTheRowAndThePlane)
{
    // A run of 128 in rows of 4 bytes: each row gets 4, the plane's end is never passed.
    ByteWriter w;
    w.U16(2).U16(2).U16(4);
    w.U8(129).U8(0xAA);
    w.U8(129).U8(0xBB);
    w.U8(127).U8(1).U8(2); // a literal run longer than the row data
    std::vector<u8> buffer(16, 0);
    DecodePsdPackBits(w.bytes.data(), static_cast<u32>(w.Size()), buffer.data(), 3, 4);
    EXPECT_EQ(buffer,
              (std::vector<u8>{0xAA, 0xAA, 0xAA, 0xAA, 0xBB, 0xBB, 0xBB, 0xBB, 1, 2, 0, 0, 0, 0, 0, 0}));

    // Row counts beyond the data and a table cut short decode nothing past the data.
    ByteWriter cut;
    cut.U16(0xFFFF).U16(0xFFFF);
    cut.U8(129);
    std::vector<u8> plane(8, 0xEE);
    DecodePsdPackBits(cut.bytes.data(), static_cast<u32>(cut.Size()), plane.data(), 2, 4);
    EXPECT_EQ(plane, std::vector<u8>(8, 0));
    plane.assign(8, 0xEE);
    DecodePsdPackBits(cut.bytes.data(), 3, plane.data(), 2, 4);
    EXPECT_EQ(plane, std::vector<u8>(8, 0));
}

// Images large enough to be decoded in bands of rows on several cores come out the
// same as their sources: run-length layers (one with its green channel given twice,
// zip first, so the later one wins), a zip layer and the merged image.
TEST(PsdPackBits, LargeImagesDecodeInBandsExactly)
{
    const u32 w = 700, h = 500;
    std::vector<u32> argb(size_t(w) * h), other(argb.size());
    for (size_t i = 0; i < argb.size(); ++i) {
        // Runs and literals both: a smooth gradient with noise in some rows.
        const u32 x = static_cast<u32>(i % w), y = static_cast<u32>(i / w);
        const u32 noise = (y % 7 == 3) ? u32(i * 2654435761u >> 24) : 0;
        argb[i] = (u32(x / 3 + noise) & 0xFF) << 24 | (u32(y / 2) & 0xFF) << 16 |
                  u32((x + y) / 5 & 0xFF) << 8 | noise;
        other[i] = argb[i] ^ 0x00FF00FFu;
    }
    Document doc = RgbDocument(w, h);
    doc.layers.push_back(RgbLayer("rle", 0, 0, w, h, argb, 1));
    Layer twice = RgbLayer("twice", 0, 0, w, h, argb, 1);
    twice.channels.insert(twice.channels.begin() + 2, {1, PlaneOf(other, 8), 2});
    doc.layers.push_back(twice);
    doc.layers.push_back(RgbLayer("zip", 0, 0, w, h, other, 2));
    doc.merged.clear();
    for (int shift : {16, 8, 0})
        for (u8 v : PlaneOf(argb, shift))
            doc.merged.push_back(v);
    doc.mergedCompression = 1;
    Loaded loaded = Load(doc);
    ASSERT_EQ(loaded.status, PSD_OK);
    const auto& r = loaded.doc->layerRecords;
    EXPECT_EQ(r[0].pixels, argb);
    EXPECT_EQ(r[1].pixels, argb);
    EXPECT_EQ(r[2].pixels, other);
    std::vector<u32> opaque(argb);
    for (u32& v : opaque)
        v |= 0xFF000000u;
    EXPECT_EQ(loaded.doc->mergedImage, opaque);
}

TEST(PsdPrediction, DeltasAreUndoneRowByRow)
{
    const std::vector<u8> eight = {10, 1, 1, 1, 200, 100, 0, 0};
    std::vector<u8> zipped = Zip(eight);
    std::vector<u8> out(8);
    ASSERT_EQ(InflatePsdPredicted(zipped.data(), static_cast<u32>(zipped.size()), out.data(), 8, 4, 8),
              PSD_OK);
    EXPECT_EQ(out, (std::vector<u8>{10, 11, 12, 13, 200, 44, 44, 44}));

    const std::vector<u8> sixteen = {0x00, 0xFF, 0x00, 0x01, 0xFF, 0xFF, 0x00, 0x02};
    zipped = Zip(sixteen);
    ASSERT_EQ(InflatePsdPredicted(zipped.data(), static_cast<u32>(zipped.size()), out.data(), 8, 2, 16),
              PSD_OK);
    EXPECT_EQ(out, (std::vector<u8>{0x00, 0xFF, 0x01, 0x00, 0xFF, 0xFF, 0x00, 0x01}));
}

TEST(PsdInflate, BrokenStreamsFail)
{
    std::vector<u8> out(64);
    const std::vector<u8> garbage = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(InflatePsdData(garbage.data(), 8, out.data(), 64), PSD_ERR_ZLIB);
    std::vector<u8> zipped = Zip(std::vector<u8>(64, 9));
    EXPECT_EQ(InflatePsdData(zipped.data(), static_cast<u32>(zipped.size()) / 2, out.data(), 64),
              PSD_ERR_ZLIB);
    // More data than the plane holds fills the plane and stops.
    zipped = Zip(std::vector<u8>(200, 9));
    EXPECT_EQ(InflatePsdData(zipped.data(), static_cast<u32>(zipped.size()), out.data(), 64), PSD_OK);
    EXPECT_EQ(out, std::vector<u8>(64, 9));
}

struct ModeCase {
    const char* what;
    u16 mode;
    u16 depth;
    std::vector<Channel> channels; // two pixels each
    std::vector<u32> expected;
    std::vector<Resource> resources = {};
    std::vector<u8> colorModeData = {};
};

Loaded LoadTwoPixelLayer(const ModeCase& c)
{
    Document doc;
    doc.mode = c.mode;
    doc.depth = c.depth;
    doc.width = 2;
    doc.height = 1;
    doc.channels = 1;
    doc.merged.assign(c.depth == 16 ? 4 : c.depth == 1 ? 1 : 2, 0);
    doc.resources = c.resources;
    doc.colorModeData = c.colorModeData;
    Layer layer;
    layer.name = c.what;
    layer.right = 2;
    layer.bottom = 1;
    layer.channels = c.channels;
    doc.layers.push_back(layer);
    return Load(doc);
}

TEST(PsdCombiners, EveryColourModeAndDepth)
{
    std::vector<u8> palette(768, 0);
    palette[5] = 0x12;       // red of entry 5
    palette[256 + 5] = 0x34; // green
    palette[512 + 5] = 0x56; // blue
    const std::vector<Resource> indexedCounts = {{1046, "", {0, 16}}, {1047, "", {0, 7}}};
    const ModeCase cases[] = {
        {"grey 8", 1, 8, {{0, {0x00, 0x9A}}}, {0xFF000000u, 0xFF9A9A9Au}},
        {"grey 8 with transparency",
         1,
         8,
         {{-1, {0x80, 0x00}}, {0, {0x40, 0xFF}}},
         {0x80404040u, 0x00FFFFFFu}},
        {"grey 16 takes the high byte", 1, 16, {{0, {0x12, 0x34, 0xFF, 0x01}}}, {0xFF121212u, 0xFFFFFFFFu}},
        {"duotone 8", 8, 8, {{0, {0x10, 0x20}}}, {0xFF101010u, 0xFF202020u}},
        {"rgb 8 opaque", 3, 8, {{0, {1, 2}}, {1, {3, 4}}, {2, {5, 6}}}, {0xFF010305u, 0xFF020406u}},
        {"rgb 8 with alpha 0x80",
         3,
         8,
         {{-1, {0x80, 0x80}}, {0, {1, 2}}, {1, {3, 4}}, {2, {5, 6}}},
         {0x80010305u, 0x80020406u}},
        {"rgb 16",
         3,
         16,
         {{0, {0xAA, 0, 0x11, 0}}, {1, {0xBB, 9, 0x22, 9}}, {2, {0xCC, 1, 0x33, 1}}},
         {0xFFAABBCCu, 0xFF112233u}},
        {"cmyk no ink and full black",
         4,
         8,
         {{0, {255, 255}}, {1, {255, 255}}, {2, {255, 255}}, {3, {255, 0}}},
         {0xFFFFFFFFu, 0xFF000000u}},
        {"cmyk 16 cyan",
         4,
         16,
         {{0, {0, 0, 0, 0}},
          {1, {255, 0, 255, 0}},
          {2, {255, 0, 255, 0}},
          {3, {255, 0, 255, 0}},
          {-1, {0x40, 0, 0x40, 0}}},
         {0x4001FFFFu, 0x4001FFFFu}},
        {"lab white and black",
         9,
         8,
         {{0, {255, 0}}, {1, {128, 128}}, {2, {128, 128}}},
         {LabToArgb(0xFF, 99, 0, 0), 0xFF000000u}},
        {"lab 16",
         9,
         16,
         {{0, {255, 0, 0, 0}}, {1, {128, 0, 128, 0}}, {2, {128, 0, 128, 0}}},
         {LabToArgb(0xFF, 99, 0, 0), 0xFF000000u}},
        {"multichannel with black plane",
         7,
         8,
         {{0, {255, 0}}, {1, {255, 0}}, {2, {255, 0}}, {-1, {0, 255}}},
         {0xFF000000u, 0xFF010101u}},
        {"multichannel without black",
         7,
         8,
         {{0, {255, 0}}, {1, {255, 0}}, {2, {255, 0}}},
         {0xFFFFFFFFu, 0xFF010101u}},
        {"indexed", 2, 8, {{0, {5, 7}}}, {0xFF123456u, 0x00FFFFFFu}, indexedCounts, palette},
        {"indexed without resource 1046", 2, 8, {{0, {5, 6}}}, {0x00FFFFFFu, 0x00FFFFFFu}, {}, palette},
        {"bitmap", 0, 1, {{0, {0x80}}}, {0xFF000000u, 0xFFFFFFFFu}},
        {"indexed 16 has no combiner", 2, 16, {{0, {5, 0, 5, 0}}}, {0, 0}, indexedCounts, palette},
    };
    for (const ModeCase& c : cases) {
        Loaded loaded = LoadTwoPixelLayer(c);
        ASSERT_EQ(loaded.status, PSD_OK) << c.what;
        EXPECT_EQ(loaded.doc->layerRecords[0].pixels, c.expected) << c.what;
    }
}

TEST(PsdCombiners, IndexBeyondAShortPaletteIsTransparent)
{
    // Resource 1046 claims 32767 colours; the palette has 10 entries.
    std::vector<u8> palette(30, 0x44);
    ModeCase c{"short palette", 2, 8, {{0, {9, 10}}}, {0xFF444444u, 0x00FFFFFFu}};
    c.resources = {{1046, "", {0x7F, 0xFF}}, {1047, "", {0xFF, 0xFF}}};
    c.colorModeData = palette;
    Loaded loaded = LoadTwoPixelLayer(c);
    ASSERT_EQ(loaded.status, PSD_OK);
    EXPECT_EQ(loaded.doc->layerRecords[0].pixels, c.expected);
}

TEST(PsdChannels, ShortChannelsLeaveZerosNotEarlierPixels)
{
    Document doc = RgbDocument(4, 4);
    // The first layer fills the scratch planes with 0xAA; the second has a raw channel
    // of one byte for four pixels, an empty channel and a channel too short to hold
    // its compression word.
    doc.layers.push_back(RgbLayer("full", 0, 0, 2, 2, std::vector<u32>(4, 0xAAAAAAAAu)));
    Layer shortLayer;
    shortLayer.name = "short";
    shortLayer.right = 2;
    shortLayer.bottom = 2;
    shortLayer.channels.push_back(Channel::Explicit(0, 0, {0x77}));
    shortLayer.channels.push_back(Channel::Explicit(1, 0, {}));
    shortLayer.channels.push_back(Channel::Explicit(2, 0, {}));
    doc.layers.push_back(shortLayer);
    std::vector<u8> bytes = Write(doc);
    Loaded loaded = Load(bytes);
    ASSERT_EQ(loaded.status, PSD_OK);
    EXPECT_EQ(loaded.doc->layerRecords[1].pixels,
              (std::vector<u32>{0xFF770000u, 0xFF000000u, 0xFF000000u, 0xFF000000u}));
}

TEST(PsdChannels, BrokenChannelDataFails)
{
    struct Case {
        const char* what;
        int compression;
        std::vector<u8> payload;
        int status;
    };
    const Case cases[] = {
        {"compression kind 4", 4, {1, 2, 3}, PSD_ERR_COMPRESSION},
        {"zip garbage", 2, {1, 2, 3, 4}, PSD_ERR_ZLIB},
        {"predicted zip garbage", 3, {0x78, 0x9C, 0xFF}, PSD_ERR_ZLIB},
    };
    for (const Case& c : cases) {
        Document doc = RgbDocument(4, 4);
        Layer layer;
        layer.right = 2;
        layer.bottom = 2;
        layer.channels.push_back(Channel::Explicit(0, c.compression, c.payload));
        doc.layers.push_back(layer);
        Loaded loaded = Load(doc);
        EXPECT_EQ(loaded.status, c.status) << c.what;
        EXPECT_EQ(loaded.doc, nullptr);
    }
}

TEST(PsdChannels, ChannelLongerThanTheFileIsShort)
{
    Document doc = RgbDocument(1, 1);
    doc.layers.push_back(RgbLayer("x", 0, 0, 2, 2, std::vector<u32>(4, 0xFF000000u)));
    std::vector<u8> bytes = Write(doc);
    const std::string text(bytes.begin(), bytes.end());
    // The first channel entry follows the rectangle and the channel count.
    const size_t info = 26 + 4 + 4 + 4 + 4 + 2;
    const size_t entry = info + 16 + 2;
    bytes[entry + 2] = 0x7F; // data length of channel -1 becomes about 2 GB
    Loaded loaded = Load(bytes);
    EXPECT_EQ(loaded.status, PSD_ERR_SHORT);
}

TEST(PsdChannels, LayersLargerThanTheirDataAreRefused)
{
    // 30000 x 30000 pixels from a few bytes, and a rectangle whose size overflows.
    const std::pair<i32, i32> extents[] = {{30000, 30000}, {0x7FFFFFFF, 0x7FFFFFFF}};
    for (const auto& [w, h] : extents) {
        Document doc = RgbDocument(1, 1);
        Layer layer;
        layer.right = w;
        layer.bottom = h;
        layer.channels.push_back(Channel::Explicit(0, 1, {0, 0}));
        doc.layers.push_back(layer);
        Loaded loaded = Load(doc);
        EXPECT_EQ(loaded.status, PSD_ERR_SHORT) << w;
    }
}

TEST(PsdChannels, ZeroSizeLayerHasNoPixels)
{
    Document doc = RgbDocument(2, 2);
    Layer empty;
    empty.name = "empty";
    empty.left = 5;
    empty.right = 5;
    empty.channels.push_back(Channel::Explicit(0, 0, {}));
    doc.layers.push_back(empty);
    doc.layers.push_back(RgbLayer("after", 0, 0, 1, 1, {0xFF010203u}));
    Loaded loaded = Load(doc);
    ASSERT_EQ(loaded.status, PSD_OK);
    EXPECT_TRUE(loaded.doc->layerRecords[0].pixels.empty());
    EXPECT_EQ(loaded.doc->layerRecords[0].pixels.data(), nullptr);
    EXPECT_EQ(loaded.doc->layerRecords[1].pixels, std::vector<u32>{0xFF010203u});
}

} // namespace
