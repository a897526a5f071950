// The generated art of every level: its road lies under the curves the units walk (and
// nowhere far from them), its decorations and effect points stay off the road and the
// build spots, and units walking a level stand on the road.
#include "Core/Base/ImageInfo.h"
#include "Core/Base/Stream.h"
#include "Core/File/FileManager.h"
#include "Core/File/ImageContainer.h"
#include "Core/Render/ImageData.h"
#include "Core/Render/ImageLoader.h"
#include "Core/Render/Math/Random.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/LevelArt.h"
#include "Source/TD/World/QuadraticCurve.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDWaves.h"
#include "tests/Support/GameHarness.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <tinyxml2.h>
#include <vector>

namespace {

// One layer of a layered document with its A8R8G8B8 pixels.
struct Layer {
    int x = 0, y = 0, width = 0, height = 0;
    std::vector<std::uint32_t> argb;

    // Alpha at a screen position; 0 outside the layer.
    int alphaAt(float sx, float sy) const
    {
        const int px = static_cast<int>(std::lround(sx)) - x;
        const int py = static_cast<int>(std::lround(sy)) - y;
        if (px < 0 || py < 0 || px >= width || py >= height)
            return 0;
        return static_cast<int>(argb[static_cast<size_t>(py) * static_cast<size_t>(width) + px] >> 24);
    }
};

bool ReadLayer(file::ImageContainer& container, const std::wstring& name, Layer& out)
{
    u32 index = 0;
    static const wchar_t* const kRaw[] = {L""};
    std::unique_ptr<file::ImageFileInfo> info(container.GetImageFileInfo(name, kRaw, 1, &index));
    if (!info || !info->container)
        return false;
    std::unique_ptr<base::Stream> stream(info->container->OpenRead(info->path));
    if (!stream)
        return false;
    std::unique_ptr<render::ImageData> data(render::ImageLoader::Instance()->CreateImageData(
        stream.get(), L"", static_cast<const base::ImageInfo*>(info.get())));
    if (!data)
        return false;
    out.x = static_cast<int>(info->x);
    out.y = static_cast<int>(info->y);
    out.width = data->GetWidth();
    out.height = data->GetHeight();
    out.argb.assign(static_cast<size_t>(out.width) * static_cast<size_t>(out.height), 0u);
    return data->CopyPixels(out.width * 4, 0, out.argb.data(), nullptr, 0) == GE_OK;
}

// What a level file says about its ground: the art it names, its walked curves and its
// build spots.
struct LevelPlan {
    std::wstring art;
    std::vector<QuadraticCurve> curves;
    std::vector<CurvePoint> spots;
};

bool ReadPlan(const std::string& path, LevelPlan& plan)
{
    tinyxml2::XMLDocument document;
    if (document.LoadFile(path.c_str()) != tinyxml2::XML_SUCCESS || !document.RootElement())
        return false;
    const tinyxml2::XMLElement* map = document.RootElement();
    const tinyxml2::XMLElement* li = map->FirstChildElement("li");
    const std::string liText = li && li->GetText() ? li->GetText() : "";
    const size_t at = liText.rfind("/td/data/");
    if (at == std::string::npos)
        return false;
    const std::string folder = liText.substr(at + 9);
    plan.art = LevelArtContainerName(L"td/data/" + std::wstring(folder.begin(), folder.end()));
    std::map<int, CurvePoint> points;
    for (const auto* p = map->FirstChildElement("points")->FirstChildElement("point"); p;
         p = p->NextSiblingElement("point"))
        points[p->IntAttribute("id")] = {p->FloatAttribute("x"), p->FloatAttribute("y")};
    for (const auto* l = map->FirstChildElement("links")->FirstChildElement("link"); l;
         l = l->NextSiblingElement("link"))
        plan.curves.emplace_back(points[l->IntAttribute("sid")],
                                 CurvePoint{l->FloatAttribute("anchor_x"), l->FloatAttribute("anchor_y")},
                                 points[l->IntAttribute("eid")]);
    for (const auto* s = map->FirstChildElement("spots")->FirstChildElement("spot"); s;
         s = s->NextSiblingElement("spot"))
        plan.spots.push_back({s->FloatAttribute("x"), s->FloatAttribute("y")});
    return !plan.curves.empty();
}

std::vector<CurvePoint> RouteSamples(const LevelPlan& plan, float offset = 0.0f)
{
    std::vector<CurvePoint> out;
    for (const QuadraticCurve& curve : plan.curves)
        for (int k = 0; k <= 100; ++k)
            out.push_back(curve.shifted(static_cast<float>(k) / 100.0f, offset));
    return out;
}

float DistanceToRoute(const std::vector<CurvePoint>& route, float x, float y)
{
    float best = 1e9f;
    for (const CurvePoint& p : route)
        best = std::min(best, std::hypot(p.x - x, p.y - y));
    return best;
}

std::string LevelFile(int episode, int level)
{
    char name[64];
    std::snprintf(name, sizeof(name), "td/levels_normal/level_%02d_%02d.xml", episode + 1, level + 1);
    return name;
}

bool IsDecoration(const std::wstring& name)
{
    return name != L"unused" && name != L"ground" && name != L"road" && name.compare(0, 2, L"fx") != 0;
}

class LevelRoad : public ::testing::Test {
protected:
    static void SetUpTestSuite() { std::filesystem::current_path(GE_BINARY_DIR "/content"); }
};

} // namespace

