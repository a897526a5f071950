#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/HUDIngameMenu.h"
#include "Source/TD/Hud/HUDModalMessage.h"
#include "tests/Game/Hud/ScreenDocument.h"
#include "tests/Support/LogCapture.h"

#include <gtest/gtest.h>

using hudtest::Layer;

namespace {

// "td/data/mm" with the given button folders, each 100 x 40, one below the other
// unless `overlap`.
void WriteMessageDocument(const std::vector<std::string>& folders, bool overlap = false)
{
    std::vector<Layer> layers = {{"back", 0, 0, 600, 300}, {"input", 0, 0, 10, 10}, {"text/caption", 0, 0, 600, 50},
                                 {"text/message", 0, 60, 600, 100}, {"button/b1_normal", 0, 0, 100, 40},
                                 {"button/b1_over", 0, 0, 100, 40}};
    int y = 200;
    for (const std::string& folder : folders) {
        layers.push_back({"button/" + folder + "/pos", 100, y, 100, 40});
        layers.push_back({"button/" + folder + "/label", 110, y + 5, 80, 30});
        if (!overlap)
            y += 50;
    }
    hudtest::WriteDocument("td/data/mm", layers);
}

struct RecordingDialog : HUDModalDialog {
    RecordingDialog() : HUDModalDialog(L"c", L"m") {}
    void onConfirm() override
    {
        ++confirms;
        close();
    }
    void onCancel() override
    {
        ++cancels;
        close();
    }
    int confirms = 0, cancels = 0;
};

} // namespace

TEST(ModalMessage, ShowsTheSecondButtonShiftedAndHidesTheFirst)
{
    WriteMessageDocument({"b1_cancel", "b1_ok"});
    HUDModalMessage message(L"Caption", L"Text", -1);
    EXPECT_EQ(message.drawLayer, 1);
    EXPECT_TRUE(message.buttons.empty()) << "plain frames make way for the style buttons";
    ASSERT_EQ(message.overButtons.size(), 2u);
    EXPECT_EQ(*message.findText(L"caption"), L"Caption");
    EXPECT_EQ(*message.findText(L"message"), L"Text");
    for (const TDFrameEntry* image : message.images)
        EXPECT_EQ(image->mVisible, image->mName != L"input") << "the input picture is hidden";

    struct Case {
        int x, y;
        const wchar_t* name;
    } cases[] = {
        {150, 220, L""},      // the hidden first button
        {150, 270, L""},      // the second button's own place
        {270, 270, L"ok"},    // 120 to the right
        {330, 270, L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(message.click(c.x, c.y), c.name) << c.x << "," << c.y;
}

TEST(ModalMessage, ShortDocumentsStillGiveAWindowThatCloses)
{
    LogCapture log;
    WriteMessageDocument({"b1_close"});
    {
        HUDModalMessage message(L"c", L"m", -1);
        EXPECT_EQ(message.click(150, 220), L"ok") << "the one button confirms";
        EXPECT_EQ(message.click(500, 20), L"");
        RecordingDialog dialog;
        dialog.onMouseReleased(150, 220);
        EXPECT_EQ(dialog.confirms, 1);
        EXPECT_EQ(dialog.alive, 0);
    }
    WriteMessageDocument({});
    {
        HUDModalMessage message(L"c", L"m", -1);
        EXPECT_EQ(message.click(500, 20), L"ok") << "without buttons any click confirms";
        RecordingDialog dialog;
        EXPECT_EQ(dialog.click(1, 1), L"cancel");
        dialog.onMouseReleased(1, 1);
        EXPECT_EQ(dialog.cancels, 1);
        EXPECT_EQ(dialog.alive, 0);
    }
    EXPECT_GE(log.Count(L"td/data/mm"), 4) << log.text;
}

TEST(ModalDialog, FirstButtonCancelsSecondConfirmsLaterOnesPass)
{
    WriteMessageDocument({"b1_cancel", "b1_ok", "b1_third"});
    RecordingDialog dialog;
    EXPECT_EQ(dialog.click(150, 220), L"cancel") << "both buttons are shown in a dialog";
    EXPECT_EQ(dialog.click(150, 270), L"ok");
    dialog.onMouseReleased(150, 320);
    EXPECT_EQ(dialog.confirms + dialog.cancels, 0) << "a third button does nothing";
    EXPECT_EQ(dialog.alive, 1);
    dialog.onMouseReleased(150, 270);
    EXPECT_EQ(dialog.confirms, 1);

    WriteMessageDocument({"b1_cancel", "b1_ok"}, true);
    RecordingDialog overlapping;
    overlapping.onMouseReleased(150, 220);
    EXPECT_EQ(overlapping.cancels, 1) << "the earlier button wins";
    EXPECT_EQ(overlapping.confirms, 0);
}

TEST(IngameMenu, ButtonsFromFoldersAndTheIconAboveThem)
{
    hudtest::WriteDocument("td/data/ingame",
                           {{"back", 0, 0, 600, 500, 1}, {"main_menu_ico", 10, 10, 50, 50, 2},
                            {"button/b3_normal", 0, 0, 200, 50}, {"button/b3_over", 0, 0, 200, 50},
                            {"button/b3_resume/pos", 100, 100, 200, 50}, {"button/b3_mmenu/pos", 100, 100, 200, 50},
                            {"button/b3_options/pos", 100, 200, 200, 50}, {"text/caption.png", 0, 0, 600, 60},
                            {"text/caption", 0, 0, 500, 60}});
    HUDIngameMenu menu;
    ASSERT_EQ(menu.overButtons.size(), 3u);
    EXPECT_EQ(menu.overButtons[0]->name, L"resume") << "document order";
    EXPECT_EQ(menu.overButtons[0]->label, L"b3_resume") << "labels are keyed by the whole folder name";
    EXPECT_EQ(menu.click(150, 120), L"resume") << "of two overlapping buttons the first wins";
    EXPECT_EQ(menu.click(150, 220), L"options");
    EXPECT_EQ(menu.click(150, 180), L"") << "between buttons";
    EXPECT_EQ(menu.hitTest(150, 120), -1) << "the plain frames are gone from the button group";
    ASSERT_EQ(menu.textAnchors.count(L"caption"), 1u);
    EXPECT_EQ(menu.textAnchors[L"caption"]->mWidth, 500.0f) << "the later layer of one key wins";
    ASSERT_NE(menu.findText(L"caption"), nullptr);
    for (const TDFrameEntry* image : menu.images)
        EXPECT_EQ(image->mVisible, image->mName != L"main_menu_ico");

    // Hover and press reach the style buttons; the over picture shows while held.
    menu.onMouseMove(150, 220);
    EXPECT_EQ(menu.overButtons[2]->hovered, 1);
    EXPECT_EQ(menu.pointerX, 150.0f);
    menu.onMousePressed(150, 220);
    EXPECT_EQ(menu.overButtons[2]->pressed, 1);
    menu.onMouseReleased(0, 0);
    EXPECT_EQ(menu.overButtons[2]->pressed, 0);
}
