// Image decoders: DDS read by the engine, the DevIL formats, raw layer pixels, the
// loader's choice by extension, and the opacity masks they fill.
#include "Core/Base/ImageInfo.h"
#include "Core/Base/MemoryStream.h"
#include "Core/Base/StringEncoding.h"
#include "Core/Render/AlphaMask.h"
#include "Core/Render/ImageDataDDS.h"
#include "Core/Render/ImageDataDevil.h"
#include "Core/Render/ImageDataRaw.h"
#include "Core/Render/ImageLoader.h"
#include "tests/Render/ImageTestSupport.h"
#include "tests/Support/LogCapture.h"
#include <gtest/gtest.h>

using imgtest::Argb;
using imgtest::Decoded;

namespace {

struct LoadResult {
    std::unique_ptr<base::MemoryStream> stream;
    std::unique_ptr<render::ImageData> data;
};

// Loads through the loader; data is null when it gave no decoder.
LoadResult LoadBytes(const std::vector<u8>& bytes, const wchar_t* extension,
                     const base::ImageInfo* info = nullptr)
{
    LoadResult r;
    r.stream = std::make_unique<base::MemoryStream>(bytes.data(), u32(bytes.size()));
    r.data.reset(render::ImageLoader::Instance()->CreateImageData(r.stream.get(), extension, info));
    return r;
}

// Decodes an uncompressed result fully.
bool DecodeArgb(const std::vector<u8>& bytes, const wchar_t* extension, Decoded& out)
{
    LoadResult r = LoadBytes(bytes, extension);
    if (!r.data)
        return false;
    imgtest::CopyInto(*r.data, out, r.data->GetWidth() * 4, r.data->GetHeight());
    return out.copy == GE_OK;
}

// An 8 x 4 picture: every texel different, left half half-transparent, right half opaque.
std::vector<u32> TestPicture()
{
    std::vector<u32> p;
    for (u32 y = 0; y < 4; ++y)
        for (u32 x = 0; x < 8; ++x)
            p.push_back(Argb(x < 4 ? 0x80 : 0xFF, x * 30, y * 60, 200));
    return p;
}

} // namespace

TEST(AlphaMask, BitsAreLeastSignificantFirstAndBounded)
{
    render::AlphaMask mask;
    mask.Resize(10);
    ASSERT_EQ(mask.GetCount(), 10u);
    for (u32 i = 0; i < 10; ++i)
        EXPECT_FALSE(mask.Get(i)) << i;
    mask.Set(0, true);
    mask.Set(9, true);
    mask.Set(10, true); // past the end: ignored
    EXPECT_EQ(mask.GetData()[0], 0x01);
    EXPECT_EQ(mask.GetData()[1], 0x02);
    EXPECT_FALSE(mask.Get(10));
    mask.Set(0, false);
    EXPECT_FALSE(mask.Get(0));
    mask.Resize(0);
    EXPECT_EQ(mask.GetCount(), 0u);
    EXPECT_EQ(mask.GetData(), nullptr);
}

TEST(AlphaMask, RowsFromAlphaBytesLeaveTheBitsAroundThem)
{
    // Alpha bytes 4 apart (texels); a run that starts and ends inside a byte, one
    // that covers whole bytes, one cut at the mask's end, one past it, and one with
    // every texel reading the same byte.
    const struct {
        u32 first, count, stride;
    } cases[] = {{3, 2, 4}, {5, 21, 4}, {8, 16, 4}, {0, 37, 4}, {30, 20, 4}, {37, 5, 4}, {2, 19, 0}};
    std::vector<u8> alpha(64 * 4);
    for (size_t i = 0; i < alpha.size(); ++i)
        alpha[i] = static_cast<u8>(i * 37 % 251);
    for (const bool around : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::to_string(c.first) + "+" + std::to_string(c.count) + " around " +
                         std::to_string(around));
            render::AlphaMask mask;
            mask.Resize(37);
            for (u32 i = 0; i < 37; ++i)
                mask.Set(i, around);
            mask.SetFromAlpha(c.first, alpha.data() + 3, c.stride, c.count, 100);
            for (u32 i = 0; i < 37; ++i) {
                const bool inside = i >= c.first && i < c.first + c.count;
                const bool expected = inside ? alpha[3 + size_t(i - c.first) * c.stride] >= 100 : around;
                EXPECT_EQ(mask.Get(i), expected) << i;
            }
        }
    }
}

