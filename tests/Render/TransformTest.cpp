// The lazy 2-D and 3-D transforms: when they keep components, when they fall
// back to a matrix, and where they move points either way.
#include "Core/Render/Math/Transform2D.h"
#include "Core/Render/Math/Transform3D.h"
#include "Core/Render/Vertex.h"
#include <functional>
#include <gtest/gtest.h>

namespace {

using math::Transform2D;
using math::Transform3D;

struct Case2D {
    const char* name;
    std::function<void(Transform2D&)> build;
    bool matrixMode;
    float inX, inY, outX, outY;
};

TEST(Transform2D, ComponentOrMatrixModeAndWherePointsGo)
{
    const Case2D cases[] = {
        {"fresh", [](Transform2D&) {}, false, 3, 4, 3, 4},
        {"translate then scale: pre translation forces a matrix",
         [](Transform2D& t) {
             t.Translate(10, 0);
             t.Scale(2, 2);
         },
         true, 1, 1, 22, 2},
        {"scale then translate: post translation",
         [](Transform2D& t) {
             t.Scale(2, 2);
             t.Translate(10, 0);
         },
         false, 1, 1, 12, 2},
        {"mirror x (1 x -1 = -1)", [](Transform2D& t) { t.Scale(-1, 1); }, false, 3, 4, -3, 4},
        {"negative x other than a mirror", [](Transform2D& t) { t.Scale(-2, 1); }, true, 3, 4, -6, 4},
        {"negative y", [](Transform2D& t) { t.Scale(1, -1); }, true, 3, 4, 3, -4},
        {"mirror twice",
         [](Transform2D& t) {
             t.Scale(-1, 1);
             t.Scale(-1, 1);
         },
         true, 3, 4, 3, 4},
        {"rotation alone keeps components", [](Transform2D& t) { t.Rotate(90); }, false, 1, 0, 0, -1},
        {"rotate then translate: post",
         [](Transform2D& t) {
             t.Rotate(90);
             t.Translate(5, 0);
         },
         false, 1, 0, 5, -1},
        {"translate then rotate: pre",
         [](Transform2D& t) {
             t.Translate(1, 0);
             t.Rotate(90);
         },
         false, 0, 0, 0, -1},
        {"rotate then scale",
         [](Transform2D& t) {
             t.Rotate(90);
             t.Scale(2, 2);
         },
         true, 1, 0, 0, -2},
        {"scale then rotate",
         [](Transform2D& t) {
             t.Scale(2, 3);
             t.Rotate(90);
         },
         true, 1, 0, 0, -2},
        {"translate in matrix mode applies last",
         [](Transform2D& t) {
             t.Scale(-2, 1);
             t.Translate(1, 0);
         },
         true, 3, 4, -5, 4},
        {"negligible translation leaves points exactly",
         [](Transform2D& t) { t.Translate(0.0001f, 0.0001f); }, false, 3, 4, 3, 4},
        {"reset forgets matrix mode",
         [](Transform2D& t) {
             t.Scale(-2, 1);
             t.Reset();
             t.Translate(1, 1);
         },
         false, 3, 4, 4, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Transform2D t;
        c.build(t);
        EXPECT_EQ(c.matrixMode, t.IsMatrixMode());
        float x = c.inX, y = c.inY;
        t.TransformPoint(&x, &y);
        EXPECT_NEAR(c.outX, x, 1e-5f);
        EXPECT_NEAR(c.outY, y, 1e-5f);
    }
}

TEST(Transform2D, ComponentsKeepTranslationsApartFromScale)
{
    Transform2D t;
    t.Scale(2, 2);
    t.Translate(10, 0);
    EXPECT_EQ(0.0f, t.PreX());
    EXPECT_EQ(10.0f, t.PostX());
    EXPECT_EQ(2.0f, t.ScaleX());

    Transform2D mirrored;
    mirrored.Scale(-1, 1);
    EXPECT_TRUE(mirrored.IsScaled());
    EXPECT_EQ(-1.0f, mirrored.ScaleX());
}

TEST(Transform2D, VerticesMoveOnlyInXAndY)
{
    render::SVertex2D v[2] = {{1, 2, 7, 9, 0xAABBCCDD, 0x11, 0.5f, 0.25f}, {3, 4, 7, 9, 0, 0, 0, 0}};
    Transform2D t;
    t.Translate(10, 20);
    ASSERT_EQ(GE_OK, t.TransformVertices(v, render::SVertex2D::Format(), 2));
    EXPECT_EQ(11.0f, v[0].x);
    EXPECT_EQ(22.0f, v[0].y);
    EXPECT_EQ(7.0f, v[0].z);
    EXPECT_EQ(9.0f, v[0].w);
    EXPECT_EQ(0xAABBCCDDu, v[0].diffuse);
    EXPECT_EQ(0.5f, v[0].u);
    EXPECT_EQ(13.0f, v[1].x);
    EXPECT_EQ(24.0f, v[1].y);
}

struct Case3D {
    const char* name;
    std::function<void(Transform3D&)> build;
    bool matrixMode;
    math::Point3 in, out;
};

TEST(Transform3D, ComponentOrMatrixModeAndWherePointsGo)
{
    const float quarter = 1.5707964f;
    const Case3D cases[] = {
        {"fresh", [](Transform3D&) {}, false, {1, 2, 3}, {1, 2, 3}},
        {"translate then scale keeps components: the scale applies to pre",
         [](Transform3D& t) {
             t.Translate(10, 0, 0);
             t.Scale(2, 2, 2);
         },
         false,
         {1, 1, 1},
         {22, 2, 2}},
        {"scale then translate: post",
         [](Transform3D& t) {
             t.Scale(2, 2, 2);
             t.Translate(5, 0, 0);
         },
         false,
         {1, 1, 1},
         {7, 2, 2}},
        {"scale after a post translation",
         [](Transform3D& t) {
             t.Scale(2, 2, 2);
             t.Translate(5, 0, 0);
             t.Scale(3, 1, 1);
         },
         true,
         {1, 1, 1},
         {21, 2, 2}},
        {"negative factor", [](Transform3D& t) { t.Scale(-1, 1, 1); }, true, {1, 2, 3}, {-1, 2, 3}},
        {"rotation about z",
         [q = quarter](Transform3D& t) { t.Rotate(0, 0, q); },
         false,
         {1, 0, 0},
         {0, 1, 0}},
        {"second rotation",
         [q = quarter](Transform3D& t) {
             t.Rotate(0, 0, q);
             t.Rotate(0, 0, q);
         },
         true,
         {1, 0, 0},
         {-1, 0, 0}},
        {"rotate then scale",
         [q = quarter](Transform3D& t) {
             t.Rotate(0, 0, q);
             t.Scale(2, 2, 2);
         },
         true,
         {1, 0, 0},
         {0, 2, 0}},
        {"translate in matrix mode",
         [](Transform3D& t) {
             t.Scale(-1, 1, 1);
             t.Translate(0, 0, 4);
         },
         true,
         {1, 2, 3},
         {-1, 2, 7}},
        {"multiply",
         [](Transform3D& t) { t.Multiply(math::Matrix4::Identity()); },
         true,
         {1, 2, 3},
         {1, 2, 3}},
        {"negligible translation",
         [](Transform3D& t) { t.Translate(0.0001f, -0.0002f, 0.0001f); },
         false,
         {1, 2, 3},
         {1, 2, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Transform3D t;
        c.build(t);
        EXPECT_EQ(c.matrixMode, t.IsMatrixMode());
        math::Point3 p = c.in;
        t.TransformPoint(&p);
        EXPECT_NEAR(c.out.x, p.x, 1e-5f);
        EXPECT_NEAR(c.out.y, p.y, 1e-5f);
        EXPECT_NEAR(c.out.z, p.z, 1e-5f);
    }
}

TEST(Transform3D, AppendAppliesTheChildAfterTheParent)
{
    const std::function<void(Transform3D&)> children[] = {
        [](Transform3D& c) { c.Scale(2, 3, 1); },
        [](Transform3D& c) {
            c.Translate(1, 2, 0);
            c.Rotate(0, 0, 0.3f);
            c.Translate(4, 0, 0);
        },
        [](Transform3D& c) {
            c.Scale(-1, 1, 1);
            c.Translate(5, 0, 0);
        }, // matrix mode
    };
    for (size_t i = 0; i < std::size(children); ++i) {
        SCOPED_TRACE(i);
        Transform3D parent;
        parent.Translate(3, -1, 0);
        Transform3D child;
        children[i](child);

        const math::Point3 in{1, 2, 0};
        math::Point3 expected = in;
        Transform3D parentCopy = parent;
        parentCopy.TransformPoint(&expected);
        child.TransformPoint(&expected);

        parent.Append(child);
        math::Point3 got = in;
        parent.TransformPoint(&got);
        EXPECT_NEAR(expected.x, got.x, 1e-4f);
        EXPECT_NEAR(expected.y, got.y, 1e-4f);
        EXPECT_NEAR(expected.z, got.z, 1e-4f);
    }
}

TEST(Transform3D, VerticesOfThreeComponentPositions)
{
    render::SVertexGeom v[2] = {{1, 2, 3, 0x12345678}, {0, 0, 0, 0}};
    Transform3D t;
    t.Scale(-1, 1, 2);
    ASSERT_EQ(GE_OK, t.TransformVertices(v, render::SVertexGeom::Format(), 2));
    EXPECT_EQ(-1.0f, v[0].x);
    EXPECT_EQ(2.0f, v[0].y);
    EXPECT_EQ(6.0f, v[0].z);
    EXPECT_EQ(0x12345678u, v[0].diffuse);
}

} // namespace
