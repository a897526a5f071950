// Documents written by independent tools: ImageMagick (made here from source images
// it also writes) and GIMP (committed fixtures with Unicode names and a layer group).
#include "tests/Psd/PsdTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace psdtest;
namespace fs = std::filesystem;

namespace {

std::vector<u8> ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<u8>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// RGBA bytes as 0xAARRGGBB words.
std::vector<u32> ArgbOf(const std::vector<u8>& rgba)
{
    std::vector<u32> argb;
    for (size_t i = 0; i + 3 < rgba.size(); i += 4)
        argb.push_back((u32(rgba[i + 3]) << 24) | (u32(rgba[i]) << 16) | (u32(rgba[i + 1]) << 8) |
                       rgba[i + 2]);
    return argb;
}

PsdDocumentPtr LoadPath(const fs::path& path)
{
    PsdContext* ctx = nullptr;
    const int status = LoadPsdDocument(&ctx, path.string().c_str());
    EXPECT_EQ(status, PSD_OK) << path;
    return PsdDocumentPtr(ctx);
}

const PsdLayerRecord* Find(const PsdContext& doc, const std::string& name)
{
    for (const PsdLayerRecord& r : doc.layerRecords)
        if (NameOf(r) == name)
            return &r;
    return nullptr;
}

class ImageMagickDocuments : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::system("command -v convert > /dev/null 2>&1") != 0)
            GTEST_SKIP() << "ImageMagick's convert is not installed";
        dir = fs::path(GE_BINARY_DIR) / "psd_imagemagick";
        fs::create_directories(dir);
        Run("convert -size 20x16 gradient:'#ff2000'-'#0040ff' merged.png");
        Run("convert -size 20x16 gradient:'#336699'-'#99cc33' bg.png");
        Run("convert -size 6x4 xc:'rgba(255,0,0,0.5)' -fill '#00ff00' -draw 'point 1,1' box.png");
        Run("convert -size 7x5 plasma:fractal -seed 3 -depth 8 -type TrueColor pattern.png");
        for (const char* name : {"merged", "bg", "box", "pattern"})
            Run(std::string("convert ") + name + ".png -depth 8 rgba:" + name + ".rgba");
    }

    void Run(const std::string& command)
    {
        const std::string line = "cd '" + dir.string() + "' && " + command;
        ASSERT_EQ(std::system(line.c_str()), 0) << command;
    }

    void MakeDocument(const std::string& compression, const std::string& out)
    {
        Run("convert \\( merged.png -set label Merged \\) \\( bg.png -set label Background -repage +0+0 \\) "
            "\\( box.png -set label 'Red Box' -repage +5+7 \\) \\( pattern.png -set label Pattern -repage "
            "+12+9 \\) "
            "-colorspace sRGB -type TrueColorAlpha -depth 8 -compress " +
            compression + " " + out);
    }

    std::vector<u32> Source(const char* name)
    {
        return ArgbOf(ReadFile(dir / (std::string(name) + ".rgba")));
    }

    fs::path dir;
};

TEST_F(ImageMagickDocuments, RawAndRleLayersMatchTheirSources)
{
    for (const char* compression : {"None", "RLE"}) {
        const std::string out = std::string("im_") + compression + ".psd";
        MakeDocument(compression, out);
        PsdDocumentPtr doc = LoadPath(dir / out);
        ASSERT_NE(doc, nullptr) << compression;
        EXPECT_EQ(doc->width, 20u);
        EXPECT_EQ(doc->height, 16u);
        EXPECT_EQ(doc->mergedImage, Source("merged")) << compression;
        ASSERT_EQ(doc->layerCount, 3) << compression;

        const struct {
            const char* name;
            const char* source;
            i32 left, top, width, height;
        } expected[] = {
            {"Background", "bg", 0, 0, 20, 16},
            {"Red Box", "box", 5, 7, 6, 4},
            {"Pattern", "pattern", 12, 9, 7, 5},
        };
        for (const auto& e : expected) {
            const PsdLayerRecord* r = Find(*doc, e.name);
            ASSERT_NE(r, nullptr) << e.name;
            EXPECT_EQ(r->left, e.left) << e.name;
            EXPECT_EQ(r->top, e.top) << e.name;
            EXPECT_EQ(r->width, e.width) << e.name;
            EXPECT_EQ(r->height, e.height) << e.name;
            EXPECT_EQ(r->opacity, 255) << e.name;
            EXPECT_EQ(r->pixels, Source(e.source)) << e.name << " " << compression;
        }
    }
}