TEST(ImageMasks, RowsThatStartInsideAByteKeepEveryTexelsBit)
{
    // 13 texels a row: rows 1 and 2 start at bits 5 and 2 of a mask byte.
    const u32 w = 13, h = 3;
    std::vector<u32> picture;
    for (u32 i = 0; i < w * h; ++i)
        picture.push_back(Argb(i * 89 % 256, i, 2 * i, 3 * i));
    imgtest::TempDir dir;
    for (const char* kind : {"raw", "dds", "png"}) {
        SCOPED_TRACE(kind);
        const std::string k = kind;
        if (k == "png" && !imgtest::ConvertTool())
            continue;
        Decoded d;
        u32 opaqueFrom = 0;
        if (k == "raw") {
            base::ImageInfo info(L"layer", 0, 0, int(w), int(h), 255, 0, true, true, 1.0f);
            LoadResult r = LoadBytes(imgtest::BgraBytes(picture), L"", &info);
            ASSERT_NE(r.data, nullptr);
            imgtest::CopyInto(*r.data, d, w * 4, h);
            opaqueFrom = render::ImageDataRaw::kOpaqueFrom;
        } else if (k == "dds") {
            ASSERT_TRUE(DecodeArgb(imgtest::MakeDds(w, h, 0, 0x41, nullptr, 32, imgtest::BgraBytes(picture)),
                                   L".dds", d));
            opaqueFrom = render::ImageDataDDS::kOpaqueAbove + 1;
        } else {
            const auto png = dir.path / "odd.png";
            ASSERT_TRUE(imgtest::WriteWithImageMagick(dir.path, int(w), int(h), picture, "", png));
            ASSERT_TRUE(DecodeArgb(imgtest::ReadFile(png), L".png", d));
            opaqueFrom = render::ImageDataDevil::kOpaqueFrom;
        }
        ASSERT_EQ(d.copy, GE_OK);
        for (u32 y = 0; y < h; ++y)
            for (u32 x = 0; x < w; ++x) {
                const u32 texel = picture[y * w + x];
                EXPECT_EQ(d.Pixel(int(x), int(y)), texel) << x << "," << y;
                EXPECT_EQ(d.Opaque(int(x), int(y)), (texel >> 24) >= opaqueFrom) << x << "," << y;
            }
    }
}

TEST(ImageLoader, ChoosesByTheFirstFourLowerCaseUnits)
{
    using K = render::ImageLoader::Kind;
    const struct {
        const wchar_t* extension;
        K kind;
    } cases[] = {
        {L".dds", K::Dds},   {L".bmp", K::Devil}, {L".gif", K::Devil},  {L".jpg", K::Devil},
        {L".png", K::Devil}, {L".tga", K::Devil}, {L".pngx", K::Devil}, {L".ddsfoo", K::Dds},
        {L".Png", K::None},  {L".DDS", K::None},  {L".jpeg", K::None},  {L".pn", K::None},
        {L"", K::None},      {nullptr, K::None},  {L"png", K::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(render::ImageLoader::KindForExtension(c.extension), c.kind)
            << (c.extension ? std::string(c.extension, c.extension + wcslen(c.extension)) : "null");
}

TEST(ImageLoader, UnknownExtensionLoadsNothingAndFailedDecodeGivesNoDecoder)
{
    const std::vector<u8> garbage(64, 0x42);
    LoadResult unknown = LoadBytes(garbage, L".Png");
    EXPECT_EQ(unknown.data, nullptr);
    EXPECT_EQ(unknown.stream->Position(), 0u) << "nothing may be read for an unknown extension";

    LogCapture log;
    EXPECT_EQ(LoadBytes(garbage, L".dds").data, nullptr);
    EXPECT_EQ(LoadBytes(garbage, L".png").data, nullptr);
    EXPECT_EQ(log.Lines(), 2) << "one line per failed decode";
}

// Files written by ImageMagick from known pixels decode to those pixels.
class ImageMagickFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!imgtest::ConvertTool())
            GTEST_SKIP() << "ImageMagick's convert is not installed";
    }
    std::vector<u8> Write(const std::vector<u32>& pixels, int w, int h, const std::string& options,
                          const std::string& file)
    {
        const auto target = dir.path / file;
        EXPECT_TRUE(imgtest::WriteWithImageMagick(dir.path, w, h, pixels, options, target)) << file;
        return imgtest::ReadFile(target);
    }
    imgtest::TempDir dir;
};

TEST_F(ImageMagickFiles, LosslessFormatsGiveTheirPixelsUpright)
{
    const std::vector<u32> picture = TestPicture();
    const struct {
        const char* file;
        const char* options;
        const wchar_t* extension;
        bool bottomUp; // as ImageMagick stores it
        bool alpha;    // the format keeps alpha (else it reads as 255)
    } cases[] = {
        {"a.png", "", L".png", false, true},
        // A longer extension that starts with .png is decoded as PNG.
        {"b.png", "", L".pngx", false, true},
        // ImageMagick's TGA writer stores the rows top-down while its header says
        // bottom-up (Pillow and DevIL agree on that), so this one comes from Pillow.
        {"a.tga", "pil", L".tga", true, true},
        // Version 3 BMPs are 24-bit; ImageMagick's default version 5 header carries
        // alpha in 32-bit bit fields, or a palette or 24-bit texels without alpha.
        {"a.bmp", "-define bmp:format=bmp3", L".bmp", true, false},
        {"r.bmp", "-define bmp:format=bmp3 -type Palette -compress RLE", L".bmp", true, false},
        {"v5.bmp", "", L".bmp", true, true},
        {"v5_24.bmp", "-alpha off", L".bmp", true, false},
        {"v5_8.bmp", "-alpha off -type Palette", L".bmp", true, false},
        {"v4.bmp", "-define bmp:format=bmp4", L".bmp", true, true},
        {"a.dds", "-define dds:compression=none -define dds:mipmaps=0", L".dds", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::vector<u8> bytes;
        if (std::string(c.options) == "pil") {
            if (!imgtest::PilPython())
                continue;
            ASSERT_TRUE(imgtest::WriteWithPil(dir.path, 8, 4, picture, dir.path / c.file));
            bytes = imgtest::ReadFile(dir.path / c.file);
        } else {
            bytes = Write(picture, 8, 4, c.options, c.file);
        }
        ASSERT_FALSE(bytes.empty());
        LoadResult r = LoadBytes(bytes, c.extension);
        ASSERT_NE(r.data, nullptr);
        EXPECT_EQ(r.data->GetWidth(), 8);
        EXPECT_EQ(r.data->GetHeight(), 4);
        EXPECT_EQ(r.data->GetBytesPerPixel(), 4);
        EXPECT_EQ(r.data->GetLevelCount(), 1u);
        EXPECT_EQ(r.data->GetCompression(), 0u);
        if (auto* devil = dynamic_cast<render::ImageDataDevil*>(r.data.get())) {
            EXPECT_EQ(devil->IsLowerLeft(), c.bottomUp);
        }
        Decoded d;
        imgtest::CopyInto(*r.data, d, 32, 4);
        ASSERT_EQ(d.copy, GE_OK);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 8; ++x) {
                const u32 expected = c.alpha ? picture[y * 8 + x] : picture[y * 8 + x] | 0xFF000000u;
                EXPECT_EQ(d.Pixel(x, y), expected) << x << "," << y;
                // Alpha 0x80 is opaque for every decoder's threshold.
                EXPECT_TRUE(d.Opaque(x, y));
            }
            for (int pad = 32; pad < d.pitch; ++pad)
                EXPECT_EQ(d.bits[size_t(y) * d.pitch + pad], imgtest::kPadding) << "row padding written";
        }
    }
}

