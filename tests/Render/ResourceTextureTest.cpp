// Texture resources: the lookup order of extensions, decoding into a device
// texture, layers of layered images, atlas members, and failures on the way.
#include "Core/Resource/ResourceTexture.h"
#include "Core/Base/MemoryStream.h"
#include "Core/File/ImageContainer.h"
#include "Core/Resource/ResourceManager.h"
#include "tests/File/FileTestSupport.h"
#include "tests/Support/LogCapture.h"
#include "tests/Render/FakeImageContainer.h"
#include "tests/Render/ImageTestSupport.h"
#include "tests/Render/MemoryTexture.h"
#include <gtest/gtest.h>
#include <map>

using imgtest::Argb;
using resource::ResourceTexture;

namespace {

constexpr u32 kRed = Argb(255, 255, 0, 0);
constexpr u32 kGreen = Argb(255, 0, 255, 0);
constexpr u32 kBlue = Argb(255, 0, 0, 255);

using imgtest::Bytes;

std::string SolidDds(u32 colour, u32 w = 2, u32 h = 2)
{
    return Bytes(
        imgtest::MakeDds(w, h, 1, 0x41, nullptr, 32, imgtest::BgraBytes(std::vector<u32>(w * h, colour))));
}

using test::FakeImageContainer;

class ResourceTextureTest : public TempFolderTest {
protected:
    void SetUp() override
    {
        TempFolderTest::SetUp();
        test::MemoryTexture::failCreateFromImage = false;
    }
    void TearDown() override
    {
        test::MemoryTexture::failCreateFromImage = false;
        TempFolderTest::TearDown();
    }

    resource::ResourceHandle<ResourceTexture>
    Get(const std::wstring& name, file::ImageContainer* container = nullptr, const std::wstring& inside = L"")
    {
        return test::TextureResource(render, name, container, inside);
    }
    static test::MemoryTexture* Device(const resource::ResourceHandle<ResourceTexture>& t)
    {
        return test::DeviceTexture(t);
    }

    test::TextureRender render;
};

} // namespace

TEST(ResourceTextureNames, OwnExtension)
{
    EXPECT_EQ(ResourceTexture::OwnExtension(L"ui/panel.png"), L".png");
    EXPECT_EQ(ResourceTexture::OwnExtension(L"ui.v2/panel"), L"");
    EXPECT_EQ(ResourceTexture::OwnExtension(L"ui.v2\\panel"), L"");
    EXPECT_EQ(ResourceTexture::OwnExtension(L"panel"), L"");
    EXPECT_EQ(ResourceTexture::OwnExtension(L"a.b/c.tar.tga"), L".tga");
}

TEST_F(ResourceTextureTest, ExtensionsAreTriedInOrder)
{
    if (!imgtest::ConvertTool())
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    imgtest::TempDir scratch;
    auto make = [&](u32 colour, const char* file) {
        EXPECT_TRUE(imgtest::WriteWithImageMagick(scratch.path, 2, 2, std::vector<u32>(4, colour), "",
                                                  scratch.path / file));
        return Bytes(imgtest::ReadFile(scratch.path / file));
    };
    const std::string png = make(kGreen, "g.png");
    const std::string tga = make(kBlue, "b.tga");
    const std::string bmp = make(kBlue, "b.bmp");
    const struct {
        const char* what;
        std::map<std::string, std::string> files;
        const wchar_t* name;
        bool loads;
        u32 colour;
    } cases[] = {
        {"dds before png and tga",
         {{"ui/panel.dds", SolidDds(kRed)}, {"ui/panel.png", png}, {"ui/panel.tga", tga}},
         L"ui/panel",
         true,
         kRed},
        {"png before tga", {{"ui/panel.png", png}, {"ui/panel.tga", tga}}, L"ui/panel", true, kGreen},
        {"tga last", {{"ui/panel.tga", tga}}, L"ui/panel", true, kBlue},
        {"bmp is never searched", {{"ui/panel.bmp", bmp}}, L"ui/panel", false, 0},
        {"the name as given picks its own decoder", {{"ui/panel.png", png}}, L"ui/panel.png", true, kGreen},
        {"a bare name without an extension decodes nothing", {{"ui/panel", png}}, L"ui/panel", false, 0},
        {"a dot in a folder name is no extension", {{"ui.v2/panel.png", png}}, L"ui.v2/panel", true, kGreen},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all("ui");
        std::filesystem::remove_all("ui.v2");
        ResourceTexture::ForgetMisses(); // the files change under the same names
        for (const auto& [path, bytes] : c.files)
            Put(path, bytes);
        LogCapture log;
        auto texture = Get(c.name);
        EXPECT_EQ(texture->Load(), c.loads ? GE_OK : GE_FAIL);
        EXPECT_EQ(texture->IsLoaded(), c.loads);
        if (c.loads) {
            ASSERT_NE(Device(texture), nullptr);
            EXPECT_EQ(Device(texture)->Pixel(1, 1), c.colour);
            EXPECT_FLOAT_EQ(texture->width, 2.0f);
            EXPECT_FLOAT_EQ(texture->height, 2.0f);
        } else {
            EXPECT_EQ(texture->GetTexture(), nullptr);
            EXPECT_GE(log.Lines(), 1);
        }
    }
}

TEST_F(ResourceTextureTest, UnloadAndLastHandleFreeTheDeviceTexture)
{
    Put("tex.dds", SolidDds(kRed, 4, 2));
    {
        auto texture = Get(L"tex");
        ASSERT_EQ(texture->Load(), GE_OK);
        EXPECT_EQ(render.GetTextures().size(), 1u);
        EXPECT_FLOAT_EQ(texture->width, 4.0f);
        EXPECT_FLOAT_EQ(texture->height, 2.0f);
        ASSERT_EQ(texture->UnLoad(), GE_OK);
        EXPECT_TRUE(render.GetTextures().empty());
        ASSERT_EQ(texture->Load(), GE_OK);
    }
    EXPECT_TRUE(render.GetTextures().empty()) << "the last handle unloads and deletes";
    EXPECT_TRUE(resource::ResourceManager::GetMap<ResourceTexture>().empty());
}

