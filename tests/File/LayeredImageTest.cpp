// Layered images opened as containers: "layers.xml" folders and layered documents,
// loose and inside mounted archives.
#include "Core/App/Application.h"
#include "Core/File/FileInfo.h"
#include "Core/File/PsdFile.h"
#include "Core/File/PsdFolder.h"
#include "tests/File/FileTestSupport.h"
#include "tests/File/LayeredDocument.h"
#include "tests/Support/LogCapture.h"

#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>

namespace {

using file::FileManager;
using file::ImageContainer;
using Names = std::vector<std::wstring>;
using layeredtest::NestedDocument;
using layeredtest::Text;

const wchar_t* const kTextureExtensions[] = {L"", L".dds", L".jpg", L".gif", L".png", L".tga"};

class LayeredImageTest : public TempFolderTest {
protected:
    void TearDown() override
    {
        GetApplication()->contentScale = 1.0f;
        FileManager::Instance()->imageScale = 1.0f;
        TempFolderTest::TearDown();
    }

    static std::unique_ptr<ImageContainer> Open(const std::wstring& name)
    {
        return std::unique_ptr<ImageContainer>(FileManager::Instance()->OpenImageContainer(name));
    }

    static Names ListedNames(ImageContainer& container)
    {
        Names names;
        for (i32 i = 0; i < container.GetLayerCount(); ++i)
            names.push_back(container.GetLayer(i)->name);
        return names;
    }

    static void Run(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; }

    static bool HaveConvert() { return std::system("command -v convert > /dev/null 2>&1") == 0; }
};

// RGBA bytes as 0xAARRGGBB words.
std::vector<u32> ArgbOf(const std::string& rgba)
{
    std::vector<u32> argb;
    for (size_t i = 0; i + 3 < rgba.size(); i += 4)
        argb.push_back((u32(u8(rgba[i + 3])) << 24) | (u32(u8(rgba[i])) << 16) | (u32(u8(rgba[i + 1])) << 8) |
                       u8(rgba[i + 2]));
    return argb;
}

// The 32-bit words a layer's stream delivers.
std::vector<u32> WordsOf(ImageContainer& container, const std::wstring& layer)
{
    std::unique_ptr<base::Stream> stream(container.OpenRead(layer));
    if (!stream)
        return {};
    std::vector<u32> words(stream->GetSize() / 4);
    EXPECT_EQ(stream->Read(words.data(), stream->GetSize()), words.size() * 4);
    return words;
}

TEST_F(LayeredImageTest, FolderReadsRectanglesScalesAndTheAtlasExample)
{
    Put("ui/menu/layers.xml", R"(<?xml version="1.0" encoding="utf-8"?>
<Layers>
  <Layer name="bg" x="3" y="5" width="40" height="21" opacity="200" ind="7"/>
  <Layer name="menu/buttons/ok" x="10" y="12" width="8" height="4" opacity="255" ind="1"
         atlas="sheet.png" tu1="0.5" tv1="0.25" tu2="1.0" tv2="0.75"/>
  <Note name="skipped"/>
  <Layer name="bg" x="99" y="99" width="1" height="1" atlas="other.png"/>
  <Layer name="plain"/>
  <Layer x="1"/>
  <Layer name="after the nameless one"/>
</Layers>)");
    Put("ui/menu/bg.png", "PNG!");
    FileManager::Instance()->imageScale = 0.5f;
    GetApplication()->contentScale = 2.0f;

    std::unique_ptr<ImageContainer> folder = Open(L"ui/menu");
    ASSERT_TRUE(dynamic_cast<file::PsdFolder*>(folder.get()));
    EXPECT_EQ(folder->GetRootPath(), L"ui/menu/");
    // A nameless entry ends the reading; a repeated name repeats the first record.
    EXPECT_EQ(ListedNames(*folder), (Names{L"bg", L"menu/buttons/ok", L"bg", L"plain"}));
    EXPECT_EQ(folder->GetLayer(2), folder->FindLayer(L"bg"));
    EXPECT_EQ(folder->GetLayer(4), nullptr);
    EXPECT_EQ(folder->GetLayer(-1), nullptr);

    // x 3 at image scale 0.5 is 1, then times the content scale.
    const base::ImageInfo* bg = folder->FindLayer(L"bg");
    ASSERT_TRUE(bg);
    EXPECT_EQ(bg->x, 2.0f);
    EXPECT_EQ(bg->y, 4.0f);
    EXPECT_EQ(bg->width, 40.0f);
    EXPECT_EQ(bg->height, 20.0f);
    EXPECT_EQ(bg->scale, 2.0f);
    EXPECT_EQ(bg->opacity, 200u);
    EXPECT_EQ(bg->index, 7u);
    EXPECT_TRUE(bg->hasImage);
    EXPECT_FALSE(bg->rawPixels);
    EXPECT_FALSE(bg->inAtlas) << "the repeated entry's atlas does not leak into the first";

    const base::ImageInfo* ok = folder->FindLayer(L"menu/buttons/ok");
    ASSERT_TRUE(ok);
    EXPECT_TRUE(ok->inAtlas);
    EXPECT_EQ(ok->atlasPath, L"ui/menu/sheet.png");
    EXPECT_FLOAT_EQ(ok->u, 0.5f);
    EXPECT_FLOAT_EQ(ok->v, 0.25f);
    EXPECT_FLOAT_EQ(ok->du, 0.5f);
    EXPECT_FLOAT_EQ(ok->dv, 0.5f);

    const base::ImageInfo* plain = folder->FindLayer(L"plain");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->opacity, 255u);
    EXPECT_EQ(plain->index, 0u);
    EXPECT_EQ(plain->width, 0.0f);
    EXPECT_EQ(folder->FindLayer(L"after the nameless one"), nullptr);