TEST_F(ImageMagickFiles, GifKeepsColoursAndBinaryTransparency)
{
    std::vector<u32> picture = TestPicture();
    for (int i = 0; i < 32; ++i)
        if (i % 8 < 4)
            picture[i] = 0; // fully transparent left half
    LoadResult r = LoadBytes(Write(picture, 8, 4, "", "a.gif"), L".gif");
    ASSERT_NE(r.data, nullptr);
    Decoded d;
    imgtest::CopyInto(*r.data, d, 32, 4);
    ASSERT_EQ(d.copy, GE_OK);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 8; ++x) {
            if (x < 4) {
                EXPECT_EQ(d.Pixel(x, y) >> 24, 0u);
                EXPECT_FALSE(d.Opaque(x, y));
            } else {
                EXPECT_EQ(d.Pixel(x, y), picture[y * 8 + x]) << x << "," << y;
                EXPECT_TRUE(d.Opaque(x, y));
            }
        }
    }
}

// A GIF of `w` x `h` pixels with a global table of `colours` (none when empty) and,
// when `local` is not empty, a local table on its frame. The LZW data is a clear
// code and one 9-bit literal per pixel (fewer than 254 pixels keep codes 9 bits wide).
std::vector<u8> MakeGif(int w, int h, const std::vector<u8>& pixels, const std::vector<u32>& colours,
                        const std::vector<u32>& local = {})
{
    auto tableBits = [](size_t entries) {
        int bits = 0;
        while ((2u << bits) < entries)
            ++bits;
        return bits;
    };
    auto table = [&](std::vector<u8>& out, const std::vector<u32>& rgb) {
        for (size_t i = 0; i < (2u << tableBits(rgb.size())); ++i) {
            const u32 c = i < rgb.size() ? rgb[i] : 0;
            out.insert(out.end(), {u8(c >> 16), u8(c >> 8), u8(c)});
        }
    };
    std::vector<u8> out = {'G', 'I', 'F', '8', '9', 'a', u8(w), u8(w >> 8), u8(h), u8(h >> 8)};
    out.push_back(colours.empty() ? 0 : u8(0x80 | 0x70 | tableBits(colours.size())));
    out.insert(out.end(), {0, 0});
    if (!colours.empty())
        table(out, colours);
    out.insert(out.end(), {0x2C, 0, 0, 0, 0, u8(w), u8(w >> 8), u8(h), u8(h >> 8)});
    out.push_back(local.empty() ? 0 : u8(0x80 | tableBits(local.size())));
    if (!local.empty())
        table(out, local);
    out.push_back(8);
    std::vector<u8> codes;
    u32 bits = 0, fill = 0;
    auto put = [&](u32 code) {
        bits |= code << fill;
        fill += 9;
        while (fill >= 8) {
            codes.push_back(u8(bits));
            bits >>= 8;
            fill -= 8;
        }
    };
    put(256);
    for (u8 pixel : pixels)
        put(pixel);
    put(257);
    if (fill)
        codes.push_back(u8(bits));
    for (size_t at = 0; at < codes.size(); at += 255) {
        const size_t n = std::min<size_t>(255, codes.size() - at);
        out.push_back(u8(n));
        out.insert(out.end(), codes.begin() + at, codes.begin() + at + n);
    }
    out.insert(out.end(), {0, 0x3B});
    return out;
}

