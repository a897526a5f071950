// The drawing context and its draw requests, observed through what a recording
// back end receives when the frame is replayed and the vertices it was handed.
#include "Core/Render/BufferDoubleCache.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/Image.h"
#include "Core/Render/RenderTarget.h"
#include "Core/Render/Shader.h"
#include "Core/Render/ShaderTextured.h"
#include "Core/Render/Vertex.h"
#include "Core/Resource/ResourceManager.h"
#include "tests/File/FileTestSupport.h"
#include "tests/Render/FakeImageContainer.h"
#include "tests/Render/ImageTestSupport.h"
#include "tests/Render/MemoryTexture.h"
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

namespace {

struct DrawCall {
    bool indexed = false;
    u32 type = 0;
    u32 start = 0; // first index, or first vertex when not indexed
    u32 count = 0; // primitives
    u32 minVertex = 0;
    u32 span = 0;
};

class DrawTest : public TempFolderTest {
protected:
    void SetUp() override
    {
        TempFolderTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(test::StartBuiltinGraphics(render, geom, mult, tint, graphics));
        image = MakeImage(64, 32);
        texture = static_cast<test::MemoryTexture*>(image->GetTexture());
        ASSERT_EQ(render.BeginScene(), GE_OK);
    }
    void TearDown() override
    {
        graphics.reset();
        image.reset();
        TempFolderTest::TearDown();
    }

    std::unique_ptr<render::Image> MakeImage(u32 w, u32 h)
    {
        auto* made = new test::MemoryTexture(&render);
        made->SetSize(w, h);
        return std::make_unique<render::Image>(made);
    }

    // Ends the frame, replays it and returns the draw calls the back end got.
    std::vector<DrawCall> Replay()
    {
        EXPECT_EQ(render.EndScene(), GE_OK);
        render.log.clear();
        EXPECT_EQ(render.ExecuteCommands(), GE_OK);
        std::vector<DrawCall> calls;
        for (const std::string& line : render.log) {
            std::istringstream in(line);
            std::string word;
            in >> word;
            DrawCall c;
            if (word == "drawindexed") {
                u32 indexSize = 0;
                c.indexed = true;
                in >> c.type >> indexSize >> c.start >> c.count >> c.minVertex >> c.span;
            } else if (word == "draw") {
                in >> c.type >> c.start >> c.count;
            } else {
                continue;
            }
            calls.push_back(c);
        }
        return calls;
    }

