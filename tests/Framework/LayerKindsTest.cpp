// Image and text layers: bounds, hit tests, what they hand the font, and the draw
// frame they set on the graphics context (observed through a recording back end).
#include "Core/Render/BufferDoubleCache.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/Image.h"
#include "Core/Render/Shader.h"
#include "Core/Render/ShaderTextured.h"
#include "Core/Render/Vertex.h"
#include "Framework/Layer/ImageLayer.h"
#include "Framework/Layer/RectHitLayer.h"
#include "Framework/Layer/TextLayer.h"
#include "tests/Render/MemoryTexture.h"
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

namespace {

// A 4 x 2 image whose mask is opaque except at (0, 0) and (3, 1).
render::Image* MakeMaskedImage()
{
    auto* texture = new test::MemoryTexture(nullptr);
    texture->SetSize(4, 2);
    texture->mask.Resize(8);
    for (u32 i = 0; i < 8; ++i)
        texture->mask.Set(i, true);
    texture->mask.Set(0, false);
    texture->mask.Set(7, false);
    return new render::Image(texture);
}

TEST(ImageLayer, BoundsFollowTheAlignment)
{
    const struct {
        int h, v;
        float x0, y0, x1, y1;
    } cases[] = {
        {layer::ImageLayer::Left, layer::ImageLayer::Top, 0, 0, 4, 2},
        {layer::ImageLayer::Right, layer::ImageLayer::Bottom, -4, -2, 0, 0},
        {layer::ImageLayer::HCenter, layer::ImageLayer::VCenter, -2, -1, 2, 1},
    };
    layer::ImageLayer image;
    image.SetImage(MakeMaskedImage(), true);
    for (const auto& c : cases) {
        image.SetAlign(c.h, c.v);
        image.Update();
        EXPECT_FLOAT_EQ(image.localBounds.min.x, c.x0);
        EXPECT_FLOAT_EQ(image.localBounds.min.y, c.y0);
        EXPECT_FLOAT_EQ(image.localBounds.max.x, c.x1);
        EXPECT_FLOAT_EQ(image.localBounds.max.y, c.y1);
    }
    // Without an image the layer has no extent.
    image.SetImage(nullptr, false);
    image.Update();
    EXPECT_TRUE(image.parentBounds.IsEmpty());
}

TEST(ImageLayer, HitTestAsksTheMaskInsideTheImageOnly)
{
    layer::RectHitLayer root(layer::Rect{-100, -100, 200, 200});
    layer::HitTestListener listener;
    root.hitListener = &listener;
    auto* image = new layer::ImageLayer;
    image->SetImage(MakeMaskedImage(), true);
    image->SetPosition(10, 10, 0);
    root.AddChild(image);
    const struct {
        float x, y;
        bool hit;
        const char* why;
    } cases[] = {
        {10.0f, 10.0f, false, "(0, 0) asks the mask, which is clear there"},
        {11.0f, 10.0f, true, "opaque texel"},
        {13.9f, 10.0f, false, "rounds to x = 4, outside the image"},
        {14.0f, 10.5f, false, "exact right edge"},
        {11.0f, 12.0f, false, "exact bottom edge"},
        {12.6f, 11.0f, false, "rounds to (3, 1), clear in the mask"},
    };
    for (const auto& c : cases) {
        bool taken = false;
        EXPECT_EQ(layer::TestMove(&root, math::Point3{c.x, c.y, 0}, &taken), GE_OK);
        EXPECT_EQ(listener.acceptingLayer == image && taken, c.hit) << c.why;
        listener.acceptingLayer = nullptr;
    }
    root.RemoveChild(image);
    delete image;
}

class ImageLayerDraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(test::StartBuiltinGraphics(render, geom, mult, tint, graphics));
        auto* texture = new test::MemoryTexture(&render);
        texture->SetSize(8, 4);
        image = new layer::ImageLayer;
        image->SetImage(new render::Image(texture), true);
        parent.AddChild(image);
        ASSERT_EQ(render.BeginScene(), GE_OK);
    }
    void TearDown() override
    {
        parent.RemoveChild(image);
        delete image;
        graphics.reset();
    }

    // Replays the frame; the one quad drawn and the back end's log.
    std::vector<render::SVertex2D> Replay(std::vector<std::string>* log)
    {
        EXPECT_EQ(render.EndScene(), GE_OK);
        render.log.clear();
        EXPECT_EQ(render.ExecuteCommands(), GE_OK);
        *log = render.log;
        for (const std::string& line : render.log) {
            std::istringstream in(line);
            std::string word;
            u32 type = 0, indexSize = 0, start = 0, count = 0, minVertex = 0;
            in >> word;
            if (word != "drawindexed")
                continue;
            in >> type >> indexSize >> start >> count >> minVertex;
            auto* cache = render::GetVertexCache<render::SVertex2D>(render);
            auto* device = static_cast<test::MemoryVertexBuffer*>(cache->GetMainBuffer()->GetDevice());
            std::vector<render::SVertex2D> out(4);
            std::memcpy(out.data(), device->storage.data() + size_t(minVertex) * sizeof(render::SVertex2D),
                        4 * sizeof(render::SVertex2D));
            return out;
        }
        return {};
    }

    test::TextureRender render;
    std::unique_ptr<render::Shader> geom;
    std::unique_ptr<render::ShaderTextured> mult;
    std::unique_ptr<render::ShaderTextured> tint;
    std::unique_ptr<render::Graphics> graphics;
    layer::Layer parent;
    layer::ImageLayer* image = nullptr;
};