// Pixel values beyond a short colour table read the padding the decoder puts after
// the table (black), never memory past it: many decodes in one process, as only a
// long run shows reads of whatever the heap holds there.
TEST(ImageDataDevil, GifPixelsBeyondTheirColourTableAreBlack)
{
    const std::vector<u8> pixels = {0, 1, 255, 2, 255, 0, 1, 3};
    const u32 red = Argb(255, 255, 0, 0), green = Argb(255, 0, 255, 0), black = Argb(255, 0, 0, 0);
    const struct {
        const char* what;
        std::vector<u8> file;
        std::vector<u32> expected;
    } cases[] = {
        {"two global entries",
         MakeGif(4, 2, pixels, {0xFF0000, 0x00FF00}),
         {red, green, black, black, black, red, green, black}},
        {"four local entries, no global table",
         MakeGif(4, 2, pixels, {}, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}),
         {red, green, black, Argb(255, 0, 0, 255), black, red, green, Argb(255, 255, 255, 255)}},
    };
    for (const auto& c : cases) {
        for (int run = 0; run < 500; ++run) {
            Decoded d;
            LogCapture log;
            ASSERT_TRUE(DecodeArgb(c.file, L".gif", d)) << c.what << ": " << ConvertToNarrow(log.text);
            ASSERT_EQ(d.width, 4);
            for (int i = 0; i < 8; ++i)
                ASSERT_EQ(d.Pixel(i % 4, i / 4), c.expected[size_t(i)])
                    << c.what << ", pixel " << i << ", run " << run;
        }
    }
}

TEST_F(ImageMagickFiles, JpegGivesOpaqueNearlyExactColours)
{
    // Four flat 8 x 8 quadrants, so that compression keeps their centres close.
    const u32 colours[4] = {Argb(255, 220, 30, 30), Argb(255, 30, 200, 40), Argb(255, 20, 40, 210),
                            Argb(255, 240, 240, 240)};
    std::vector<u32> picture;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            picture.push_back(colours[(y / 8) * 2 + x / 8]);
    LoadResult r = LoadBytes(Write(picture, 16, 16, "-quality 95", "a.jpg"), L".jpg");
    ASSERT_NE(r.data, nullptr);
    Decoded d;
    imgtest::CopyInto(*r.data, d, 64, 16);
    ASSERT_EQ(d.copy, GE_OK);
    for (int q = 0; q < 4; ++q) {
        const int x = (q % 2) * 8 + 4, y = (q / 2) * 8 + 4;
        const u32 got = d.Pixel(x, y);
        EXPECT_EQ(got >> 24, 255u);
        for (int shift : {0, 8, 16})
            EXPECT_NEAR(int((got >> shift) & 255), int((colours[q] >> shift) & 255), 12) << "quadrant " << q;
        EXPECT_TRUE(d.Opaque(x, y));
    }
}

TEST_F(ImageMagickFiles, DxtFilesKeepTheirBlocksAndMaskTheirAlpha)
{
    // Left half alpha 0, right half opaque: DXT5 keeps it, ImageMagick's DXT1 drops it.
    std::vector<u32> picture;
    for (u32 y = 0; y < 4; ++y)
        for (u32 x = 0; x < 8; ++x)
            picture.push_back(Argb(x < 4 ? 0 : 255, x * 30, y * 60, 200));
    const struct {
        const char* compression;
        u32 kind;
        u32 blockSize;
        bool leftOpaque;
    } cases[] = {{"dxt1", 1, 8, true}, {"dxt5", 3, 16, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.compression);
        const std::vector<u8> bytes = Write(
            picture, 8, 4, std::string("-define dds:compression=") + c.compression + " -define dds:mipmaps=0",
            std::string("a_") + c.compression + ".dds");
        LoadResult r = LoadBytes(bytes, L".dds");
        ASSERT_NE(r.data, nullptr);
        EXPECT_EQ(r.data->GetCompression(), c.kind);
        Decoded d;
        // One row of two blocks.
        imgtest::CopyInto(*r.data, d, 2 * c.blockSize, 1);
        ASSERT_EQ(d.copy, GE_OK);
        EXPECT_EQ(0, std::memcmp(d.bits.data(), bytes.data() + 128, 2 * c.blockSize)) << "blocks as stored";
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x)
                EXPECT_EQ(d.Opaque(x, y), x >= 4 || c.leftOpaque) << x << "," << y;
    }
}

// Each decoder's opacity threshold: DDS alpha > 10, DevIL alpha >= 50, raw alpha >= 10.
TEST(ImageMasks, ThresholdsOfEachDecoder)
{
    const struct {
        const char* decoder;
        u32 alpha;
        bool opaque;
    } cases[] = {
        {"dds", 10, false},   {"dds", 11, true},   {"dds", 0, false},   {"dds", 255, true},
        {"devil", 49, false}, {"devil", 50, true}, {"devil", 0, false}, {"devil", 255, true},
        {"raw", 9, false},    {"raw", 10, true},   {"raw", 255, true},
    };
    imgtest::TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.decoder) + " alpha " + std::to_string(c.alpha));
        const u32 texel = Argb(c.alpha, 10, 20, 30);
        Decoded d;
        const std::string kind = c.decoder;
        if (kind == "dds") {
            ASSERT_TRUE(DecodeArgb(imgtest::MakeDds(1, 1, 0, 0x41, nullptr, 32, imgtest::BgraBytes({texel})),
                                   L".dds", d));
        } else if (kind == "devil") {
            if (!imgtest::ConvertTool())
                GTEST_SKIP() << "ImageMagick's convert is not installed";
            const auto png = dir.path / "t.png";
            ASSERT_TRUE(imgtest::WriteWithImageMagick(dir.path, 1, 1, {texel}, "", png));
            ASSERT_TRUE(DecodeArgb(imgtest::ReadFile(png), L".png", d));
        } else {
            base::ImageInfo info(L"layer", 0, 0, 1, 1, 255, 0, true, true, 1.0f);
            const std::vector<u8> words = imgtest::BgraBytes({texel});
            LoadResult r = LoadBytes(words, L"", &info);
            ASSERT_NE(r.data, nullptr);
            imgtest::CopyInto(*r.data, d, 4, 1);
            ASSERT_EQ(d.copy, GE_OK);
        }
        EXPECT_EQ(d.Pixel(0, 0), texel);
        EXPECT_EQ(d.Opaque(0, 0), c.opaque);
    }
}