    template <class V> std::vector<V> Vertices(u32 first, u32 count)
    {
        auto* cache = render::GetVertexCache<V>(render);
        auto* device = static_cast<test::MemoryVertexBuffer*>(cache->GetMainBuffer()->GetDevice());
        std::vector<V> out(count);
        std::memcpy(out.data(), device->storage.data() + size_t(first) * sizeof(V), count * sizeof(V));
        return out;
    }
    std::vector<u16> Indices(u32 first, u32 count)
    {
        auto* device =
            static_cast<test::MemoryIndexBuffer*>(render.GetIndexCache16()->GetMainBuffer()->GetDevice());
        std::vector<u16> out(count);
        std::memcpy(out.data(), device->storage.data() + size_t(first) * 2, count * 2);
        return out;
    }
    // The four corners of the one quad drawn.
    std::vector<render::SVertex2D> OneQuad()
    {
        const auto calls = Replay();
        EXPECT_EQ(calls.size(), 1u);
        if (calls.size() != 1)
            return {};
        EXPECT_TRUE(calls[0].indexed);
        EXPECT_EQ(calls[0].type, 3u);
        EXPECT_EQ(calls[0].count, 2u);
        return Vertices<render::SVertex2D>(calls[0].minVertex, 4);
    }
    static void ExpectCorners(const std::vector<render::SVertex2D>& v, float x0, float y0, float x1, float y1)
    {
        ASSERT_EQ(v.size(), 4u);
        const float expected[4][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
        for (int i = 0; i < 4; ++i) {
            EXPECT_NEAR(v[i].x, expected[i][0], 1e-4) << "vertex " << i;
            EXPECT_NEAR(v[i].y, expected[i][1], 1e-4) << "vertex " << i;
            EXPECT_EQ(v[i].z, 0.0f);
        }
    }

    test::TextureRender render;
    std::unique_ptr<render::Shader> geom;
    std::unique_ptr<render::ShaderTextured> mult;
    std::unique_ptr<render::ShaderTextured> tint;
    std::unique_ptr<render::Graphics> graphics;
    test::MemoryTexture* texture = nullptr; // owned by image
    std::unique_ptr<render::Image> image;
};

} // namespace

TEST_F(DrawTest, AlignmentPlacesTheQuadAndSnapsIt)
{
    // Each row: h align, v align, expected corners (after the -0.5 snap) of a 64 x 32 image.
    const struct {
        u32 h, v;
        float x0, y0, x1, y1;
    } cases[] = {
        {0, 0, -0.5f, -0.5f, 63.5f, 31.5f},
        {1, 0, -64.5f, -0.5f, -0.5f, 31.5f},  // right-aligned spans -64.5 .. -0.5
        {2, 2, -32.5f, -16.5f, 31.5f, 15.5f}, // centred by exactly half
        {0, 1, -0.5f, -32.5f, 63.5f, -0.5f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "align " << c.h << "," << c.v);
        render.BeginScene();
        graphics->DrawImage(image.get()).SetAlign(c.h, c.v);
        ExpectCorners(OneQuad(), c.x0, c.y0, c.x1, c.y1);
    }
    // An odd width centres on a half pixel: images are not rounded.
    auto odd = MakeImage(63, 10);
    render.BeginScene();
    graphics->DrawImage(odd.get()).SetAlign(2, 0);
    ExpectCorners(OneQuad(), -32.0f, -0.5f, 31.0f, 9.5f);
}

TEST_F(DrawTest, ConvertedRequestsDrawOnceWithTheirTransform)
{
    // 64 x 32 image; expected corners after the snap.
    const struct {
        const char* what;
        std::function<void(render::Graphics&, render::Image*)> draw;
        float x0, y0, x1, y1;
    } cases[] = {
        {"translate", [](auto& g, auto* i) { g.DrawImage(i).Translate(10, 20); }, 9.5f, 19.5f, 73.5f, 51.5f},
        {"scale", [](auto& g, auto* i) { g.DrawImage(i).Scale(2); }, -0.5f, -0.5f, 127.5f, 63.5f},
        {"scale x y",
         [](auto& g, auto* i) {
             const float s[2] = {0.5f, 2.0f};
             g.DrawImage(i).ScaleXY(s);
         },
         -0.5f, -0.5f, 31.5f, 63.5f},
        {"translate then scale", [](auto& g, auto* i) { g.DrawImage(i).Translate(10, 20).Scale(2); }, 19.5f,
         39.5f, 147.5f, 103.5f},
        {"stretched",
         [](auto& g, auto* i) {
             const float dest[4] = {100, 50, 128, 16};
             g.DrawImageStretched(i, dest);
         },
         99.5f, 49.5f, 227.5f, 65.5f},
        {"part stretched",
         [](auto& g, auto* i) {
             const float src[4] = {16, 8, 32, 16};
             const float dest[4] = {0, 0, 64, 64};
             g.DrawImagePartStretched(i, src, dest);
         },
         -0.5f, -0.5f, 63.5f, 63.5f},
        {"held in a variable",
         [](auto& g, auto* i) {
             auto request = g.DrawImage(i).Translate(1, 1);
             auto moved = std::move(request);
             (void)moved;
         },
         0.5f, 0.5f, 64.5f, 32.5f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        render.BeginScene();
        c.draw(*graphics, image.get());
        ExpectCorners(OneQuad(), c.x0, c.y0, c.x1, c.y1);
    }
}

TEST_F(DrawTest, ContextTransformAppliesAfterTheRequest)
{
    math::Transform3D t;
    t.Translate(100, 0, 0);
    graphics->SetTransform(&t);
    graphics->DrawImage(image.get()).Translate(10, 0);
    ExpectCorners(OneQuad(), 109.5f, -0.5f, 173.5f, 31.5f);
    graphics->SetTransform(nullptr);
}

TEST_F(DrawTest, TextureCoordinatesFlipsAndParts)
{
    const float src[4] = {16, 8, 32, 16};
    {
        auto request = graphics->DrawImagePart(image.get(), src);
        request->flipX = 1;
    } // draws here
    const auto v = OneQuad();
    ASSERT_EQ(v.size(), 4u);
    // x from 16/64 to 48/64, swapped by the flip; y from 8/32 to 24/32.
    EXPECT_FLOAT_EQ(v[0].u, 0.75f);
    EXPECT_FLOAT_EQ(v[1].u, 0.25f);
    EXPECT_FLOAT_EQ(v[0].v, 0.25f);
    EXPECT_FLOAT_EQ(v[2].v, 0.75f);
    EXPECT_NEAR(v[2].x, 31.5f, 1e-4) << "the quad is the part's size";
    EXPECT_EQ(mult->GetTextureVariable()->GetValue(), texture);
    EXPECT_EQ(mult->GetMatrixVariable()->GetValue(), &render.GetProjection());

    // The whole image flipped upside down only.
    render.BeginScene();
    {
        auto request = graphics->DrawImage(image.get());
        request->flipY = 1;
    }
    const auto w = OneQuad();
    ASSERT_EQ(w.size(), 4u);
    EXPECT_EQ(w[0].u, 0.0f);
    EXPECT_EQ(w[1].u, 1.0f);
    EXPECT_EQ(w[0].v, 1.0f);
    EXPECT_EQ(w[2].v, 0.0f);
}

TEST_F(DrawTest, ConversionsCarryTheWholeBody)
{
    // Alignment, flips and source rectangle all move with the body into a converted request.
    const float src[4] = {16, 8, 32, 16};
    for (const bool scaled : {false, true}) {
        SCOPED_TRACE(scaled ? "translate then scale" : "translate");
        render.BeginScene();
        {
            auto request = graphics->DrawImagePart(image.get(), src);
            request.SetAlign(1, 1);
            request->flipX = 1;
            request->flipY = 1;
            if (scaled)
                request.Translate(10, 20).Scale(1);
            else
                request.Translate(10, 20);
        }
        const auto v = OneQuad();
        // The 32 x 16 part ends at the offset, then the snap.
        ExpectCorners(v, -22.5f, 3.5f, 9.5f, 19.5f);
        ASSERT_EQ(v.size(), 4u);
        EXPECT_FLOAT_EQ(v[0].u, 0.75f);
        EXPECT_FLOAT_EQ(v[1].u, 0.25f);
        EXPECT_FLOAT_EQ(v[0].v, 0.75f);
        EXPECT_FLOAT_EQ(v[2].v, 0.25f);
    }
}

TEST_F(DrawTest, ColourTintAndColourMode)
{
    graphics->SetColor(1.01f, 0.5f, -0.2f, 1.0f); // out-of-range channels clamp
    graphics->tint = 0.25f;
    EXPECT_EQ(graphics->SetColorMode(3), GE_OK);
    EXPECT_EQ(graphics->texturedShader, mult.get()) << "an unknown mode changes nothing";
    graphics->DrawImage(image.get());
    auto v = OneQuad();
    ASSERT_EQ(v.size(), 4u);
    for (const auto& vertex : v) {
        EXPECT_EQ(vertex.diffuse, 0xFFFF7F00u);
        EXPECT_EQ(vertex.specular, 63u << 8 | 192u);
    }
    EXPECT_EQ(render.lastShader, mult->GetProgram());

    EXPECT_EQ(render::Graphics::PackColor(1.0f, 0.0f, 0.0f, 0.5f), 0x7FFF0000u);
    EXPECT_EQ(render::Graphics::PackColor(2.0f, 1.5f, 1.01f, -1.0f), 0x00FFFFFFu);

    // Colour and tint written straight into the context (as layers do) reach the next quad.
    render.BeginScene();
    EXPECT_EQ(graphics->SetColorMode(2), GE_OK);
    graphics->tint = 1.0f;
    graphics->color = {0.0f, 0.0f, 1.0f, 1.0f};
    graphics->DrawImage(image.get());
    v = OneQuad();
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v[0].specular, 255u << 8);
    EXPECT_EQ(v[0].diffuse, 0xFF0000FFu);
    EXPECT_EQ(render.lastShader, tint->GetProgram());
    EXPECT_EQ(tint->GetTextureVariable()->GetValue(), texture);
}

TEST_F(DrawTest, ImagesOfOneTextureBatchIntoOneDraw)
{
    auto other = MakeImage(16, 16);
    graphics->DrawImage(image.get());
    graphics->DrawImage(image.get()).Translate(100, 0);
    graphics->DrawImage(other.get());
    const auto calls = Replay();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].count, 4u) << "two quads of the same texture, one draw";
    EXPECT_EQ(calls[0].span, 8u);
    EXPECT_EQ(calls[1].count, 2u);
    const auto indices = Indices(calls[0].start, 12);
    const std::vector<u16> expected = {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7};
    EXPECT_EQ(indices, expected);
}

