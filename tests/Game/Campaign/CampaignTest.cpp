// A scripted player goes through the whole game with clicks only, the way a person
// would: the menus, the episode and level selects, the unlock messages, the tutorial's
// skip, the speed button, and in each level the cheapest tower on the free spots
// nearest the road, upgraded whenever the money reaches. Every level must be won by
// that and nothing more, and the profile must end with each level's result and stars;
// the same player doing nothing loses the first level. The game objects are read only
// to decide where to click.
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/HUDLevelResultWindow.h"
#include "Source/TD/Screens/HUDEpisodeSelectIOS.h"
#include "Source/TD/Screens/HUDLevelSelect.h"
#include "Source/TD/Screens/LevelPlate.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/Towers/TDContextMenu.h"
#include "Source/TD/Towers/TDSpot.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "tests/Support/ClickPlayer.h"
#include "tests/Support/GameHarness.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <string>

namespace {

constexpr int kEpisodes = 2;
constexpr int kLevels = 5;
// Screens of the level object met on the way.
constexpr int kPlaying = 0, kWon = 1, kLost = 2, kEpisodeSelect = 5, kLevelSelect = 6, kMainMenu = 7,
              kUnlock = 11, kSplash = 12, kNameEntry = 14;
// The player looks at the level every quarter second, at the harness's own step.
constexpr float kWaitDt = GameHarness::kStep;
constexpr int kWaitFrames = 15;
// Longest level: 400 s of play at the doubled speed, well past the longest wave list.
constexpr int kLevelFrames = 60 * 200;

std::string Shot(int episode, int level, const char* what)
{
    char name[64];
    std::snprintf(name, sizeof name, "e%d-l%d-%s", episode + 1, level + 1, what);
    return name;
}

bool WaitScreen(GameHarness& h, int screen, int frames = 240)
{
    return h.StepUntil([&] { return h.Screen() == screen; }, frames);
}

// Splash slides clicked through into the main menu, then "Play"; a fresh profile names
// itself in the entry first. Ends on the episode select.
void MainMenuToEpisodes(GameHarness& h)
{
    ASSERT_EQ(h.Start(), GE_OK);
    ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == kSplash || h.Screen() == kMainMenu; }, 120));
    while (h.Screen() == kSplash) {
        h.StepSeconds(0.8f);
        h.Click(500, 400);
        h.Step(5);
    }
    ASSERT_TRUE(WaitScreen(h, kMainMenu, 120));
    h.StepSeconds(0.6f);
    click::At(h, 512, 290); // "Play", where the generated main menu has it
    ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == kNameEntry || h.Screen() == kEpisodeSelect; }, 60));
    if (h.Screen() == kNameEntry) {
        h.StepSeconds(0.3f);
        click::At(h, 392, 500); // the entry's OK keeps the offered name
    }
    ASSERT_TRUE(WaitScreen(h, kEpisodeSelect, 60));
    h.StepSeconds(0.6f);
    h.Screenshot("episodes");
}

// From the episode select to the level select of `episode`, turning the row with
// its arrow as far as needed.
void OpenEpisode(GameHarness& h, int episode)
{
    auto* episodes = dynamic_cast<HUDEpisodeSelectIOS*>(click::TopWindow(h));
    ASSERT_NE(episodes, nullptr);
    for (int turns = 0; episodes->pager->current < episode && turns < kEpisodes; ++turns) {
        ASSERT_TRUE(click::Button(h, L"arrow_right"));
        ASSERT_TRUE(h.StepUntil([&] { return episodes->pager->state == EpisodePager::Idle; }, 120));
        h.StepSeconds(0.3f);
    }
    ASSERT_EQ(episodes->pager->current, episode);
    h.Screenshot("episode-" + std::to_string(episode + 1));
    ASSERT_TRUE(click::Button(h, L"play"));
    ASSERT_TRUE(WaitScreen(h, kLevelSelect, 60)) << "episode " << episode << " did not open; screen " << h.Screen();
    h.StepSeconds(0.5f);
}

// The player of one level: the cheapest tower the build menu offers, on the free
// spot nearest the road, whenever the money reaches it; otherwise the first upgrade
// whose price the money reaches.
class LevelPlayer {
public:
    explicit LevelPlayer(GameHarness& h) : h(h), map(click::Level(h)) {}

    void act()
    {
        if (map->mScreen != kPlaying)
            return;
        std::vector<TDSpot*> spots = click::FreeSpots(map);
        if (!spots.empty() && cheapest < 0)
            readBuildMenu(spots.front());
        if (!spots.empty() && cheapest > 0 && money() >= cheapestPrice) {
            if (click::Build(h, spots.front(), cheapest))
                ++built;
            return;
        }
        for (TDTower* tower : map->mTowers) {
            auto known = nextPrice.find(tower);
            if (known != nextPrice.end() && money() < known->second)
                continue;
            upgrade(tower);
            return;
        }
    }

    int built = 0;
    int upgraded = 0;

private:
    int money() const { return map->mStats->mMoney; }

