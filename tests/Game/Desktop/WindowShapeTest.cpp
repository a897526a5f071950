// The window at a real X display, with and without a window manager, driven by X input
// events: full screen covers the display and leaves no button outside it, Alt+Enter
// there and back keeps the window where it was and never opens one taller than the work
// area, the options dialog shows the mode switched to while it is open, the episode row
// is clipped where its frame is after a switch, and a window resized from outside keeps
// its picture's shape between bars while clicks follow the picture.
#include "tests/Game/Desktop/GameRun.h"
#include "tests/Game/Desktop/Layout.h"
#include "tests/Game/Desktop/Player.h"
#include "tests/Game/Desktop/XDisplay.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

using namespace desktop;
using namespace std::chrono_literals;

struct Screen {
    const char* name;
    int width, height;
    bool windowManager;
    // A window of the design size (with the manager's frame) fits the work area.
    bool windowFits;
};

class RealWindowShape : public ::testing::TestWithParam<Screen> {};

// Whether `area` of the screen comes to look as the headless run's picture did within a
// few seconds, the window's place read again each time (a switch may still be redrawing
// or moving it).
bool Shows(Player& p, const std::string& reference, const DesignRect* area, double share)
{
    return Player::WaitUntil([&] { return p.Locate() && p.Likeness(reference, area) >= share; }, 5s);
}

// Alt+Enter, then the window's new place once the switch is done.
void AltEnter(Player& p, bool toWindow, bool fits)
{
    p.display.Chord({"Alt_L", "Return"});
    const bool window = toWindow && fits;
    const int width = window ? 1024 : p.display.Width();
    const int height = window ? 768 : p.display.Height();
    if (toWindow && !fits)
        std::this_thread::sleep_for(2000ms); // time for a switch that must not happen
    EXPECT_TRUE(Player::WaitUntil(
        [&] { return p.Locate() && p.Client().width == width && p.Client().height == height; }, 15s))
        << (window ? "no 1024x768 window" : "not the whole display") << ": the client is " << p.Client().width
        << "x" << p.Client().height;
    // The pointer, left where it was on the screen, may now stand over a button.
    p.MoveTo(Point{2.0f, 2.0f});
    std::this_thread::sleep_for(700ms);
}

