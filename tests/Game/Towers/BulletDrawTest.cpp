// Drawing the shots, observed through what a recording back end receives when the
// frame is replayed.
#include "tests/Game/Towers/BulletField.h"

#include "Core/Render/Image.h"
#include "Source/TD/World/TDAnimationSet.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "tests/Render/MemoryTexture.h"
#include "tests/Support/ReplayedQuads.h"

#include <gtest/gtest.h>

namespace {

// Ammunition 2001 (a still picture), 2003 (the lobbed shell, animated), 2005 (no
// sprite); towers 10 (straight, 2001), 13 (lobbing), 15 (straight, 2005), 16 (whose
// ammunition is missing).
const char* kSheet = "id;strength;speed;r;ammoid;health\n"
                     "1;0;40;0;0;20\n"
                     "2001;0;0;0;0;0\n"
                     "2003;0;0;90;0;0\n"
                     "2005;0;0;0;0;0\n"
                     "10;5;100;400;2001;0\n"
                     "13;5;100;400;2003;0\n"
                     "15;5;100;400;2005;0\n"
                     "16;5;100;400;2999;0\n";

class BulletDraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(test::StartBuiltinGraphics(render, geom, mult, tint, graphics));
        ASSERT_EQ(render.BeginScene(), GE_OK);
    }
    void TearDown() override { graphics.reset(); }

    std::shared_ptr<render::Image> Picture(u32 w, u32 h)
    {
        auto* texture = new test::MemoryTexture(&render);
        texture->SetSize(w, h);
        return std::make_shared<render::Image>(texture);
    }
    TDFrameEntry* Frame(u32 w, u32 h)
    {
        auto* frame = new TDFrameEntry;
        frame->mImage = Picture(w, h);
        frame->mWidth = static_cast<float>(w);
        frame->mHeight = static_cast<float>(h);
        return frame;
    }
    test::TextureRender render;
    std::unique_ptr<render::Shader> geom;
    std::unique_ptr<render::ShaderTextured> mult;
    std::unique_ptr<render::ShaderTextured> tint;
    std::unique_ptr<render::Graphics> graphics;
};

} // namespace

TEST_F(BulletDraw, StillShotsCentredAnimatedShellsByTheirAnimationOthersNot)
{
    BulletField f(kSheet);
    SpriteDescription still;
    still.name = still.secondName = L"td/bullets/dot.png";
    still.lists[""].push_back(Frame(8, 8));
    f.sheet.store->find(2001)->sprite = &still;
    auto* shell = new SpriteDescription;
    shell->name = L"td/tower3_1b";
    shell->lists["fire"].push_back(Frame(16, 16));
    TDResources::Instance()->mDescriptions.push_back(shell);
    f.sheet.store->find(2003)->sprite = shell;

    TDMob* target = f.unit(300, 0);
    TDBullet* dot = f.fire(f.tower(10, 40, 20), target);
    TDBullet* lob = f.fire(f.tower(13, 0, 0), target);
    f.fire(f.tower(15, 0, 0), target); // no sprite: nothing drawn
    f.fire(f.tower(16, 0, 0), target); // no ammunition: skipped
    f.list->add(new TDBullet(nullptr, nullptr)); // no tower (a spell): not drawn
    ASSERT_NE(lob->animation, nullptr);
    lob->animation->mAnchorX = lob->animation->mAnchorY = 0.0f;

    graphics->SetColor(0.2f, 0.2f, 0.2f, 0.5f);
    f.list->draw(graphics.get());
    EXPECT_EQ(graphics->color.w, 1.0f) << "drawn in opaque white";
    std::vector<std::string> others;
    const auto quads = test::ReplayQuads(render, &others);
    ASSERT_EQ(quads.size(), 2u);
    EXPECT_FLOAT_EQ(quads[0].x, dot->position.x - 4.0f - 0.5f) << "centred on the shot";
    EXPECT_FLOAT_EQ(quads[0].y, dot->position.y - 4.0f - 0.5f);
    EXPECT_FLOAT_EQ(quads[1].x, lob->position.x - 0.5f) << "the shell's frame at its anchor";
    EXPECT_FLOAT_EQ(quads[1].y, lob->position.y - 0.5f);
    std::vector<std::string> blends;
    for (const std::string& line : others)
        if (line.rfind("blend", 0) == 0)
            blends.push_back(line);
    ASSERT_FALSE(blends.empty());
    EXPECT_EQ(blends.back(), "blend 1");
}
