// Matrices, boxes, colour packing, the random source and the small record helpers.
#include "Core/Render/Math/BoundingBox.h"
#include "Core/Render/Math/Color.h"
#include "Core/Render/Math/MathHelpers.h"
#include "Core/Render/Math/Matrix3.h"
#include "Core/Render/Math/Matrix4.h"
#include "Core/Render/Math/Random.h"
#include <cfloat>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

TEST(Matrix, ProductsAreRowTimesColumnAndMayAliasTheirOutput)
{
    math::Matrix4 a = math::Matrix4::Identity();
    a.m[3][0] = 5.0f; // translate x by 5 (row vectors)
    math::Matrix4 b;
    b.m[0][0] = 2.0f; // scale x by 2
    b.m[1][1] = b.m[2][2] = b.m[3][3] = 1.0f;
    math::Matrix4 ab;
    math::Matrix4::Multiply(a, b, &ab);
    EXPECT_EQ(10.0f, ab.m[3][0]); // translate, then scale
    math::Matrix4::Multiply(b, a, &b);
    EXPECT_EQ(5.0f, b.m[3][0]); // scale, then translate
    EXPECT_EQ(5.0f, b[12]);

    math::Matrix3 t = math::Matrix3::Translation(5.0f, 0.0f);
    math::Matrix3 s;
    s.m[0][0] = 2.0f;
    s.m[1][1] = s.m[2][2] = 1.0f;
    math::Matrix3::Multiply(s, &t, t); // column vectors: translate, then scale
    EXPECT_EQ(10.0f, t.m[0][2]);
}

TEST(BoundingBox, EmptyBoxAndCorners)
{
    math::BoundingBox box;
    EXPECT_EQ(FLT_MAX, box.min.x);
    EXPECT_EQ(-FLT_MAX, box.max.z);
    EXPECT_TRUE(box.IsEmpty());
    box.AddPoint({1, 2, 3});
    box.AddPoint({-1, 5, 0});
    EXPECT_FALSE(box.IsEmpty());

    struct Corner {
        int index;
        float x, y, z;
    };
    const Corner corners[] = {{0, -1, 2, 0}, {1, -1, 2, 3}, {2, 1, 2, 3}, {3, 1, 2, 0}, {4, 1, 5, 3},
                              {5, -1, 5, 3}, {6, -1, 5, 0}, {7, 1, 5, 0}, {8, 0, 0, 0}, {-1, 0, 0, 0}};
    for (const auto& c : corners) {
        SCOPED_TRACE(c.index);
        math::Point3 p{9, 9, 9};
        box.GetCorner(c.index, &p);
        EXPECT_EQ(c.x, p.x);
        EXPECT_EQ(c.y, p.y);
        EXPECT_EQ(c.z, p.z);
    }
}

TEST(Color, PackingTruncatesEachChannelAndClampsItToAByte)
{
    struct Case {
        math::Point4 rgba;
        u32 argb;
    };
    const Case cases[] = {
        {{1.0f, 0.5f, 0.0f, 1.0f}, 0xFFFF7F00u}, // 127.5 truncates to 127
        {{0.0f, 0.0f, 1.0f, 0.0f}, 0x000000FFu},
        {{0.999f, 0.0f, 0.0f, 1.0f}, 0xFFFE0000u}, // 254.7 truncates to 254
        {{1.5f, 0.0f, 0.0f, 1.0f}, 0xFFFF0000u},   // 382 clamps to 255
        {{-0.5f, 0.0f, 0.0f, 1.0f}, 0xFF000000u},  // -127 clamps to 0
        {{1.01f, 0.0f, 0.0f, 1.0f}, 0xFFFF0000u},  // 257.55 clamps to 255
        {{std::nanf(""), 0.0f, 0.0f, 1e30f}, 0xFF000000u}, // NaN is 0, a huge alpha 255
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.argb);
        EXPECT_EQ(c.argb, ColorToArgb(c.rgba));
    }
}