TEST_P(RealWindowShape, KeepsItsShapeAndItsPlace)
{
    const Screen& screen = GetParam();
    const Layout& layout = Layout::Shared(Layout::Reach::Menus);
    ASSERT_TRUE(layout.Complete()) << "the places of the screens could not be measured";
    XDisplay display;
    ASSERT_TRUE(display.Start(screen.width, screen.height, screen.windowManager)) << display.Error();
    GameRun game(std::string("shape-") + screen.name);
    ASSERT_TRUE(game.Start(display.Name()));
    Player p(display, game, layout, std::string("RealWindow.Shape.") + screen.name);
    ASSERT_TRUE(p.WaitForWindow()) << game.Stderr();
    ASSERT_TRUE(p.ThroughSplash(0.8))
        << "the main menu did not come";
    // Full screen covers the display: the whole picture is there.
    EXPECT_EQ(p.Client().width, screen.width);
    EXPECT_EQ(p.Client().height, screen.height);
    EXPECT_GE(p.Likeness("menu"), 0.8);
    p.Shot("01-full-screen");

    // The options dialog follows Alt+Enter on its switches.
    const DesignRect switches = layout.Area("options.switches");
    p.Click("menu.options", 300);
    EXPECT_TRUE(p.WaitFor("options-full", 15s, 0.85, &switches)) << "the dialog does not show full screen";
    AltEnter(p, true, screen.windowFits);
    EXPECT_TRUE(p.WaitFor(screen.windowFits ? "options-window" : "options-full", 10s, 0.85, &switches))
        << "the dialog's switches do not show the mode";
    p.Shot("02-options-after-alt-enter");
    if (screen.windowFits) {
        AltEnter(p, false, true);
        EXPECT_TRUE(p.WaitFor("options-full", 10s, 0.85, &switches)) << "the dialog's switches do not show the mode";
        p.Shot("03-options-full-screen-again");
    }
    p.Click("options.ok", 300);
    EXPECT_TRUE(p.WaitFor("menu", 15s, 0.8)) << "the options dialog did not close";

    // The episodes, whose row of cards is clipped to its frame whatever the mode.
    p.Click("menu.play", 300);
    ASSERT_TRUE(p.WaitFor("entry", 30s, 0.8)) << "no name entry";
    p.Click("entry.ok", 300);
    ASSERT_TRUE(p.WaitFor("episodes", 30s, 0.8)) << "no episodes";
    const DesignRect second = layout.Area("episodes.second");
    EXPECT_TRUE(Shows(p, "episodes", &second, 0.9));
    if (!screen.windowFits) {
        // No window fits: Alt+Enter leaves the full screen as it is.
        AltEnter(p, true, false);
        EXPECT_TRUE(Shows(p, "episodes", nullptr, 0.8));
        p.Shot("04-episodes-still-full-screen");
        EXPECT_EQ(game.Terminate(30s), 0) << game.Stderr();
        return;
    }
    AltEnter(p, true, true);
    EXPECT_TRUE(Shows(p, "episodes", &second, 0.9)) << "the second card is clipped in the window";
    p.Shot("04-episodes-window");
    AltEnter(p, false, true);
    EXPECT_TRUE(Shows(p, "episodes", &second, 0.9)) << "the second card is clipped in full screen";
    EXPECT_TRUE(Shows(p, "episodes", nullptr, 0.8)) << "the full screen does not show the whole picture";
    p.Shot("05-episodes-full-screen-again");

    // Five times there and back: the window comes back to its place, inside the screen.
    Rect place;
    for (int round = 0; round < 5; ++round) {
        AltEnter(p, true, true);
        Rect outer;
        ASSERT_TRUE(display.OuterRect(display.FindWindow(game.Pid()), outer));
        if (round == 0)
            place = outer;
        EXPECT_EQ(outer.x, place.x) << "round " << round;
        EXPECT_EQ(outer.y, place.y) << "round " << round;
        EXPECT_GE(outer.y, 0);
        EXPECT_LE(outer.y + outer.height, screen.height) << "the window reaches below the screen";
        if (round < 4)
            AltEnter(p, false, true);
    }
    EXPECT_TRUE(Shows(p, "episodes", nullptr, 0.8));
    p.Shot("06-window-after-five-switches");

    // Made square from outside: the picture keeps its shape between bars (a window
    // manager may refuse the size; the picture then simply stays), and a click where
    // a button is drawn reaches it.
    display.Resize(display.FindWindow(game.Pid()), 800, 800);
    std::this_thread::sleep_for(2000ms);
    ASSERT_TRUE(p.Locate());
    EXPECT_TRUE(p.WaitFor("episodes", 10s, 0.8)) << "the picture lost its shape at " << p.Client().width << "x"
                                                  << p.Client().height;
    p.Shot("07-resized");
    if (p.Client().height > p.Client().width * 3 / 4) {
        const Picture shown = display.Capture();
        const int bar = (p.Client().height - p.Client().width * 3 / 4) / 2;
        long lit = 0;
        for (int y = 0; y + 1 < bar; ++y)
            for (int x = 0; x < p.Client().width; x += 4)
                lit += (shown.At(p.Client().x + x, p.Client().y + y) & 0xFFFFFF) != 0;
        EXPECT_EQ(lit, 0) << "the bar above the picture is not black";
    }
    p.Click("episodes.play", 300);
    EXPECT_TRUE(p.WaitFor("levels", 30s, 0.8)) << "the click did not reach the play button";
    p.Shot("08-levels-after-resize");
    EXPECT_EQ(game.Terminate(30s), 0) << game.Stderr();
}

INSTANTIATE_TEST_SUITE_P(Screens, RealWindowShape,
                         ::testing::Values(Screen{"NoWindowManager1366x768", 1366, 768, false, true},
                                           Screen{"Openbox1280x1024", 1280, 1024, true, true},
                                           Screen{"Openbox1366x768", 1366, 768, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
