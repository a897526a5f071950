#pragma once
// The first level started directly through the level object of a harnessed game (the
// menus are not needed for it), with its unlock message closed as the player does and
// the tutorial off: it holds the level still until its first tower is built, and these
// games watch the level run.
#include "Core/Render/Math/Random.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/World/TDMap.h"
#include "tests/Support/GameHarness.h"

#include <gtest/gtest.h>

// The level object once the level runs, or null; its screen is then `screen` (0
// playing; a level without waves is won, 1, by the time the message is closed).
inline TDMap* StartFirstLevel(GameHarness& h, int screen = 0)
{
    EXPECT_EQ(h.Start(), GE_OK);
    TDMap* map = h.game() && h.game()->mGameWindow ? h.game()->mGameWindow->mMap : nullptr;
    if (!map)
        return nullptr;
    ResetRandomCounter();
    TDTutorial::Instance()->disable();
    map->mEpisode = 0;
    map->mLevel = 0;
    EXPECT_TRUE(map->startLevel());
    h.Step(2);
    if (map->mScreen == 11) {
        h.Step(60); // shown in full
        map->onScreenCommand(L"ok", 0, 0);
        h.Step(2);
    }
    EXPECT_EQ(map->mScreen, screen);
    return map;
}