TEST(ImageDataDDS, HeaderFieldsAndUncompressedLayout)
{
    const std::vector<u32> texels = {Argb(255, 1, 2, 3), Argb(0, 4, 5, 6), Argb(200, 7, 8, 9),
                                     Argb(11, 10, 11, 12)};
    // 32 bits without masks: the classic B, G, R, A texels.
    std::vector<u8> bytes = imgtest::MakeDds(2, 2, 0, 0x41, nullptr, 32, imgtest::BgraBytes(texels));
    LoadResult r = LoadBytes(bytes, L".dds");
    ASSERT_NE(r.data, nullptr);
    EXPECT_EQ(r.data->GetLevelCount(), 1u) << "a mip count of 0 counts as 1";
    EXPECT_EQ(r.data->GetDataSize(), 16u);
    Decoded d;
    imgtest::CopyInto(*r.data, d, 8, 2);
    ASSERT_EQ(d.copy, GE_OK);
    EXPECT_EQ(d.Pixel(0, 0), texels[0]);
    EXPECT_EQ(d.Pixel(1, 0), texels[1]);
    EXPECT_EQ(d.Pixel(0, 1), texels[2]);
    EXPECT_EQ(d.Pixel(1, 1), texels[3]);
    EXPECT_EQ(d.bits[8], imgtest::kPadding) << "the pitch is honoured";

    // Stored mip levels: the header's count is kept (capped at a full chain) and only
    // the top level is copied.
    std::vector<u8> withMips = imgtest::BgraBytes(texels);
    withMips.insert(withMips.end(), {1, 2, 3, 4});
    for (u32 mips : {2u, 1000u}) {
        LoadResult m = LoadBytes(imgtest::MakeDds(2, 2, mips, 0x41, nullptr, 32, withMips), L".dds");
        ASSERT_NE(m.data, nullptr);
        EXPECT_EQ(m.data->GetLevelCount(), 2u);
        Decoded md;
        imgtest::CopyInto(*m.data, md, 8, 2, 0);
        EXPECT_EQ(md.copy, GE_OK);
        EXPECT_EQ(md.bits, imgtest::BgraBytes(texels));
    }
}

// Uncompressed texels are laid out by the pixel format's bit count and masks.
TEST(ImageDataDDS, UncompressedLayoutsFollowTheirMasks)
{
    struct Layout {
        const char* what;
        u32 flags, bits, r, g, b, a;
        std::vector<u8> texels; // two texels as the file stores them
        std::vector<u32> argb;
    };
    // clang-format off
    const Layout layouts[] = {
        {"R8G8B8", 0x40, 24, 0xFF0000, 0xFF00, 0xFF, 0, {3, 2, 1, 6, 5, 4}, {Argb(255, 1, 2, 3), Argb(255, 4, 5, 6)}},
        {"A8B8G8R8", 0x41, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000u, {1, 2, 3, 9, 4, 5, 6, 200},
         {Argb(9, 1, 2, 3), Argb(200, 4, 5, 6)}},
        {"X8R8G8B8", 0x40, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u, {3, 2, 1, 0, 6, 5, 4, 7},
         {Argb(255, 1, 2, 3), Argb(255, 4, 5, 6)}},
        {"R5G6B5", 0x40, 16, 0xF800, 0x07E0, 0x1F, 0, {0x1F, 0xF8, 0xE0, 0x07},
         {Argb(255, 255, 0, 255), Argb(255, 0, 255, 0)}},
        {"A1R5G5B5", 0x41, 16, 0x7C00, 0x03E0, 0x1F, 0x8000, {0x00, 0xFC, 0x1F, 0x00},
         {Argb(255, 255, 0, 0), Argb(0, 0, 0, 255)}},
        {"L8", 0x20000, 8, 0xFF, 0, 0, 0, {7, 200}, {Argb(255, 7, 7, 7), Argb(255, 200, 200, 200)}},
        {"A8", 0x2, 8, 0, 0, 0, 0xFF, {0, 99}, {Argb(0, 0, 0, 0), Argb(99, 0, 0, 0)}},
    };
    // clang-format on
    // Two texels of the layout, in a file whose header carries its masks.
    const auto file = [](const Layout& l, const std::vector<u8>& texels) {
        std::vector<u8> bytes = imgtest::MakeDds(2, 1, 1, l.flags, nullptr, l.bits, texels);
        imgtest::PutLe32(bytes, 92, l.r);
        imgtest::PutLe32(bytes, 96, l.g);
        imgtest::PutLe32(bytes, 100, l.b);
        imgtest::PutLe32(bytes, 104, l.a);
        return bytes;
    };
    for (const Layout& l : layouts) {
        LoadResult r = LoadBytes(file(l, l.texels), L".dds");
        ASSERT_NE(r.data, nullptr) << l.what;
        Decoded d;
        imgtest::CopyInto(*r.data, d, 8, 1);
        ASSERT_EQ(d.copy, GE_OK) << l.what;
        EXPECT_EQ(d.Pixel(0, 0), l.argb[0]) << l.what;
        EXPECT_EQ(d.Pixel(1, 0), l.argb[1]) << l.what;
        EXPECT_EQ(d.bits[8], imgtest::kPadding) << l.what << ": the pitch is honoured";
        EXPECT_EQ(d.mask.Get(0), (l.argb[0] >> 24) > 10) << l.what;
        EXPECT_EQ(d.mask.Get(1), (l.argb[1] >> 24) > 10) << l.what;
    }

    // Layouts the engine does not decode are refused with one line, never misread.
    // clang-format off
    const Layout refused[] = {
        {"24 bits without masks", 0x40, 24, 0, 0, 0, 0, {}, {}},
        {"12 bits", 0x40, 12, 0xF00, 0xF0, 0xF, 0, {}, {}},
        {"mask with a gap", 0x40, 32, 0xFF00FF, 0xFF00, 0xFF, 0, {}, {}},
        {"mask past the bit count", 0x40, 16, 0xFF0000, 0xFF00, 0xFF, 0, {}, {}},
        {"YUV", 0x200, 32, 0xFF0000, 0xFF00, 0xFF, 0, {}, {}},
    };
    // clang-format on
    for (const Layout& l : refused) {
        LogCapture log;
        EXPECT_EQ(LoadBytes(file(l, std::vector<u8>(8, 0)), L".dds").data, nullptr) << l.what;
        EXPECT_EQ(log.Lines(), 1) << l.what;
    }
}