TEST_F(DrawTest, FillRectAndLineAreSeparateDraws)
{
    graphics->SetColor(0.0f, 1.0f, 0.0f, 1.0f);
    const float rect[4] = {10, 20, 30, 40};
    const float p1[2] = {0, 0};
    const float p2[2] = {100, 50};
    graphics->FillRect(rect);
    graphics->DrawLine(p1, p2);
    const auto calls = Replay();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_TRUE(calls[0].indexed);
    EXPECT_EQ(calls[0].type, 3u);
    EXPECT_EQ(calls[0].count, 2u);
    EXPECT_FALSE(calls[1].indexed);
    EXPECT_EQ(calls[1].type, 1u);
    EXPECT_EQ(calls[1].count, 1u);
    EXPECT_EQ(render.lastShader, geom->GetProgram());

    const auto quad = Vertices<render::SVertexGeom>(calls[0].minVertex, 4);
    const float corners[4][2] = {{9.5f, 19.5f}, {39.5f, 19.5f}, {39.5f, 59.5f}, {9.5f, 59.5f}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(quad[i].x, corners[i][0]);
        EXPECT_FLOAT_EQ(quad[i].y, corners[i][1]);
        EXPECT_EQ(quad[i].diffuse, 0xFF00FF00u);
    }
    const auto line = Vertices<render::SVertexGeom>(calls[1].start, 2);
    EXPECT_FLOAT_EQ(line[0].x, -0.5f);
    EXPECT_FLOAT_EQ(line[1].x, 99.5f);
    EXPECT_FLOAT_EQ(line[1].y, 49.5f);
    EXPECT_EQ(line[1].diffuse, 0xFF00FF00u);
}

