// Levels loaded in the running game: the first level's contents, every shipped level
// walked, the path cache, and level files or caches that are missing or damaged.
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/Towers/TDContextMenu.h"
#include "Source/TD/Towers/TDTowerDrop.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Towers/TDSpot.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/World/LevelArt.h"
#include "Source/TD/World/TDLink.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/TDPoint.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/TDWaves.h"
#include "Source/TD/World/UnitPrototype.h"
#include "tests/Support/GameHarness.h"
#include "tests/Support/LogCapture.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace {

TDMap* Level(GameHarness& h)
{
    return h.game() && h.game()->mGameWindow ? h.game()->mGameWindow->mMap : nullptr;
}

// Every spawn point has a route to the goal, and every entry of every wave finds the
// curve of its track on each link of its spawn point's route, in route direction.
// A small level file: one straight link from the spawn to the goal, one unit, its
// budget 100 and the spot elements given.
std::string LevelWithSpots(const std::string& spots)
{
    return "<map><li>./td/data/maps/ep01/</li><budget>100</budget>"
           "<points><point id='1' x='0' y='0'><p name='spawn' value='1'/></point>"
           "<point id='2' x='300' y='0'><p name='goal' value='1'/></point></points>"
           "<links><link sid='1' eid='2' anchor_x='150' anchor_y='0'/></links><spots>" +
           spots + "</spots><waves><wave spawn='1'><e id='1' x='0' y='-65'/></wave></waves></map>";
}

void ExpectWalkable(TDMap& map, const std::string& level)
{
    int spawns = 0;
    for (TDPoint* point : map.mPoints) {
        if (!point->isSpawn())
            continue;
        ++spawns;
        EXPECT_GE(map.routeOf(point->id).size(), 2u) << level << ": spawn point " << point->id;
    }
    EXPECT_GE(spawns, 1) << level;
    EXPECT_EQ(map.mRoutes.size(), static_cast<size_t>(spawns)) << level << ": one route per spawn point";
    for (TDWaveProto* wave : map.mWaves->protos) {
        const TDPoint* spawn = wave->spawn == -1 ? map.firstSpawnPoint() : FindPointById(map.mPoints, wave->spawn);
        ASSERT_NE(spawn, nullptr) << level << ": wave spawn " << wave->spawn;
        const std::vector<i32>& route = map.routeOf(spawn->id);
        for (TDWaveEnemy* entry : wave->entries) {
            for (size_t i = 0; i + 1 < route.size(); ++i) {
                const TDLink* link = map.findLink(route[i], route[i + 1]);
                ASSERT_NE(link, nullptr) << level;
                TDPathNodeList nodes;
                map.mPaths.findAlongRoute(link, TrackKeyForY(entry->y), route[i], nodes);
                ASSERT_FALSE(nodes.empty()) << level << ": unit " << entry->id << " link " << i;
                // Walked in route direction: the curve starts near the point the route leaves.
                const TDPoint* from = FindPointById(map.mPoints, route[i]);
                EXPECT_LT(std::hypot(nodes.front()->x - from->x, nodes.front()->y - from->y), 40.0f) << level;
            }
        }
    }
}

} // namespace

