// Leasing from the extra buffers stays first fit when a frame holds many of them:
// smaller leases still go back to the earliest extra with room, and a new frame
// starts over from the first extra.
#include "Core/Render/BufferDoubleCache.h"
#include "Core/Render/Vertex.h"
#include "RecordingRender.h"
#include <gtest/gtest.h>

namespace {

using GeomCache = render::BufferDoubleCache<render::VertexBuffer<render::SVertexGeom>>;

// Which buffer a lease of `count` went to: -1 the main buffer, else the extra's index.
int LeaseInto(GeomCache& cache, u32 count, u32* start = nullptr)
{
    GeomCache::LeaseType lease;
    render::SVertexGeom* write = nullptr;
    EXPECT_EQ(GE_OK, cache.Lease(count, &write, &lease));
    if (start)
        *start = lease.start;
    if (lease.buffer == cache.GetMainBuffer())
        return -1;
    for (size_t i = 0; i < cache.GetExtraCount(); ++i)
        if (cache.GetExtraBuffer(i) == lease.buffer)
            return static_cast<int>(i);
    return -2;
}

TEST(BufferLeaseFirstFit, SmallerLeasesReturnToTheEarliestExtraWithRoom)
{
    test::RecordingRender r;
    std::unique_ptr<GeomCache> cache;
    ASSERT_EQ(GE_OK, GeomCache::Create(&r, 8, 4, cache)); // main 8, extras of 4
    ASSERT_EQ(GE_OK, cache->BeginFrame());

    const struct {
        u32 count;
        int buffer;
    } steps[] = {
        {8, -1}, // fills main
        {3, 0},  {3, 1}, {3, 2}, // each extra keeps 1 free
        {1, 0},                  // smaller than the leases before it: the first extra again
        {3, 3},                  // nothing before has 3: a new extra
        {1, 1},  {1, 2}, {1, 3}, // the single free elements, in order
        {2, 4},  {2, 4},         // the next extra fills up
        {4, 5},
        {1, 6},                  // every earlier extra is full
    };
    for (size_t i = 0; i < std::size(steps); ++i)
        EXPECT_EQ(steps[i].buffer, LeaseInto(*cache, steps[i].count)) << "step " << i;

    // The next frame fills the main buffer and then the first extra from element 0.
    ASSERT_EQ(GE_OK, cache->EndFrame());
    ASSERT_EQ(GE_OK, cache->BeginFrame());
    EXPECT_EQ(-1, LeaseInto(*cache, 8));
    u32 start = 99;
    EXPECT_EQ(0, LeaseInto(*cache, 4, &start));
    EXPECT_EQ(0u, start);
    EXPECT_EQ(1, LeaseInto(*cache, 1));
    EXPECT_EQ(7u, cache->GetExtraCount()); // none made in the second frame
    ASSERT_EQ(GE_OK, cache->EndFrame());
}

} // namespace
