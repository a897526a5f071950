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
#include <cstdlib>
#include <string>
#include <thread>

namespace {

using namespace desktop;
using namespace std::chrono_literals;

bool Has(const std::string& text, const std::string& needle)
{
    return text.find(needle) != std::string::npos;
}

// The state the profile keeps for a tutorial step (1 showing, 2 done; -1: none).
int TutorialStep(const std::string& profiles, int id)
{
    const std::string key = "<step id=\"" + std::to_string(id) + "\" state=\"";
    const size_t at = profiles.rfind(key);
    return at == std::string::npos ? -1 : std::atoi(profiles.c_str() + at + key.size());
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

// A menu of the level, as the headless run saw it open at its spot: the menu's picture
// and the item's place from that spot.
struct Menu {
    const char* reference;
    const char* item;
};

// Whether the menu's item shows at `spot` as it did in the headless run's picture (the
// middle of its button, whatever lies around it).
bool ItemShows(Player& p, const Menu& menu, Point spot, double share = 0.7)
{
    const Point measuredAt = p.layout.At("spot.tutorial");
    const Point offset = p.layout.At(menu.item);
    const DesignRect middle = Around(Plus(measuredAt, offset), 12.0f, 12.0f, 12.0f);
    return p.Likeness(menu.reference, &middle, Point{spot.x - measuredAt.x, spot.y - measuredAt.y}) >= share;
}

// Answers the offer to pay gems for gold a build lacks with Cancel, and sets the level
// back to double speed; false when no offer shows.
bool DeclineGemOffer(Player& p)
{
    const DesignRect buttons = p.layout.Area("offer.buttons");
    if (p.Likeness("level-gem-offer", &buttons) < 0.8)
        return false;
    p.Click("offer.cancel", 600);
    EXPECT_TRUE(Player::WaitUntil([&] { return p.Likeness("level-gem-offer", &buttons) < 0.5; }, 10s))
        << "Cancel left the gem offer open";
    p.Click("hud.speed", 300);
    return true;
}

// Opens the menu at `spot`, clicks its item once it shows (its picture `shot` taken
// first, when named) and waits for the menu to close; false, with the menu closed by
// a click at `away`, when the item did not show within `limit`.
bool MenuItem(Player& p, const Menu& menu, Point spot, Point away, const std::string& shot = {},
              std::chrono::milliseconds limit = 20s)
{
    p.Click(spot, 100);
    if (!Player::WaitUntil([&] { return ItemShows(p, menu, spot); }, limit)) {
        p.Click(away, 300);
        return false;
    }
    std::this_thread::sleep_for(300ms); // the menu's opening
    if (!shot.empty())
        p.Shot(shot);
    p.Click(Plus(spot, p.layout.At(menu.item)), 300);
    return Player::WaitUntil([&] { return !ItemShows(p, menu, spot, 0.4); }, 20s);
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
    const Layout& layout = Layout::Shared(Layout::Reach::FirstLevel);
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

    // The splash slides, clicked through.
    std::this_thread::sleep_for(1500ms);
    p.Shot("01-splash");
    ASSERT_TRUE(p.ThroughSplash(0.85))
        << "the main menu did not come";
    if (shape.window) {
        display.Chord({"Alt_L", "Return"});
        ASSERT_TRUE(Player::WaitUntil([&] { return p.Locate() && p.Client().width == 1024; }, 10s));
        // The window manager may still move the window after its size came: its place
        // is read again until the menu shows there.
        ASSERT_TRUE(Player::WaitUntil([&] { return p.Locate() && p.Likeness("menu") >= 0.85; }, 10s))
            << "the main menu did not come in the window";
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
    const Menu build{"level-spot-menu", "ring.build"}, upgrade{"level-tower-menu", "ring.upgrade"};
    const Point away = EmptyPlace(layout);
    EXPECT_TRUE(MenuItem(p, build, spot, away, "09-spot-menu")) << "the marked spot opens no menu";
    EXPECT_TRUE(Changes(p, empty, towerArea, 0.1, 20s)) << "no tower stands on the marked spot";
    std::this_thread::sleep_for(1500ms); // the building's dust
    const Picture built = Steady(p);
    p.Shot("10-tower-built");

    // One click on the upgrade arrow changes the tower's look.
    EXPECT_TRUE(MenuItem(p, upgrade, spot, away, "11-tower-menu")) << "the tower opens no menu";
    p.Shot("12-upgrade-clicked");
    std::this_thread::sleep_for(1500ms);
    const Picture upgraded = Steady(p);
    EXPECT_GT(p.Difference(built, upgraded, towerArea), 0.05) << "one click on the arrow left the tower as it was";
    p.Shot("13-tower-upgraded");

    // The tutorial's other steps, in the order its events come (a unit killed may drop
    // the gem before the spell): the wave called early, a spell on the route near the
    // first tower, the gem picked up. What is still to do is read from the profile.
    const DesignRect hintArea = layout.Area("wave.hint");
    const std::vector<Point> route = layout.Series("route.");
    const Point aim = route.size() > 1 ? route[1] : spot;
    bool waveShot = false, spellShot = false, gemShot = false;
    const bool tutorialDone = Player::WaitUntil(
        [&] {
            const std::string xml = game.ProfilesXml();
            if (TutorialStep(xml, 2) == 2 && TutorialStep(xml, 3) == 2 && TutorialStep(xml, 4) == 2)
                return true;
            Point gem;
            if (FindGem(p, &gem)) {
                if (!gemShot)
                    p.Shot("16-tutorial-gem");
                gemShot = true;
                p.Click(gem, 600);
            } else if (TutorialStep(xml, 2) == 1 && p.Likeness("level-wave-hint", &hintArea) >= 0.7) {
                if (!waveShot)
                    p.Shot("14-tutorial-wave");
                waveShot = true;
                p.Click("wave.hint", 800);
            } else if (TutorialStep(xml, 3) == 1) {
                if (!spellShot)
                    p.Shot("15-tutorial-spell");
                spellShot = true;
                p.Click("spell.0", 400);
                p.Click(aim, 1500);
            }
            return false;
        },
        120s);
    std::this_thread::sleep_for(1000ms);
    p.Shot("18-tutorial-done");
    EXPECT_TRUE(tutorialDone) << game.ProfilesXml();
    for (int step = 0; step <= 4; ++step)
        EXPECT_EQ(TutorialStep(game.ProfilesXml(), step), 2) << "tutorial step " << step;

    // Every spot opens now: the nearest other one shows its menu.
    const std::vector<Point> spots = layout.Series("spot.");
    ASSERT_FALSE(spots.empty());
    p.Click(spots[0], 100);
    EXPECT_TRUE(Player::WaitUntil([&] { return ItemShows(p, build, spots[0]); }, 20s)) << "another spot opens no menu";
    std::this_thread::sleep_for(300ms);
    p.Shot("19-another-spot-menu");
    p.Click(away, 300);
    EXPECT_TRUE(Player::WaitUntil([&] { return !ItemShows(p, build, spots[0], 0.4); }, 20s)) << "the menu stays open";

    // The in-game menu, and Resume, which lets the game run at the speed it had.
    const DesignRect speeds = layout.Area("hud.speeds");
    p.Click("hud.options", 800);
    EXPECT_TRUE(p.WaitFor("ingame", 30s, 0.8)) << "no in-game menu";
    p.Shot("20-ingame-menu");
    p.Click("ingame.resume", 300);
    // As the level ran before the menu opened, the play button lit.
    EXPECT_TRUE(p.WaitFor("level-running", 10s, 0.9, &speeds)) << "Resume left the game paused";
    p.Shot("21-resumed");

    // Double speed, and towers on the spots nearest to the route as the money allows,
    // until the level is won.
    p.Click("hud.speed", 500);
    p.Shot("22-double-speed");
    size_t next = 0, tries = 0;
    const bool won = Player::WaitUntil(
        [&] {
            if (FirstLevelStars(game.ProfilesXml(), "PlaKai") > 0)
                return true;
            if (DeclineGemOffer(p))
                return false;
            if (next < spots.size()) {
                // A tower the gold does not reach is offered for gems: the offer is
                // declined and the spot tried again later.
                const DesignRect area = Around(spots[next], 40.0f, 90.0f, 20.0f);
                const Picture before = Steady(p);
                ++tries;
                if (MenuItem(p, build, spots[next], away, {}, 3s) && !DeclineGemOffer(p))
                    next += Changes(p, before, area, 0.1, 10s);
                else
                    std::this_thread::sleep_for(1000ms);
            }
            return false;
        },
        300s);
    if (!won)
        p.Shot("23-not-won");
    ASSERT_TRUE(won) << "the level was not won (" << next << " towers built in " << tries
                     << " tries): " << game.ProfilesXml();
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
