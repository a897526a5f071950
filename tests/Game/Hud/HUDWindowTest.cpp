#include "Source/TD/Hud/HUDButtonOver.h"
#include "Source/TD/Hud/HUDLayerButton.h"
#include "Framework/Layer/ImageLayer.h"
#include "Source/TD/Hud/HUDWindow.h"
#include "Source/TD/Hud/TDButtonFrame.h"
#include "tests/Game/Hud/ScreenDocument.h"
#include "Core/File/ImageContainer.h"
#include "tests/Support/LogCapture.h"

#include <gtest/gtest.h>

using hudtest::Layer;

namespace {

// Pictures at the top (listed out of drawing order), buttons at two depths, text
// places with and without an extension, and a layer two levels under "text/".
const std::vector<Layer> kScreen = {
    {"front", 0, 0, 100, 100, 5},
    {"back", 0, 0, 800, 600, 1},
    {"button/play", 100, 200, 50, 20, 2},
    {"button/menu/deep/quit.png", 300, 200, 40, 40, 3},
    {"text/caption", 0, 0, 400, 60, 4},
    {"text/score.png", 10, 300, 200, 30, 6},
    {"text/nested/ignored", 0, 0, 1, 1, 7},
};

} // namespace

TEST(ScreenWindow, ReadsPicturesButtonsAndTextPlacesByLayerName)
{
    hudtest::WriteDocument("td/hudtest_screen", kScreen);
    HUDWindow window(L"td/hudtest_screen");

    ASSERT_EQ(window.images.size(), 2u);
    EXPECT_EQ(window.images[0]->mName, L"back") << "pictures are sorted by layer index";
    EXPECT_EQ(window.images[1]->mName, L"front");

    ASSERT_EQ(window.buttons.size(), 2u);
    EXPECT_EQ(window.buttons[0]->mName, L"play");
    EXPECT_EQ(window.buttons[1]->mName, L"quit") << "deep buttons are named after their file, no extension";
    EXPECT_EQ(window.buttons[1]->mX, 300.0f);

    ASSERT_EQ(window.textAnchors.size(), 2u) << "only direct children of text/ are places";
    EXPECT_EQ(window.textAnchors.count(L"caption"), 1u);
    ASSERT_EQ(window.textAnchors.count(L"score"), 1u);
    EXPECT_EQ(window.textAnchors[L"score"]->mY, 300.0f);
    EXPECT_EQ(window.alive, 1);
    EXPECT_EQ(window.drawLayer, 0);
}