    // A layer with its own file: found with the texture extension list, opened
    // through the folder.
    u32 index = 99;
    std::unique_ptr<file::ImageFileInfo> info(folder->GetImageFileInfo(L"bg", kTextureExtensions, 6, &index));
    ASSERT_TRUE(info);
    EXPECT_EQ(index, 4u);
    EXPECT_EQ(info->path, L"bg.png");
    EXPECT_EQ(info->FileInfo::name, L"bg");
    EXPECT_EQ(info->container, folder.get());
    EXPECT_EQ(info->x, 2.0f);
    EXPECT_EQ(info->opacity, 200u);
    std::unique_ptr<base::Stream> stream(info->container->OpenRead(info->path));
    ASSERT_TRUE(stream);
    char bytes[4] = {};
    EXPECT_EQ(stream->Read(bytes, 4), 4u);
    EXPECT_EQ(std::memcmp(bytes, "PNG!", 4), 0);
    EXPECT_TRUE(folder->HasImageFile(L"bg"));

    // An atlas member needs no file; a plain layer without a file is not found.
    info.reset(folder->GetImageFileInfo(L"menu/buttons/ok", kTextureExtensions, 6, &index));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->path, L"menu/buttons/ok");
    EXPECT_EQ(info->FileInfo::name, L"ok");
    EXPECT_TRUE(info->inAtlas);
    EXPECT_FLOAT_EQ(info->dv, 0.5f);
    EXPECT_FALSE(folder->GetImageFileInfo(L"plain", kTextureExtensions, 6, &index));
    EXPECT_FALSE(folder->HasImageFile(L"plain"));
    info.reset(folder->GetImageFileInfo(L"plain", nullptr, 0, nullptr));
    ASSERT_TRUE(info) << "without an extension list the name is the path";
    EXPECT_EQ(info->path, L"plain");
    EXPECT_FALSE(folder->GetImageFileInfo(L"missing", nullptr, 0, nullptr));
    EXPECT_FALSE(folder->FindLayer(L"missing"));
}