TEST(Level, FirstLevelLoads)
{
    RunGame("Level.FirstLevelLoads", {}, [](GameHarness& h) {
        ASSERT_EQ(h.Start(), GE_OK);
        TDMap* map = Level(h);
        ASSERT_NE(map, nullptr);
        LogCapture log;
        map->mEpisode = 0;
        map->mLevel = 0;
        ASSERT_TRUE(map->startLevel());
        EXPECT_EQ(map->mLevelFile, L"td/levels_normal/level_01_01.xml");
        // The level opens paused on its unlock message; its ok starts play.
        EXPECT_EQ(map->mScreen, 11);
        EXPECT_EQ(map->mSpeed, 0.0f);
        h.Step(60);
        map->onScreenCommand(L"ok", 0, 0);
        h.Step(2);
        EXPECT_EQ(map->mScreen, 0);
        EXPECT_EQ(map->mSpeed, 1.0f);
        EXPECT_EQ(map->mPoints.size(), 6u);
        EXPECT_EQ(map->mLinks.size(), 5u);
        EXPECT_EQ(map->mSpotList.size(), 8u);
        EXPECT_EQ(map->mWaves->protos.size(), 3u);
        EXPECT_EQ(map->mBudget, 150);
        EXPECT_EQ(map->mStats->mMoney, 150);
        EXPECT_EQ(map->mHealth, 25.0f);
        ASSERT_NE(map->mLevelArt, nullptr);
        EXPECT_EQ(map->mLevelArt->mSpotSprites.size(), 8u);
        EXPECT_FALSE(map->mLevelArt->mLayerSprites.empty()) << "the episode's art opened from \"maps/ep01/\"";
        ExpectWalkable(*map, "level 1");

        EXPECT_EQ(log.Count(L"new td point (20, 384)#1!"), 1);
        EXPECT_EQ(log.Count(L"new td point ("), 6);
        EXPECT_EQ(log.Count(L"link loaded!"), 5);
        EXPECT_EQ(log.Count(L"LOADED ENEMY WAVE=(timeout=4, spawner=1)"), 1);
        EXPECT_EQ(log.Count(L"LOADED ENEMY WAVE=("), 3);
        EXPECT_EQ(log.Count(L"No route"), 0);

        // Start money is the budget plus its upgrade factor, truncated.
        map->mStats->mMoney = 0;
        map->mBudgetFactor = 0.255f;
        ASSERT_TRUE(map->loadLevelData(map->mLevelFile));
        EXPECT_EQ(map->mStats->mMoney, 188);
        EXPECT_EQ(map->mStats->mShownMoney, 188);

        h.Step(30);
        EXPECT_EQ(h.Screen(), 0);
    });
}

TEST(Level, EveryShippedLevelIsPlayable)
{
    RunGame("Level.EveryShippedLevelIsPlayable", {}, [](GameHarness& h) {
        ASSERT_EQ(h.Start(), GE_OK);
        TDMap* map = Level(h);
        ASSERT_NE(map, nullptr);
        for (int episode = 0; episode < 2; ++episode) {
            EXPECT_EQ(map->episodeLevelCount(episode), 5);
            for (int level = 0; level < 5; ++level) {
                const std::string name = "level " + std::to_string(episode + 1) + "-" + std::to_string(level + 1);
                LogCapture log;
                map->mEpisode = episode;
                map->mLevel = level;
                ASSERT_TRUE(map->startLevel()) << name;
                // The first episode opens a tower or spell at every level; the second
                // adds none, so its levels open on their title.
                EXPECT_EQ(map->mScreen, episode == 0 ? 11 : 0) << name << ": unlock message or title";
                EXPECT_FALSE(map->mWaves->protos.empty()) << name;
                ExpectWalkable(*map, name);
                EXPECT_EQ(log.Count(L"could not be opened"), 0) << name;
                EXPECT_EQ(log.Count(L"Path cache"), 0) << name << ": no cache is refused";
                for (const TDSpot* spot : map->mSpotList) {
                    EXPECT_TRUE(spot->mX >= 0 && spot->mX <= 1024 && spot->mY >= 0 && spot->mY <= 768) << name;
                    ASSERT_NE(spot->mEntry, nullptr);
                    EXPECT_GE(spot->mEntry->mX, 0.0f) << name;
                    EXPECT_GE(spot->mEntry->mY, 0.0f) << name;
                    EXPECT_LE(spot->mEntry->mX + spot->mEntry->mWidth, 1024.0f) << name;
                    EXPECT_LE(spot->mEntry->mY + spot->mEntry->mHeight, 768.0f) << name;
                }
                h.Step(2);
            }
        }
        // The second level ships a path cache: it is read, not computed.
        map->mEpisode = 0;
        map->mLevel = 1;
        ASSERT_TRUE(map->startLevel());
        EXPECT_EQ(map->loadPathCache(), 0);
        EXPECT_FALSE(map->mPaths.empty());
    });
}

