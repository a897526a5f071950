// The first level started through the level object and drawn by the real game: the
// field, its units on their way, the wave hint and a tower menu open on a build spot.
// The screenshots are for a person to look at; the test checks what a player would
// see first: a field that is drawn, and a menu that shows where it was opened.
#include "Core/Render/Math/Random.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Towers/TDContextMenu.h"
#include "Source/TD/Towers/TDSpot.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/LevelArt.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/TDWaves.h"
#include "tests/Support/GameHarness.h"

#include "Core/Render/Image.h"
#include "Source/TD/World/UnitPrototype.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <memory>
#include <utility>
#include <vector>

namespace {

// Distinct colours in a box of the screenshot: a drawn field has many, an empty frame
// one.
size_t ColoursIn(const std::vector<std::uint32_t>& argb, int width, int x0, int y0, int x1, int y1)
{
    std::vector<std::uint32_t> seen;
    for (int y = y0; y < y1; y += 3)
        for (int x = x0; x < x1; x += 3) {
            const std::uint32_t c = argb[static_cast<size_t>(y) * static_cast<size_t>(width) + x] & 0xF0F0F0u;
            if (std::find(seen.begin(), seen.end(), c) == seen.end())
                seen.push_back(c);
        }
    return seen.size();
}

// The game started and the level (counted from 0) begun, without the tutorial, which
// holds the first wave until a tower is built; null when it did not start.
TDMap* StartWithoutTutorial(GameHarness& h, int episode, int level)
{
    if (h.Start() != GE_OK || !h.game()->mGameWindow)
        return nullptr;
    TDMap* map = h.game()->mGameWindow->mMap;
    if (!map)
        return nullptr;
    TDTutorial::Instance()->disable();
    ResetRandomCounter();
    map->mEpisode = episode;
    map->mLevel = level;
    return map->startLevel() ? map : nullptr;
}

} // namespace

TEST(LevelShot, FirstLevelIsDrawnWithItsUnitsAndABuildMenu)
{
    RunGame("LevelShot.FirstLevelIsDrawnWithItsUnitsAndABuildMenu", {}, [](GameHarness& h) {
        TDMap* map = StartWithoutTutorial(h, 0, 0);
        ASSERT_NE(map, nullptr);
        // The first level announces its new tower: the player closes the message.
        h.Step(60);
        if (map->mScreen == 11) {
            h.Screenshot("new-tower-message");
            h.Click(512.0f, 540.0f);
            h.Step(30);
        }
        if (map->mScreen != 0) {
            // The message's own button is the command handler's business; this test
            // is about the drawing, so it closes the message directly.
            map->mHud->popWindow();
            map->mScreen = 0;
            h.Step(2);
        }
        // Let the first units walk in.
        // The level starts paused behind its messages; play, as the play button does.
        map->mSpeed = 1.0f;
        map->updateSpeedButtons();
        h.Step(2);
        h.Screenshot("wave-hint");
        // The routes light up while a spell is being aimed.
        ASSERT_NE(map->mPathPicture, nullptr) << "the level paints its routes once";
        map->mActiveShown = 1;
        h.Step(2);
        h.Screenshot("path-highlight");
        map->mActiveShown = 0;
        EXPECT_TRUE(h.StepUntil([map] { return map->mWaves->mobs.size() >= 3; }, 60 * 40));
        h.StepSeconds(4.0f);
        h.Screenshot("units-walking");

        std::vector<std::uint32_t> argb;
        int width = 0, height = 0;
        ASSERT_TRUE(h.ReadPixels(argb, width, height));
        EXPECT_GT(ColoursIn(argb, width, 0, 0, width, height), 50u) << "the field is drawn";

        // A build menu on the first owned spot, the way a click opens it.
        ASSERT_NE(map->mLevelArt, nullptr);
        TDSpot* spot = nullptr;
        for (TDSpot* candidate : map->mSpotList)
            if (candidate->mEntry && candidate->mType == TDSpot::Standard && !spot)
                spot = candidate;
        ASSERT_NE(spot, nullptr) << "level 1 has a standard build spot";
        auto* menu = new TDContextMenu(map);
        menu->setupBuild(spot);
        menu->setCenter(spot->mEntry->centerX(), spot->mEntry->centerY());
        map->mContextMenu = menu;
        h.Step(20);
        ASSERT_EQ(map->mContextMenu, menu);
        EXPECT_EQ(menu->state, TDContextMenu::Open);
        ASSERT_FALSE(menu->items.empty());
        // Hovering the first tower shows its range.
        float ix = 0.0f, iy = 0.0f;
        menu->itemCenter(*menu->items[0], 1.0f, &ix, &iy);
        menu->hoverCommand = menu->hitTest(static_cast<int>(ix), static_cast<int>(iy));
        EXPECT_EQ(menu->hoverCommand, menu->items[0]->command);
        h.Step(3);
        h.Screenshot("build-menu");

        // The first tower offered, built there; its own menu: sell and the tier step.
        const int built = menu->items[0]->command;
        menu->close();
        h.Step(20);
        EXPECT_EQ(map->mContextMenu, nullptr) << "the closed menu is gone";
        map->mStats->addMoney(500);
        TDTower* tower = map->buildTower(map->mPrototypes->find(built), spot->mEntry);
        ASSERT_NE(tower, nullptr);
        h.Step(8);
        EXPECT_FALSE(map->mEmitters.empty()) << "the build dust plays";
        h.Screenshot("tower-built");
        h.Step(90);
        auto* towerMenu = new TDContextMenu(map);
        towerMenu->setupTower(tower);
        towerMenu->setCenter(tower->x, tower->y);
        map->mContextMenu = towerMenu;
        h.Step(20);
        ASSERT_GE(towerMenu->items.size(), 2u);
        h.Screenshot("tower-menu");
    }, {}, 180);
}