TEST_F(DrawTest, AtlasMemberDrawsItsPartOfTheAtlas)
{
    // An 8 x 8 atlas; the member is its 4 x 4 part at (4, 2).
    Put("menu/sheet.dds",
        imgtest::Bytes(imgtest::MakeDds(8, 8, 1, 0x41, nullptr, 32, std::vector<u8>(256, 0xFF))));
    test::FakeImageContainer container;
    base::ImageInfo info(L"icon", 0, 0, 4, 4, 255, 0, true, false, 1.0f);
    info.inAtlas = true;
    info.atlasPath = L"menu/sheet";
    info.u = 0.5f;
    info.v = 0.25f;
    info.du = 0.5f;
    info.dv = 0.5f;
    container.layers[L"icon"] = info;
    auto member = resource::ResourceManager::Get<resource::ResourceTexture>(L"menu/icon");
    member->renderer = &render;
    member->container = &container;
    member->nameInContainer = L"icon";
    ASSERT_EQ(member->Load(), GE_OK);

    render::Image icon(member);
    ASSERT_NE(icon.GetTexture(), nullptr);
    EXPECT_EQ(icon.GetTexture(), member->GetAtlas()->GetTexture()) << "drawn from the atlas texture";
    EXPECT_EQ(icon.GetWidth(), 4);
    EXPECT_EQ(icon.GetOffsetX(), 4);
    EXPECT_EQ(icon.GetOffsetY(), 2);
    EXPECT_FLOAT_EQ(icon.GetScaleX(), 1.0f);

    graphics->DrawImage(&icon);
    const auto v = OneQuad();
    ASSERT_EQ(v.size(), 4u);
    EXPECT_FLOAT_EQ(v[0].u, 0.5f);
    EXPECT_FLOAT_EQ(v[1].u, 1.0f);
    EXPECT_FLOAT_EQ(v[0].v, 0.25f);
    EXPECT_FLOAT_EQ(v[2].v, 0.75f);
    EXPECT_NEAR(v[2].x, 3.5f, 1e-4);
    EXPECT_EQ(mult->GetTextureVariable()->GetValue(), icon.GetTexture());
}

TEST_F(DrawTest, NullImageDrawsNothing)
{
    graphics->DrawImage(nullptr).Translate(1, 1);
    EXPECT_TRUE(Replay().empty());
}

TEST_F(DrawTest, RenderTargetContextOpensAndClosesItsOwnScene)
{
    auto* targetTexture = new test::MemoryTexture(&render);
    targetTexture->SetSize(32, 16);
    render::RenderTarget target(targetTexture, 1);
    const render::GraphicsShaders shaders{geom.get(), mult.get(), tint.get()};
    {
        // A scene is open (SetUp began one): the context leaves it alone.
        render::Graphics g(&target, shaders);
        EXPECT_EQ(g.openedScene, 0);
        g.DrawImage(image.get());
    }
    EXPECT_TRUE(render.IsInScene());
    const auto calls = Replay();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(render.lastTarget, targetTexture) << "drawn into the target";
    EXPECT_EQ(mult->GetMatrixVariable()->GetValue(), &target.projection);

    // Outside a scene it begins one, and ends and replays it when it goes.
    render.log.clear();
    {
        render::Graphics g(&target, shaders);
        EXPECT_EQ(g.openedScene, 1);
        EXPECT_TRUE(render.IsInScene());
        g.DrawImage(image.get());
    }
    EXPECT_FALSE(render.IsInScene());
    EXPECT_NE(std::find(render.log.begin(), render.log.end(), "drawindexed 3 2 0 2 0 4"), render.log.end());
    EXPECT_NE(std::find(render.log.begin(), render.log.end(), "end"), render.log.end());
}