    void readBuildMenu(TDSpot* spot)
    {
        if (!click::OpenSpot(h, spot))
            return;
        cheapestPrice = FLT_MAX;
        for (const TDContextMenuItem* item : map->mContextMenu->items)
            if (item->command > 0 && item->price < cheapestPrice) {
                cheapestPrice = item->price;
                cheapest = item->command;
            }
        click::CloseMenu(h);
    }

    void upgrade(TDTower* tower)
    {
        if (!click::OpenTower(h, tower))
            return;
        const int command = click::MenuCommand(map, 1);
        float price = FLT_MAX; // nothing left to buy
        for (const TDContextMenuItem* item : map->mContextMenu->items)
            if (item->command == command && item->kind == 1)
                price = map->mContextMenu->shownPrice(*item);
        if (command < 0 || static_cast<float>(money()) < price) {
            nextPrice[tower] = price;
            click::CloseMenu(h);
            return;
        }
        click::CloseMenu(h);
        if (click::TowerAction(h, tower, 1)) {
            ++upgraded;
            nextPrice.erase(tower);
        } else {
            nextPrice[tower] = FLT_MAX;
        }
    }

    GameHarness& h;
    TDMap* map;
    int cheapest = -1;
    float cheapestPrice = FLT_MAX;
    std::map<const TDTower*, float> nextPrice; // the price last seen, while short of it
};

struct LevelOutcome {
    int result = 0; // the level object's screen at the end: 1 won, 2 lost
    float health = 0.0f;
    int stars = 0;
    int built = 0, upgraded = 0;
    double seconds = 0.0; // wall-clock time of the level
};

// From the level select: the level's plate, its unlock message, the tutorial's skip,
// the speed button, play (with towers when `build`), and the result window's "Menu"
// back to the level select.
LevelOutcome PlayLevel(GameHarness& h, int episode, int level, bool build)
{
    const auto started = std::chrono::steady_clock::now();
    LevelOutcome outcome;
    TDMap* map = click::Level(h);
    EXPECT_TRUE(click::LevelPlate(h, static_cast<size_t>(level))) << "no plate " << level;
    EXPECT_TRUE(h.StepUntil([&] { return h.Screen() == kPlaying || h.Screen() == kUnlock; }, 120))
        << "level " << level << " did not start; screen " << h.Screen();
    EXPECT_EQ(map->mEpisode, episode);
    EXPECT_EQ(map->mLevel, level);
    if (h.Screen() == kUnlock) {
        h.StepSeconds(1.0f);
        h.Screenshot(Shot(episode, level, "unlock"));
        // One "ok" per item announced.
        for (int item = 0; item < 10 && h.Screen() == kUnlock; ++item) {
            EXPECT_TRUE(click::Button(h, L"ok"));
            h.StepSeconds(0.3f);
        }
        EXPECT_TRUE(WaitScreen(h, kPlaying, 60)) << "the unlock message stayed; screen " << h.Screen();
    }
    if (TDTutorial::Instance()->active) {
        h.StepSeconds(0.5f);
        h.Screenshot(Shot(episode, level, "tutorial"));
        EXPECT_TRUE(click::SkipTutorial(h));
    }
    LevelPlayer player(h);
    bool shot = false;
    int frame = 0;
    for (; frame < kLevelFrames && h.Screen() == kPlaying; frame += kWaitFrames) {
        if (map->mSpeed < 2.0f && !map->mContextMenu)
            click::Button(h, L"speed_btn");
        if (build)
            player.act();
        h.Step(kWaitFrames, kWaitDt);
        if (!shot && frame > 900) {
            h.Screenshot(Shot(episode, level, "playing"));
            shot = true;
        }
    }
    outcome.result = h.Screen();
    outcome.health = map->mHealth;
    outcome.built = player.built;
    outcome.upgraded = player.upgraded;
    // The window opens at the next update of the HUD.
    h.StepUntil([&] { return dynamic_cast<HUDLevelResultWindow*>(click::TopWindow(h)) != nullptr; }, 120);
    h.Screenshot(Shot(episode, level, "result"));
    auto* window = dynamic_cast<HUDLevelResultWindow*>(click::TopWindow(h));
    EXPECT_NE(window, nullptr) << "no result window; screen " << h.Screen();
    if (window) {
        outcome.stars = window->stars;
        EXPECT_TRUE(h.StepUntil([&] { return window->state == HUDLevelResultWindow::Finished; }, 600));
        EXPECT_TRUE(click::Button(h, L"menu"));
        EXPECT_TRUE(WaitScreen(h, kLevelSelect, 60)) << "the result window stayed; screen " << h.Screen();
        h.StepSeconds(0.5f);
    }
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("episode %d level %d: result %d, health %.0f, stars %d, towers %d, upgrades %d, %.0f s of play "
                "in %.1f s\n",
                episode + 1, level + 1, outcome.result, outcome.health, outcome.stars, outcome.built,
                outcome.upgraded, frame * kWaitDt * 2.0f, outcome.seconds);
    std::fflush(stdout);
    return outcome;
}