TEST_F(LayeredImageTest, FolderNameQueries)
{
    Put("ui/q/layers.xml", R"(<Layers>
  <Layer name="menu/buttons/ok"/><Layer name="menu/buttons/cancel"/><Layer name="menu/title"/>
  <Layer name="menu/icons/a"/><Layer name="hud/x"/><Layer name="top"/><Layer name="Menu/Upper"/>
  <Layer name="menu-extra/y"/>
</Layers>)");
    std::unique_ptr<ImageContainer> folder = Open(L"ui/q");
    ASSERT_TRUE(folder);
    ASSERT_EQ(folder->GetLayerCount(), 8);

    const struct {
        const wchar_t* prefix;
        bool recursive;
        bool strip;
        Names expected;
    } layerCases[] = {
        {L"", false, false, {L"top"}},
        {L"menu", false, true, {L"title"}},
        {L"MENU\\", false, false, {L"menu/title"}},
        {L"menu/", true, true, {L"buttons/ok", L"buttons/cancel", L"title", L"icons/a"}},
        {L"menu/buttons", true, false, {L"menu/buttons/ok", L"menu/buttons/cancel"}},
        {L"none", true, false, {}},
    };
    for (const auto& c : layerCases) {
        Names out{L"kept"};
        EXPECT_EQ(folder->ListLayers(c.prefix, c.recursive, out, c.strip), 0u);
        Names expected{L"kept"};
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        EXPECT_EQ(out, expected) << "prefix '" << c.prefix << "' recursive " << c.recursive;
    }

    const struct {
        const wchar_t* prefix;
        Names expected;
    } folderCases[] = {
        {L"", {L"Menu", L"hud", L"menu-extra", L"menu"}}, // name order: '-' sorts before '/'
        {L"menu", {L"buttons", L"icons"}},
        {L"menu/buttons", {}},
    };
    for (const auto& c : folderCases) {
        for (bool strip : {false, true}) {
            Names out;
            EXPECT_EQ(folder->ListFolders(c.prefix, out, strip), 0u);
            EXPECT_EQ(out, c.expected) << "prefix '" << c.prefix << "' strip " << strip;
        }
    }

    for (const wchar_t* name : {L"menu", L"menu/buttons", L"MENU/", L"hud"})
        EXPECT_TRUE(folder->IsFolder(name)) << name;
    for (const wchar_t* name : {L"menu/title", L"top", L"men", L"nothing"})
        EXPECT_FALSE(folder->IsFolder(name)) << name;

    EXPECT_TRUE(folder->HasLayer(L"TOP")) << "the asked name is lower-cased";
    EXPECT_TRUE(folder->HasLayer(L"menu/title"));
    EXPECT_FALSE(folder->HasLayer(L"Menu/Upper")) << "a stored capital is never matched";
    EXPECT_TRUE(folder->FindLayer(L"Menu/Upper")) << "exact lookup";
}

TEST_F(LayeredImageTest, BrokenLayersXmlGivesAnEmptyFolder)
{
    const struct {
        const char* what;
        std::string text;
        int expectedLayers;
        bool logged;
    } cases[] = {
        {"not well-formed", "<Layers><Layer name=\"a\"/>", 0, true},
        {"empty", "", 0, true},
        {"wrong root", "<Images><Layer name=\"a\"/></Images>", 0, true},
        {"cut at a NUL byte", std::string("<Layers><Layer name=\"a\"/></Layers>") + '\0' + "<<<", 1, false},
        {"a name that is not UTF-8",
         "<Layers><Layer name=\"a\"/><Layer name=\"\xC3\x28\"/><Layer name=\"b\"/></Layers>", 2, true},
        {"absurd numbers",
         "<Layers><Layer name=\"a\" x=\"99999999999999\" y=\"-99999999999\" width=\"12abc\" height=\"x\" "
         "opacity=\"-5\" tu1=\"nan\"/></Layers>",
         1, true},
    };
    for (const auto& c : cases) {
        Put("ui/b/layers.xml", c.text);
        LogCapture log;
        std::unique_ptr<ImageContainer> folder = Open(L"ui/b");
        ASSERT_TRUE(folder) << c.what;
        EXPECT_EQ(folder->GetLayerCount(), c.expectedLayers) << c.what;
        EXPECT_EQ(log.Lines() > 0, c.logged) << c.what << ": " << log.text;
        if (c.expectedLayers == 0) {
            EXPECT_FALSE(folder->GetImageFileInfo(L"a", nullptr, 0, nullptr)) << c.what;
        }
    }

    std::unique_ptr<ImageContainer> absurd = Open(L"ui/b");
    const base::ImageInfo* a = absurd->FindLayer(L"a");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->x, 2147483647.0f);
    EXPECT_EQ(a->y, -2147483648.0f);
    EXPECT_EQ(a->width, 12.0f);
    EXPECT_EQ(a->height, 0.0f);
    EXPECT_EQ(a->opacity, 0u);

    // A folder without a description is an empty container (and no file is not one).
    std::filesystem::create_directories("ui/none");
    std::unique_ptr<ImageContainer> none = Open(L"ui/none");
    ASSERT_TRUE(none);
    EXPECT_EQ(none->GetLayerCount(), 0);
    EXPECT_FALSE(Open(L"ui/absent"));
}

