#include "Source/TD/Hud/HUDLevelName.h"
#include "Source/TD/Hud/HUDLevelResultWindow.h"

#include <gtest/gtest.h>

TEST(LevelResult, StarsFromTheShareOfHealthLeft)
{
    struct Case {
        float health, maximum;
        int stars;
    } cases[] = {
        {25.0f, 25.0f, 3}, {24.9f, 25.0f, 2}, {12.5f, 25.0f, 2}, {12.4f, 25.0f, 1},
        {0.1f, 25.0f, 1},  {0.0f, 25.0f, 0},  {26.0f, 25.0f, 0}, {5.0f, 0.0f, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HUDLevelResultWindow::starsFor(c.health, c.maximum), c.stars) << c.health << "/" << c.maximum;
}

TEST(LevelResult, StarGemsAndEpisodeEvents)
{
    struct Case {
        int stars, stored, gems;
    } cases[] = {{1, 0, 15}, {3, 1, 30}, {3, 0, 45}, {3, 3, 0}, {2, 3, 0}, {0, 0, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(HUDLevelResultWindow::starGems(c.stars, c.stored), c.gems) << c.stars << " over " << c.stored;
    EXPECT_EQ(HUDLevelResultWindow::episodeEventId(0), 1);
    EXPECT_EQ(HUDLevelResultWindow::episodeEventId(5), 6);
    EXPECT_EQ(HUDLevelResultWindow::episodeEventId(6), -1) << "no event beyond the table";
    EXPECT_EQ(HUDLevelResultWindow::episodeEventId(-1), -1);
}

TEST(LevelResult, CountUpEndsOnTheExactValue)
{
    struct Case {
        int value;
        float t;
        int shown;
    } cases[] = {{120, 0.0f, 0}, {120, 0.5f, 60}, {120, 0.999f, 120}, {120, 1.0f, 120}, {120, 3.0f, 120},
                 {7, 0.5f, 4},   {0, 0.7f, 0},    {2500, 0.1f, 250}};
    for (const Case& c : cases)
        EXPECT_EQ(HUDLevelResultWindow::countUp(c.value, c.t), c.shown) << c.value << " at " << c.t;
}

TEST(LevelTitle, FadesInHoldsFadesOutAndCloses)
{
    HUDLevelName title;
    EXPECT_EQ(title.levelText.substr(title.levelText.size() - 2), L" 1") << "level index 0 shows 1";
    title.update(0.25f);
    EXPECT_FLOAT_EQ(title.currentAlpha(), 0.5f);
    title.update(0.6f); // a long frame ends the fade-in at once
    EXPECT_EQ(title.phase, 1);
    EXPECT_FLOAT_EQ(title.currentAlpha(), 1.0f);
    title.update(2.1f);
    EXPECT_EQ(title.phase, 2);
    title.update(0.25f);
    EXPECT_FLOAT_EQ(title.currentAlpha(), 0.5f);
    EXPECT_EQ(title.alive, 1);
    title.update(0.3f);
    EXPECT_EQ(title.alive, 0);
}

TEST(LevelTitle, TheTwoLinesStayApartAndCentredOnTheView)
{
    struct Case {
        float cy, nameHeight, levelHeight;
    } cases[] = {{384.0f, 80.0f, 42.0f}, {300.0f, 40.0f, 21.0f}, {384.0f, 42.0f, 80.0f}};
    for (const Case& c : cases) {
        float nameY = 0.0f, levelY = 0.0f;
        HUDLevelName::lineCentres(c.cy, c.nameHeight, c.levelHeight, &nameY, &levelY);
        const float nameBottom = nameY + c.nameHeight * 0.5f;
        const float levelTop = levelY - c.levelHeight * 0.5f;
        EXPECT_GT(levelTop - nameBottom, 4.0f) << "the name's line box must end clear of the number's";
        const float blockTop = nameY - c.nameHeight * 0.5f;
        const float blockBottom = levelY + c.levelHeight * 0.5f;
        EXPECT_NEAR((blockTop + blockBottom) * 0.5f, c.cy, 0.01f) << "the pair is centred on the view";
    }
}