// Plays the levels `first` to `last` (counted over the whole game from 0) from the
// episode select, each to a win; between episodes back to the episode select and on.
void WinLevels(GameHarness& h, int first, int last)
{
    for (int index = first; index <= last; ++index) {
        const int episode = index / kLevels, level = index % kLevels;
        if (index == first || level == 0) {
            if (index != first) {
                ASSERT_TRUE(click::Button(h, L"back"));
                ASSERT_TRUE(WaitScreen(h, kEpisodeSelect, 60));
                h.StepSeconds(0.6f);
            }
            OpenEpisode(h, episode);
        }
        const LevelOutcome outcome = PlayLevel(h, episode, level, true);
        ASSERT_EQ(outcome.result, kWon) << "episode " << episode + 1 << " level " << level + 1 << " was lost";
        EXPECT_GE(outcome.stars, 1);
        auto* levels = dynamic_cast<HUDLevelSelect*>(click::TopWindow(h));
        ASSERT_NE(levels, nullptr);
        if (level + 1 < kLevels) {
            EXPECT_TRUE(levels->plates[static_cast<size_t>(level + 1)]->unlocked) << "level " << level + 2;
        }
    }
}

// Each level's stored result in the profile's text, levels 0 to `last`: its stars
// and a kill count.
void ExpectResults(const std::string& xml, int last)
{
    for (int index = 0; index <= last; ++index) {
        const int episode = index / kLevels, level = index % kLevels;
        const std::regex entry("<level n=\"" + std::to_string(level) + "\" episode=\"" + std::to_string(episode) +
                               "\"[^>]*kills=\"[1-9][0-9]*\"[^>]*stars=\"[1-3]\"");
        EXPECT_TRUE(std::regex_search(xml, entry)) << "episode " << episode + 1 << " level " << level + 1 << "\n" << xml;
    }
}

// A profile with the levels before `index` won (two stars each, the tutorial done),
// as the campaign before them leaves it.
std::string ProfileWonUpTo(int index)
{
    std::string levels;
    for (int before = 0; before < index; ++before)
        levels += "<level n=\"" + std::to_string(before % kLevels) + "\" episode=\"" + std::to_string(before / kLevels) +
                  "\" combo=\"0\" kills=\"40\" healthBonus=\"0\" gems=\"0\" high=\"40\" stars=\"2\"/>";
    // The built-in default profile comes first; the player's own follow it.
    return "<Profiles currentProfile=\"Ann\"><Profile name=\"Player01234567890123456789\"/>"
           "<Profile name=\"Ann\" version=\"4\"><fs v=\"0\"/><tutorial/><levels>" +
           levels + "</levels></Profile></Profiles>";
}

std::string ReadProfiles(const std::filesystem::path& user)
{
    std::ifstream in(user / "profiles.xml");
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Plays levels `first` to `last` in one game: from a fresh start for the first level,
// else from a profile with the levels before won. The profile the game leaves holds
// every level up to `last` with its result and stars.
void Campaign(const std::string& name, int first, int last)
{
    GameSetup setup;
    if (first > 0)
        setup.profiles = ProfileWonUpTo(first);
    std::string saved;
    RunGame(
        name, setup,
        [first, last](GameHarness& h) {
            MainMenuToEpisodes(h);
            WinLevels(h, first, last);
            h.Screenshot("levels-done");
            ExpectResults(h.ProfilesXml(), last);
        },
        [&](const std::filesystem::path& user) { saved = ReadProfiles(user); }, 3000);
    ExpectResults(saved, last);
}

TEST(Campaign, DoingNothingLosesTheFirstLevel)
{
    RunGame(
        "Campaign.DoingNothing", {},
        [](GameHarness& h) {
            MainMenuToEpisodes(h);
            OpenEpisode(h, 0);
            const LevelOutcome outcome = PlayLevel(h, 0, 0, false);
            EXPECT_EQ(outcome.result, kLost);
            EXPECT_EQ(outcome.health, 0.0f);
            EXPECT_EQ(click::Level(h)->mTowers.size(), 0u);
        },
        {}, 600);
}

// Two levels a test, so the shards play the game side by side.
TEST(Campaign, Levels1And2FromAFreshStart)
{
    Campaign("Campaign.Levels1And2", 0, 1);
}

TEST(Campaign, Levels3And4)
{
    Campaign("Campaign.Levels3And4", 2, 3);
}

// Across the change of episode: the last of the first, the first of the second.
TEST(Campaign, Levels5And6)
{
    Campaign("Campaign.Levels5And6", 4, 5);
}

TEST(Campaign, Levels7And8)
{
    Campaign("Campaign.Levels7And8", 6, 7);
}

TEST(Campaign, Level9)
{
    Campaign("Campaign.Level9", 8, 8);
}

TEST(Campaign, Level10)
{
    Campaign("Campaign.Level10", 9, 9);
}

} // namespace