TEST_F(LayeredImageTest, DocumentByImageMagickGivesNamedScaledLayersAndPixels)
{
    if (!HaveConvert())
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    std::filesystem::create_directories("ui");
    Run("convert -size 24x16 gradient:'#336699'-'#99cc33' bg.png");
    Run("convert -size 6x4 xc:'rgba(255,0,0,0.5)' -fill '#00ff00' -draw 'point 1,1' box.png");
    Run("convert -size 5x4 xc:'#ffffff' hit.png");
    Run("convert -size 3x3 xc:'#0000ff' lower.png");
    Run("convert -size 2x2 xc:'#ff00ff' upper.png");
    for (const char* name : {"bg", "box", "upper"})
        Run(std::string("convert ") + name + ".png -depth 8 rgba:" + name + ".rgba");
    // The first image is the merged composite; the others are layers, bottom first.
    Run("convert \\( bg.png -set label Merged \\) "
        "\\( bg.png -set label Background -repage +0+0 \\) "
        "\\( box.png -set label 'Red Box' -repage +5+7 \\) "
        "\\( hit.png -set label 'close|box' -repage +2+3 \\) "
        "\\( hit.png -set label 'title|center' -repage +10+6 \\) "
        "\\( lower.png -set label dup -repage +1+1 \\) "
        "\\( upper.png -set label dup -repage +3+3 \\) "
        "-colorspace sRGB -type TrueColorAlpha -depth 8 -compress RLE ui/layers.psd");
    GetApplication()->contentScale = 0.5f;

    std::unique_ptr<ImageContainer> doc = Open(L"ui/layers");
    auto* psd = dynamic_cast<file::PsdFile*>(doc.get());
    ASSERT_TRUE(psd);
    ASSERT_TRUE(psd->IsLoaded());
    EXPECT_EQ(doc->containerName, L"ui/layers.psd");
    EXPECT_EQ(doc->GetRootPath(), L"ui/layers.psd/");
    // Top down, the background (the bottom record) left out; the upper "dup" wins.
    EXPECT_EQ(ListedNames(*doc), (Names{L"dup", L"dup", L"title|center", L"close|box", L"Red Box"}));
    EXPECT_EQ(doc->GetLayerCount(), 5) << "every list entry is reachable by index";
    EXPECT_EQ(doc->FindLayer(L"Background"), nullptr);
    EXPECT_EQ(doc->FindLayer(L"dup")->index, 5u);
    EXPECT_EQ(WordsOf(*doc, L"dup"), ArgbOf(Get("upper.rgba")));

    const base::ImageInfo* box = doc->FindLayer(L"Red Box");
    ASSERT_TRUE(box);
    EXPECT_EQ(box->x, 2.5f);
    EXPECT_EQ(box->y, 3.5f);
    EXPECT_EQ(box->width, 3.0f);
    EXPECT_EQ(box->height, 2.0f);
    EXPECT_EQ(box->scale, 0.5f);
    EXPECT_EQ(box->opacity, 255u);
    EXPECT_EQ(box->index, 1u);
    EXPECT_TRUE(box->hasImage);
    EXPECT_TRUE(box->rawPixels);
    EXPECT_EQ(WordsOf(*doc, L"Red Box"), ArgbOf(Get("box.rgba")));

    const base::ImageInfo* hit = doc->FindLayer(L"close|box");
    ASSERT_TRUE(hit);
    EXPECT_FALSE(hit->hasImage);
    EXPECT_EQ(hit->x, 1.0f);
    EXPECT_EQ(hit->y, 1.5f);
    EXPECT_EQ(hit->width, 2.5f);
    // A 5-wide layer at x 10 centres on x 12; the point has no size.
    const base::ImageInfo* centre = doc->FindLayer(L"title|center");
    ASSERT_TRUE(centre);
    EXPECT_FALSE(centre->hasImage);
    EXPECT_EQ(centre->x, 6.0f);
    EXPECT_EQ(centre->y, 4.0f);
    EXPECT_EQ(centre->width, 0.0f);
    EXPECT_EQ(centre->height, 0.0f);

    // Layers are found by the name as given: the empty extension's index.
    u32 index = 99;
    std::unique_ptr<file::ImageFileInfo> info(
        doc->GetImageFileInfo(L"Red Box", kTextureExtensions, 6, &index));
    ASSERT_TRUE(info);
    EXPECT_EQ(index, 0u);
    EXPECT_EQ(info->path, L"Red Box");
    EXPECT_EQ(info->container, doc.get());
    EXPECT_EQ(info->inArchive, 1);
    EXPECT_EQ(info->x, 2.5f);
    EXPECT_TRUE(info->rawPixels);
    index = 99;
    info.reset(doc->GetImageFileInfo(L"Red Box", kTextureExtensions + 1, 5, &index));
    ASSERT_TRUE(info);
    EXPECT_EQ(index, 99u);
    EXPECT_FALSE(doc->GetImageFileInfo(L"Background", kTextureExtensions, 6, &index));
    EXPECT_FALSE(doc->OpenRead(L"Background"));
    EXPECT_FALSE(doc->GetStreamCreator(L"Red Box"));

    // A layer stream holds its own copy of the pixels.
    std::unique_ptr<base::Stream> stream(doc->OpenRead(L"Red Box"));
    doc.reset();
    ASSERT_TRUE(stream);
    std::vector<u32> words(stream->GetSize() / 4);
    stream->Read(words.data(), stream->GetSize());
    EXPECT_EQ(words, ArgbOf(Get("box.rgba")));
}

