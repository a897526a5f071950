// The menus played the way a player meets them, with injected clicks and keys only:
// the splash slides clicked through, the main menu, the name entry, the profiles
// screen (create, limit, select, rename, delete), the options dialog (volumes saved,
// full screen and back) and "Quit" ending the program with the profiles saved.
// Every screen and dialog leaves a screenshot under test-shots.
#include "Framework/GameWindow.h"
#include "Framework/Widget/FrameManager.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Screens/HUDMainMenu.h"
#include "Source/TD/Screens/HUDModalInput.h"
#include "Source/TD/Screens/TMessageBox.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/World/TDMap.h"
#include "tests/Support/ClickPlayer.h"
#include "tests/Support/GameHarness.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kBackspace = 0x08;

// Places on the 1024 x 768 design screen, from the generated documents.
struct Point {
    float x, y;
};
constexpr Point kPlay{512, 290}, kOptions{512, 504}, kQuit{512, 594}, kProfileBand{512, 748};
constexpr Point kEntryOk{392, 500}, kEntryCancel{632, 500}, kMessageOk{512, 500};
constexpr Point kCreate{307, 601}, kRename{512, 601}, kDelete{717, 601}, kBack{307, 697};
constexpr Point kSlot[5] = {{512, 213}, {512, 287}, {512, 361}, {512, 435}, {512, 509}};
constexpr Point kSoundDown{346, 290}, kMusicDown{346, 364}, kMusicUp{728, 364};
constexpr Point kWindowSwitch{337, 522}, kFullSwitch{687, 522}, kOptionsOk{512, 670};

void Click(GameHarness& h, Point p)
{
    h.MouseMove(p.x, p.y);
    h.Step(2);
    h.Click(p.x, p.y);
    h.Step(2);
}

void Erase(GameHarness& h, int count)
{
    for (int i = 0; i < count; ++i)
        h.Key(kBackspace);
}

bool Has(const std::string& text, const std::string& needle)
{
    return text.find(needle) != std::string::npos;
}

// Splash slides clicked through into the main menu.
void ToMainMenu(GameHarness& h)
{
    ASSERT_EQ(h.Start(), GE_OK);
    ASSERT_TRUE(click::ThroughSplash(h, "splash-"));
}

TEST(MenusPlay, FirstRunSplashMenuAndNameEntry)
{
    RunGame("MenusPlay.FirstRun", {}, [](GameHarness& h) {
        ToMainMenu(h);
        h.Screenshot("main-menu");

        Click(h, kPlay);
        ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 14; }, 30));
        h.StepSeconds(0.3f);
        h.Screenshot("name-entry-default");
        Erase(h, 10);
        h.Screenshot("name-entry-empty");
        click::Type(h, L"Mira 7!");
        h.Step(2);
        h.Screenshot("name-entry-typed");
        Click(h, kEntryOk);
        h.Step(10);
        EXPECT_TRUE(Has(h.ProfilesXml(), "name=\"Mira7\"")) << h.ProfilesXml();
        // The entry and the menu below it have left; the episodes come next.
        for (HUDWindow* window : h.game()->mGameWindow->mMap->mHud->windows) {
            EXPECT_EQ(dynamic_cast<HUDModalInput*>(window), nullptr);
            EXPECT_EQ(dynamic_cast<HUDMainMenu*>(window), nullptr);
        }
    });
}

TEST(MenusPlay, ADamagedProfileFileIsReportedOnceByTheMenu)
{
    GameSetup setup;
    setup.profiles = "<Profiles><Profile name=";
    RunGame("MenusPlay.DamagedProfiles", setup, [](GameHarness& h) {
        ToMainMenu(h);
        widget::FrameManager* frames = h.game()->frameManager.get();
        auto shownBoxes = [frames] {
            int boxes = 0;
            for (const widget::FrameEntry& entry : frames->stack)
                boxes += dynamic_cast<TMessageBox*>(entry.frame) != nullptr;
            return boxes;
        };
        ASSERT_EQ(shownBoxes(), 1);
        h.Screenshot("message-box");
        Click(h, kMessageOk);
        h.Step(5);
        EXPECT_EQ(shownBoxes(), 0);
        // Back in the menu: the profiles and back again bring no second notice.
        Click(h, kProfileBand);
        ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 13; }, 60));
        h.StepSeconds(0.5f);
        Click(h, kBack);
        ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 7; }, 60));
        h.Step(5);
        EXPECT_EQ(shownBoxes(), 0);
    });
}

// The brightness (sum of the channels) of the picture at a point of the design screen,
// in the 1024 x 768 window the harness opens.
int Brightness(GameHarness& h, int x, int y)
{
    std::vector<std::uint32_t> argb;
    int width = 0, height = 0;
    if (!h.ReadPixels(argb, width, height) || x >= width || y >= height)
        return -1;
    const std::uint32_t p = argb[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    return static_cast<int>(((p >> 16) & 0xff) + ((p >> 8) & 0xff) + (p & 0xff));
}

TEST(MenusPlay, DialogsDimTheMenuBehindThem)
{
    RunGame("MenusPlay.DialogsDim", {}, [](GameHarness& h) {
        ToMainMenu(h);
        // A point of the menu's meadow that no dialog covers.
        const int x = 60, y = 650;
        const int menu = Brightness(h, x, y);
        ASSERT_GT(menu, 0);
        auto expectDimmed = [&](const char* what) {
            h.StepSeconds(0.5f);
            h.Screenshot(std::string("dimmed-") + what);
            const int shown = Brightness(h, x, y);
            EXPECT_LT(shown, menu * 3 / 4) << what << ": " << shown << " over the menu's " << menu;
        };
        // A window of the HUD's stack: the name entry.
        Click(h, kPlay);
        ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 14; }, 30));
        expectDimmed("name-entry");
        Click(h, kEntryCancel);
        ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 7; }, 30));
        h.StepSeconds(0.5f);
        EXPECT_EQ(Brightness(h, x, y), menu) << "the menu again";
        // Skinned dialogs: the options and a message box.
        Click(h, kOptions);
        expectDimmed("options");
        Click(h, kOptionsOk);
        h.StepSeconds(0.5f);
        ASSERT_EQ(SorvanDialog::ShowModal(new TMessageBox(L"profile_corrupt", L"")), GE_OK);
        expectDimmed("message-box");
    });
}

