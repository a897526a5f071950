// Per-frame leasing from the buffer caches, and the vertex format descriptors.
#include "Core/Render/BufferDoubleCache.h"
#include "Core/Render/Vertex.h"
#include "RecordingRender.h"
#include <gtest/gtest.h>

namespace {

using GeomCache = render::BufferDoubleCache<render::VertexBuffer<render::SVertexGeom>>;
using Lease = GeomCache::LeaseType;

// A small cache: a main buffer of 8 vertices, extras of 4.
class BufferCache : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(GE_OK, GeomCache::Create(&r, 8, 4, cache));
        ASSERT_EQ(GE_OK, cache->BeginFrame());
    }

    Lease Take(u32 count, GEResultEnum expected = GE_OK)
    {
        Lease lease;
        render::SVertexGeom* write = nullptr;
        EXPECT_EQ(expected, cache->Lease(count, &write, &lease));
        if (expected == GE_OK) {
            EXPECT_NE(nullptr, write);
            // The pointer is where the lease says, inside its buffer.
            auto* device = static_cast<test::MemoryVertexBuffer*>(lease.buffer->GetDevice());
            EXPECT_EQ(device->storage.data() + sizeof(render::SVertexGeom) * lease.start,
                      reinterpret_cast<u8*>(write));
            for (u32 i = 0; i < count; ++i)
                write[i].diffuse = 0xFFFFFFFF; // writable, as ASan checks
        }
        return lease;
    }

    test::RecordingRender r;
    std::unique_ptr<GeomCache> cache;
};

TEST_F(BufferCache, LeaseOfExactlyTheLimitOnAFullMainBufferAddsOneExtra)
{
    const Lease all = Take(8);
    EXPECT_EQ(cache->GetMainBuffer(), all.buffer);
    const Lease extra = Take(4);
    EXPECT_EQ(1u, cache->GetExtraCount());
    EXPECT_EQ(cache->GetExtraBuffer(0), extra.buffer);
    EXPECT_EQ(0u, extra.start);
    EXPECT_EQ((std::vector<u32>{8, 4}), r.createdVertexCounts);

    // Limit + 1 with no room anywhere fails and creates nothing.
    Take(5, GE_FAIL);
    EXPECT_EQ(1u, cache->GetExtraCount());
    EXPECT_EQ(2u, r.createdVertexCounts.size());
}

TEST_F(BufferCache, LeasesNeverStraddleBuffersAndTakeTheFirstThatFits)
{
    const Lease a = Take(6);
    const Lease b = Take(4); // 2 left in main: goes whole to a new extra
    EXPECT_EQ(cache->GetMainBuffer(), a.buffer);
    EXPECT_EQ(cache->GetExtraBuffer(0), b.buffer);
    EXPECT_EQ(0u, b.start);
    EXPECT_EQ(6u, cache->GetMainBuffer()->GetDevice()->GetUsed());

    const Lease c = Take(2); // exactly the room left in main
    EXPECT_EQ(cache->GetMainBuffer(), c.buffer);
    EXPECT_EQ(6u, c.start);
    EXPECT_EQ(0u, cache->GetMainBuffer()->GetDevice()->GetFree());

    const Lease d = Take(3); // main full, first extra full: a second extra
    EXPECT_EQ(2u, cache->GetExtraCount());
    EXPECT_EQ(cache->GetExtraBuffer(1), d.buffer);
}

TEST_F(BufferCache, ALeaseLargerThanTheLimitStillFitsAnEmptyMainBuffer)
{
    const Lease big = Take(6);
    EXPECT_EQ(cache->GetMainBuffer(), big.buffer);
    EXPECT_EQ(0u, cache->GetExtraCount());
}

TEST_F(BufferCache, EveryFrameLeasesFromElementZeroAgain)
{
    Take(8);
    Take(4);
    ASSERT_EQ(GE_OK, cache->EndFrame());
    EXPECT_FALSE(cache->GetMainBuffer()->GetDevice()->IsLocked());
    EXPECT_FALSE(cache->GetExtraBuffer(0)->GetDevice()->IsLocked());

    ASSERT_EQ(GE_OK, cache->BeginFrame());
    const Lease first = Take(3);
    EXPECT_EQ(cache->GetMainBuffer(), first.buffer);
    EXPECT_EQ(0u, first.start);
    // Locked once per frame, at its first lease.
    EXPECT_EQ(2, static_cast<test::MemoryVertexBuffer*>(first.buffer->GetDevice())->lockCount);
    EXPECT_EQ(1u, cache->GetExtraCount()); // extras are kept
}

