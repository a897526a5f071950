// Device textures and buffers: creation from images, the opacity mask, CPU locks,
// and which objects a lost device releases and a reset makes again.
#include "Core/Render/DX9/IndexBufferImplDX9.h"
#include "Core/Render/DX9/VertexBufferImplDX9.h"
#include "tests/Render/Dx9TestSupport.h"

using namespace dx9test;

namespace {

using TextureDX9Test = Dx9Fixture;
using BufferDX9Test = Dx9Fixture;

TEST_F(TextureDX9Test, IsOpaqueAtReadsTheMaskInsideTheTextureOnly)
{
    // 3 x 2; the middle column is transparent.
    MemoryImage image(3, 2, {0xFF000000, 0x00FFFFFF, 0x01000000, 0xFFFFFFFF, 0x00000000, 0x80000000});
    render::TextureDX9* texture = MakeTexture(image);
    struct Case {
        int x, y;
        bool opaque;
    };
    const Case cases[] = {
        {0, 0, true},   {1, 0, false},  {2, 0, true},  {0, 1, true},  {1, 1, false},   {2, 1, true},
        {-1, 0, false}, {0, -1, false}, {3, 0, false}, {0, 2, false}, {-7, 99, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(texture->IsOpaqueAt(c.x, c.y), c.opaque) << c.x << "," << c.y;

    // A target has no mask.
    EXPECT_FALSE(MakeRenderTarget(4, 4)->IsOpaqueAt(0, 0));
}

TEST_F(TextureDX9Test, ImageTexturesHaveOneLevelWhateverTheImageSays)
{
    MemoryImage image(8, 8, std::vector<u32>(64, 0xFF112233), 4);
    render::TextureDX9* texture = MakeTexture(image);
    ASSERT_NE(texture->GetDeviceTexture(), nullptr);
    EXPECT_EQ(texture->GetDeviceTexture()->GetLevelCount(), 1u);
    EXPECT_EQ(image.copies, 1);
    EXPECT_EQ(texture->GetWidth(), 8u);
    EXPECT_EQ(texture->GetHeight(), 8u);

    // What was copied is what the texture holds.
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->GetDeviceTexture()->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(static_cast<const u32*>(locked.pBits)[0], 0xFF112233u);
    texture->GetDeviceTexture()->UnlockRect(0);
}

TEST_F(TextureDX9Test, ImageFailuresAreReturned)
{
    render::Texture* made = nullptr;
    ASSERT_EQ(renderer->CreateTexture(&made), GE_OK);
    std::unique_ptr<render::Texture> texture(made);

    MemoryImage failing(2, 2, std::vector<u32>(4, 0xFFFFFFFF));
    failing.copyResult = GE_FAIL;
    EXPECT_EQ(texture->CreateFromImage(failing), GE_FAIL);

    MemoryImage empty(0, 0, {});
    EXPECT_EQ(texture->CreateFromImage(empty), GE_FAIL);

    MemoryImage fine(2, 2, std::vector<u32>(4, 0xFFFFFFFF));
    D3D9Test_FailNext(device, D3D9TestCall::CreateTexture, E_OUTOFMEMORY);
    EXPECT_EQ(texture->CreateFromImage(fine), GE_FAIL);
    D3D9Test_FailNext(device, D3D9TestCall::LockRect, D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->CreateFromImage(fine), GE_FAIL);
    EXPECT_EQ(texture->CreateFromImage(fine), GE_OK);
}

TEST_F(TextureDX9Test, OnlyDynamicTexturesLock)
{
    MemoryImage image(2, 2, std::vector<u32>(4, 0xFFFFFFFF));
    u32 words = 0, pitch = 0;
    void* bits = nullptr;
    EXPECT_EQ(MakeTexture(image)->Lock(&words, &pitch, &bits), GE_FAIL);
    EXPECT_EQ(MakeRenderTarget(4, 4)->Lock(&words, &pitch, &bits), GE_FAIL);
    EXPECT_EQ(MakeRenderTarget(4, 4)->Unlock(), GE_FAIL);

    render::Texture* made = nullptr;
    ASSERT_EQ(renderer->CreateTexture(&made), GE_OK);
    textures.emplace_back(made);
    ASSERT_EQ(made->CreateDynamic(5, 3), GE_OK);
    ASSERT_EQ(made->Lock(&words, &pitch, &bits), GE_OK);
    ASSERT_NE(bits, nullptr);
    EXPECT_GE(pitch, 5u * 4u);
    EXPECT_EQ(words, 3u * pitch / 4u);
    EXPECT_EQ(made->Unlock(), GE_OK);
}

TEST_F(TextureDX9Test, LossReleasesDefaultPoolTexturesAndResetMakesThemAgain)
{
    MemoryImage image(2, 2, std::vector<u32>(4, 0xFFFFFFFF));
    render::TextureDX9* managed = MakeTexture(image);
    render::TextureDX9* target = MakeRenderTarget(12, 6);
    render::Texture* made = nullptr;
    ASSERT_EQ(renderer->CreateTexture(&made), GE_OK);
    textures.emplace_back(made);
    ASSERT_EQ(made->CreateDynamic(4, 4), GE_OK);
    auto* dynamicTexture = static_cast<render::TextureDX9*>(made);
    ASSERT_NE(target->GetSurface(), nullptr);

    renderer->LostDevice();
    EXPECT_NE(managed->GetDeviceTexture(), nullptr);
    EXPECT_EQ(target->GetDeviceTexture(), nullptr);
    EXPECT_EQ(target->GetSurface(), nullptr);
    EXPECT_EQ(dynamicTexture->GetDeviceTexture(), nullptr);

    ASSERT_EQ(renderer->ResetDevice(), GE_OK);
    ASSERT_NE(target->GetDeviceTexture(), nullptr);
    ASSERT_NE(dynamicTexture->GetDeviceTexture(), nullptr);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(target->GetDeviceTexture()->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 12u);
    EXPECT_EQ(desc.Height, 6u);
    EXPECT_TRUE(target->IsRenderTarget());
    EXPECT_TRUE(dynamicTexture->IsDynamic());
}

TEST_F(BufferDX9Test, LockCycle)
{
    render::VertexBufferImpl* made = nullptr;
    ASSERT_EQ(renderer->CreateVertexBuffer(render::SVertex2D::Format(), 8, false, &made), GE_OK);
    std::unique_ptr<render::VertexBufferImpl> buffer(made);
    EXPECT_TRUE(buffer->IsUnavailable());
    EXPECT_EQ(buffer->Unlock(), GE_FAIL);
    ASSERT_EQ(buffer->Lock(), GE_OK);
    EXPECT_FALSE(buffer->IsUnavailable());
    EXPECT_EQ(buffer->Lock(), GE_FAIL);
    void* at = nullptr;
    u32 got = 0;
    ASSERT_EQ(buffer->Take(3, &at, &got), GE_OK);
    EXPECT_EQ(buffer->GetUsed(), 3u);
    ASSERT_EQ(buffer->Unlock(), GE_OK);
    EXPECT_EQ(buffer->GetUsed(), 0u);
    EXPECT_EQ(buffer->Unlock(), GE_FAIL);
    ASSERT_EQ(buffer->Lock(), GE_OK);
    EXPECT_EQ(buffer->GetUsed(), 0u);
    EXPECT_EQ(buffer->Unlock(), GE_OK);
}

TEST_F(BufferDX9Test, CreatingTwiceFailsAndKeepsTheBuffer)
{
    render::VertexBufferImplDX9 vertices(renderer.get());
    ASSERT_EQ(vertices.Create(render::SVertex2D::Format(), 4, 1), GE_OK);
    IDirect3DVertexBuffer9* first = vertices.GetDeviceBuffer();
    EXPECT_EQ(vertices.Create(render::SVertexGeom::Format(), 9, 0), GE_FAIL);
    EXPECT_EQ(vertices.GetDeviceBuffer(), first);
    EXPECT_EQ(vertices.GetElementSize(), sizeof(render::SVertex2D));
    EXPECT_EQ(vertices.GetFormatId(), render::SVertex2D::Format().id);
    EXPECT_EQ(vertices.GetFvf(), render::SVertex2D::Format().fvf);

    render::IndexBufferImplDX9 indices(renderer.get());
    ASSERT_EQ(indices.Create(2, 4, 1), GE_OK);
    IDirect3DIndexBuffer9* firstIndices = indices.GetDeviceBuffer();
    EXPECT_EQ(indices.Create(4, 4, 1), GE_FAIL);
    EXPECT_EQ(indices.GetDeviceBuffer(), firstIndices);
}

TEST_F(BufferDX9Test, IndexSizesOtherThanFourAreSixteenBit)
{
    for (u32 size : {1u, 2u, 3u, 4u, 8u}) {
        render::IndexBufferImpl* made = nullptr;
        ASSERT_EQ(renderer->CreateIndexBuffer(size, 10, false, &made), GE_OK) << size;
        std::unique_ptr<render::IndexBufferImpl> buffer(made);
        EXPECT_EQ(buffer->GetIndexSize(), size == 4 ? 4u : 2u) << size;
        EXPECT_EQ(buffer->GetCapacity(), 10u);
    }
}

TEST_F(BufferDX9Test, ImpossibleSizesFail)
{
    render::VertexBufferImpl* made = nullptr;
    EXPECT_EQ(renderer->CreateVertexBuffer(render::SVertex2D::Format(), 0x10000000u, true, &made), GE_FAIL);
    EXPECT_EQ(renderer->CreateVertexBuffer(render::SVertex2D::Format(), 0, true, &made), GE_FAIL);
    EXPECT_EQ(made, nullptr);
    render::IndexBufferImpl* indices = nullptr;
    EXPECT_EQ(renderer->CreateIndexBuffer(4, 0x40000000u, true, &indices), GE_FAIL);
    EXPECT_EQ(indices, nullptr);
}

TEST_F(BufferDX9Test, LossReleasesDynamicBuffersOnly)
{
    render::VertexBufferImplDX9 dynamicVertices(renderer.get()), staticVertices(renderer.get());
    render::IndexBufferImplDX9 dynamicIndices(renderer.get()), staticIndices(renderer.get());
    ASSERT_EQ(dynamicVertices.Create(render::SVertex2D::Format(), 4, 1), GE_OK);
    ASSERT_EQ(staticVertices.Create(render::SVertex2D::Format(), 4, 0), GE_OK);
    ASSERT_EQ(dynamicIndices.Create(2, 6, 1), GE_OK);
    ASSERT_EQ(staticIndices.Create(4, 6, 0), GE_OK);
    IDirect3DVertexBuffer9* kept = staticVertices.GetDeviceBuffer();
    ASSERT_EQ(dynamicVertices.Lock(), GE_OK); // a lock does not outlive the buffer

    renderer->LostDevice();
    EXPECT_EQ(dynamicVertices.GetDeviceBuffer(), nullptr);
    EXPECT_FALSE(dynamicVertices.IsLocked());
    EXPECT_EQ(dynamicIndices.GetDeviceBuffer(), nullptr);
    EXPECT_EQ(staticVertices.GetDeviceBuffer(), kept);
    EXPECT_NE(staticIndices.GetDeviceBuffer(), nullptr);
    EXPECT_EQ(dynamicVertices.Lock(), GE_FAIL);

    ASSERT_EQ(renderer->ResetDevice(), GE_OK);
    EXPECT_NE(dynamicVertices.GetDeviceBuffer(), nullptr);
    EXPECT_NE(dynamicIndices.GetDeviceBuffer(), nullptr);
    EXPECT_EQ(staticVertices.GetDeviceBuffer(), kept);
    EXPECT_EQ(dynamicVertices.GetCapacity(), 4u);
    EXPECT_EQ(dynamicVertices.Lock(), GE_OK);
    EXPECT_EQ(dynamicVertices.Unlock(), GE_OK);
}

} // namespace
