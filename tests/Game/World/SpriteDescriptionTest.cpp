#include "Core/Render/Math/Random.h"
#include "Source/TD/World/LevelArt.h"
#include "Source/TD/World/TDAnimationSet.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDResources.h"
#include "Source/TD/World/TDSprite.h"
#include "tests/Support/LogCapture.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <tinyxml2.h>

namespace {

namespace fs = std::filesystem;

// Writes a layers.xml folder below the test's working folder. No pixels: the
// descriptions are read without a renderer, so only names and rectangles count.
void WriteLayers(const std::string& folder, const std::vector<std::string>& layers)
{
    fs::create_directories(folder);
    std::ofstream out(folder + "/layers.xml", std::ios::binary);
    out << "<Layers>\n";
    for (const std::string& layer : layers)
        out << "  <Layer " << layer << "/>\n";
    out << "</Layers>\n";
}

class SpriteDescriptions : public ::testing::Test {
protected:
    void SetUp() override
    {
        TDResources::Instance()->clear();
        // Two descriptions in one image: "hero" with walk frames, a point and an
        // unknown sub-folder; "coin" with frames directly in its folder.
        WriteLayers("td/sprtest",
                    {R"(name="hero/walk/0002" x="10" y="20" width="30" height="40")",
                     R"(name="hero/walk/0001" x="0" y="0" width="50" height="60")",
                     R"(name="hero/s_point/p" x="25" y="55" width="1" height="1")",
                     R"(name="hero/wings/0001" x="0" y="0" width="5" height="5")",
                     R"(name="coin/0001" x="1" y="2" width="3" height="4")"});
    }
    void TearDown() override { TDResources::Instance()->clear(); }
};

} // namespace

TEST_F(SpriteDescriptions, FoldersBecomeDescriptions)
{
    TDResources* resources = TDResources::Instance();
    EXPECT_EQ(resources->loadContainer(L"td/sprtest"), 2);
    EXPECT_EQ(resources->loadContainer(L"td/sprtest"), 0) << "registered folders are not loaded again";

    const TDFrameEntry* frame = resources->getFrame(L"td/hero", "walk", L"hero/walk/0002");
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->mX, 10.0f);
    EXPECT_EQ(frame->mY, 20.0f);
    EXPECT_EQ(frame->mWidth, 30.0f);
    EXPECT_EQ(frame->mHeight, 40.0f);

    const SpriteDescription* hero = resources->find(L"td/hero");
    ASSERT_NE(hero, nullptr);
    ASSERT_EQ(hero->frames("walk").size(), 2u);
    EXPECT_EQ(hero->frames("walk")[0]->mName, L"hero/walk/0002") << "frames keep the document's order";
    EXPECT_TRUE(hero->frames("death").empty()) << "a known name without a folder is an empty list";
    EXPECT_EQ(hero->lists.count("death"), 1u);
    EXPECT_EQ(hero->lists.count("wings"), 0u) << "unknown sub-folders are ignored";
    float w = 0, h = 0;
    hero->extent(&w, &h);
    EXPECT_EQ(w, 50.0f);
    EXPECT_EQ(h, 60.0f);

    EXPECT_NE(resources->getFrame(L"td/coin", "", L"coin/0001"), nullptr);
    EXPECT_EQ(resources->getFrame(L"td/coin", "walk", L"coin/0001"), nullptr);
    EXPECT_EQ(resources->getFrame(L"td/hero", "walk", L"hero/walk/0003"), nullptr);
    EXPECT_EQ(resources->getFrame(L"td/none", "", L"x"), nullptr) << "a lookup never loads";
}

TEST_F(SpriteDescriptions, ElementsKeyDescriptionsByTheirPsdAndImg)
{
    TDResources* resources = TDResources::Instance();
    resources->loadContainer(L"td/sprtest");
    tinyxml2::XMLDocument document;
    document.Parse("<r><unit psd='hero'/><unit psd='hero' img='x.png'/><unit/><unit psd=''/></r>");
    const tinyxml2::XMLElement* row = document.RootElement()->FirstChildElement();
    SpriteDescription* hero = resources->getDescription(row);
    ASSERT_NE(hero, nullptr);
    EXPECT_EQ(hero->name, L"td/hero");
    EXPECT_EQ(resources->getDescription(row->NextSiblingElement()), hero);
    EXPECT_EQ(hero->secondName, L"td/x.png");
    EXPECT_EQ(resources->getDescription(row->NextSiblingElement()->NextSiblingElement()), nullptr);
    EXPECT_EQ(resources->mDescriptions.size(), 2u) << "known names load nothing new";

    LogCapture log;
    EXPECT_EQ(resources->getDescription(row->NextSiblingElement()->NextSiblingElement()->NextSiblingElement()),
              nullptr);
    document.Parse("<unit psd='missing_sprite'/>");
    EXPECT_EQ(resources->getDescription(document.RootElement()), nullptr);
    EXPECT_EQ(log.Count(L"could not be opened"), 1);
}

