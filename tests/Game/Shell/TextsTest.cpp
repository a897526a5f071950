// Every text the game asks for is in the shipped "td/strings_en.csv": a game walks
// every level (its start, its messages, a tower's menu, the in-game menu, victory or
// defeat), then the menus and shops, then whatever a random player reaches, and no key
// was missing.
#include "Core/Base/StringEncoding.h"
#include "Core/Render/Math/Random.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "tests/Support/ClickPlayer.h"
#include "tests/Support/GameHarness.h"
#include "tests/Support/RandomPlayer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Every level of both episodes won with three stars, and gems to spend: everything is open.
std::string AllOpen()
{
    std::string levels;
    for (int episode = 0; episode < 2; ++episode)
        for (int level = 0; level < 5; ++level)
            levels += "            <level n=\"" + std::to_string(level) + "\" episode=\"" + std::to_string(episode) +
                      "\" kills=\"10\" combo=\"1\" healthBonus=\"5\" gems=\"45\" high=\"15\" stars=\"3\"/>\n";
    return "<Profiles currentProfile=\"Walker\">\n"
           "    <Profile name=\"Walker\" version=\"4\">\n"
           "        <levels>\n" +
           levels +
           "        </levels>\n"
           "        <towers/>\n"
           "        <gems amount=\"5000\"/>\n"
           "        <fs v=\"0\"/>\n"
           "    </Profile>\n"
           "    <Profile name=\"Other\"/>\n"
           "</Profiles>\n";
}

TEST(Texts, EveryTextTheGameAsksForIsInTheShippedStrings)
{
    GameSetup setup;
    setup.profiles = AllOpen();
    RunGame(
        "Texts.EveryText", setup,
        [](GameHarness& h) {
            ASSERT_EQ(h.Start(), GE_OK);
            ASSERT_TRUE(click::ThroughSplash(h));
            TDMap* map = click::Level(h);
            ASSERT_NE(map, nullptr);
            // Every level once; victory and defeat take turns, so each episode shows both.
            for (int episode = 0; episode < 2; ++episode)
                for (int level = 0; level < 5; ++level) {
                    ResetRandomCounter();
                    map->mEpisode = episode;
                    map->mLevel = level;
                    ASSERT_TRUE(map->startLevel());
                    h.Step(2);
                    if (map->mScreen == 11)
                        map->onScreenCommand(L"ok", 0, 0);
                    h.Step(6, 5 * GameHarness::kStep);
                    const std::vector<TDSpot*> spots = click::FreeSpots(map);
                    if (!spots.empty() && click::OpenSpot(h, spots.front()))
                        click::At(h, 5, 5); // the menu closes
                    map->pause();
                    h.Step(3);
                    map->onScreenCommand(L"resume", 0, 0);
                    h.Step(3);
                    if (level % 2 == 0)
                        map->showVictory();
                    else
                        map->showDefeat();
                    // The result window's texts come in as it opens and its stars count up.
                    h.Step(24, 10 * GameHarness::kStep);
                }
            const auto command = [&](const wchar_t* name) {
                map->onScreenCommand(name, 0, 0);
                h.Step(20);
            };
            // The results lead to the level select; its way back goes by the episodes.
            command(L"menu");
            command(L"back");
            command(L"back");
            EXPECT_EQ(map->mScreen, 7);
            // The profiles and their name entry, the shops, the episodes, the options.
            command(L"profile");
            EXPECT_EQ(map->mScreen, 13);
            command(L"create");
            EXPECT_EQ(map->mScreen, 14);
            command(L"cancel");
            command(L"back");
            command(L"shop");
            EXPECT_EQ(map->mScreen, 8);
            command(L"gem_shop0");
            command(L"return_ac");
            command(L"back_ac");
            command(L"play");
            command(L"shop");
            command(L"back_ac");
            command(L"back");
            command(L"options");
            // The dialogs and what the tour left out, by chance.
            RandomPlayer player(h, 20261213);
            for (int i = 0; i < 400 && !h.game()->IsDone(); ++i) {
                player.Act();
                h.Step(player.Between(1, 6));
            }
            std::string missing;
            for (const std::wstring& key : LocalStrings::Instance()->missing)
                missing += " " + ConvertToNarrow(key);
            EXPECT_TRUE(LocalStrings::Instance()->missing.empty()) << "asked for but not shipped:" << missing;
        },
        {}, 600);
}

} // namespace