TEST(MenusPlay, ProfilesOptionsAndQuit)
{
    RunGame(
        "MenusPlay.ProfilesOptionsAndQuit", {},
        [](GameHarness& h) {
            ToMainMenu(h);
            Click(h, kProfileBand);
            ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 13; }, 30));
            h.StepSeconds(0.3f);
            h.Screenshot("profiles-empty");

            // Players are made until the screen refuses with its message.
            const std::wstring names[6] = {L"Ann", L"Bob", L"Cid", L"Dee", L"Eve", L"Fay"};
            int made = 0;
            for (const std::wstring& name : names) {
                Click(h, kCreate);
                ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 14 || h.Screen() == 16; }, 30)) << "create";
                if (h.Screen() == 16)
                    break;
                Erase(h, 12);
                click::Type(h, name);
                if (name == L"Ann")
                    h.Screenshot("profiles-create-entry");
                Click(h, kEntryOk);
                ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 13; }, 30)) << "back to the profiles";
                ++made;
            }
            // Five players of one's own (the built-in default profile takes no slot), never
            // a sixth: every player made is in the file, and the refusal added none.
            EXPECT_EQ(made, 5);
            for (int i = 0; i < 6; ++i) {
                const std::string name(names[i].begin(), names[i].end());
                EXPECT_EQ(Has(h.ProfilesXml(), "name=\"" + name + "\""), i < made) << name;
            }

            // At the limit: the message, and back to the screen.
            ASSERT_EQ(h.Screen(), 16);
            h.Step(5);
            h.Screenshot("profiles-limit");
            Click(h, kMessageOk);
            ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 13; }, 30));
            h.Step(5);
            h.Screenshot("profiles-full");

            // Select the second, rename it, then delete it.
            h.MouseDown(kSlot[1].x, kSlot[1].y);
            h.Step(2);
            h.MouseUp(kSlot[1].x, kSlot[1].y);
            h.Step(3);
            h.Screenshot("profiles-selected");
            Click(h, kRename);
            ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 15; }, 30));
            h.Screenshot("profiles-rename-entry");
            click::Type(h, L"by");
            Click(h, kEntryOk);
            ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 13; }, 30));
            EXPECT_TRUE(Has(h.ProfilesXml(), "name=\"Bobby\""));
            EXPECT_FALSE(Has(h.ProfilesXml(), "name=\"Bob\""));

            Click(h, kDelete);
            h.Step(3);
            h.Screenshot("profiles-delete-confirm");
            Click(h, kEntryOk); // the confirm dialog's "ok" sits where the entry's does
            h.Step(5);
            EXPECT_FALSE(Has(h.ProfilesXml(), "name=\"Bobby\""));
            h.Screenshot("profiles-after-delete");

            Click(h, kBack);
            ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 7; }, 30));

            // Options: volumes down, saved in the profile; full screen and back.
            Click(h, kOptions);
            h.StepSeconds(0.5f);
            h.Screenshot("options");
            for (int i = 0; i < 5; ++i)
                Click(h, kSoundDown);
            Click(h, kMusicDown);
            Click(h, kMusicDown);
            Click(h, kMusicUp);
            h.StepSeconds(0.5f);
            h.Screenshot("options-volumes");
            const std::string xml = h.ProfilesXml();
            EXPECT_TRUE(Has(xml, "<sound v=\"0.000000\"/>")) << xml;
            EXPECT_TRUE(Has(xml, "<music v=\"0.750000\"/>")) << xml;

            EXPECT_EQ(h.game()->window->windowed, 1);
            Click(h, kFullSwitch);
            h.StepSeconds(0.5f);
            EXPECT_EQ(h.game()->window->windowed, 0);
            h.Screenshot("options-full-screen");
            EXPECT_TRUE(Has(h.ProfilesXml(), "<fs v=\"1\"/>"));
            Click(h, kWindowSwitch);
            h.StepSeconds(0.5f);
            h.Screenshot("options-window-again");
            EXPECT_EQ(h.game()->window->windowed, 1);
            Click(h, kOptionsOk);
            h.StepSeconds(0.3f);
            h.Screenshot("main-menu-after-options");

            Click(h, kQuit);
            h.Step(10);
            EXPECT_TRUE(h.game()->IsDone());
        },
        [](const fs::path& user) {
            std::ifstream in(user / "profiles.xml");
            const std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            for (const char* name : {"Ann", "Cid", "Dee"})
                EXPECT_TRUE(Has(xml, std::string("name=\"") + name + "\"")) << name;
            EXPECT_TRUE(Has(xml, "<music v=\"0.750000\"/>"));
        },
        240);
}

} // namespace