TEST_F(LayeredImageTest, DocumentFoldersNameTheirLayers)
{
    Put("nested.psd", Text(NestedDocument()));
    std::unique_ptr<ImageContainer> doc = Open(L"nested.psd");
    ASSERT_TRUE(doc);
    EXPECT_EQ(ListedNames(*doc), (Names{L"C", L"B", L"menu/mid", L"menu/buttons/ok", L"after"}));
    const base::ImageInfo* ok = doc->FindLayer(L"menu/buttons/ok");
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->x, 4.0f);
    EXPECT_EQ(ok->y, 5.0f);
    EXPECT_EQ(ok->width, 6.0f);
    EXPECT_EQ(ok->height, 2.0f);
    EXPECT_EQ(WordsOf(*doc, L"menu/buttons/ok"), std::vector<u32>(12, 0x80FF0000));

    // GIMP's document: a group with Unicode names (its 8-bit names are UTF-8).
    const auto fixtures = std::filesystem::path(GE_SOURCE_DIR) / "tests/fixtures/psd";
    std::filesystem::copy_file(fixtures / "gimp_layers_rle.psd", "gimp.psd");
    doc = Open(L"gimp");
    ASSERT_TRUE(doc);
    const std::wstring button = L"men\u00FC/\u041A\u043D\u043E\u043F\u043A\u0430";
    const std::wstring box = L"Gr\u00FC\u00DFe \u2713";
    EXPECT_EQ(ListedNames(*doc), (Names{button, box}));
    EXPECT_EQ(doc->FindLayer(box)->opacity, 204u);
    EXPECT_EQ(doc->FindLayer(box)->x, 5.0f);
    EXPECT_EQ(doc->FindLayer(button)->x, 17.0f);
    std::ifstream btn(fixtures / "btn.rgba", std::ios::binary);
    EXPECT_EQ(WordsOf(*doc, button), ArgbOf(std::string(std::istreambuf_iterator<char>(btn), {})));

    // Two levels of GIMP groups, in a layer information of odd length.
    std::filesystem::copy_file(fixtures / "gimp_nested_groups.psd", "nested_gimp.psd");
    doc = Open(L"nested_gimp");
    ASSERT_TRUE(doc);
    EXPECT_EQ(ListedNames(*doc), (Names{L"Outer/Inner/Top", L"Outer/AfterInner"}));
}

