// Texture resources loaded from real layered-image containers: a document layer
// decoded from memory, a folder layer read from its file, and an atlas member.
#include "Core/App/Application.h"
#include "Core/File/ImageContainer.h"
#include "Core/Resource/ResourceManager.h"
#include "Core/Resource/ResourceTexture.h"
#include "tests/File/FileTestSupport.h"
#include "tests/File/LayeredDocument.h"
#include "tests/Render/ImageTestSupport.h"
#include "tests/Render/MemoryTexture.h"

#include <memory>

namespace {

using resource::ResourceTexture;

class LayeredTextureTest : public TempFolderTest {
protected:
    void TearDown() override
    {
        GetApplication()->contentScale = 1.0f;
        TempFolderTest::TearDown();
    }

    resource::ResourceHandle<ResourceTexture> Get(const std::wstring& name, file::ImageContainer* container,
                                                  const std::wstring& inside)
    {
        return test::TextureResource(render, name, container, inside);
    }

    static test::MemoryTexture* Device(const resource::ResourceHandle<ResourceTexture>& t)
    {
        return test::DeviceTexture(t);
    }

    static std::string SolidDds(u32 colour, u32 w, u32 h)
    {
        return imgtest::Bytes(imgtest::MakeDds(w, h, 1, 0x41, nullptr, 32,
                                               imgtest::BgraBytes(std::vector<u32>(size_t(w) * h, colour))));
    }

    test::TextureRender render;
};

TEST_F(LayeredTextureTest, DocumentLayerDecodesAtItsRealSize)
{
    Put("ui/nested.psd", layeredtest::Text(layeredtest::NestedDocument()));
    GetApplication()->contentScale = 0.5f;
    std::unique_ptr<file::ImageContainer> doc(
        file::FileManager::Instance()->OpenImageContainer(L"ui/nested"));
    ASSERT_TRUE(doc);
    {
        auto texture = Get(L"ui/nested/ok", doc.get(), L"menu/buttons/ok");
        ASSERT_EQ(texture->Load(), GE_OK);
        EXPECT_FLOAT_EQ(texture->x, 2.0f);
        EXPECT_FLOAT_EQ(texture->y, 2.5f);
        EXPECT_FLOAT_EQ(texture->width, 3.0f);
        EXPECT_TRUE(texture->rawPixels);
        test::MemoryTexture* device = Device(texture);
        ASSERT_TRUE(device);
        EXPECT_EQ(device->GetWidth(), 6u);
        EXPECT_EQ(device->GetHeight(), 2u);
        for (u32 y = 0; y < 2; ++y)
            for (u32 x = 0; x < 6; ++x)
                EXPECT_EQ(device->Pixel(x, y), 0x80FF0000u) << x << "," << y;
    }
    EXPECT_EQ(Get(L"ui/nested/none", doc.get(), L"none")->Load(), GE_FAIL);
}

TEST_F(LayeredTextureTest, FolderLayerFileAndAtlasMember)
{
    Put("ui/menu/layers.xml", R"(<Layers>
  <Layer name="bg" x="4" y="6" width="2" height="2"/>
  <Layer name="ok" x="1" y="1" width="4" height="4" atlas="sheet.dds" tu1="0.5" tv1="0" tu2="1" tv2="0.5"/>
</Layers>)");
    Put("ui/menu/bg.dds", SolidDds(0xFF00FF00, 2, 2));
    Put("ui/menu/sheet.dds", SolidDds(0xFF0000FF, 8, 8));
    std::unique_ptr<file::ImageContainer> folder(
        file::FileManager::Instance()->OpenImageContainer(L"ui/menu"));
    ASSERT_TRUE(folder);
    {
        auto bg = Get(L"ui/menu/bg", folder.get(), L"bg");
        ASSERT_EQ(bg->Load(), GE_OK);
        ASSERT_TRUE(Device(bg));
        EXPECT_EQ(Device(bg)->Pixel(1, 1), 0xFF00FF00u);
        EXPECT_FLOAT_EQ(bg->x, 4.0f);

        auto ok = Get(L"ui/menu/ok", folder.get(), L"ok");
        ASSERT_EQ(ok->Load(), GE_OK);
        EXPECT_EQ(ok->GetTexture(), nullptr) << "an atlas member has no pixels of its own";
        ASSERT_TRUE(ok->GetAtlas());
        EXPECT_TRUE(ok->GetAtlas()->IsLoaded());
        EXPECT_EQ(Device(ok->GetAtlas())->Pixel(7, 7), 0xFF0000FFu);
        EXPECT_FLOAT_EQ(ok->u, 0.5f);
        EXPECT_FLOAT_EQ(ok->v, 0.5f);
    }
}

} // namespace