TEST_F(ImageLayerDraw, DrawsAtTheWorldTransformWithTheEffectiveOpacity)
{
    parent.SetPosition(100, 50, 0);
    parent.opacity = 0.5f;
    image->SetPosition(10, 20, 0);
    image->color = math::Point4{1.0f, 0.0f, 0.0f, 0.25f}; // its own alpha is not used
    image->secondBlend = true;
    math::Transform3D* before = graphics->GetTransform();
    ASSERT_EQ(parent.DrawTree(graphics.get()), GE_OK);
    // The context gets its own state back.
    EXPECT_EQ(graphics->GetTransform(), before);
    EXPECT_EQ(graphics->colorMode, u32(render::Graphics::Multiply));
    EXPECT_FLOAT_EQ(graphics->color.w, 1.0f);

    std::vector<std::string> log;
    auto quad = Replay(&log);
    ASSERT_EQ(quad.size(), 4u);
    EXPECT_NEAR(quad[0].x, 109.5f, 1e-4f);
    EXPECT_NEAR(quad[0].y, 69.5f, 1e-4f);
    EXPECT_NEAR(quad[2].x, 117.5f, 1e-4f);
    EXPECT_NEAR(quad[2].y, 73.5f, 1e-4f);
    EXPECT_EQ(quad[0].diffuse, 0x7FFF0000u);
    bool blend2 = false;
    for (const std::string& line : log)
        blend2 = blend2 || line == "blend 2";
    EXPECT_TRUE(blend2);
}

TEST_F(ImageLayerDraw, TransparentParentDrawsWithAlphaZero)
{
    parent.opacity = 0.0f;
    ASSERT_EQ(parent.DrawTree(graphics.get()), GE_OK);
    std::vector<std::string> log;
    auto quad = Replay(&log);
    ASSERT_EQ(quad.size(), 4u);
    EXPECT_EQ(quad[0].diffuse >> 24, 0u);
}

// Every glyph is 10 x 8; remembers the last layout it was given. Deleted by the test.
class BoxFont : public render::Font {
public:
    u32 Release() override
    {
        released = true;
        return 0;
    }
    GEResultEnum DoLoad() override { return GE_OK; }
    GEResultEnum DoUnLoad() override { return GE_OK; }
    float GetBase() const override { return 6; }
    float GetSizeMinusBase() const override { return 2; }
    float GetSize() const override { return 8; }
    float GetLineAdvance() const override { return 8; }
    float GetLeading() const override { return 0; }
    bool HasGlyph(wchar_t) const override { return true; }
    GEResultEnum RenderText(render::Graphics* g, render::DrawTextParam*, const std::wstring& text,
                            const render::TextLayout& layout, float* outSize) override
    {
        last = layout;
        drew = drew || g != nullptr;
        if (outSize) {
            outSize[0] = float(text.size()) * 10;
            if (layout.keepWidestLine == 0 && layout.maxWidth > 0)
                outSize[0] = layout.maxWidth;
            outSize[1] = 8;
        }
        return GE_OK;
    }

