// Numbers of two menu screens on a live game: the upgrade shop's scrolled list (wheel,
// arrows and slider drag, each clamped to the ends of the track, and no scrolling for
// a list that fits) and the level select's plates (state picture with or without the
// lock, number, stars, "new" mark) for a fresh, a half-played and a finished episode.
#include "Core/Render/Image.h"
#include "Core/Resource/ResourceTexture.h"
#include "Framework/Layer/ImageLayer.h"
#include "Framework/Layer/TextLayer.h"
#include "Source/TD/Screens/HUDItemPlate.h"
#include "Source/TD/Screens/HUDLevelSelect.h"
#include "Source/TD/Screens/HUDShopWindow.h"
#include "Source/TD/Screens/LevelPlate.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "tests/Game/Screens/ShopHarness.h"

#include <cstdint>
#include <vector>

namespace {

constexpr int kLevels = 5;

void PlayAll(PlayerProgress* progress, int episodes, int stars)
{
    for (int e = 0; e < episodes; ++e)
        for (int l = 0; l < kLevels; ++l) {
            LevelResult result;
            result.stars = stars;
            progress->setLevelResult(e, l, result);
        }
}

HUDShopWindow* OpenShop(GameHarness& h)
{
    TDMap* map = Map(h);
    map->mHud->clearWindows();
    map->mHud->showShop(0);
    h.Step(3);
    return dynamic_cast<HUDShopWindow*>(click::TopWindow(h));
}

TEST(UpgradeShopList, ScrollsWithinTheTrackAndOnlyWhenTheListOverflows)
{
    RunGame("UpgradeShop.Scroll", NamedPlayer(), [](GameHarness& h) {
        StartAtMainMenu(h);
        // Every tower open: the tower tab lists four upgrades, one more than it shows.
        PlayAll(Map(h)->mProgress, 2, 3);
        HUDShopWindow* shop = OpenShop(h);
        ASSERT_NE(shop, nullptr);
        ASSERT_EQ(shop->plates.size(), 4u);
        ASSERT_TRUE(shop->scrollBar->root->visible);
        const float slack = (4 - HUDShopWindow::kVisiblePlates) * HUDShopWindow::kScrollPerPlate; // 105
        auto expectAt = [&](float position, const char* what) {
            EXPECT_FLOAT_EQ(shop->scrollBar->position, position) << what;
            EXPECT_FLOAT_EQ(shop->scrollBar->slider->position.y, 312.0f + 204.0f * position - 30.0f) << what;
            EXPECT_FLOAT_EQ(shop->listLayer->position.y, -slack * position) << what;
        };
        auto placeAt = [&](float position) {
            shop->scrollBar->position = position;
            shop->scrollListTo(position);
            shop->scrollBar->placeSlider();
        };

        // The wheel: 1/1024 of the track per unit of delta (120 a notch), clamped.
        const struct {
            float from;
            int delta;
            float to;
        } wheel[] = {{0.0f, -120, 0.1171875f}, {0.0f, 120, 0.0f}, {0.95f, -120, 1.0f}, {0.5f, -1024, 1.0f},
                     {0.5f, 256, 0.25f}};
        for (const auto& c : wheel) {
            placeAt(c.from);
            shop->onWheel(c.delta);
            expectAt(c.to, "wheel");
        }
        // The arrows: a quarter of the track a click, clamped.
        float x = 0.0f, y = 0.0f;
        const struct {
            const wchar_t* arrow;
            float from, to;
        } arrows[] = {{L"down_in", 0.0f, 0.25f}, {L"down_in", 0.9f, 1.0f}, {L"up_in", 0.1f, 0.0f},
                      {L"up_in", 0.75f, 0.5f}};
        for (const auto& c : arrows) {
            placeAt(c.from);
            ASSERT_TRUE(click::ButtonCentre(shop, c.arrow, &x, &y));
            EXPECT_EQ(shop->click(static_cast<int>(x), static_cast<int>(y)), L"");
            expectAt(c.to, "arrow");
        }
        // The slider dragged: the pointer's height, held within the track 312..516.
        const struct {
            int y;
            float to;
        } drags[] = {{200, 0.0f}, {312, 0.0f}, {414, 0.5f}, {516, 1.0f}, {700, 1.0f}};
        for (const auto& c : drags) {
            placeAt(0.0f);
            const layer::ImageLayer* s = shop->scrollBar->slider;
            const int sx = static_cast<int>(s->position.x + ImageWidth(s) * 0.5f);
            shop->onMousePressed(sx, static_cast<int>(s->position.y + ImageHeight(s) * 0.5f));
            ASSERT_EQ(shop->scrollBar->held, 0);
            shop->onMouseMove(sx, c.y);
            expectAt(c.to, "drag");
            shop->onMouseReleased(sx, c.y);
            EXPECT_EQ(shop->scrollBar->held, -1);
        }
        h.Step(2);
        h.Screenshot("shop-scrolled");

        // The third tab's three upgrades fit: no bar, no arrows, the wheel does nothing.
        shop->currentTab = 2;
        shop->buildItems(2);
        ASSERT_EQ(shop->plates.size(), 3u);
        EXPECT_FALSE(shop->scrollBar->root->visible);
        EXPECT_FALSE(shop->findButton(L"down_in")->mVisible);
        EXPECT_FALSE(shop->findButton(L"up_in")->mVisible);
        shop->onWheel(-480);
        expectAt(0.0f, "a list that fits");
    });
}

TEST(UpgradeShopList, EachPlateShowsASocketForEachStarItsUpgradeHas)
{
    RunGame("UpgradeShop.Sockets", NamedPlayer(), [](GameHarness& h) {
        StartAtMainMenu(h);
        PlayAll(Map(h)->mProgress, 2, 3);
        HUDShopWindow* shop = OpenShop(h);
        ASSERT_NE(shop, nullptr);
        int checked = 0;
        for (int tab = 0; tab < 3; ++tab) {
            shop->buildItems(tab);
            for (HUDItemPlate* plate : shop->plates) {
                ASSERT_FALSE(plate->stars.empty()) << plate->upgradeId;
                // The empty track ends where the upgrade's last star does.
                const layer::ImageLayer* last = plate->stars.back();
                plate->emptyStars->UpdateBounds();
                EXPECT_FLOAT_EQ(plate->emptyStars->position.x + plate->emptyStars->localBounds.max.x,
                                last->position.x + ImageWidth(last))
                    << "upgrade " << plate->upgradeId << " with " << plate->stars.size() << " stars";
                ++checked;
            }
        }
        EXPECT_GE(checked, 8);
        shop->buildItems(0);
        h.Step(2);
        h.Screenshot("shop-sockets");
    });
}

// Pixels of the lock's gold in a rectangle of the screen.
int GoldPixels(const std::vector<std::uint32_t>& argb, int width, int x0, int y0, int w, int h)
{
    int count = 0;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) {
            const std::uint32_t p = argb[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
            const int r = (p >> 16) & 0xff, g = (p >> 8) & 0xff, b = p & 0xff;
            count += r > 150 && g > 100 && b < 80 && r - b > 100;
        }
    return count;
}

// The layer the plate's state picture was taken from.
std::wstring StateOf(const LevelPlate* plate)
{
    const std::wstring document = L"td/level_select/";
    const resource::ResourceTexture* texture = plate->stateImage ? plate->stateImage->GetResource() : nullptr;
    if (!texture || texture->name.compare(0, document.size(), document) != 0)
        return std::wstring();
    return texture->name.substr(document.size());
}

TEST(LevelPlates, LockedPlatesShowTheLockAndNothingElse)
{
    RunGame("LevelPlates.States", NamedPlayer(), [](GameHarness& h) {
        StartAtMainMenu(h);
        TDMap* map = Map(h);
        PlayerProgress* progress = map->mProgress;
        struct Plate {
            const wchar_t* state;
            bool number, isNew;
            size_t stars;
        };
        const Plate locked{L"plate/locked", false, false, 0};
        const struct {
            const char* what;
            int stars[kLevels]; // stored per level (a stored result keeps its best)
            int visited;
            Plate plates[kLevels];
        } cases[] = {
            {"fresh", {0, 0, 0, 0, 0}, 0,
             {{L"plate/incomplete", true, true, 0}, locked, locked, locked, locked}},
            {"half played", {3, 2, 0, 0, 0}, 2,
             {{L"plate/super", true, false, 3}, {L"plate/complete", true, false, 2},
              {L"plate/incomplete", true, true, 0}, locked, locked}},
            {"finished", {3, 2, 1, 1, 1}, 5,
             {{L"plate/super", true, false, 3}, {L"plate/complete", true, false, 2},
              {L"plate/complete", true, false, 1}, {L"plate/complete", true, false, 1},
              {L"plate/complete", true, false, 1}}},
        };
        for (const auto& c : cases) {
            for (int l = 0; l < kLevels; ++l) {
                LevelResult result; // no stars reads as not played
                result.stars = c.stars[l];
                progress->setLevelResult(0, l, result);
            }
            progress->setEpisodeVisited(0, c.visited);
            map->mEpisode = 0;
            map->mHud->clearWindows();
            map->mHud->showLevelSelect();
            h.Step(3);
            auto* select = dynamic_cast<HUDLevelSelect*>(click::TopWindow(h));
            ASSERT_NE(select, nullptr) << c.what;
            ASSERT_EQ(select->plates.size(), static_cast<size_t>(kLevels)) << c.what;
            for (size_t i = 0; i < select->plates.size(); ++i) {
                const LevelPlate* plate = select->plates[i];
                const Plate& want = c.plates[i];
                SCOPED_TRACE(testing::Message() << c.what << ", plate " << i);
                EXPECT_EQ(StateOf(plate), want.state);
                EXPECT_EQ(plate->unlocked, std::wstring(want.state) != locked.state);
                EXPECT_EQ(plate->numberText->visible, want.number);
                EXPECT_EQ(plate->newMarker != nullptr, want.isNew);
                EXPECT_EQ(plate->starLayers.size(), want.stars);
            }
            h.MouseMove(1000, 20);
            h.StepSeconds(0.3f);
            h.Screenshot(std::string("levels-") + c.what);
            // The lock is seen: gold in the upper part of every locked plate, none on the others.
            std::vector<std::uint32_t> argb;
            int width = 0, height = 0;
            ASSERT_TRUE(h.ReadPixels(argb, width, height));
            ASSERT_EQ(width, 1024);
            ASSERT_EQ(height, 768);
            for (size_t i = 0; i < select->plates.size(); ++i) {
                const LevelPlate* plate = select->plates[i];
                const int gold = GoldPixels(argb, width, plate->x, plate->y, plate->w, plate->h * 7 / 10);
                if (plate->unlocked)
                    EXPECT_LT(gold, 5) << c.what << ", plate " << i;
                else
                    EXPECT_GT(gold, 60) << c.what << ", plate " << i;
            }
        }
    });
}

} // namespace
