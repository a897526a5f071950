#include "Source/TD/World/EpisodeTable.h"
#include "Source/TD/World/UnlocksTable.h"

#include <gtest/gtest.h>

TEST(EpisodeTable, Rows)
{
    struct Case {
        const char* text;
        int episode;
        int levels;
        int stars;
        int total;
    };
    const Case cases[] = {
        {"0;10;0;0;0\n1;12;0;5;0\n3;8;0;9;0\n", 3, 8, 9, 22}, // the gap at 2 ends the count
        {"2;15;0;40;0\n", 2, 15, 40, 0},
        {"0;5;0;0\n", 0, -1, -1, 0},                 // four fields: ignored
        {"0;5;0;0;0;0\n", 0, -1, -1, 0},             // six fields: ignored
        {"0;1 2;0;3;0\r\n", 0, 12, 3, 12},           // spaces go before splitting
        {"ep;levels;x;stars;y\n0;4;0;1;0\n", 0, 4, 1, 4}, // a text header lands on 0, then is replaced
        {"0;-3;0;0;0\n1;5;0;0;0\n", 1, 5, 0, 5},     // a negative count adds nothing, does not stop
        {"-1;9;0;0;0\n", -1, -1, -1, 0},             // episode -1 is never stored
        {"0;x;0;y;0\n", 0, 0, 0, 0},                 // no digits read 0
        {"", 0, -1, -1, 0},
    };
    for (const Case& c : cases) {
        EpisodeTable table;
        table.parse(c.text);
        EXPECT_EQ(table.levelCount(c.episode), c.levels) << c.text;
        EXPECT_EQ(table.starsRequired(c.episode), c.stars) << c.text;
        EXPECT_EQ(table.totalLevelCount(), c.total) << c.text;
    }
}

TEST(EpisodeTable, ReloadKeepsRowsTheNewSheetLacks)
{
    EpisodeTable table;
    table.parse("0;5;0;0;0\n1;5;0;10;0\n");
    table.parse("0;6;0;0;0\n");
    EXPECT_EQ(table.levelCount(0), 6);
    EXPECT_EQ(table.levelCount(1), 5);
    table.load(L"no/such/setup_sheet.csv");
    EXPECT_EQ(table.totalLevelCount(), 11);
}

TEST(UnlocksTable, Lists)
{
    struct Case {
        const char* text;
        int episode;
        int level;
        int id;
        bool unlocked;
    };
    const Case cases[] = {
        {"0;0;3,5,-1,7\n", 0, 0, 3, true},
        {"0;0;3,5,-1,7\n", 0, 0, 5, true},
        {"0;0;3,5,-1,7\n", 0, 0, 7, false}, // -1 ends the list
        {"0;0;3,5,-1,7\n", 0, 0, -1, false},
        {"0;0;3\n0;1;4\n", 0, 1, 3, false},
        {"0;0;3\n0;0;4\n", 0, 0, 3, false}, // a later line replaces the list
        {"0;0;3\r\n0;1;\r\n", 0, 1, 0, false}, // "\r" alone is an empty list
        {"0;0;3\r\n", 0, 0, 3, true},
        {"1;2;10000,20000\n", 1, 2, 20000, true},
        {"1;2;10000,20000\n", 2, 1, 20000, false},
        {"garbage\n\n;\n", 0, 0, 0, false},
    };
    for (const Case& c : cases) {
        UnlocksTable table;
        table.parse(c.text);
        EXPECT_EQ(table.isUnlockedAt(c.episode, c.level, c.id), c.unlocked) << c.text << " id " << c.id;
    }
}

TEST(UnlocksTable, FollowsTheLevelObjectsIndexes)
{
    int episode = 0, level = 0;
    UnlocksTable table(&episode, &level, L"no/such/unlocks.csv");
    table.parse("0;0;1\n1;3;2\n");
    EXPECT_TRUE(table.isUnlocked(1));
    EXPECT_FALSE(table.isUnlocked(2));
    episode = 1;
    level = 3;
    EXPECT_TRUE(table.isUnlocked(2));
    EXPECT_TRUE(table.idsAt(5, 5).empty());
    EXPECT_EQ(table.mTable.count({5, 5}), 1u) << "an absent pair is kept as an empty list";
    UnlocksTable unbound;
    EXPECT_FALSE(unbound.isUnlocked(1));
}