TEST(ScreenWindow, HitTestAndClickAnswerByRectangleEdgesIncluded)
{
    hudtest::WriteDocument("td/hudtest_screen", kScreen);
    HUDWindow window(L"td/hudtest_screen");
    // Button "play" spans x 100..150, y 200..220.
    struct Case {
        int x, y, hit;
        const wchar_t* click;
    } cases[] = {
        {100, 200, 0, L"play"}, // top-left corner
        {150, 220, 0, L"play"}, // bottom-right corner
        {125, 210, 0, L"play"},
        {151, 210, -1, L""},
        {99, 210, -1, L""},
        {320, 220, 1, L"quit"},
        {0, 0, -1, L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(window.hitTest(c.x, c.y), c.hit) << c.x << "," << c.y;
        EXPECT_EQ(window.click(c.x, c.y), c.click) << c.x << "," << c.y;
    }

    window.buttons[0]->mVisible = false;
    EXPECT_EQ(window.hitTest(125, 210), 0) << "the hit test finds hidden buttons";
    EXPECT_EQ(window.click(125, 210), L"") << "a click does not";
    EXPECT_EQ(window.findButton(L"quit"), window.buttons[1]);
    EXPECT_EQ(window.findButton(L"Quit"), nullptr) << "names are case-sensitive";
}

TEST(ScreenWindow, EdgesAreHitsButNotHovers)
{
    hudtest::WriteDocument("td/hudtest_screen", kScreen);
    HUDWindow window(L"td/hudtest_screen");
    TDButtonFrame* play = window.buttons[0];
    window.onMouseMove(100, 210);
    EXPECT_EQ(play->hovered, 0);
    EXPECT_EQ(window.pointerX, 100.0f);
    window.onMouseMove(101, 210);
    EXPECT_EQ(play->hovered, 1);

    // Hover zoom: up at 0.5 per second to 1.1, down at 1.0 per second to 1.0.
    window.update(0.1f);
    EXPECT_FLOAT_EQ(play->scale, 1.05f);
    window.update(1.0f);
    EXPECT_FLOAT_EQ(play->scale, 1.1f);
    window.onMouseMove(0, 0);
    window.update(0.05f);
    EXPECT_FLOAT_EQ(play->scale, 1.05f);
    window.update(1.0f);
    EXPECT_FLOAT_EQ(play->scale, 1.0f);
    EXPECT_FLOAT_EQ(window.time, 2.15f);
}

TEST(ScreenWindow, TextsKeepTheOrderOfTheirFirstSetting)
{
    HUDWindow window;
    window.setText(L"a", L"1");
    window.setText(L"b", L"2");
    window.setText(L"a", L"3");
    ASSERT_EQ(window.texts.size(), 2u);
    EXPECT_EQ(window.texts[0].first, L"a");
    EXPECT_EQ(window.texts[0].second, L"3");
    EXPECT_EQ(*window.findText(L"b"), L"2");
    EXPECT_EQ(window.findText(L"c"), nullptr);
}

TEST(ScreenWindow, ZoomPullsPlacesTowardTheViewCentre)
{
    HUDWindow window;
    window.scale = 0.5f;
    window.offsetX = 10.0f;
    // Without a level the view rectangle is (0, 0, 0, 0): the pivot is the origin.
    math::Transform2D t = window.placement(100.0f, 40.0f);
    float x = 0.0f, y = 0.0f;
    t.TransformPoint(&x, &y);
    EXPECT_FLOAT_EQ(x, 55.0f);
    EXPECT_FLOAT_EQ(y, 20.0f);
}

TEST(ScreenWindow, DamagedOrMissingDocumentsGiveWhatCouldBeRead)
{
    {
        LogCapture log;
        HUDWindow window(L"td/hudtest_nothing_here");
        EXPECT_TRUE(window.images.empty());
        EXPECT_EQ(window.hitTest(0, 0), -1);
        EXPECT_EQ(window.click(0, 0), L"");
        EXPECT_EQ(log.Count(L"hudtest_nothing_here"), 1) << log.text;
    }
    {
        // A nameless entry ends the list: the layers before it are read.
        hudtest::WriteRaw("td/hudtest_damaged", "<Layers><Layer name=\"button/ok\" width=\"5\" height=\"5\"/>"
                                                "<Layer x=\"1\"/><Layer name=\"back\"/></Layers>");
        HUDWindow window(L"td/hudtest_damaged");
        ASSERT_EQ(window.buttons.size(), 1u);
        EXPECT_EQ(window.click(5, 5), L"ok");
        EXPECT_TRUE(window.images.empty());
    }
    {
        LogCapture log;
        hudtest::WriteRaw("td/hudtest_damaged", "<Layers><Layer name=\"back\"");
        HUDWindow window(L"td/hudtest_damaged");
        EXPECT_TRUE(window.images.empty());
        EXPECT_GE(log.Lines(), 1);
    }
}

TEST(ButtonOver, StyleAndCommandFromTheFolderName)
{
    hudtest::WriteDocument("td/hudtest_buttons",
                           {{"button/b2_normal", 0, 0, 80, 30}, {"button/b2_over", 0, 0, 80, 30},
                            {"button/b2_play/pos", 100, 50, 80, 30}, {"button/b2_play/label", 110, 55, 60, 20},
                            {"button/b2_bare/pos", 100, 150, 80, 30}});
    std::unique_ptr<file::ImageContainer> document = OpenScreenDocument(L"td/hudtest_buttons", L"test");
    ASSERT_TRUE(document);
    HUDButtonOver play(document.get(), L"b2_play");
    EXPECT_EQ(play.name, L"play");
    EXPECT_EQ(play.normalFrame->mName, L"b2_normal");
    EXPECT_EQ(play.overFrame->mName, L"b2_over");
    EXPECT_TRUE(play.hasLabel);
    EXPECT_EQ(play.labelRect[0], 110.0f);
    HUDButtonOver bare(document.get(), L"b2_bare");
    EXPECT_FALSE(bare.hasLabel);

    // Hit area: 100..180 x 50..80, moved with the offset.
    EXPECT_TRUE(play.hitTest(100, 50));
    EXPECT_TRUE(play.hitTest(180, 80));
    EXPECT_FALSE(play.hitTest(181, 60));
    play.xOffset = 100.0f;
    EXPECT_FALSE(play.hitTest(150, 60));
    EXPECT_TRUE(play.hitTest(250, 60));
    play.xOffset = 0.0f;

    EXPECT_TRUE(play.onPress(120, 60));
    EXPECT_EQ(play.pressed, 1);
    play.onRelease(0, 0);
    EXPECT_EQ(play.pressed, 0) << "any release lets go";
    EXPECT_FALSE(play.onPress(0, 0));

    // 0.2 s of hover zooms to 1.1; leaving shrinks back in 0.1 s.
    play.onHover(120, 60);
    play.update(0.2f);
    EXPECT_FLOAT_EQ(play.scale, 1.1f);
    play.onHover(0, 0);
    play.update(0.1f);
    EXPECT_FLOAT_EQ(play.scale, 1.0f);

    play.visible = false;
    EXPECT_FALSE(play.hitTest(120, 60)) << "a hidden button is never hit";
}

TEST(ButtonOver, MissingPlacementGivesAButtonThatIsNeverHit)
{
    hudtest::WriteDocument("td/hudtest_buttons", {{"button/b2_normal", 0, 0, 80, 30}});
    std::unique_ptr<file::ImageContainer> document = OpenScreenDocument(L"td/hudtest_buttons", L"test");
    LogCapture log;
    HUDButtonOver button(document.get(), L"b2_gone");
    EXPECT_EQ(button.name, L"gone");
    EXPECT_FALSE(button.hitTest(40, 15));
    EXPECT_EQ(log.Count(L"Screen button 'b2_gone'"), 2) << log.text; // placement and the over picture
}

TEST(DocumentUtilities, ColorFromArgb)
{
    const math::Point4 c = ColorFromArgb(0x80FF0000u);
    EXPECT_FLOAT_EQ(c.x, 1.0f);
    EXPECT_FLOAT_EQ(c.y, 0.0f);
    EXPECT_FLOAT_EQ(c.z, 0.0f);
    EXPECT_FLOAT_EQ(c.w, 128.0f / 255.0f);
}

TEST(LayerButton, PicturesCentredAndTheReverseZoomRates)
{
    TDFrameEntry normal, over;
    normal.mWidth = 100.0f;
    normal.mHeight = 40.0f;
    over.mWidth = 120.0f;
    over.mHeight = 50.0f;
    {
        HUDLayerButton button(&normal, &over, L"Skip");
        EXPECT_EQ(button.children.size(), 3u);
        EXPECT_FLOAT_EQ(button.normalLayer->position.x, -50.0f);
        EXPECT_FLOAT_EQ(button.overLayer->position.y, -25.0f);
        button.hovered = true;
        button.update(0.05f);
        EXPECT_FLOAT_EQ(button.scale, 1.05f) << "grows at dt";
        button.update(1.0f);
        EXPECT_FLOAT_EQ(button.scale, 1.1f);
        button.hovered = false;
        button.update(0.1f);
        EXPECT_FLOAT_EQ(button.scale, 1.05f) << "shrinks at half of dt";
        EXPECT_FLOAT_EQ(button.Drawable::scale.x, 1.05f);
    }
    HUDLayerButton bare(nullptr, nullptr, L"");
    EXPECT_EQ(bare.children.size(), 3u);
}