TEST_F(LevelRoad, EveryLevelHasItsRoadUnderItsRouteAndNothingOnIt)
{
    for (int episode = 0; episode < 2; ++episode)
        for (int level = 0; level < 5; ++level) {
            SCOPED_TRACE(LevelFile(episode, level));
            LevelPlan plan;
            ASSERT_TRUE(ReadPlan(LevelFile(episode, level), plan));
            std::unique_ptr<file::ImageContainer> art(
                file::FileManager::Instance()->OpenImageContainer(plan.art));
            ASSERT_NE(art, nullptr) << "the level's own art opens";
            Layer road;
            ASSERT_TRUE(ReadLayer(*art, L"road", road));

            // The middle and both side tracks of every curve are on solid road.
            for (float offset : {0.0f, -10.0f, 10.0f})
                for (const CurvePoint& p : RouteSamples(plan, offset)) {
                    if (p.x < 0 || p.y < 0 || p.x >= 1024 || p.y >= 768)
                        continue;
                    ASSERT_GE(road.alphaAt(p.x, p.y), 200) << "road under " << p.x << ", " << p.y;
                }
            // Away from every curve there is only ground.
            const std::vector<CurvePoint> route = RouteSamples(plan);
            int far = 0;
            for (int y = 8; y < 768; y += 24)
                for (int x = 8; x < 1024; x += 24)
                    if (DistanceToRoute(route, x, y) > 80.0f) {
                        ++far;
                        ASSERT_EQ(road.alphaAt(x, y), 0) << "no road at " << x << ", " << y;
                    }
            EXPECT_GT(far, 400) << "most of the field is ground";

            // Decorations keep off the road and the spots; effect points off the road.
            int effects = 0, decorations = 0;
            for (i32 i = 0; i < art->GetLayerCount(); ++i) {
                const base::ImageInfo* layer = art->GetLayer(i);
                ASSERT_NE(layer, nullptr);
                const float cx = layer->x + layer->width / 2, cy = layer->y + layer->height / 2;
                if (layer->name.compare(0, 2, L"fx") == 0) {
                    ++effects;
                    EXPECT_GT(DistanceToRoute(route, cx, cy), 50.0f) << "effect point on the road";
                    continue;
                }
                if (!IsDecoration(layer->name))
                    continue;
                ++decorations;
                auto inside = [layer](const CurvePoint& p) {
                    return p.x >= layer->x && p.x <= layer->x + layer->width && p.y >= layer->y &&
                           p.y <= layer->y + layer->height;
                };
                for (const CurvePoint& p : RouteSamples(plan, 0.0f))
                    ASSERT_FALSE(inside(p)) << "decoration over the road at " << p.x << ", " << p.y;
                for (const CurvePoint& spot : plan.spots)
                    ASSERT_FALSE(inside(spot)) << "decoration over the spot at " << spot.x << ", " << spot.y;
            }
            EXPECT_GE(effects, 2) << "effect points for the episode's ambient effect";
            EXPECT_GE(decorations, 8);
        }
}

TEST(LevelRoadPlay, UnitsWalkOnTheRoad)
{
    struct Case {
        int episode, level;
        const char* shot;
    };
    for (const Case c : {Case{0, 0, "level-1-1"}, Case{1, 2, "level-2-3"}}) {
        RunGame(std::string("LevelRoadPlay.UnitsWalkOnTheRoad.") + c.shot, {}, [c](GameHarness& h) {
            ASSERT_EQ(h.Start(), GE_OK);
            TDMap* map = h.game()->mGameWindow->mMap;
            ASSERT_NE(map, nullptr);
            TDTutorial::Instance()->disable();
            ResetRandomCounter();
            map->mEpisode = c.episode;
            map->mLevel = c.level;
            ASSERT_TRUE(map->startLevel());
            h.Step(30);
            if (map->mScreen != 0) {
                map->mHud->popWindow();
                map->mScreen = 0;
                h.Step(2);
            }
            map->mSpeed = 1.0f;
            map->updateSpeedButtons();
            ASSERT_TRUE(h.StepUntil([map] { return map->mWaves->mobs.size() >= 4; }, 60 * 40));
            h.StepSeconds(3.0f);
            h.Screenshot(c.shot);

            // The art the level itself opened (its folder is the last part of its `li`).
            const std::wstring folder(map->mLevelFolder.begin(), map->mLevelFolder.end());
            std::unique_ptr<file::ImageContainer> art(
                file::FileManager::Instance()->OpenImageContainer(LevelArtContainerName(L"td/data/maps/" + folder)));
            ASSERT_NE(art, nullptr);
            Layer road;
            ASSERT_TRUE(ReadLayer(*art, L"road", road));
            int onScreen = 0;
            for (const TDMob* mob : map->mWaves->mobs) {
                if (mob->mX < 0 || mob->mY < 0 || mob->mX >= 1024 || mob->mY >= 768)
                    continue;
                ++onScreen;
                EXPECT_GE(road.alphaAt(mob->mX, mob->mY), 128) << "unit at " << mob->mX << ", " << mob->mY;
            }
            EXPECT_GT(onScreen, 0);
        });
    }
}