TEST(ImageDataDDS, BlockAlphaModes)
{
    u8 alpha[16];
    // DXT1, c0 <= c1: only index 3 is transparent. Row 0 indices 0,1,2,3.
    const u8 dxt1Punch[8] = {0x00, 0x10, 0x00, 0x20, 0xE4, 0xFF, 0x00, 0x00};
    render::ImageDataDDS::BlockAlpha(1, dxt1Punch, alpha);
    const u8 expect1[16] = {255, 255, 255, 0, 0, 0, 0, 0, 255, 255, 255, 255, 255, 255, 255, 255};
    EXPECT_EQ(0, std::memcmp(alpha, expect1, 16));
    // c0 > c1: four colours, nothing transparent.
    const u8 dxt1Opaque[8] = {0x00, 0x30, 0x00, 0x20, 0xFF, 0xFF, 0xFF, 0xFF};
    render::ImageDataDDS::BlockAlpha(1, dxt1Opaque, alpha);
    for (u8 a : alpha)
        EXPECT_EQ(a, 255);
    // DXT3: four bits per texel times 17.
    const u8 dxt3[16] = {0x10, 0xF0, 0, 0, 0, 0, 0, 0};
    render::ImageDataDDS::BlockAlpha(2, dxt3, alpha);
    EXPECT_EQ(alpha[0], 0);
    EXPECT_EQ(alpha[1], 17);
    EXPECT_EQ(alpha[3], 255);
    // DXT5 with a0 <= a1: a0, a1, four steps, then 0 and 255. Indices 0..7 in texels 0..7.
    u8 dxt5[16] = {20, 70};
    const u64 indices =
        0 | 1ull << 3 | 2ull << 6 | 3ull << 9 | 4ull << 12 | 5ull << 15 | 6ull << 18 | 7ull << 21;
    for (int i = 0; i < 6; ++i)
        dxt5[2 + i] = static_cast<u8>(indices >> (8 * i));
    render::ImageDataDDS::BlockAlpha(3, dxt5, alpha);
    const u8 expect5[8] = {20, 70, 30, 40, 50, 60, 0, 255};
    EXPECT_EQ(0, std::memcmp(alpha, expect5, 8));
    // a0 > a1: seven-step table.
    dxt5[0] = 70;
    dxt5[1] = 0;
    render::ImageDataDDS::BlockAlpha(3, dxt5, alpha);
    const u8 expect7[8] = {70, 0, 60, 50, 40, 30, 20, 10};
    EXPECT_EQ(0, std::memcmp(alpha, expect7, 8));
}

TEST(ImageDataDDS, PartialEdgeBlocksGetMaskBits)
{
    // 5 x 5 DXT5: 2 x 2 blocks, the right and bottom ones partly outside.
    std::vector<u8> blocks(4 * 16, 0); // a0 = a1 = 0, index 0: alpha 0
    blocks[3 * 16 + 0] = 255;          // bottom-right block: alpha 255
    blocks[3 * 16 + 1] = 255;
    LoadResult r = LoadBytes(imgtest::MakeDds(5, 5, 1, 4, "DXT5", 0, blocks), L".dds");
    ASSERT_NE(r.data, nullptr);
    Decoded d;
    imgtest::CopyInto(*r.data, d, 32, 2);
    ASSERT_EQ(d.copy, GE_OK);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(d.Opaque(x, y), x == 4 && y == 4) << x << "," << y;
}