TEST(Color, UnpackingDividesEachByteBy255)
{
    float rgba[4];
    ColorFromArgb(0x80FF4000u, rgba);
    EXPECT_EQ(1.0f, rgba[0]);
    EXPECT_EQ(64.0f / 255.0f, rgba[1]);
    EXPECT_EQ(0.0f, rgba[2]);
    EXPECT_EQ(128.0f / 255.0f, rgba[3]);
}

TEST(RandomFloat, HashGivesTheKnownSequenceFromAFreshCounter)
{
    const u32 raw[] = {0x20B1B623u, 0x71CABD6Fu, 0x0CF6A810u, 0x32042ECBu, 0xDA0549A6u};
    for (u32 i = 0; i < 5; ++i)
        EXPECT_EQ(raw[i], RandomHash(i + 1)) << i;

    ResetRandomCounter();
    for (u32 r : raw)
        EXPECT_EQ(static_cast<float>(r) * 0x1p-32f, RandomFloat());
}

TEST(RandomFloat, NeverReturnsOne)
{
    // Raw values from 2^32 - 128 up round to 2^32 as floats.
    EXPECT_LT(RandomUnitFromHash(0xFFFFFF7Fu), 1.0f);
    EXPECT_EQ(static_cast<float>(0xFFFFFF7Fu) * 0x1p-32f, RandomUnitFromHash(0xFFFFFF7Fu));
    for (u32 r : {0xFFFFFF80u, 0xFFFFFFC0u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(r);
        const float u = RandomUnitFromHash(r);
        EXPECT_LT(u, 1.0f);
        EXPECT_GT(u, 0.9999999f);
        EXPECT_LT(std::floor(u * 1000.0f), 1000.0f); // a valid index into 1000 entries
    }
    EXPECT_EQ(0.0f, RandomUnitFromHash(0));
}

TEST(MathHelpers, AssignFourWordsCopiesUnlessTheSameRecord)
{
    float dest[4] = {0, 0, 0, 0};
    const float source[4] = {1.5f, -2.0f, 3.0f, 4.0f};
    EXPECT_EQ(dest, AssignFourWords(dest, source));
    EXPECT_EQ(-2.0f, dest[1]);
    EXPECT_EQ(4.0f, dest[3]);
    EXPECT_EQ(dest, AssignFourWords(dest, dest));
    EXPECT_EQ(1.5f, dest[0]);
}

TEST(MathHelpers, RectUnionIsTheSmallestRectangleHoldingBoth)
{
    constexpr i32 kMax = std::numeric_limits<i32>::max();
    constexpr i32 kMin = std::numeric_limits<i32>::min();
    struct Case {
        const char* name;
        i32 a[4], b[4], expected[4];
    };
    const Case cases[] = {
        {"disjoint", {0, 0, 10, 10}, {20, 5, 5, 30}, {0, 0, 25, 35}},
        {"nested", {0, 0, 100, 100}, {10, 10, 5, 5}, {0, 0, 100, 100}},
        {"negative origin", {-10, -20, 5, 5}, {0, 0, 1, 1}, {-10, -20, 11, 21}},
        {"spanning the whole int range clamps", {kMin, 0, 10, 1}, {kMax - 1, 0, 1, 1}, {kMin, 0, kMax, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        i32 out[4] = {7, 7, 7, 7};
        EXPECT_EQ(out, RectUnion(c.a, out, c.b));
        EXPECT_EQ((std::vector<i32>(c.expected, c.expected + 4)), (std::vector<i32>(out, out + 4)));
    }
    i32 grow[4] = {0, 0, 10, 10};
    const i32 other[4] = {5, 5, 10, 10};
    RectUnion(grow, grow, other); // in place, as a control grows its own rectangle
    EXPECT_EQ((std::vector<i32>{0, 0, 15, 15}), (std::vector<i32>(grow, grow + 4)));
}

} // namespace