TEST_F(SpriteDescriptions, AnimationSetPlaysItsList)
{
    TDResources::Instance()->loadContainer(L"td/sprtest"); // as the level loads its sprite folders
    TDAnimationSet set(L"td/hero", L"walk");
    ASSERT_NE(set.mDescription, nullptr);
    EXPECT_EQ(set.mAnchorX, 25.0f) << "anchor from the first s_point frame";
    EXPECT_EQ(set.mAnchorY, 55.0f);
    EXPECT_EQ(set.frameCount(), 2);
    set.mFps = 10.0f;
    set.advance(0.15f);
    EXPECT_EQ(set.frameIndex(), 1);
    EXPECT_EQ(set.currentFrame()->mName, L"hero/walk/0001");
    set.advance(0.05f);
    EXPECT_EQ(set.mClock, 0.0f) << "the clock restarts once it reaches frames / fps";

    TDAnimationSet coin(L"td/coin");
    EXPECT_EQ(coin.mAnchorX, 50.0f) << "no s_point: the default anchor";
    EXPECT_EQ(coin.mAnchorY, 30.0f);
    EXPECT_EQ(coin.frameCount(), 1);
    // A description that is not registered is loaded by its own name.
    WriteLayers("td/single", {R"(name="single/0001" x="0" y="0" width="8" height="8")"});
    TDAnimationSet single(L"td/single");
    EXPECT_EQ(single.frameCount(), 1);
    TDAnimationSet none(L"td/nothing_here");
    EXPECT_EQ(none.frameCount(), 0);
    EXPECT_EQ(none.currentFrame(), nullptr);
    none.draw(nullptr, 0, 0, 0);
}

TEST_F(SpriteDescriptions, AnimatedSpritesDieOrLoop)
{
    TDResources::Instance()->loadContainer(L"td/sprtest");
    std::vector<TDSprite*> sprites;
    auto* once = new TDAnimatedSprite(L"td/hero"); // the unnamed list of "hero" is empty
    auto* coin = new TDAnimatedSprite(L"td/coin");
    auto* looping = new TDAnimatedSprite(L"td/coin");
    looping->mLoop = 1;
    sprites = {once, coin, looping};
    EXPECT_EQ(coin->mSet->mFps, 20.0f);
    UpdateSprites(sprites, 0.01f);
    ASSERT_EQ(sprites.size(), 1u) << "one-frame sprites end after their last frame; the loop stays";
    EXPECT_EQ(sprites[0], looping);
    EXPECT_EQ(looping->mDelay, 0.0f) << "a wrap sets the delay to 0";
    EXPECT_LT(looping->mClock, 0.0f) << "and turns the clock back by one cycle";
    RemoveSprite(sprites, looping);
    EXPECT_TRUE(sprites.empty());
}

TEST(RandomRing, PointsLieInTheRing)
{
    ResetRandomCounter(0);
    for (int i = 0; i < 50; ++i) {
        float x = 0, y = 0;
        RandomPointInRing(100.0f, 200.0f, 10.0f, 20.0f, &x, &y);
        const float d = std::hypot(x - 100.0f, y - 200.0f);
        EXPECT_GE(d, 9.999f);
        EXPECT_LE(d, 20.001f);
    }
}

TEST(LevelArt, ContainerNameDropsOnlyATrailingSlash)
{
    EXPECT_EQ(LevelArtContainerName(L"td/data/maps/ep01/"), L"td/data/maps/ep01");
    EXPECT_EQ(LevelArtContainerName(L"td/data/maps/ep01"), L"td/data/maps/ep01");
    EXPECT_EQ(LevelArtContainerName(L""), L"");
}

TEST(LevelArt, LayersInStackingOrder)
{
    // Listed top first, as a layered document lists them; "ind" is the stacking index.
    WriteLayers("td/data/arttest", {R"(name="tree" x="10" y="100" width="50" height="80" opacity="128" ind="2")",
                                     R"(name="rock" x="300" y="20" width="40" height="30" ind="1")",
                                     R"(name="ground" x="0" y="0" width="1024" height="768" ind="0")"});
    for (const wchar_t* name : {L"td/data/arttest/", L"td/data/arttest"}) {
        LevelArt art(name);
        ASSERT_EQ(art.mLayerSprites.size(), 3u) << "with or without the trailing '/'";
        EXPECT_EQ(art.mLayerSprites[0]->mName, L"ground");
        EXPECT_EQ(art.mLayerSprites[1]->mName, L"rock");
        EXPECT_EQ(art.mLayerSprites[2]->mName, L"tree");
        EXPECT_EQ(art.mLayerSprites[2]->mDepth, 180.0f) << "depth is the lower edge";
        EXPECT_NEAR(art.mLayerSprites[2]->mColor.w, 128.0f / 255.0f, 1e-6);
    }
    LogCapture log;
    LevelArt missing(L"td/data/no_such_art/");
    EXPECT_TRUE(missing.mLayerSprites.empty());
    EXPECT_EQ(log.Count(L"Level art 'td/data/no_such_art' could not be opened"), 1) << log.text;
}

TEST(LevelArt, SpotAtPicksTheFirstVisibleSpotWithin40)
{
    LevelArt art(L"td/data/no_art_needed");
    auto spot = [&](float x, float y, bool visible) {
        auto* entry = new TDFrameEntry;
        entry->mX = x;
        entry->mY = y;
        entry->mWidth = 20.0f;
        entry->mHeight = 20.0f;
        entry->mVisible = visible;
        art.mSpotSprites.push_back(entry);
        return entry;
    };
    TDFrameEntry* hidden = spot(90, 90, false); // centre (100, 100)
    TDFrameEntry* first = spot(90, 90, true);
    TDFrameEntry* second = spot(100, 90, true); // centre (110, 100)
    EXPECT_EQ(art.spotAt(100, 100), first);
    EXPECT_NE(art.spotAt(100, 100), hidden);
    EXPECT_EQ(art.spotAt(60, 100), first) << "40 away selects";
    EXPECT_EQ(art.spotAt(59, 100), nullptr) << "41 away does not";
    EXPECT_EQ(art.spotAt(150, 100), second);
    EXPECT_EQ(art.spotImage(7), art.mSpotImageS);
}