TEST_F(BufferCache, FrameRules)
{
    EXPECT_EQ(GE_FAIL, cache->BeginFrame()); // already in a frame
    ASSERT_EQ(GE_OK, cache->EndFrame());
    Take(1, GE_FAIL); // outside a frame
    EXPECT_EQ(GE_FAIL, cache->EndFrame());

    // A failed unlock is reported, yet the frame ends.
    ASSERT_EQ(GE_OK, cache->BeginFrame());
    Take(1);
    static_cast<test::MemoryVertexBuffer*>(cache->GetMainBuffer()->GetDevice())->failUnlock = true;
    EXPECT_EQ(GE_FAIL, cache->EndFrame());
    EXPECT_FALSE(cache->IsInFrame());
}

TEST_F(BufferCache, FailingBufferCreationIsReturned)
{
    Take(8);
    r.failCreateBuffers = true;
    Take(2, GE_FAIL);
    EXPECT_EQ(0u, cache->GetExtraCount());

    std::unique_ptr<GeomCache> none;
    EXPECT_EQ(GE_FAIL, GeomCache::Create(&r, 8, 4, none));
    EXPECT_EQ(nullptr, none);
}

TEST(IndexCache, LeasesSixteenBitIndices)
{
    test::RecordingRender r;
    std::unique_ptr<render::BufferDoubleCache<render::IndexBuffer<u16>>> cache;
    ASSERT_EQ(GE_OK, (render::BufferDoubleCache<render::IndexBuffer<u16>>::Create(&r, 12, 6, cache)));
    ASSERT_EQ(GE_OK, cache->BeginFrame());
    u16* write = nullptr;
    render::BufferLease<render::IndexBuffer<u16>> lease;
    ASSERT_EQ(GE_OK, cache->Lease(6, &write, &lease));
    ASSERT_EQ(GE_OK, cache->Lease(6, &write, &lease));
    EXPECT_EQ(6u, lease.start);
    EXPECT_EQ(2u, lease.buffer->GetDevice()->GetIndexSize());
    write[5] = 0xFFFF;
    ASSERT_EQ(GE_OK, cache->EndFrame());
}

TEST(VertexFormats, BuiltInDescriptors)
{
    struct Expected {
        const render::VertexFormat& format;
        u32 id, capacity, limit, stride, fvf;
        std::vector<std::string> names;
        std::vector<u32> offsets;
    };
    const Expected table[] = {
        {render::SVertex2D::Format(),
         0,
         40960,
         10240,
         32,
         0x41C2,
         {"pos", "diff", "spec", "tutv"},
         {0, 16, 20, 24}},
        {render::SVertexGeom::Format(), 1, 5120, 1024, 16, 0x042, {"pos", "diff"}, {0, 12}},
        {render::SVertexRT::Format(), 2, 0, 0, 24, 0x4102, {"pos", "tutv"}, {0, 16}},
    };
    for (const auto& e : table) {
        SCOPED_TRACE(e.id);
        const auto& f = e.format;
        EXPECT_EQ(e.id, f.id);
        EXPECT_EQ(e.capacity, f.bufferCapacity);
        EXPECT_EQ(e.limit, f.leaseLimit);
        EXPECT_EQ(e.stride, f.stride);
        EXPECT_EQ(e.fvf, f.fvf);
        std::vector<std::string> names;
        std::vector<u32> offsets;
        for (const auto& element : f.elements) {
            names.push_back(element.name);
            offsets.push_back(element.offset);
        }
        EXPECT_EQ(e.names, names);
        EXPECT_EQ(e.offsets, offsets);
        EXPECT_EQ("pos", f.position.name);
        EXPECT_EQ(&f, render::VertexFormat::Find(e.id));
    }
    // The caches of the built-ins are looked up by these constants.
    EXPECT_EQ(render::SVertex2D::kFormatId, render::SVertex2D::Format().id);
    EXPECT_EQ(render::SVertexGeom::kFormatId, render::SVertexGeom::Format().id);
    EXPECT_EQ(render::SVertexRT::kFormatId, render::SVertexRT::Format().id);
    EXPECT_EQ(4u, render::SVertex2D::Format().position.components);
    EXPECT_EQ(3u, render::SVertexGeom::Format().position.components);
    EXPECT_EQ(nullptr, render::VertexFormat::Find(render::VertexFormat::GetCount()));
}

TEST(VertexFormats, TextureCoordinateBitsFollowComponentCountAndPosition)
{
    // Two texture-coordinate sets of 1 and 4 components: size codes 3 and 2 at
    // their slots, and a count of 2 in bits 8..11.
    const render::VertexFormat f(0, 0, 32,
                                 {{"pos", 0, 12, render::VertexElementKind::PositionXYZ},
                                  {"t0", 12, 4, render::VertexElementKind::TexCoord},
                                  {"t1", 16, 16, render::VertexElementKind::TexCoord}});
    EXPECT_EQ(0x002u | (3u << 16) | (2u << 18) | (2u << 8), f.fvf);
    EXPECT_EQ((std::vector<std::pair<u32, u32>>{{1, 12}, {4, 16}}), f.texcoords);
}

} // namespace