TEST_F(ImageMagickDocuments, ArchivedBytesLoadLikeTheFile)
{
    MakeDocument("RLE", "im_bytes.psd");
    const std::vector<u8> bytes = ReadFile(dir / "im_bytes.psd");
    Loaded fromBytes = Load(bytes);
    ASSERT_EQ(fromBytes.status, PSD_OK);
    PsdDocumentPtr fromFile = LoadPath(dir / "im_bytes.psd");
    ASSERT_EQ(fromBytes.doc->layerCount, fromFile->layerCount);
    for (int i = 0; i < fromFile->layerCount; ++i)
        EXPECT_EQ(fromBytes.doc->layerRecords[i].pixels, fromFile->layerRecords[i].pixels);
}

TEST(GimpDocuments, LayersGroupsAndUnicodeNames)
{
    const fs::path fixtures = fs::path(GE_SOURCE_DIR) / "tests/fixtures/psd";
    const std::vector<u32> bg = ArgbOf(ReadFile(fixtures / "bg.rgba"));
    const std::vector<u32> box = ArgbOf(ReadFile(fixtures / "box.rgba"));
    const std::vector<u32> btn = ArgbOf(ReadFile(fixtures / "btn.rgba"));
    ASSERT_EQ(bg.size(), 24u * 16u);
    for (const char* file : {"gimp_layers_rle.psd", "gimp_layers_raw.psd"}) {
        PsdDocumentPtr doc = LoadPath(fixtures / file);
        ASSERT_NE(doc, nullptr) << file;
        ASSERT_EQ(doc->layerCount, 5) << file;
        const auto& r = doc->layerRecords;
        // Bottom to top: background, box, the group's end, the button, the group.
        EXPECT_EQ(PsdUtf16ToWide(r[0].unicodeName), L"Hintergrund");
        EXPECT_EQ(r[0].pixels, bg) << file;
        EXPECT_EQ(PsdUtf16ToWide(r[1].unicodeName), L"Gr\u00FC\u00DFe \u2713");
        EXPECT_EQ(r[1].left, 5);
        EXPECT_EQ(r[1].top, 7);
        EXPECT_EQ(r[1].opacity, 204); // 80 percent
        EXPECT_EQ(r[1].pixels, box) << file;
        EXPECT_EQ(r[2].layerType, 1u);
        EXPECT_EQ(PsdUtf16ToWide(r[3].unicodeName), L"\u041A\u043D\u043E\u043F\u043A\u0430");
        EXPECT_EQ(r[3].left, 17);
        EXPECT_EQ(r[3].top, 11);
        EXPECT_EQ(r[3].pixels, btn) << file;
        EXPECT_EQ(r[3].enclosingFolder, &r[4]);
        EXPECT_EQ(r[4].layerType, 2u);
        EXPECT_EQ(PsdUtf16ToWide(r[4].unicodeName), L"men\u00FC");
        EXPECT_EQ(NameOf(r[4]), "men\xC3\xBC"); // the 8-bit name as GIMP writes it
        EXPECT_EQ(doc->mergedImage.front(), bg.front());
    }
}

// Outer holds Inner (which holds Top) and, below Inner's end, AfterInner. GIMP
// writes its layer information with an odd length and no pad byte.
TEST(GimpDocuments, NestedGroupsInAnOddLengthLayerInfo)
{
    const fs::path fixtures = fs::path(GE_SOURCE_DIR) / "tests/fixtures/psd";
    PsdDocumentPtr doc = LoadPath(fixtures / "gimp_nested_groups.psd");
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(doc->layerCount, 7);
    const auto& r = doc->layerRecords;
    const PsdLayerRecord* outer = Find(*doc, "Outer");
    const PsdLayerRecord* inner = Find(*doc, "Inner");
    ASSERT_TRUE(outer && inner);
    EXPECT_EQ(outer->layerType, 2u);
    EXPECT_EQ(inner->layerType, 2u);
    EXPECT_EQ(Find(*doc, "Top")->enclosingFolder, inner);
    EXPECT_EQ(Find(*doc, "AfterInner")->enclosingFolder, outer);
    EXPECT_EQ(Find(*doc, "Bottom")->enclosingFolder, nullptr);
    EXPECT_EQ(r[1].layerType, 1u);
    EXPECT_EQ(r[3].layerType, 1u);
    EXPECT_EQ(Find(*doc, "Top")->pixels, (std::vector<u32>{0xFFFF0000u, 0xFF000000u, 0xFFFF0000u}));
    EXPECT_EQ(Find(*doc, "AfterInner")->pixels, std::vector<u32>(12, 0xFF00FF00u));
    EXPECT_EQ(Find(*doc, "Bottom")->pixels, std::vector<u32>(30, 0xFF0000FFu));
    ASSERT_EQ(doc->mergedImage.size(), 30u);
    EXPECT_EQ(doc->mergedImage[0], 0xFF00FF00u);
    EXPECT_EQ(doc->mergedImage[6 + 1], 0xFFFF0000u);
    EXPECT_EQ(doc->mergedImage[29], 0xFF0000FFu);
}

} // namespace
