// A new player's first run at a real window: the game binary on an X display of the
// test's own, played by X input events at the window's real coordinates, its state read
// from the screen and from "profiles.xml". Through the splash, the name entry (typed
// with quick presses), the episodes, the levels and level 1 with its tutorial: a tower
// built, upgraded once (it changes visibly), the wave called, a spell, the gem picked
// up, another spot opened, the in-game menu and Resume, then played to victory. Once
// at a 1366 x 768 full screen with side bars and no window manager, once in a 1024 x 768
// window under openbox (switched to by Alt+Enter). Screenshots of every step go to
// test-shots/RealWindow.FirstRun.<shape>/.
#include "tests/Game/Desktop/GameRun.h"
#include "tests/Game/Desktop/Layout.h"
#include "tests/Game/Desktop/Player.h"
#include "tests/Game/Desktop/XDisplay.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <thread>

namespace {

using namespace desktop;
using namespace std::chrono_literals;

bool Has(const std::string& text, const std::string& needle)
{
    return text.find(needle) != std::string::npos;
}

// The stars the profile keeps for the first level of the first episode (0: not won).
int FirstLevelStars(const std::string& profiles, const char* player)
{
    tinyxml2::XMLDocument document;
    if (document.Parse(profiles.c_str()) != tinyxml2::XML_SUCCESS || !document.RootElement())
        return 0;
    for (const tinyxml2::XMLElement* profile = document.RootElement()->FirstChildElement("Profile"); profile;
         profile = profile->NextSiblingElement("Profile")) {
        const tinyxml2::XMLElement* levels = profile->FirstChildElement("levels");
        if (!profile->Attribute("name", player) || !levels)
            continue;
        for (const tinyxml2::XMLElement* level = levels->FirstChildElement("level"); level;
             level = level->NextSiblingElement("level"))
            if (level->IntAttribute("n", -1) == 0 && level->IntAttribute("episode", -1) == 0)
                return level->IntAttribute("stars");
    }
    return 0;
}

Point Plus(Point a, Point b)
{
    return Point{a.x + b.x, a.y + b.y};
}

DesignRect Around(Point p, float halfWidth, float up, float down)
{
    return DesignRect{p.x - halfWidth, p.y - up, halfWidth * 2.0f, up + down};
}

// The per-pixel median of a few captures over a second: units walking by leave it.
Picture Steady(Player& p)
{
    std::vector<Picture> frames;
    for (int i = 0; i < 5; ++i) {
        frames.push_back(p.display.Capture());
        std::this_thread::sleep_for(250ms);
    }
    Picture median = frames[0];
    std::vector<std::uint32_t> channel(frames.size());
    for (size_t i = 0; i < median.argb.size(); ++i) {
        std::uint32_t value = 0xFF000000u;
        for (int shift : {0, 8, 16}) {
            for (size_t f = 0; f < frames.size(); ++f)
                channel[f] = (frames[f].argb[i] >> shift) & 0xFF;
            std::nth_element(channel.begin(), channel.begin() + 2, channel.end());
            value |= channel[2] << shift;
        }
        median.argb[i] = value;
    }
    return median;
}

// Waits until `area` differs from `before` in more than `share` of its pixels.
bool Changes(Player& p, const Picture& before, const DesignRect& area, double share,
             std::chrono::milliseconds limit = 8s)
{
    return Player::WaitUntil([&] { return p.Difference(before, p.display.Capture(), area) > share; }, limit);
}

// Opens the menu of the spot (or tower) at `spot` and clicks the item at `offset` from
// it once the menu shows (its picture `shot` taken first, when named); false when no
// menu opened.
bool MenuItem(Player& p, Point spot, Point offset, const std::string& shot = {})
{
    const DesignRect ring = Around(spot, 100.0f, 100.0f, 100.0f);
    const Picture closed = p.display.Capture();
    p.Click(spot, 100);
    if (!Changes(p, closed, ring, 0.03))
        return false;
    std::this_thread::sleep_for(400ms); // the menu's opening
    if (!shot.empty())
        p.Shot(shot);
    p.Click(Plus(spot, offset), 300);
    return true;
}

// The centre of the largest patch of gem colour on the field, if there is one.
bool FindGem(Player& p, Point* at)
{
    const Picture screen = p.display.Capture();
    constexpr int kCell = 24;
    std::vector<int> counts((1024 / kCell + 1) * (768 / kCell + 1));
    std::vector<float> sumX(counts.size()), sumY(counts.size());
    // The field below the HUD's top bar and above its spell buttons.
    for (int y = 70; y < 680; y += 2)
        for (int x = 0; x < 1024; x += 2) {
            const std::uint32_t c = p.DesignPixel(screen, static_cast<float>(x), static_cast<float>(y));
            const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
            if (std::abs(r - 84) < 40 && std::abs(g - 196) < 40 && std::abs(b - 238) < 30) {
                const size_t cell = static_cast<size_t>((y / kCell) * (1024 / kCell + 1) + x / kCell);
                ++counts[cell];
                sumX[cell] += static_cast<float>(x);
                sumY[cell] += static_cast<float>(y);
            }
        }
    const size_t best = static_cast<size_t>(std::max_element(counts.begin(), counts.end()) - counts.begin());
    if (counts[best] < 12)
        return false;
    *at = Point{sumX[best] / static_cast<float>(counts[best]), sumY[best] / static_cast<float>(counts[best])};
    return true;
}

// A place of the level far from every spot, the route and the HUD: a click there
// closes an open menu and does nothing else.
Point EmptyPlace(const Layout& layout)
{
    std::vector<Point> busy = layout.Series("spot.");
    const std::vector<Point> route = layout.Series("route.");
    busy.insert(busy.end(), route.begin(), route.end());
    busy.push_back(layout.At("spot.tutorial"));
    Point best{512.0f, 384.0f};
    float bestDistance = -1.0f;
    for (float y = 120.0f; y < 640.0f; y += 20.0f)
        for (float x = 40.0f; x < 984.0f; x += 20.0f) {
            float nearest = 1e9f;
            for (const Point& b : busy)
                nearest = std::min(nearest, std::hypot(b.x - x, b.y - y));
            if (nearest > bestDistance) {
                bestDistance = nearest;
                best = Point{x, y};
            }
        }
    return best;
}

struct Shape {
    const char* name;
    int width, height;
    bool windowManager;
    bool window; // switched to a window by Alt+Enter after the splash
};

class RealWindowFirstRun : public ::testing::TestWithParam<Shape> {};

TEST_P(RealWindowFirstRun, ANewPlayerPlaysTheFirstLevelToVictory)
{
    const Shape& shape = GetParam();
    const Layout& layout = Layout::Shared();
    ASSERT_TRUE(layout.Complete()) << "the places of the screens could not be measured";
    XDisplay display;
    ASSERT_TRUE(display.Start(shape.width, shape.height, shape.windowManager)) << display.Error();
    GameRun game(std::string("first-run-") + shape.name);
    ASSERT_TRUE(game.Start(display.Name()));
    Player p(display, game, layout, std::string("RealWindow.FirstRun.") + shape.name);
    ASSERT_TRUE(p.WaitForWindow()) << game.Stderr();
    // A new player starts in full screen.
    EXPECT_EQ(p.Client().width, shape.width);
    EXPECT_EQ(p.Client().height, shape.height);

    // The splash slides, clicked through where the main menu has no button.
    std::this_thread::sleep_for(1500ms);
    p.Shot("01-splash");
    ASSERT_TRUE(Player::WaitUntil(
        [&] {
            if (p.Likeness("menu") >= 0.85)
                return true;
            p.Click(Point{100.0f, 650.0f}, 700);
            return false;
        },
        60s))
        << "the main menu did not come";
    if (shape.window) {
        display.Chord({"Alt_L", "Return"});
        ASSERT_TRUE(Player::WaitUntil([&] { return p.Locate() && p.Client().width == 1024; }, 10s));
        ASSERT_TRUE(p.WaitFor("menu", 10s, 0.85));
        EXPECT_EQ(p.Client().height, 768);
    }
    p.Shot("02-main-menu");

    // The name entry: nine letters fill the sixteen places after "Player1", thirteen
    // quick Backspace presses (faster than the frames) leave "Pla", then "Kai".
    p.Click("menu.play");
    ASSERT_TRUE(p.WaitFor("entry", 30s, 0.85)) << "no name entry";
    p.Shot("03-name-entry");
    display.Type("Abcdefghi", 40);
    std::this_thread::sleep_for(300ms);
    for (int i = 0; i < 13; ++i)
        display.Tap("BackSpace", 6);
    std::this_thread::sleep_for(500ms);
    display.Type("Kai", 40);
    std::this_thread::sleep_for(500ms);
    p.Shot("04-name-typed");
    p.Click("entry.ok");
    ASSERT_TRUE(p.WaitFor("episodes", 30s, 0.85)) << "no episodes";
    EXPECT_TRUE(Has(game.ProfilesXml(), "name=\"PlaKai\"")) << game.ProfilesXml();
    p.Shot("05-episodes");

    p.Click("episodes.play");
    ASSERT_TRUE(p.WaitFor("levels", 30s, 0.85)) << "no level select";
    p.Shot("06-levels");
    p.Click("levels.plate0");
    ASSERT_TRUE(p.WaitFor("unlock", 30s, 0.85)) << "no unlock message";
    p.Shot("07-unlock-message");
    ASSERT_TRUE(Player::WaitUntil(
        [&] {
            if (p.Likeness("unlock") < 0.85)
                return true;
            p.Click("unlock.ok", 800);
            return false;
        },
        20s));
    ASSERT_TRUE(p.WaitFor("level-build", 30s, 0.8)) << "the level with its tutorial did not show";
    p.Shot("08-tutorial-build");

    // The marked spot's menu, its first tower.
    const Point spot = layout.At("spot.tutorial");
    const DesignRect towerArea = Around(spot, 40.0f, 90.0f, 20.0f);
    const Picture empty = Steady(p);
    EXPECT_TRUE(MenuItem(p, spot, layout.At("ring.build"), "09-spot-menu")) << "the marked spot opens no menu";
    EXPECT_TRUE(Changes(p, empty, towerArea, 0.1)) << "no tower stands on the marked spot";
    std::this_thread::sleep_for(1500ms); // the building's dust
    const Picture built = Steady(p);
    p.Shot("10-tower-built");

    // One click on the upgrade arrow changes the tower's look.
    EXPECT_TRUE(MenuItem(p, spot, layout.At("ring.upgrade"), "11-tower-menu")) << "the tower opens no menu";
    p.Shot("12-upgrade-clicked");
    std::this_thread::sleep_for(1500ms);
    const Picture upgraded = Steady(p);
    EXPECT_GT(p.Difference(built, upgraded, towerArea), 0.05) << "one click on the arrow left the tower as it was";
    p.Shot("13-tower-upgraded");

    // The wave called early, as the tutorial asks.
    const DesignRect hintArea = layout.Area("wave.hint");
    EXPECT_TRUE(p.WaitFor("level-wave-hint", 40s, 0.7, &hintArea)) << "no wave hint";
    p.Shot("14-tutorial-wave");
    p.Click("wave.hint", 800);

    // A spell on the route near the first tower.
    std::this_thread::sleep_for(2000ms);
    p.Shot("15-tutorial-spell");
    p.Click("spell.0", 400);
    p.Click(layout.Series("route.").size() > 1 ? layout.Series("route.")[1] : spot, 800);
    p.Shot("16-spell-cast");

    // The first unit killed drops a gem; a click picks it up and ends the tutorial.
    Point gem;
    EXPECT_TRUE(Player::WaitUntil([&] { return FindGem(p, &gem); }, 60s)) << "no gem dropped";
    p.Shot("17-gem-dropped");
    EXPECT_TRUE(Player::WaitUntil(
        [&] {
            if (Has(game.ProfilesXml(), "<step id=\"4\" state=\"2\"/>"))
                return true;
            if (FindGem(p, &gem))
                p.Click(gem, 600);
            return false;
        },
        30s))
        << "the gem was not picked up: " << game.ProfilesXml();
    std::this_thread::sleep_for(1000ms);
    p.Shot("18-tutorial-done");
    for (int step = 0; step <= 4; ++step)
        EXPECT_TRUE(Has(game.ProfilesXml(), "<step id=\"" + std::to_string(step) + "\" state=\"2\"/>"))
            << "tutorial step " << step;

    // Every spot opens now: the nearest other one shows its menu.
    const std::vector<Point> spots = layout.Series("spot.");
    ASSERT_FALSE(spots.empty());
    const Point away = EmptyPlace(layout);
    const DesignRect ring = Around(spots[0], 100.0f, 100.0f, 100.0f);
    const Picture closed = display.Capture();
    p.Click(spots[0], 100);
    EXPECT_TRUE(Changes(p, closed, ring, 0.05)) << "another spot opens no menu";
    std::this_thread::sleep_for(400ms);
    p.Shot("19-another-spot-menu");
    p.Click(away, 600);

    // The in-game menu, and Resume, which lets the game run at the speed it had.
    const DesignRect speeds = layout.Area("hud.speeds");
    p.Click("hud.options", 800);
    EXPECT_TRUE(p.WaitFor("ingame", 30s, 0.8)) << "no in-game menu";
    p.Shot("20-ingame-menu");
    p.Click("ingame.resume", 300);
    EXPECT_TRUE(p.WaitFor("level-build", 10s, 0.9, &speeds)) << "Resume left the game paused";
    p.Shot("21-resumed");

    // Double speed, and towers on the spots nearest to the route as the money allows,
    // until the level is won.
    p.Click("hud.speed", 500);
    p.Shot("22-double-speed");
    size_t next = 0;
    const bool won = Player::WaitUntil(
        [&] {
            if (FirstLevelStars(game.ProfilesXml(), "PlaKai") > 0)
                return true;
            if (next < spots.size()) {
                const DesignRect area = Around(spots[next], 40.0f, 90.0f, 20.0f);
                const Picture before = Steady(p);
                if (MenuItem(p, spots[next], layout.At("ring.build"))) {
                    const bool built = Changes(p, before, area, 0.1, 3s);
                    p.Click(away, 300);
                    next += built;
                }
            }
            return false;
        },
        300s);
    ASSERT_TRUE(won) << "the level was not won: " << game.ProfilesXml();
    std::this_thread::sleep_for(4000ms);
    p.Shot("23-victory");
    EXPECT_GT(next, 0u) << "no second tower was built";

    EXPECT_EQ(game.Terminate(30s), 0) << game.Stderr();
    const std::string profiles = game.ProfilesXml();
    EXPECT_GE(FirstLevelStars(profiles, "PlaKai"), 1) << profiles;
}

INSTANTIATE_TEST_SUITE_P(Shapes, RealWindowFirstRun,
                         ::testing::Values(Shape{"FullScreen1366x768", 1366, 768, false, false},
                                           Shape{"Window1024x768UnderOpenbox", 1280, 1024, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