TEST(ImageDataDDS, DamagedFilesFailWithALogLine)
{
    const std::vector<u8> good = imgtest::MakeDds(4, 4, 1, 4, "DXT1", 0, std::vector<u8>(8, 0));
    auto with = [&](size_t at, u32 value) {
        std::vector<u8> b = good;
        imgtest::PutLe32(b, at, value);
        return b;
    };
    const struct {
        const char* what;
        std::vector<u8> bytes;
    } cases[] = {
        {"wrong magic", with(0, 0x20534444 ^ 1)},
        {"unknown FourCC", with(84, 0x31545844 ^ 0x100)},
        {"zero width", with(16, 0)},
        {"zero height", with(12, 0)},
        {"huge size", with(16, 0x40000000)},
        {"size past the data", with(16, 8)},
        {"uncompressed size past the data",
         imgtest::MakeDds(4, 4, 1, 0, nullptr, 32, std::vector<u8>(63, 0))},
        {"empty", {}},
    };
    for (const auto& c : cases) {
        LogCapture log;
        EXPECT_EQ(LoadBytes(c.bytes, L".dds").data, nullptr) << c.what;
        EXPECT_EQ(log.Lines(), 1) << c.what;
    }
    // Every cut of a good file fails cleanly.
    for (size_t n = 0; n < good.size(); ++n) {
        LogCapture log;
        std::vector<u8> cut(good.begin(), good.begin() + n);
        EXPECT_EQ(LoadBytes(cut, L".dds").data, nullptr) << n;
        EXPECT_EQ(log.Lines(), 1) << n;
    }
}

TEST(ImageDataDDS, CopyRefusesAShortPitchAndAShortStream)
{
    const std::vector<u8> file = imgtest::MakeDds(2, 1, 1, 0, nullptr, 32, std::vector<u8>(8, 0x55));
    LoadResult r = LoadBytes(file, L".dds");
    ASSERT_NE(r.data, nullptr);
    std::vector<u8> bits(16, 0);
    render::AlphaMask mask;
    mask.Resize(2);
    LogCapture log;
    EXPECT_EQ(r.data->CopyPixels(7, 0, bits.data(), &mask, 0), GE_FAIL);
    EXPECT_EQ(log.Lines(), 1);
    // The stream lost its tail after Load looked at it.
    render::ImageDataDDS dds;
    base::MemoryStream whole(file.data(), u32(file.size()));
    ASSERT_EQ(dds.Load(&whole, L".dds"), GE_OK);
    base::MemoryStream shorter(file.data(), u32(file.size() - 1));
    render::ImageDataDDS other;
    EXPECT_EQ(other.Load(&shorter, L".dds"), GE_FAIL);
}

