// The episode row's motion as tables (drags, flicks, the edges, the arrows) and the
// episode and level selects played with injected clicks: main menu, name entry, the
// episodes, the levels, a plate starting level 1. Screenshots under test-shots.
#include "Framework/Layer/ImageLayer.h"
#include "Framework/Layer/TextLayer.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/HUDModalMessage.h"
#include "Source/TD/Screens/EpisodePager.h"
#include "Source/TD/Screens/HUDEpisodeSelectIOS.h"
#include "Source/TD/Screens/HUDItemPlate.h"
#include "Source/TD/Screens/HUDShopWindow.h"
#include "Source/TD/Screens/HUDTabBar.h"
#include "Source/TD/Screens/HUDLevelSelect.h"
#include "Source/TD/Screens/LevelPlate.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/UpgradesTable.h"
#include "tests/Support/ClickPlayer.h"
#include "tests/Support/GameHarness.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

namespace {

EpisodePager PagerOf(int pages, int current)
{
    EpisodePager pager(current);
    for (int i = 0; i < pages; ++i)
        pager.addPage(EpisodePage());
    return pager;
}

// A drag from x 600 to `to` over `seconds`, then the release.
struct DragCase {
    int pages, start, to;
    float seconds;
    int current;  // after the release
    float offset; // just after the release
    int state;
};

TEST(EpisodePager, DragsFlicksAndEdges)
{
    const DragCase cases[] = {
        {3, 1, 500, 1.0f, 2, -220.0f, EpisodePager::GlidingForward}, // over 80: next page
        {3, 1, 700, 1.0f, 0, 220.0f, EpisodePager::GlidingBack},     // over 80 back: previous page
        {3, 1, 590, 0.1f, 2, -310.0f, EpisodePager::GlidingForward}, // a short flick turns too
        {3, 1, 590, 1.0f, 1, 10.0f, EpisodePager::GlidingBack},      // slow and short: glides back
        {3, 0, 700, 1.0f, 0, 0.0f, EpisodePager::Idle},              // nothing before the first page
        {3, 2, 500, 1.0f, 2, 0.0f, EpisodePager::Idle},              // nothing after the last
        {1, 0, 100, 1.0f, 0, 0.0f, EpisodePager::Idle},              // one page never moves
    };
    for (const DragCase& c : cases) {
        EpisodePager pager = PagerOf(c.pages, c.start);
        pager.state = EpisodePager::Dragging;
        pager.dragX = 600.0f;
        pager.elapsed = 0.0f;
        pager.drag(c.to, 400);
        pager.elapsed = c.seconds;
        pager.release();
        SCOPED_TRACE(testing::Message() << "pages " << c.pages << " start " << c.start << " to " << c.to);
        EXPECT_EQ(pager.current, c.current);
        EXPECT_FLOAT_EQ(pager.offset, c.offset);
        EXPECT_EQ(pager.state, c.state);
        // The glide always comes to rest at offset 0.
        for (int i = 0; i < 60; ++i)
            pager.update(1.0f / 60.0f);
        EXPECT_EQ(pager.state, EpisodePager::Idle);
        EXPECT_FLOAT_EQ(pager.offset, 0.0f);
    }
}

TEST(EpisodePager, AStoredPagePastTheRowIsClamped)
{
    const int cases[][3] = {{2, 7, 1}, {2, -3, 0}, {3, 1, 1}, {0, 4, 0}};
    for (const auto& c : cases) {
        EpisodePager pager = PagerOf(c[0], c[1]);
        pager.clampCurrent();
        EXPECT_EQ(pager.current, c[2]) << "pages " << c[0] << " stored " << c[1];
    }
}

HUDWindow* Top(GameHarness& h)
{
    return h.game()->mGameWindow->mMap->mHud->topWindow();
}

void Click(GameHarness& h, float x, float y)
{
    h.MouseMove(x, y);
    h.Step(2);
    h.Click(x, y);
    h.Step(2);
}

TEST(EpisodeLevelSelect, MainMenuToTheFirstLevel)
{
    GameSetup setup;
    RunGame("EpisodeLevelSelect.ToFirstLevel", setup, [](GameHarness& h) {
        ASSERT_EQ(h.Start(), GE_OK);
        ASSERT_TRUE(click::ThroughSplash(h));
        Click(h, 512, 290); // play
        ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 14; }, 30));
        Click(h, 392, 500); // the name entry's OK
        ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 5; }, 60));
        h.StepSeconds(0.6f);
        h.Screenshot("episodes");
        auto* episodes = dynamic_cast<HUDEpisodeSelectIOS*>(Top(h));
        ASSERT_NE(episodes, nullptr);
        EXPECT_EQ(episodes->pager->current, 0);
        EXPECT_EQ(episodes->pager->pageCount(), 2);
        // The second episode needs stars: the arrow turns the row; play opens no level
        // but says what opens the episode, and its OK leads back.
        Click(h, 922, 404);
        h.StepSeconds(0.8f);
        EXPECT_EQ(episodes->pager->current, 1);
        h.Screenshot("episodes-locked");
        Click(h, 512, 712);
        ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 16; }, 10));
        auto* locked = dynamic_cast<HUDModalMessage*>(Top(h));
        ASSERT_NE(locked, nullptr);
        ASSERT_NE(locked->findText(L"message"), nullptr);
        EXPECT_EQ(*locked->findText(L"message"), L"Win 6 stars to open this episode. You have 0 so far.");
        EXPECT_EQ(*locked->findText(L"caption"), L"Frost Pass");
        h.StepSeconds(0.3f);
        h.Screenshot("episode-locked-message");
        Click(h, 512, 500); // its OK
        ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 5; }, 10));
        EXPECT_EQ(Top(h), episodes);
        Click(h, 102, 404); // back to the first
        h.StepSeconds(0.8f);
        EXPECT_EQ(episodes->pager->current, 0);
        Click(h, 512, 712);
        ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 6; }, 30));
        h.StepSeconds(0.5f);
        auto* levels = dynamic_cast<HUDLevelSelect*>(Top(h));
        ASSERT_NE(levels, nullptr);
        // Plates: a fresh profile opens level 1 only.
        ASSERT_EQ(levels->plates.size(), 5u);
        const int expectedX[] = {85, 213, 341, 469, 597};
        for (size_t i = 0; i < levels->plates.size(); ++i) {
            const LevelPlate* plate = levels->plates[i];
            EXPECT_EQ(plate->x, expectedX[i]);
            EXPECT_EQ(plate->y, 260);
            EXPECT_EQ(plate->unlocked, i == 0);
            EXPECT_EQ(plate->newMarker != nullptr, i == 0);
            EXPECT_EQ(plate->activeLayer != nullptr || plate->activeEmitter == nullptr, true);
        }
        // The upgrade shop from the levels: an upgrade bought with gems, the list
        // scrolled with the arrow, back to the levels.
        TDMap* map = h.game()->mGameWindow->mMap;
        map->mProgress->setGems(20);
        map->mStats->mGems = 20;
        Click(h, 884, 713);
        ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 8; }, 30));
        h.StepSeconds(0.5f);
        auto* shop = dynamic_cast<HUDShopWindow*>(Top(h));
        ASSERT_NE(shop, nullptr);
        h.Screenshot("shop");
        ASSERT_FALSE(shop->plates.empty());
        const int id = shop->plates[0]->upgradeId;
        EXPECT_EQ(map->mProgress->getUpgradeLevel(id), -1);
        Click(h, 775, 233); // the first plate's buy button
        h.Step(5);
        EXPECT_EQ(map->mProgress->getUpgradeLevel(id), 0);
        EXPECT_LT(map->mStats->mGems, 20);
        EXPECT_TRUE(shop->plates[0]->stars[0]->visible);
        h.Screenshot("shop-bought");
        // Ten stars at most, whatever the step count.
        {
            UpgradeDef longOne;
            longOne.id = 999;
            longOne.steps.resize(14);
            HUDItemPlate plate(shop->document.get(), longOne);
            EXPECT_EQ(plate.stars.size(), 10u);
            UpgradeDef single;
            single.id = 998;
            single.steps.resize(1);
            HUDItemPlate six(shop->document.get(), single);
            EXPECT_EQ(six.stars.size(), 6u);
        }
        // An upgrade that the profile does not list (a profile saved before the upgrade
        // came): its first read answers -2, and its plate offers the first step.
        {
            ASSERT_GE(shop->plates.size(), 2u);
            HUDItemPlate* unlisted = shop->plates[1];
            tinyxml2::XMLElement* upgrades = map->mProgress->profile->FirstChildElement("upgrades");
            ASSERT_NE(upgrades, nullptr);
            for (tinyxml2::XMLElement* e = upgrades->FirstChildElement("upgrade"); e;) {
                tinyxml2::XMLElement* next = e->NextSiblingElement("upgrade");
                if (e->IntAttribute("id") == unlisted->upgradeId)
                    upgrades->DeleteChild(e);
                e = next;
            }
            map->mProgress->upgradeCache.clear();
            unlisted->refresh();
            EXPECT_EQ(unlisted->complete, 0);
            EXPECT_TRUE(unlisted->costText->visible);
            for (const auto* star : unlisted->stars)
                EXPECT_FALSE(star->visible);
            EXPECT_EQ(map->mProgress->getUpgradeLevel(unlisted->upgradeId), -1) << "then not bought";
        }
        // The tabs: each available tab is a press away; tab 0 stands at x 216.
        EXPECT_FLOAT_EQ(shop->tabBar->tabs[0]->root->position.x, 216.0f);
        Click(h, 1000, 1000);
        Click(h, 120, 713); // back
        ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 6; }, 30));
        h.StepSeconds(0.5f);
        levels = dynamic_cast<HUDLevelSelect*>(Top(h));
        ASSERT_NE(levels, nullptr);

        h.MouseMove(137, 306);
        h.StepSeconds(0.5f);
        EXPECT_FLOAT_EQ(levels->plates[0]->scale, 1.1f);
        h.Screenshot("levels");
        // A locked plate is reported but starts nothing.
        Click(h, 265, 306);
        EXPECT_EQ(h.Screen(), 6);
        Click(h, 137, 306);
        ASSERT_TRUE(h.StepUntil([&] { return h.Screen() != 6; }, 60));
        h.StepSeconds(1.0f);
        h.Screenshot("level-1");
        EXPECT_EQ(h.game()->mGameWindow->mMap->mLevel, 0);
    });
}

} // namespace
