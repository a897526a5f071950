// Drawing a crystal drop, observed through what a recording back end receives: the
// shadow fades in under the landing spot over the last fifth of the fall, lies under it
// opaque, and goes with the pick-up; the gem is drawn at the drop's position.
#include "Core/Render/Image.h"
#include "Source/TD/Towers/TDCrystalDrop.h"
#include "Source/TD/World/TDAnimationSet.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDResources.h"
#include "tests/Support/ReplayedQuads.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

class CrystalDraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(test::StartBuiltinGraphics(render, geom, mult, tint, graphics));
        ASSERT_EQ(render.BeginScene(), GE_OK);
        shadow.mImage = Picture(32, 14);
        gem = new SpriteDescription;
        gem->name = L"td/crystall";
        auto* frame = new TDFrameEntry;
        frame->mImage = Picture(20, 20);
        frame->mWidth = frame->mHeight = 20.0f;
        gem->lists[""].push_back(frame);
        TDResources::Instance()->mDescriptions.push_back(gem);
    }
    void TearDown() override
    {
        graphics.reset();
        TDResources::Instance()->clear();
    }
    std::shared_ptr<render::Image> Picture(u32 w, u32 h)
    {
        auto* texture = new test::MemoryTexture(&render);
        texture->SetSize(w, h);
        return std::make_shared<render::Image>(texture);
    }
    // A drop of this test's look falling from (100, 100) to (160, 100).
    std::unique_ptr<TDCrystallSpecial> Drop()
    {
        auto drop = std::make_unique<TDCrystallSpecial>(nullptr, 0.0f);
        drop->shadow = &shadow;
        drop->animation->mAnchorX = drop->animation->mAnchorY = 0.0f;
        drop->from = {100.0f, 100.0f};
        drop->to = {160.0f, 100.0f};
        drop->control = {130.0f, 75.0f};
        return drop;
    }
    test::TextureRender render;
    std::unique_ptr<render::Shader> geom;
    std::unique_ptr<render::ShaderTextured> mult;
    std::unique_ptr<render::ShaderTextured> tint;
    std::unique_ptr<render::Graphics> graphics;
    TDFrameEntry shadow;
    SpriteDescription* gem = nullptr; // owned by TDResources
};

} // namespace

TEST_F(CrystalDraw, ShadowFadesInLiesAndGoes)
{
    struct Case {
        const char* what;
        int state;
        float clock;
        bool shadow;
        u32 alpha; // of the shadow
    } cases[] = {
        {"early in the fall: no shadow", TDGoldSpecial::Flying, 0.5f, false, 0},
        {"at 0.8 of the fall: not yet", TDGoldSpecial::Flying, 0.8f, false, 0},
        {"at 0.9: half faded in", TDGoldSpecial::Flying, 0.9f, true, 127},
        {"lying: opaque", TDGoldSpecial::Lying, 1.0f, true, 255},
        {"picked up: gone", TDGoldSpecial::Collected, 0.5f, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<TDCrystallSpecial> drop = Drop();
        drop->state = c.state;
        drop->clock = c.clock;
        drop->draw(graphics.get());
        EXPECT_EQ(graphics->color.w, 1.0f) << "left in opaque white";
        const std::vector<test::ReplayedQuad> quads = test::ReplayQuads(render);
        ASSERT_EQ(quads.size(), c.shadow ? 2u : 1u);
        const test::ReplayedQuad& body = quads.back();
        EXPECT_NEAR(body.x, drop->position.x - 0.5f, 1e-3f) << "the gem at the drop's position";
        EXPECT_NEAR(body.y, drop->position.y - 0.5f, 1e-3f);
        if (!c.shadow)
            continue;
        const test::ReplayedQuad& under = quads.front();
        EXPECT_NEAR(under.x, 160.0f - 16.0f - 0.5f, 1e-3f) << "centred under the landing spot";
        EXPECT_NEAR(under.y, 105.0f - 7.0f - 0.5f, 1e-3f);
        EXPECT_NEAR(static_cast<float>(under.alpha), static_cast<float>(c.alpha), 1.0f);
    }
}
