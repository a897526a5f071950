// Drawing the level: the painter's list and its layer order, the screens that show
// the world, the wave countdown, the tower menu's end, and the link length the units
// walk by. Observed through the draw list itself and through what a recording back
// end receives when the frame is replayed.
#include "Core/Render/BufferDoubleCache.h"
#include "Core/Render/Image.h"
#include "Core/Render/Vertex.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Towers/TDContextMenu.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/LevelArt.h"
#include "Source/TD/World/TDFloatingLabels.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDLink.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPoint.h"
#include "Source/TD/World/TDResources.h"
#include "Source/TD/World/TDWaves.h"
#include "Source/TD/World/WaveHint.h"
#include "tests/Render/MemoryTexture.h"
#include "tests/Support/ReplayedQuads.h"
#include "tests/Support/SheetStore.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

class LevelDraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(test::StartBuiltinGraphics(render, geom, mult, tint, graphics));
        ASSERT_EQ(render.BeginScene(), GE_OK);
        map = std::make_unique<TDMap>();
        map->mLevelArt = new LevelArt(L"none", &render);
    }
    void TearDown() override
    {
        map.reset();
        graphics.reset();
    }

    std::shared_ptr<render::Image> Picture(u32 width = 8, u32 height = 8)
    {
        auto* texture = new test::MemoryTexture(&render);
        texture->SetSize(width, height);
        return std::make_shared<render::Image>(texture);
    }
    // An entry with a picture, named and placed with its depth key.
    TDFrameEntry* Entry(const std::wstring& name, float depth = 0.0f, bool visible = true)
    {
        auto* entry = new TDFrameEntry;
        entry->mName = name;
        entry->mImage = Picture();
        entry->mWidth = entry->mHeight = 8.0f;
        entry->mDepth = depth;
        entry->mVisible = visible;
        return entry;
    }
    std::vector<std::wstring> DrawListNames() const
    {
        std::vector<std::wstring> names;
        for (const TDFrameEntry* entry : map->mDrawList)
            names.push_back(entry->mName);
        return names;
    }
    // The number of quads the replayed frame drew.
    size_t QuadsDrawn()
    {
        EXPECT_EQ(render.EndScene(), GE_OK);
        render.log.clear();
        EXPECT_EQ(render.ExecuteCommands(), GE_OK);
        size_t quads = 0;
        for (const std::string& line : render.log)
            if (line.rfind("drawindexed", 0) == 0)
                quads += std::stoul(line.substr(line.find(' ', 12) + 1)) / 2;
        EXPECT_EQ(render.BeginScene(), GE_OK);
        return quads;
    }

    test::TextureRender render;
    std::unique_ptr<render::Shader> geom;
    std::unique_ptr<render::ShaderTextured> mult;
    std::unique_ptr<render::ShaderTextured> tint;
    std::unique_ptr<render::Graphics> graphics;
    std::unique_ptr<TDMap> map;
};

} // namespace

TEST_F(LevelDraw, LayersJoinInTheirFixedOrderUnitsAndTowersByDepth)
{
    LevelArt& art = *map->mLevelArt;
    // Level picture layers in their file order; the first character files them.
    for (const wchar_t* name : {L"ground", L"%top", L"^over", L"##", L"##x", L"$over", L"hidden"})
        art.mLayerSprites.push_back(Entry(name, 0.0f, std::wstring(name) != L"hidden"));
    art.mSpotSprites.push_back(Entry(L"spot"));
    art.mSpotSprites.push_back(Entry(L"sold spot", 0.0f, false));
    // What units and towers queue during a frame (the draw list takes them over).
    map->mGroundShadows.push_back(Entry(L"shadow"));
    map->mGroundUnits = {Entry(L"unit y30", 30.0f), Entry(L"unit y10", 10.0f)};
    map->mUpperShadows.push_back(Entry(L"upper shadow"));
    map->mUpperUnits = {Entry(L"flyer y50", 50.0f), Entry(L"flyer y20", 20.0f)};
    map->mTowerSprites = {Entry(L"tower y90", 90.0f), Entry(L"tower y40", 40.0f)};
    map->mWaveHint->entries.push_back(Entry(L"hint"));

    map->collectDrawList(nullptr);
    const std::vector<std::wstring> expected = {
        L"ground", L"##x", L"shadow", L"unit y10", L"unit y30", L"^over", L"$over", L"upper shadow",
        L"flyer y20", L"flyer y50", L"spot", L"tower y40", L"tower y90", L"##", L"%top", L"hint"};
    EXPECT_EQ(DrawListNames(), expected);
    map->clearDrawList();
    EXPECT_TRUE(map->mDrawList.empty());
    EXPECT_TRUE(map->mGroundUnits.empty());
    EXPECT_TRUE(map->mHashLayers.empty());
    EXPECT_EQ(art.mLayerSprites.size(), 7u) << "the level keeps its own entries";
}