TEST(Level, MissingOrDamagedFilesDoNotStart)
{
    GameSetup setup;
    // An art folder name that is not UTF-8.
    setup.contentFiles["td/levels_normal/level_01_02.xml"] = "<map><li>./td/data/maps/\xff\xfe/</li><budget>10</budget></map>";
    setup.contentFiles["td/levels_normal/level_01_03.xml"] = "<map><points><point id='1'></map>";
    setup.contentFiles["td/levels_normal/level_01_04.xml"] = "<?xml version='1.0'?><level/>";
    // Spawn point 9 lies on an island; the spots hold an element of another name.
    setup.contentFiles["td/levels_normal/level_01_05.xml"] =
        "<map><li>./td/data/maps/ep01/</li><budget>10</budget>"
        "<points><point id='1' x='10' y='10'><p name='spawn' value='1'/></point><point id='2' x='500' y='10'/>"
        "<point id='3' x='900' y='10'><p name='goal' value='1'/></point>"
        "<point id='9' x='10' y='700'><p name='spawn' value='1'/></point></points>"
        "<links><link sid='1' eid='2' anchor_x='250' anchor_y='10'/><link sid='3' eid='2' anchor_x='700' anchor_y='60'/>"
        "</links><spots><spot x='100' y='100'/><decoration x='5' y='5'/><spot x='200' y='200'/></spots>"
        "<waves><wave spawn='9'><e id='1' x='0' y='-65'/></wave><wave spawn='-1'><e id='0' x='0' y='-130'/></wave>"
        "</waves></map>";
    // Claims one group of a link the level does not have.
    setup.contentFiles["td/levels_normal/level_01_01.cache"] = std::string("\x01\x00\x00\x00\x63\x00\x00\x00", 8);
    RunGame("Level.MissingOrDamagedFilesDoNotStart", setup, [](GameHarness& h) {
        ASSERT_EQ(h.Start(), GE_OK);
        TDMap* map = Level(h);
        ASSERT_NE(map, nullptr);
        map->mEpisode = 0;
        map->mLevel = 0;
        {
            LogCapture log;
            ASSERT_TRUE(map->startLevel());
            EXPECT_EQ(log.Count(L"Path cache 'td/levels_normal/level_01_01.cache' ignored"), 1);
            ExpectWalkable(*map, "level 1 with a bad cache");
        }
        {
            LogCapture log;
            map->mLevel = 4;
            ASSERT_TRUE(map->startLevel());
            EXPECT_EQ(map->mSpotList.size(), 2u) << "only spot elements are spots";
            EXPECT_EQ(map->routeOf(1), (std::vector<i32>{1, 2, 3}));
            EXPECT_TRUE(map->routeOf(9).empty());
            EXPECT_EQ(log.Count(L"No route from spawn point 9 to the goal"), 1);
            // The island's wave spawns nothing; the first spawn point's waves walk.
            TDWaveProto* island = map->mWaves->protos[0];
            EXPECT_EQ(map->spawnMob(island->entries[0], FindPointById(map->mPoints, 9)), nullptr);
            EXPECT_EQ(log.Count(L"has no route to the goal"), 1);
            EXPECT_TRUE(map->mWaves->mobs.empty());
            TDWaveProto* first = map->mWaves->protos[1];
            EXPECT_NE(map->spawnMob(first->entries[0], map->firstSpawnPoint()), nullptr);
            // Link 3-2 is written against the route: its curve is walked from 2 towards 3.
            TDPathNodeList nodes;
            map->mPaths.findAlongRoute(map->findLink(2, 3), TrackKeyForY(-130.0f), 2, nodes);
            ASSERT_FALSE(nodes.empty());
            EXPECT_LT(nodes.front()->x, 520.0f);
            EXPECT_GT(nodes.back()->x, 860.0f);
            map->mWaves->clearMobs();
        }
        map->mLevel = 0;
        ASSERT_TRUE(map->startLevel());
        map->mScreen = 6; // the level selection asked
        const int money = map->mStats->mMoney;
        for (int level : {1, 2, 3, 7}) {
            LogCapture log;
            map->mLevel = level;
            EXPECT_FALSE(map->startLevel()) << level;
            EXPECT_EQ(log.Count(L"the level does not start"), 1) << level;
            EXPECT_EQ(map->mScreen, 6) << level;
            EXPECT_EQ(map->mLevelFile, L"td/levels_normal/level_01_01.xml") << level;
            EXPECT_EQ(map->mStats->mMoney, money) << level;
            EXPECT_FALSE(map->mPoints.empty()) << level << ": the previous level is untouched";
        }
        h.Step(10);
        EXPECT_EQ(h.Screen(), 6);
    });
}

