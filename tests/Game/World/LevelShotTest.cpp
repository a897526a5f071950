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

#include <cstdint>
#include <gtest/gtest.h>
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

} // namespace

TEST(LevelShot, FirstLevelIsDrawnWithItsUnitsAndABuildMenu)
{
    RunGame("LevelShot.FirstLevelIsDrawnWithItsUnitsAndABuildMenu", {}, [](GameHarness& h) {
        ASSERT_EQ(h.Start(), GE_OK);
        TDMap* map = h.game()->mGameWindow->mMap;
        ASSERT_NE(map, nullptr);
        // Without the tutorial, which holds the first wave until a tower is built.
        TDTutorial::Instance()->disable();
        ResetRandomCounter();
        map->mEpisode = 0;
        map->mLevel = 0;
        ASSERT_TRUE(map->startLevel());
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