TEST_F(LevelDraw, OnlyWorldScreensDrawTheWorldOverlaysDrawOnEveryScreen)
{
    map->mLevelArt->mLayerSprites.push_back(Entry(L"ground"));
    map->mLevelArt->mLayerSprites.push_back(Entry(L"##"));
    TDFloatingLabels::Label* label = map->mFloatingLabels->add(3, 10.0f, 10.0f);
    label->icon = Entry(L"coin"); // a label with an icon and no text: one quad
    const std::unique_ptr<TDFrameEntry> icon(label->icon);

    struct Case {
        int screen;
        size_t quads;
    };
    // Screens 0, 1, 2, 4, 9, 10, 11, 19, 21, 22, 23 show the level behind them.
    for (const Case& c : std::vector<Case>{{0, 3}, {1, 3}, {4, 3}, {21, 3}, {23, 3}, {3, 1}, {5, 1}, {8, 1},
                                           {-1, 1}}) {
        map->mScreen = c.screen;
        map->draw(graphics.get());
        EXPECT_EQ(QuadsDrawn(), c.quads) << "screen " << c.screen;
        EXPECT_TRUE(map->mDrawList.empty()) << "emptied every frame";
    }
    map->mRunning = false;
    map->mScreen = 0;
    map->draw(graphics.get());
    EXPECT_EQ(QuadsDrawn(), 0u) << "a level that does not run draws nothing";
}

TEST_F(LevelDraw, CountdownReadsWholeSecondsAndIncomingInTheLastOne)
{
    LocalStrings::Instance()->table[L"game_nextwave"] = L"Next wave in";
    LocalStrings::Instance()->table[L"game_incoming"] = L"Incoming!";
    struct Case {
        float left;
        const wchar_t* text;
    };
    for (const Case& c : std::vector<Case>{{10.4f, L"Next wave in 10"}, {1.0f, L"Next wave in 1"},
                                           {0.99f, L"Incoming!"}, {0.0f, L"Incoming!"}, {-0.5f, L"Incoming!"}}) {
        map->mWaves->clock = 20.0f;
        map->mWaveHint->dueTime = 20.0f + c.left;
        EXPECT_EQ(map->waveCountdownText(), c.text) << c.left;
    }
}

TEST_F(LevelDraw, ClosedMenuIsDeletedByTheNextDrawAndAnEmptyOneDies)
{
    map->mScreen = 0;
    map->mContextMenu = new TDContextMenu(map.get());
    map->mContextMenu->addItem(0, 0);
    map->mContextMenu->close();
    map->draw(graphics.get());
    ASSERT_NE(map->mContextMenu, nullptr) << "a closing menu is still drawn";
    map->mContextMenu->update(0.25f);
    EXPECT_EQ(map->mContextMenu->alive, 0);
    map->draw(graphics.get());
    EXPECT_EQ(map->mContextMenu, nullptr);

    // A build menu whose towers are all locked offers nothing and dies at its first draw.
    map->mContextMenu = new TDContextMenu(map.get());
    map->mContextMenu->setupBuild(nullptr);
    EXPECT_TRUE(map->mContextMenu->items.empty());
    map->draw(graphics.get());
    EXPECT_EQ(map->mContextMenu->alive, 0);
    map->draw(graphics.get());
    EXPECT_EQ(map->mContextMenu, nullptr);
}