TEST_F(ImageMagickFiles, DamagedAndTruncatedDevilFilesFailWithALogLine)
{
    const std::vector<u32> picture = TestPicture();
    const struct {
        const char* file;
        const wchar_t* extension;
    } formats[] = {
        {"d.png", L".png"}, {"d.bmp", L".bmp"}, {"d.tga", L".tga"}, {"d.gif", L".gif"}, {"d.jpg", L".jpg"}};
    for (const auto& f : formats) {
        SCOPED_TRACE(f.file);
        const std::vector<u8> bytes = Write(picture, 8, 4, "", f.file);
        ASSERT_GT(bytes.size(), 40u);
        std::vector<std::vector<u8>> damaged;
        damaged.push_back({});
        damaged.emplace_back(bytes.begin(), bytes.begin() + 10);
        damaged.emplace_back(bytes.begin(), bytes.begin() + bytes.size() / 2);
        std::vector<u8> noise(bytes.size(), 0xA5);
        damaged.push_back(noise);
        for (const auto& d : damaged) {
            LogCapture log;
            EXPECT_EQ(LoadBytes(d, f.extension).data, nullptr) << d.size() << " bytes";
            EXPECT_EQ(log.Lines(), 1) << d.size() << " bytes";
        }
    }
    // Headers that DevIL would trust: a frame outside the GIF's screen, a TGA whose
    // size needs far more run packets than the file holds.
    std::vector<u8> gif = {'G', 'I', 'F', '8', '9', 'a', 4, 0, 4, 0, 0,    0,    0, 0x2C, 2,
                           0,   2,   0,   4,   0,   4,   0, 0, 2, 2, 0x4C, 0x01, 0, 0x3B};
    std::vector<u8> tga(18, 0);
    tga[2] = 10;                                  // run-length true colour
    tga[12] = tga[13] = tga[14] = tga[15] = 0x3E; // 15934 x 15934
    tga[16] = 32;
    tga.insert(tga.end(), {0xFF, 1, 2, 3, 4});
    // A colour map whose first index and length overflow DevIL's palette size; data
    // named ".gif" that is no GIF (its reader would size a screen from any bytes); a
    // JPEG whose scan never reaches an end marker (its reader would wait forever).
    std::vector<u8> mappedTga(18, 0);
    mappedTga[1] = 1;                   // colour map present
    mappedTga[2] = 1;                   // colour-mapped image
    mappedTga[3] = mappedTga[4] = 0xFF; // first entry 65535
    mappedTga[5] = 0xFF;                // 255 entries
    mappedTga[7] = 24;
    mappedTga[12] = mappedTga[14] = 1; // 1 x 1
    mappedTga[16] = 8;
    mappedTga.resize(18 + 255 * 3 + 1, 0);
    const std::vector<u8> notGif = {'g', 'I', 'F', '8', '9', 'a', 0x47, 0xFF, 0xFF, 0xFF, 0x64, 0x61};
    std::vector<u8> endlessJpeg = Write(picture, 8, 4, "", "endless.jpg");
    ASSERT_GE(endlessJpeg.size(), 2u);
    endlessJpeg.resize(endlessJpeg.size() - 2); // drop the end marker
    // Run-length BMP data whose header claims far more bytes than the file holds
    // (DevIL would allocate and read the claimed size).
    std::vector<u8> runBmp(54, 0);
    runBmp[0] = 'B';
    runBmp[1] = 'M';
    runBmp[10] = 54; // pixel data offset
    runBmp[14] = 40; // info header size
    runBmp[18] = 8;  // 8 x 4
    runBmp[22] = 4;
    runBmp[26] = 1;                      // planes
    runBmp[28] = 8;                      // bits
    runBmp[30] = 1;                      // RLE8
    runBmp[37] = 0x3D;                   // image size 0x3D000000
    runBmp.insert(runBmp.end(), {0, 1}); // end of bitmap
    // A palette whose colour count wraps DevIL's allocation.
    std::vector<u8> paletteBmp(54 + 8 * 4, 0);
    paletteBmp[0] = 'B';
    paletteBmp[1] = 'M';
    paletteBmp[10] = 54; // pixel data offset
    paletteBmp[14] = 40;
    paletteBmp[18] = 8; // 8 x 4, 8 bits, uncompressed
    paletteBmp[22] = 4;
    paletteBmp[26] = 1;
    paletteBmp[28] = 8;
    paletteBmp[48] = 0x3F; // 0x6C3F0000 colours
    paletteBmp[49] = 0x6C;
    for (const auto& [bytes, extension] :
         {std::pair{gif, L".gif"}, std::pair{tga, L".tga"}, std::pair{mappedTga, L".tga"},
          std::pair{notGif, L".gif"}, std::pair{endlessJpeg, L".jpg"}, std::pair{runBmp, L".bmp"},
          std::pair{paletteBmp, L".bmp"}}) {
        SCOPED_TRACE(extension);
        LogCapture log;
        EXPECT_EQ(LoadBytes(bytes, extension).data, nullptr);
        EXPECT_EQ(log.Lines(), 1);
    }
    // A failed load leaves DevIL able to decode the next file.
    LoadResult after = LoadBytes(Write(picture, 8, 4, "", "after.png"), L".png");
    EXPECT_NE(after.data, nullptr);
}

TEST(ImageDataRaw, DecodesAtTheRealSizeUnderAContentScale)
{
    // A 4 x 2 layer whose record was made at content scale 0.5: rectangle 2 x 1.
    base::ImageInfo info(L"menu/ok", 10, 20, 4, 2, 255, 3, true, true, 0.5f);
    ASSERT_FLOAT_EQ(info.width, 2.0f);
    std::vector<u32> words;
    for (u32 i = 0; i < 8; ++i)
        words.push_back(Argb(i * 30, i, i + 1, i + 2));
    LoadResult r = LoadBytes(imgtest::BgraBytes(words), L".png", &info);
    ASSERT_NE(r.data, nullptr);
    ASSERT_NE(dynamic_cast<render::ImageDataRaw*>(r.data.get()), nullptr)
        << "raw pixels win over the extension";
    EXPECT_EQ(r.data->GetWidth(), 4);
    EXPECT_EQ(r.data->GetHeight(), 2);
    Decoded d;
    imgtest::CopyInto(*r.data, d, 16, 2);
    ASSERT_EQ(d.copy, GE_OK);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(d.Pixel(i % 4, i / 4), words[i]);
        EXPECT_EQ(d.Opaque(i % 4, i / 4), i * 30 >= 10);
    }
}

TEST(ImageDataRaw, ShortStreamFailsAfterWritingTheWholeRows)
{
    base::ImageInfo info(L"layer", 0, 0, 2, 2, 255, 0, true, true, 1.0f);
    const std::vector<u8> words =
        imgtest::BgraBytes({Argb(255, 1, 1, 1), Argb(255, 2, 2, 2), Argb(255, 3, 3, 3)});
    LoadResult r = LoadBytes(words, L"", &info);
    ASSERT_NE(r.data, nullptr);
    LogCapture log;
    Decoded d;
    imgtest::CopyInto(*r.data, d, 8, 2);
    EXPECT_EQ(d.copy, GE_FAIL);
    EXPECT_EQ(log.Lines(), 1);
    EXPECT_EQ(d.Pixel(0, 0), Argb(255, 1, 1, 1));
    EXPECT_EQ(d.Pixel(1, 0), Argb(255, 2, 2, 2));
    EXPECT_EQ(d.Pixel(0, 1), Argb(255, 3, 3, 3));

    base::ImageInfo empty(L"box", 0, 0, 0, 0, 255, 0, false, true, 1.0f);
    EXPECT_EQ(LoadBytes(words, L"", &empty).data, nullptr);
}