namespace {

// Mean brightness (0..255 per channel, summed) of a box of the screenshot.
double Brightness(const std::vector<std::uint32_t>& argb, int width, int height, int x0, int y0, int x1, int y1)
{
    double sum = 0.0;
    int count = 0;
    for (int y = std::max(0, y0); y < std::min(height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(width, x1); ++x) {
            const std::uint32_t c = argb[static_cast<size_t>(y) * static_cast<size_t>(width) + x];
            sum += ((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF);
            ++count;
        }
    return count ? sum / count : 0.0;
}

} // namespace

TEST(LevelShot, GroundAndFlyingUnitsCastShadowsUnderTheMenu)
{
    RunGame("LevelShot.GroundAndFlyingUnitsCastShadowsUnderTheMenu", {}, [](GameHarness& h) {
        // Episode 1, level 2: walkers, and the winged unit 3 in the next wave.
        TDMap* map = StartWithoutTutorial(h, 0, 1);
        ASSERT_NE(map, nullptr);
        h.Step(2);
        // Its unlock message, one item per "ok".
        for (int item = 0; item < 8 && map->mScreen == 11; ++item) {
            h.Step(60);
            map->onScreenCommand(L"ok", 0, 0);
            h.Step(2);
        }
        ASSERT_EQ(map->mScreen, 0);
        map->mSpeed = 1.0f;
        map->mHealth = map->mMaxHealth = 1000.0f; // no defeat while the waves pass
        const auto onField = [map](bool air) {
            for (TDMob* unit : map->mWaves->mobs) {
                const UnitPrototype* kind = unit->getPrototype(*map->mPrototypes);
                if (kind && kind->air == air && unit->mState == TDMob::Walking && unit->mFade >= 1.0f &&
                    unit->mDrawX > 80 && unit->mDrawX < 944 && unit->mDrawY > 120 && unit->mDrawY < 640)
                    return unit;
            }
            return static_cast<TDMob*>(nullptr);
        };
        // A walker of the first wave and, after it, a flyer of the second sent in at once
        // (long frames keep the walk short).
        ASSERT_GE(map->mWaves->protos.size(), 2u);
        const auto sendIn = [map](TDWaveProto* wave, int id) {
            auto* entry = new TDWaveEnemy(wave);
            entry->id = id;
            entry->upgrade = 1;
            entry->y = -65.0f;
            wave->entries.push_back(entry);
            return map->spawnMob(entry, map->firstSpawnPoint()) != nullptr;
        };
        ASSERT_TRUE(sendIn(map->mWaves->protos[0], 1));
        h.Step(15, 0.2f);
        ASSERT_TRUE(sendIn(map->mWaves->protos[1], 3));
        for (int frame = 0; frame < 60 && !(onField(false) && onField(true)); ++frame)
            h.Step(1, 0.2f);
        h.Step(5, 0.2f); // on along the road
        ASSERT_TRUE(onField(false) && onField(true)) << "no walker and flyer on the field together";
        map->mSpeed = 0.0f;
        h.Step(2);
        h.Screenshot("shadows");

        // Walkers have the wide shadow, the winged unit 3 the narrow one.
        for (TDMob* unit : map->mWaves->mobs) {
            const UnitPrototype* kind = unit->getPrototype(*map->mPrototypes);
            ASSERT_NE(unit->mShadow, nullptr) << "unit " << unit->mPrototypeId;
            EXPECT_EQ(unit->mShadow->GetWidth(), kind->air ? 64 : 96) << "unit " << unit->mPrototypeId;
        }
        // Drawn: the ground just under a unit's point is darker with its shadow.
        std::vector<std::uint32_t> argb;
        int width = 0, height = 0;
        std::vector<std::pair<TDMob*, double>> shaded;
        ASSERT_TRUE(h.ReadPixels(argb, width, height));
        for (TDMob* unit : {onField(false), onField(true)}) {
            const int x = static_cast<int>(unit->mDrawX), y = static_cast<int>(unit->mDrawY);
            shaded.emplace_back(unit, Brightness(argb, width, height, x - 12, y + 1, x + 12, y + 6));
        }
        std::vector<std::shared_ptr<render::Image>> kept;
        for (TDMob* unit : map->mWaves->mobs) {
            kept.push_back(unit->mShadow);
            unit->mShadow.reset();
        }
        h.Step(2);
        ASSERT_TRUE(h.ReadPixels(argb, width, height));
        for (const auto& [unit, dark] : shaded) {
            const int x = static_cast<int>(unit->mDrawX), y = static_cast<int>(unit->mDrawY);
            EXPECT_LT(dark + 30.0, Brightness(argb, width, height, x - 12, y + 1, x + 12, y + 6))
                << "unit " << unit->mPrototypeId << " at " << x << ", " << y;
        }
        for (size_t i = 0; i < kept.size() && i < map->mWaves->mobs.size(); ++i)
            map->mWaves->mobs[i]->mShadow = kept[i];

        // The level's debug view writes each unit's health over it and outlines its frame.
        const auto whiteAbove = [&](const TDMob* unit) {
            h.Step(2);
            EXPECT_TRUE(h.ReadPixels(argb, width, height));
            const int x = static_cast<int>(unit->mDrawX);
            const int top = static_cast<int>(unit->mDrawY - unit->mFrameH);
            int white = 0;
            for (int y = std::max(0, top - 30); y < top + 3; ++y)
                for (int px = std::max(0, x - 40); px < std::min(width, x + 40); ++px)
                    if ((argb[static_cast<size_t>(y) * static_cast<size_t>(width) + px] & 0xF0F0F0u) == 0xF0F0F0u)
                        ++white;
            return white;
        };
        TDMob* shown = onField(false);
        const int plain = whiteAbove(shown);
        map->mShowUnitInfo = true;
        const int written = whiteAbove(shown);
        h.Screenshot("unit-info");
        map->mShowUnitInfo = false;
        EXPECT_GT(written, plain + 40) << "health text and outline over the unit";

        // A tower's menu opened where a unit stands stays above it.
        TDSpot* spot = nullptr;
        for (TDSpot* candidate : map->mSpotList)
            if (candidate->mEntry && candidate->mType == TDSpot::Standard && !spot)
                spot = candidate;
        ASSERT_NE(spot, nullptr);
        map->mStats->addMoney(500);
        TDTower* tower = map->buildTower(map->mPrototypes->find(10000), spot->mEntry);
        ASSERT_NE(tower, nullptr);
        auto* menu = new TDContextMenu(map);
        menu->setupTower(tower);
        menu->setCenter(tower->x, tower->y);
        map->mContextMenu = menu;
        h.Step(20);
        ASSERT_FALSE(menu->items.empty());
        float ix = 0.0f, iy = 0.0f;
        menu->itemCenter(*menu->items[0], 1.0f, &ix, &iy);
        TDMob* walker = onField(false);
        ASSERT_NE(walker, nullptr);
        const auto itemPixels = [&] {
            h.Step(2);
            std::vector<std::uint32_t> pixels;
            int w = 0, hh = 0;
            EXPECT_TRUE(h.ReadPixels(pixels, w, hh));
            std::vector<std::uint32_t> box;
            for (int y = static_cast<int>(iy) - 6; y < static_cast<int>(iy) + 6; ++y)
                for (int x = static_cast<int>(ix) - 6; x < static_cast<int>(ix) + 6; ++x)
                    box.push_back(pixels[static_cast<size_t>(y) * static_cast<size_t>(w) + x]);
            return box;
        };
        const std::vector<std::uint32_t> alone = itemPixels();
        // The unit's body centred on the item.
        const float lift = walker->mFrameH * 0.5f;
        walker->mX = walker->mDrawX = ix;
        walker->mY = walker->mDrawY = iy + lift;
        const std::vector<std::uint32_t> over = itemPixels();
        h.Screenshot("menu-over-unit");
        EXPECT_EQ(alone, over) << "the unit shows through the menu";
    }, {}, 240);
}