TEST(Level, UpdateRunsTheWorldOnlyWhilePlaying)
{
    RunGame("Level.UpdateRunsTheWorldOnlyWhilePlaying", {}, [](GameHarness& h) {
        ASSERT_EQ(h.Start(), GE_OK);
        TDMap* map = Level(h);
        ASSERT_NE(map, nullptr);
        map->mEpisode = 0;
        map->mLevel = 0;
        ASSERT_TRUE(map->startLevel());
        h.Step(60);
        map->onScreenCommand(L"ok", 0, 0); // the unlock message closed
        h.Step(2);
        ASSERT_EQ(map->mScreen, 0);

        // Paused: the clock and the drops stand still, the HUD runs on real time.
        auto* drop = new TDTowerSpecial;
        drop->setState(1);
        map->mSpecials.push_back(drop);
        map->mSpeed = 0.0f;
        map->mHud->fadeState = 1;
        map->mHud->fadeTime = 0.0f;
        const float clock = map->mGameTime;
        map->update(0.5f);
        EXPECT_EQ(map->mGameTime, clock);
        EXPECT_EQ(drop->clock, 0.0f);
        EXPECT_EQ(map->mHud->fadeState, 2);
        EXPECT_EQ(map->mLastDt, 0.5f);

        // Playing: a lying drop becomes one gem once its own clock (1.5 x game time) passes 5 s.
        map->mSpeed = 1.0f;
        const int gems = map->mStats->mGems;
        map->update(3.0f);
        EXPECT_EQ(map->mGameTime, clock + 3.0f);
        EXPECT_EQ(drop->state, 1);
        map->update(0.4f);
        EXPECT_EQ(drop->state, 2);
        EXPECT_EQ(map->mStats->mGems, gems + 1);
        EXPECT_EQ(map->mProgress->getGems(), gems + 1);
        map->update(1.0f);
        EXPECT_EQ(map->mStats->mGems, gems + 1) << "a collected drop pays once";

        // Any screen in front closes the context menu on the next update.
        map->mContextMenu = new TDContextMenu(map);
        map->mScreen = 5;
        map->update(0.1f);
        EXPECT_EQ(map->mContextMenu, nullptr);

        // The pause: speed 0, screen 4, a window on the HUD that starts its fade-in.
        map->mScreen = 0;
        map->mHud->clearWindows();
        map->mHud->fadeState = 0;
        map->pause();
        EXPECT_EQ(map->mSpeed, 0.0f);
        EXPECT_EQ(map->mScreen, 4);
        EXPECT_EQ(map->mHud->fadeState, 1);
        EXPECT_EQ(map->mHud->queued.size(), 1u);
        h.Step(2);
        EXPECT_EQ(h.Screen(), 4);
    });
}