    render::TextLayout last;
    bool drew = false;
    bool released = false;
};

TEST(TextLayer, ConstructorArgumentsReachTheFontLayout)
{
    BoxFont font;
    int count = 1;
    layer::TextLayer::FontHandle handle(&font, &count);
    {
        layer::TextLayer text(handle, L"abc", 4.0f, 2u, false, 100.0f);
        EXPECT_EQ(count, 2);
        text.Update();
        EXPECT_FLOAT_EQ(font.last.indent, 4.0f);
        EXPECT_EQ(font.last.alignment, 2u);
        EXPECT_EQ(font.last.justifyLetters, 0);
        EXPECT_FLOAT_EQ(font.last.maxWidth, 100.0f);
        // The second flag is left at 0, so a maximum width becomes the measured width.
        EXPECT_EQ(font.last.keepWidestLine, 0);
        EXPECT_FLOAT_EQ(text.localBounds.max.x, 100.0f);
        EXPECT_FALSE(font.drew);
    }
    EXPECT_EQ(count, 1); // the layer dropped its reference
    handle.count = nullptr;
    handle.resource = nullptr;
}

TEST(TextLayer, BoundsFollowTheTextAndItsAlignment)
{
    BoxFont font;
    int count = 1;
    layer::TextLayer::FontHandle handle(&font, &count);
    layer::RectHitLayer root(layer::Rect{-100, -100, 200, 200});
    layer::HitTestListener listener;
    root.hitListener = &listener;
    auto* text = new layer::TextLayer(handle, L"abc");
    root.AddChild(text);

    text->Update();
    EXPECT_FLOAT_EQ(text->localBounds.min.x, 0.0f);
    EXPECT_FLOAT_EQ(text->localBounds.max.x, 30.0f);
    EXPECT_FLOAT_EQ(text->localBounds.max.y, 8.0f);

    // Centred: shifted by floor(-w / 2).
    text->SetText(L"abcdefghijklmnopqrstuvwxyz12345"); // 310 wide
    text->SetAlign(2, 0);
    text->Update();
    EXPECT_FLOAT_EQ(text->localBounds.min.x, -155.0f);
    text->SetText(L"a"); // 10 wide
    text->Update();
    EXPECT_FLOAT_EQ(text->localBounds.min.x, -5.0f);

    bool taken = false;
    layer::TestMove(&root, math::Point3{0, 4, 0}, &taken);
    EXPECT_TRUE(taken && listener.acceptingLayer == text);

    // An empty text has empty bounds and is never hit.
    text->SetText(L"");
    listener.acceptingLayer = nullptr;
    layer::TestMove(&root, math::Point3{0, 4, 0}, &taken);
    EXPECT_TRUE(text->localBounds.IsEmpty());
    EXPECT_NE(listener.acceptingLayer, text);

    root.RemoveChild(text);
    delete text;
    handle.count = nullptr;
    handle.resource = nullptr;
}

TEST(TextLayer, SnapToPixelsPutsTheBoxCornerOnAWholePixel)
{
    BoxFont font;
    int count = 1;
    layer::TextLayer::FontHandle handle(&font, &count);
    layer::TextLayer text(handle, L"abc"); // 30 wide, centred at -15
    text.SetAlign(2, 2);                   // middle: -floor(8 / 2) = -4
    text.SetPosition(10.3f, 20.7f, 0);
    text.SnapToPixels();
    EXPECT_FLOAT_EQ(text.position.x, 10.0f); // floor(10.3 - 15) + 15
    EXPECT_FLOAT_EQ(text.position.y, 20.0f); // floor(20.7 - 4) + 4
    handle.count = nullptr;
    handle.resource = nullptr;
}

} // namespace