TEST_F(ResourceTextureTest, FailuresOnTheWayLeaveNothingBehind)
{
    Put("bad.dds", "DDS garbage");
    Put("good.dds", SolidDds(kRed));
    {
        LogCapture log;
        auto texture = Get(L"bad");
        EXPECT_EQ(texture->Load(), GE_FAIL) << "a decode failure is a load failure";
        EXPECT_GE(log.Lines(), 1);
        EXPECT_EQ(render.GetTextures().size(), 0u) << "no device texture for an image that did not decode";
    }
    {
        // A miss is looked up and told once, however often it is asked for again.
        LogCapture log;
        for (int i = 0; i < 10; ++i) {
            auto texture = Get(L"missing");
            EXPECT_EQ(texture->Load(), GE_FAIL);
        }
        EXPECT_EQ(log.Count(L"Texture 'missing' not found."), 1);
        EXPECT_EQ(log.Lines(), 1);
    }
    {
        render.failCreateTexture = true;
        auto texture = Get(L"good");
        EXPECT_EQ(texture->Load(), GE_FAIL);
        render.failCreateTexture = false;
    }
    {
        test::MemoryTexture::failCreateFromImage = true;
        auto texture = Get(L"good");
        EXPECT_EQ(texture->Load(), GE_FAIL);
        EXPECT_FALSE(texture->IsLoaded());
        EXPECT_EQ(texture->GetTexture(), nullptr);
        EXPECT_TRUE(render.GetTextures().empty()) << "a texture that could not be filled is freed";
        test::MemoryTexture::failCreateFromImage = false;
        EXPECT_EQ(texture->Load(), GE_OK);
    }
    {
        auto texture = resource::ResourceManager::Get<ResourceTexture>(L"good");
        LogCapture log;
        EXPECT_EQ(texture->Load(), GE_FAIL) << "no renderer";
        EXPECT_EQ(log.Lines(), 1);
    }
}

TEST_F(ResourceTextureTest, LayerOfALayeredDocumentDecodesFromMemory)
{
    FakeImageContainer container;
    // A 4 x 2 layer at content scale 0.5: its record is 2 x 1 at (5, 10).
    container.layers[L"menu/ok"] = base::ImageInfo(L"menu/ok", 10, 20, 4, 2, 128, 7, true, true, 0.5f);
    std::vector<u32> words;
    for (u32 i = 0; i < 8; ++i)
        words.push_back(Argb(255, i, 0, 0));
    container.pixels[L"menu/ok"] = imgtest::BgraBytes(words);

    auto texture = Get(L"menu/menu/ok", &container, L"menu/ok");
    ASSERT_EQ(texture->Load(), GE_OK);
    EXPECT_EQ(texture->base::ImageInfo::name, L"menu/ok");
    EXPECT_EQ(texture->name, L"menu/menu/ok");
    EXPECT_FLOAT_EQ(texture->x, 5.0f);
    EXPECT_FLOAT_EQ(texture->y, 10.0f);
    EXPECT_FLOAT_EQ(texture->width, 2.0f) << "the record's rectangle stays";
    EXPECT_EQ(texture->opacity, 128u);
    EXPECT_EQ(texture->index, 7u);
    auto* device = Device(texture);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->GetWidth(), 4u) << "pixels at their real size";
    EXPECT_EQ(device->GetHeight(), 2u);
    for (u32 i = 0; i < 8; ++i)
        EXPECT_EQ(device->Pixel(i % 4, i / 4), words[i]);

    auto missing = Get(L"menu/none", &container, L"none");
    EXPECT_EQ(missing->Load(), GE_FAIL);
}

TEST_F(ResourceTextureTest, AtlasMembersShareOneLoadedAtlas)
{
    Put("menu/sheet.dds", SolidDds(kBlue, 8, 8));
    FakeImageContainer container;
    for (const wchar_t* layer : {L"a", L"b"}) {
        base::ImageInfo info(layer, 0, 0, 4, 4, 255, 0, true, false, 1.0f);
        info.inAtlas = true;
        info.atlasPath = L"menu/sheet";
        info.u = 0.5f;
        info.du = 0.5f;
        container.layers[layer] = info;
    }
    {
        auto a = Get(L"menu/a", &container, L"a");
        auto b = Get(L"menu/b", &container, L"b");
        ASSERT_EQ(a->Load(), GE_OK);
        ASSERT_EQ(b->Load(), GE_OK);
        EXPECT_EQ(a->GetTexture(), nullptr) << "no pixels of its own";
        ASSERT_TRUE(a->GetAtlas());
        EXPECT_EQ(a->GetAtlas().Get(), b->GetAtlas().Get());
        EXPECT_TRUE(a->GetAtlas()->IsLoaded());
        EXPECT_EQ(render.GetTextures().size(), 1u) << "the atlas is loaded once";
        EXPECT_EQ(a->GetAtlas().UseCount(), 2);
        EXPECT_FLOAT_EQ(a->u, 0.5f);
    }
    EXPECT_TRUE(render.GetTextures().empty()) << "the atlas goes with its last member";

    container.layers[L"a"].atlasPath = L"menu/nothing";
    auto broken = Get(L"menu/a", &container, L"a");
    EXPECT_EQ(broken->Load(), GE_FAIL) << "an atlas that fails to load fails its member";
}