TEST(Level, SpotIconsStartMoneyAndMusic)
{
    GameSetup setup;
    // Spot 0 has no boost parameters, spot 1 one boost, spot 2 two.
    setup.contentFiles["td/levels_normal/level_08_01.xml"] =
        LevelWithSpots("<spot x='100' y='300'/>"
                       "<spot x='300' y='300'><p name='radius_mult' value='1.2'/><p name='damage_mult' value='1'/>"
                       "<p name='income_mult' value='1'/></spot>"
                       "<spot x='500' y='300'><p name='radius_mult' value='0.8'/><p name='damage_mult' value='1.3'/>"
                       "<p name='income_mult' value='1'/></spot>");
    RunGame("Level.SpotIconsStartMoneyAndMusic", setup, [](GameHarness& h) {
        ASSERT_EQ(h.Start(), GE_OK);
        TDMap* map = Level(h);
        ASSERT_NE(map, nullptr);
        map->mEpisode = 7;
        map->mLevel = 0;
        ASSERT_TRUE(map->startLevel());
        ASSERT_FALSE(h.music.empty());
        EXPECT_EQ(h.music.back(), "td/data/music/ingame1.ogg") << "episodes past the seventh play the first track";
        EXPECT_EQ(map->mStats->mMoney, 100);

        ASSERT_EQ(map->mSpotList.size(), 3u);
        EXPECT_EQ(map->mSpotList[0]->mIcons.size(), 3u) << "missing parameters read 0: unboost, unboost, income";
        ASSERT_EQ(map->mSpotList[1]->mIcons.size(), 1u);
        ASSERT_EQ(map->mSpotList[2]->mIcons.size(), 2u);
        auto centre = [](const TDSpot* spot) {
            return std::make_pair(spot->mEntry->mX + spot->mEntry->mWidth * 0.5f,
                                  spot->mEntry->mY + spot->mEntry->mHeight * 0.5f);
        };
        // One icon at 360 degrees: below the centre (cos goes to y; 3.14 leaves x a hair off).
        const auto [x1, y1] = centre(map->mSpotList[1]);
        EXPECT_NEAR(map->mSpotList[1]->mIcons[0]->mX, x1 + std::sin(360.0f * 3.14f / 180.0f) * 40.0f, 0.01f);
        EXPECT_NEAR(map->mSpotList[1]->mIcons[0]->mY, y1 + 40.0f, 0.01f);
        // Two icons at 330 and 390 degrees (converted with 3.14 / 180).
        const auto [x2, y2] = centre(map->mSpotList[2]);
        for (int k = 0; k < 2; ++k) {
            const float angle = (330.0f + 60.0f * static_cast<float>(k)) * 3.14f / 180.0f;
            EXPECT_NEAR(map->mSpotList[2]->mIcons[k]->mX, x2 + std::sin(angle) * 40.0f, 0.01f) << k;
            EXPECT_NEAR(map->mSpotList[2]->mIcons[k]->mY, y2 + std::cos(angle) * 40.0f, 0.01f) << k;
        }

        // Start money: the budget plus the truncated upgrade share.
        for (const auto& [factor, money] : std::vector<std::pair<float, int>>{{0.25f, 125}, {0.255f, 125}}) {
            map->mStats->mMoney = 0;
            map->mBudgetFactor = factor;
            ASSERT_TRUE(map->loadLevelData(map->mLevelFile));
            EXPECT_EQ(map->mStats->mMoney, money) << factor;
        }
    });
}

TEST(Level, TowersOfTheLevelFileAreBuiltForNothing)
{
    GameSetup setup;
    // Episode 0, level 1, where the cannon is unlocked: an artillery and a cannon stand
    // on their spots from the start.
    setup.contentFiles["td/levels_normal/level_01_02.xml"] =
        LevelWithSpots("<spot x='100' y='300'><p name='tower_id' value='10000'/></spot>"
                       "<spot x='300' y='300'><p name='tower_id' value='30000.7'/></spot>"
                       "<spot x='500' y='300'/>");
    RunGame("Level.TowersOfTheLevelFileAreBuiltForNothing", setup, [](GameHarness& h) {
        ASSERT_EQ(h.Start(), GE_OK);
        TDMap* map = Level(h);
        ASSERT_NE(map, nullptr);
        map->mEpisode = 0;
        map->mLevel = 1;
        // A bought cannon step that lowers its price: still nothing is paid or gained.
        map->mProgress->setUpgradeLevel(3, 1);
        h.sounds.clear();
        ASSERT_TRUE(map->startLevel());
        const UnitPrototype* cannon = map->mPrototypes->find(30000);
        ASSERT_NE(cannon, nullptr);
        ASSERT_LT(map->towerPrice(*cannon), cannon->cost) << "the step lowers the price";
        EXPECT_EQ(map->mStats->mMoney, 100);
        ASSERT_EQ(map->mTowers.size(), 2u);
        std::vector<int> built;
        for (const TDTower* tower : map->mTowers) {
            built.push_back(tower->basePrototype->id);
            ASSERT_NE(tower->spot, nullptr);
            EXPECT_FALSE(tower->spot->mVisible) << "the spot's image gives way to the tower";
        }
        EXPECT_EQ(built, (std::vector<int>{10000, 30000}));
        EXPECT_TRUE(map->mSpotList[2]->mEntry->mVisible);
        // Built the way the player builds: its sound and its dust.
        EXPECT_EQ(std::count(h.sounds.begin(), h.sounds.end(), L"buildTower"), 2);
        EXPECT_EQ(map->mEmitters.size(), 2u);
    });
}