TEST_F(LevelDraw, LinkLengthCoversTheWholeLink)
{
    map->mPoints = {new TDPoint(1, 0.0f, 0.0f), new TDPoint(2, 100.0f, 0.0f), new TDPoint(3, 100.0f, 100.0f)};
    const TDLink straight(1, 2, 50.0f, 0.0f);
    EXPECT_NEAR(map->linkLength(straight), 100.0f, 1e-3f);
    // A quarter bend through (100, 0): longer than the chord, shorter than the two legs.
    const TDLink bend(1, 3, 100.0f, 0.0f);
    const float length = map->linkLength(bend);
    EXPECT_GT(length, 150.0f);
    EXPECT_LT(length, 200.0f);
    const TDLink dangling(1, 9, 0.0f, 0.0f);
    EXPECT_EQ(map->linkLength(dangling), 0.0f) << "a link to a missing point has no length";
}

TEST_F(LevelDraw, UnitsStandOnTheirPointWithTheirShadowUnder)
{
    // Unit 1's set spans 30 x 40; its walk frame is 20 x 30 at (4, 2) in it.
    tinyxml2::XMLDocument sheets;
    delete map->mPrototypes;
    map->mPrototypes = new PrototypeStore(SheetsInto(sheets, {{"units", "id;health;fps\n1;10;1\n"}}));
    SpriteDescription sprite;
    auto* walk = Entry(L"walk");
    walk->mX = 4.0f;
    walk->mY = 2.0f;
    walk->mWidth = 20.0f;
    walk->mHeight = 30.0f;
    walk->mImage = Picture(20, 30);
    sprite.lists["walk"].push_back(walk);
    auto* death = Entry(L"death");
    death->mWidth = 30.0f;
    death->mHeight = 40.0f;
    sprite.lists["death"].push_back(death);
    map->mPrototypes->find(1)->sprite = &sprite;

    struct Case {
        bool facingLeft, upper, shadow;
        float left; // of the body, which stands with the set's foot at (100, 200)
    } cases[] = {{false, false, true, 89.0f}, {true, false, true, 91.0f}, {false, true, true, 89.0f},
                 {false, false, false, 89.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "left " << c.facingLeft << " upper " << c.upper << " shadow " << c.shadow);
        TDMob unit;
        unit.mPrototypeId = 1;
        unit.mFade = 1.0f;
        unit.mFrameW = 30.0f;
        unit.mFrameH = 40.0f;
        unit.mDrawX = 100.0f;
        unit.mDrawY = 200.0f;
        unit.mFacingLeft = c.facingLeft;
        unit.mUpper = c.upper ? 1.0f : 0.0f;
        if (c.shadow)
            unit.mShadow = Picture(); // 8 wide: drawn 20 wide, as the frame
        unit.drawBody(graphics.get(), *map);
        auto& shadows = c.upper ? map->mUpperShadows : map->mGroundShadows;
        auto& bodies = c.upper ? map->mUpperUnits : map->mGroundUnits;
        ASSERT_EQ(bodies.size(), 1u);
        ASSERT_EQ(shadows.size(), c.shadow ? 1u : 0u);
        EXPECT_TRUE((c.upper ? map->mGroundUnits : map->mUpperUnits).empty());
        EXPECT_EQ(bodies[0]->mMirrored, c.facingLeft);
        EXPECT_FLOAT_EQ(bodies[0]->mDepth, 200.0f);
        if (c.shadow) {
            EXPECT_FLOAT_EQ(shadows[0]->mDepth, 200.0f);
            EXPECT_EQ(shadows[0]->mColor.w, bodies[0]->mColor.w) << "as opaque as the unit";
        }

        map->collectDrawList(graphics.get());
        map->drawDrawList(graphics.get());
        map->clearDrawList();
        const std::vector<test::ReplayedQuad> quads = test::ReplayQuads(render);
        ASSERT_EQ(quads.size(), c.shadow ? 2u : 1u);
        if (c.shadow) {
            // Centred on the unit's point, under the body.
            EXPECT_FLOAT_EQ(quads[0].x, 100.0f - 10.0f - 0.5f);
            EXPECT_FLOAT_EQ(quads[0].y, 200.0f - 10.0f - 0.5f);
        }
        const test::ReplayedQuad& body = quads.back();
        EXPECT_FLOAT_EQ(body.x, c.left - 0.5f);
        EXPECT_FLOAT_EQ(body.y, 200.0f - 40.0f + 2.0f - 0.5f) << "the set's foot on the unit's point";
    }
    map->mPrototypes->find(1)->sprite = nullptr;
}