// A count of 0x8000 records is 32,768 layers, not a negative count of none.
TEST_F(LayeredImageTest, DocumentOf0x8000LayersListsThemAll)
{
    psdtest::Document psd;
    psd.width = psd.height = 1;
    for (u32 i = 0; i < 0x8000; ++i) {
        psdtest::Layer layer;
        layer.name = "l" + std::to_string(i);
        layer.right = layer.bottom = 1;
        for (i16 id : {-1, 0, 1, 2})
            layer.channels.emplace_back(id, std::vector<u8>{static_cast<u8>(i)});
        psd.layers.push_back(layer);
    }
    psd.merged.assign(3, 0);
    Put("many.psd", Text(psdtest::Write(psd)));
    std::unique_ptr<ImageContainer> doc = Open(L"many.psd");
    ASSERT_TRUE(doc);
    // The bottom-most record is never a layer of its own.
    ASSERT_EQ(doc->GetLayerCount(), 0x8000 - 1);
    EXPECT_EQ(doc->GetLayer(0)->name, L"l32767");
}

TEST_F(LayeredImageTest, LayeredImagesInsideAMountedArchive)
{
    const std::vector<u8> document = NestedDocument();
    const std::string layersXml = R"(<Layers><Layer name="bg" x="1" y="2" width="3" height="4"/>
<Layer name="ok" atlas="sheet.png" tu1="0" tv1="0" tu2="0.5" tv2="0.5"/></Layers>)";
    Put("data.dat", PackBytes({{L"ui/nested.psd", Text(document)},
                               {L"ui/menu/layers.xml", layersXml},
                               {L"ui/menu/bg.png", "PNG!"}}));
    FileManager::Instance()->Mount(L"td/", L"data.dat");

    std::unique_ptr<ImageContainer> doc = Open(L"td/ui/nested");
    ASSERT_TRUE(dynamic_cast<file::PsdFile*>(doc.get()));
    EXPECT_EQ(ListedNames(*doc), (Names{L"C", L"B", L"menu/mid", L"menu/buttons/ok", L"after"}));
    EXPECT_EQ(WordsOf(*doc, L"C"), std::vector<u32>(2, 0xFFFFFFFF));
    EXPECT_EQ(doc->GetRootPath(), L"td/ui/nested.psd/");

    std::unique_ptr<ImageContainer> folder = Open(L"td/ui/menu");
    ASSERT_TRUE(dynamic_cast<file::PsdFolder*>(folder.get()));
    EXPECT_EQ(folder->GetLayerCount(), 2);
    EXPECT_EQ(folder->FindLayer(L"ok")->atlasPath, L"td/ui/menu/sheet.png")
        << "the atlas is named so that the file manager finds it through the mount";
    u32 index = 0;
    std::unique_ptr<file::ImageFileInfo> info(folder->GetImageFileInfo(L"bg", kTextureExtensions, 6, &index));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->path, L"bg.png");
    EXPECT_EQ(info->inArchive, 1);
    std::unique_ptr<base::Stream> stream(info->container->OpenRead(info->path));
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->GetSize(), 4u);

    // No loose copies exist: without the mount nothing is found.
    FileManager::Instance()->mounts.clear();
    EXPECT_FALSE(Open(L"td/ui/nested"));
}

TEST_F(LayeredImageTest, DamagedDocumentIsAnEmptyContainerWithALogLine)
{
    // The first layer record loses its blend-mode signature.
    std::string unsignedRecord = Text(NestedDocument());
    unsignedRecord.replace(unsignedRecord.find("8BIMnorm"), 4, "XXXX");
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"not a document", "GIF89a not a layered document at all"},
        {"version 2", std::string("8BPS\0\2", 6) + std::string(20, '\0')},
        {"a layer without its signature", unsignedRecord},
    };
    for (const auto& c : cases) {
        Put("bad.psd", c.bytes);
        LogCapture log;
        std::unique_ptr<ImageContainer> doc = Open(L"bad");
        ASSERT_TRUE(doc) << c.what;
        EXPECT_FALSE(static_cast<file::PsdFile&>(*doc).IsLoaded()) << c.what;
        EXPECT_EQ(log.Count(L"'bad.psd'"), 1) << c.what << ": " << log.text;
        EXPECT_EQ(doc->GetLayerCount(), 0) << c.what;
        EXPECT_EQ(doc->GetLayer(0), nullptr) << c.what;
        EXPECT_EQ(doc->FindLayer(L"C"), nullptr) << c.what;
        EXPECT_EQ(doc->GetImageFileInfo(L"C", kTextureExtensions, 6, nullptr), nullptr) << c.what;
        EXPECT_EQ(doc->OpenRead(L"C"), nullptr) << c.what;
    }
}

} // namespace
