#include "tests/Game/Desktop/Layout.h"

#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/HUDSpellButton.h"
#include "Source/TD/Hud/TDButtonFrame.h"
#include "Source/TD/Screens/EpisodePager.h"
#include "Source/TD/Screens/HUDLevelSelect.h"
#include "Source/TD/Screens/LevelPlate.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/Towers/TDContextMenu.h"
#include "Source/TD/Towers/TDSpot.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/TDPoint.h"
#include "Source/TD/World/TDWaves.h"
#include "Source/TD/World/WaveHint.h"
#include "tests/Support/ClickPlayer.h"
#include "tests/Support/GameHarness.h"
#include "tests/Support/PngFile.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace desktop {

namespace {

namespace fs = std::filesystem;

// The harness's own screenshots of the run are the reference pictures, in a folder of
// each test program and shard: they measure at the same time.
const std::string& RunName()
{
    static const std::string name = [] {
        std::string n = "Desktop.Layout." + fs::read_symlink("/proc/self/exe").filename().string();
        if (const char* shard = std::getenv("GTEST_SHARD_INDEX"))
            n += std::string(".") + shard;
        return n;
    }();
    return name;
}

fs::path Shots()
{
    return fs::path(GE_BINARY_DIR) / "test-shots" / RunName();
}
const fs::path kContent = fs::path(GE_BINARY_DIR) / "content";

enum Screen { Playing = 0, IngameMenu = 4, Episodes = 5, Levels = 6, MainMenu = 7, Unlock = 11, NameEntry = 14 };

// What the headless run writes: one place or area a line.
class Notes {
public:
    void Place(const std::string& name, float x, float y) { text << "point " << name << ' ' << x << ' ' << y << '\n'; }
    void Area(const std::string& name, float x, float y, float w, float h)
    {
        text << "rect " << name << ' ' << x << ' ' << y << ' ' << w << ' ' << h << '\n';
    }
    void Save() const { std::ofstream(Shots() / "layout.txt") << text.str(); }

private:
    std::ostringstream text;
};

// The design screen's point of a point of the level's own space.
Point Design(const TDMap* map, float x, float y)
{
    return Point{x * map->mViewScale + map->mViewOffset[0], y * map->mViewScale + map->mViewOffset[1]};
}

// The pointer leaves the screen's buttons (no hover zoom in the picture), then the
// screen settles and its picture is taken.
void Snapshot(GameHarness& h, const std::string& name)
{
    h.MouseMove(2, 2);
    h.StepSeconds(0.6f);
    h.Screenshot(name);
}

// The rectangle of a layer of a layered folder of the content, on the design screen.
bool LayerRect(const std::string& folder, const std::string& layer, DesignRect* out)
{
    tinyxml2::XMLDocument document;
    if (document.LoadFile((kContent / folder / "layers.xml").string().c_str()) != tinyxml2::XML_SUCCESS)
        return false;
    for (const tinyxml2::XMLElement* e = document.RootElement()->FirstChildElement("Layer"); e;
         e = e->NextSiblingElement("Layer"))
        if (layer == e->Attribute("name")) {
            *out = DesignRect{e->FloatAttribute("x"), e->FloatAttribute("y"), e->FloatAttribute("width"),
                              e->FloatAttribute("height")};
            return true;
        }
    return false;
}

bool LayerCentre(const std::string& folder, const std::string& layer, float* x, float* y)
{
    DesignRect r;
    if (!LayerRect(folder, layer, &r))
        return false;
    *x = r.x + r.width * 0.5f;
    *y = r.y + r.height * 0.5f;
    return true;
}

void NoteButton(GameHarness& h, Notes& notes, const std::string& name, const std::wstring& button,
                const HUDWindow* window = nullptr)
{
    float x = 0.0f, y = 0.0f;
    const HUDWindow* in = window ? window : click::TopWindow(h);
    EXPECT_TRUE(click::ButtonCentre(in, button, &x, &y)) << name;
    notes.Place(name, x, y);
}

void NoteHudButton(GameHarness& h, Notes& notes, const std::string& name, const std::wstring& button)
{
    NoteButton(h, notes, name, button, click::Level(h)->mHud);
}

// Splash, main menu, options dialog, name entry, episodes, levels.
void Menus(GameHarness& h, Notes& notes)
{
    ASSERT_EQ(h.Start(), GE_OK);
    ASSERT_TRUE(click::ThroughSplash(h));
    Snapshot(h, "menu");
    NoteButton(h, notes, "menu.play", L"play");
    NoteButton(h, notes, "menu.options", L"options");

    // The options dialog in each mode; its places are its document's.
    float x = 0.0f, y = 0.0f;
    for (const auto& [name, layer] : {std::pair{"options.window", "main_options/window/window_nonselected"},
                                      std::pair{"options.full", "main_options/fullscreen/fullscreen_nonselected"},
                                      std::pair{"options.ok", "buttons/close/ok_in"}}) {
        ASSERT_TRUE(LayerCentre("td/options", layer, &x, &y)) << layer;
        notes.Place(name, x, y);
    }
    {
        DesignRect window, full;
        ASSERT_TRUE(LayerRect("td/options", "main_options/window/window_nonselected", &window));
        ASSERT_TRUE(LayerRect("td/options", "main_options/fullscreen/fullscreen_nonselected", &full));
        // Both switches, where the lit one shows the mode.
        const float left = std::min(window.x, full.x), top = std::min(window.y, full.y);
        notes.Area("options.switches", left, top, std::max(window.x + window.width, full.x + full.width) - left,
                   std::max(window.y + window.height, full.y + full.height) - top);
    }
    ASSERT_TRUE(click::Button(h, L"options"));
    Snapshot(h, "options-window");
    ASSERT_TRUE(LayerCentre("td/options", "main_options/fullscreen/fullscreen_nonselected", &x, &y));
    click::At(h, x, y);
    Snapshot(h, "options-full");
    ASSERT_TRUE(LayerCentre("td/options", "buttons/close/ok_in", &x, &y));
    click::At(h, x, y);
    h.StepSeconds(0.6f);

    ASSERT_TRUE(click::Button(h, L"play"));
    ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == NameEntry; }, 60));
    Snapshot(h, "entry");
    NoteButton(h, notes, "entry.ok", L"ok");
    click::Type(h, L"Kai");
    ASSERT_TRUE(click::Button(h, L"ok"));
    ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == Episodes; }, 60));
    Snapshot(h, "episodes");
    NoteButton(h, notes, "episodes.play", L"play");
    // The card right of the centred one, where the row is clipped.
    notes.Area("episodes.second", 512.0f + EpisodePager::kSpacing - 150.0f, 180.0f, 300.0f, 420.0f);

    ASSERT_TRUE(click::Button(h, L"play"));
    ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == Levels; }, 60));
    Snapshot(h, "levels");
    const auto* levels = dynamic_cast<const HUDLevelSelect*>(click::TopWindow(h));
    ASSERT_TRUE(levels && !levels->plates.empty());
    const LevelPlate* plate = levels->plates[0];
    notes.Place("levels.plate0", plate->x + plate->w * 0.5f, plate->y + plate->h * 0.5f);
}

// The unlock message, then level 1 with its tutorial: the spots, the tower menu's items,
// the HUD's buttons, the wave hint, the spell button, the route, the in-game menu, a
// tower the gold does not reach.
void FirstLevel(GameHarness& h, Notes& notes)
{
    ASSERT_TRUE(click::LevelPlate(h, 0));
    ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == Unlock; }, 120));
    Snapshot(h, "unlock");
    NoteButton(h, notes, "unlock.ok", L"ok");
    for (int clicks = 0; h.Screen() == Unlock && clicks < 12; ++clicks)
        ASSERT_TRUE(click::Button(h, L"ok"));
    ASSERT_EQ(h.Screen(), Playing);
    TDMap* map = click::Level(h);
    Snapshot(h, "level-build");
    NoteHudButton(h, notes, "hud.speed", L"speed_btn");
    NoteHudButton(h, notes, "hud.options", L"options_btn");
    // The tutorial holds the game paused here, so the lit pause button stands in place
    // of the plain one.
    const TDButtonFrame* pause = map->mHud->findButton(L"pause_btn");
    const TDButtonFrame* fast = map->mHud->findButton(L"speed_btn");
    ASSERT_TRUE(pause && fast);
    notes.Place("hud.pause", pause->centerX(), pause->centerY());
    // The three speed buttons, the lit one showing the game's speed.
    notes.Area("hud.speeds", pause->centerX() - 30.0f, pause->centerY() - 28.0f,
               fast->centerX() - pause->centerX() + 60.0f, 56.0f);

    const std::vector<TDSpot*> allowed = click::FreeSpots(map);
    ASSERT_EQ(allowed.size(), 1u) << "the tutorial marks one spot";
    TDSpot* marked = allowed[0];
    const Point spot = Design(map, marked->mEntry->centerX(), marked->mEntry->centerY());
    notes.Place("spot.tutorial", spot.x, spot.y);
    // Every other spot, nearest to the route first.
    std::vector<TDSpot*> others;
    for (TDSpot* s : map->mSpotList)
        if (s != marked && s->mType == TDSpot::Standard && s->mEntry && s->mEntry->mVisible)
            others.push_back(s);
    std::stable_sort(others.begin(), others.end(), [map](const TDSpot* a, const TDSpot* b) {
        const auto route = [map](const TDSpot* s) {
            float best = FLT_MAX;
            for (const TDPoint* p : map->mPoints)
                best = std::min(best, std::hypot(p->x - s->mEntry->centerX(), p->y - s->mEntry->centerY()));
            return best;
        };
        return route(a) < route(b);
    });
    for (size_t i = 0; i < others.size(); ++i) {
        const Point p = Design(map, others[i]->mEntry->centerX(), others[i]->mEntry->centerY());
        notes.Place("spot." + std::to_string(i), p.x, p.y);
    }
    for (size_t i = 0; i < map->mPoints.size(); ++i) {
        const Point p = Design(map, map->mPoints[i]->x, map->mPoints[i]->y);
        notes.Place("route." + std::to_string(i), p.x, p.y);
    }

    // The build menu's first tower, as an offset from the spot it opens on.
    ASSERT_TRUE(click::OpenSpot(h, marked));
    Snapshot(h, "level-spot-menu");
    TDContextMenu* menu = map->mContextMenu;
    ASSERT_FALSE(menu->items.empty());
    float ix = 0.0f, iy = 0.0f;
    menu->itemCenter(*menu->items[0], 1.0f, &ix, &iy);
    const Point item = Design(map, ix, iy);
    notes.Place("ring.build", item.x - spot.x, item.y - spot.y);
    ASSERT_TRUE(click::MenuItem(h, menu->items[0]->command));
    ASSERT_EQ(map->mTowers.size(), 1u);
    TDTower* tower = map->mTowers[0];
    Snapshot(h, "level-built");

    // The upgrade arrow, as an offset from the tower's spot.
    ASSERT_TRUE(click::OpenTower(h, tower));
    Snapshot(h, "level-tower-menu");
    menu = map->mContextMenu;
    for (const TDContextMenuItem* entry : menu->items)
        if (entry->kind == 1) {
            menu->itemCenter(*entry, 1.0f, &ix, &iy);
            const Point arrow = Design(map, ix, iy);
            notes.Place("ring.upgrade", arrow.x - spot.x, arrow.y - spot.y);
        }
    ASSERT_TRUE(click::CloseMenu(h));
    PlayerProgress* progress = map->mProgress;
    for (int tries = 0; tries < 6 && progress->getTutorialStepState(1) != 2; ++tries)
        ASSERT_TRUE(click::TowerAction(h, tower, 1));
    ASSERT_TRUE(h.StepUntil([&] { return !map->mWaveHint->entries.empty(); }, 60 * 30)) << "no wave hint";
    h.StepSeconds(0.5f);
    const TDFrameEntry* hint = map->mWaveHint->entries.front();
    const Point hintAt = Design(map, hint->centerX(), hint->centerY());
    notes.Place("wave.hint", hintAt.x, hintAt.y);
    const Point corner = Design(map, hint->mX, hint->mY);
    notes.Area("wave.hint", corner.x, corner.y, hint->mWidth * map->mViewScale, hint->mHeight * map->mViewScale);
    Snapshot(h, "level-wave-hint");
    ASSERT_FALSE(map->mHud->spellButtons.empty());
    notes.Place("spell.0", map->mHud->spellButtons[0]->x, map->mHud->spellButtons[0]->y);

    // The in-game menu over the level.
    ASSERT_TRUE(click::Button(h, L"options_btn"));
    ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == IngameMenu; }, 60));
    Snapshot(h, "ingame");
    NoteButton(h, notes, "ingame.resume", L"resume");

    // A tower the gold does not reach, and the offer to pay gems for it.
    ASSERT_TRUE(click::Button(h, L"resume"));
    ASSERT_FALSE(others.empty());
    map->mStats->mMoney = 0;
    map->mStats->mGems = 5;
    ASSERT_TRUE(click::OpenSpot(h, others[0]));
    ASSERT_TRUE(click::MenuItem(h, map->mContextMenu->items[0]->command));
    ASSERT_TRUE(h.StepUntil([&] { return map->mScreen == 21; }, 60)) << "no offer to pay gems";
    h.StepSeconds(0.6f);
    const HUDWindow* offer = click::TopWindow(h);
    Snapshot(h, "level-gem-offer");
    float okX = 0.0f, okY = 0.0f, cancelX = 0.0f, cancelY = 0.0f;
    ASSERT_TRUE(click::ButtonCentre(offer, L"ok", &okX, &okY));
    ASSERT_TRUE(click::ButtonCentre(offer, L"cancel", &cancelX, &cancelY));
    notes.Place("offer.cancel", cancelX, cancelY);
    notes.Area("offer.buttons", std::min(okX, cancelX) - 60.0f, okY - 20.0f, std::fabs(cancelX - okX) + 120.0f, 40.0f);
    ASSERT_TRUE(click::Button(h, L"cancel"));
    // The level running again, its play button lit.
    h.StepSeconds(0.6f);
    ASSERT_EQ(map->mSpeed, 1.0f);
    Snapshot(h, "level-running");
}

} // namespace

bool Layout::Measure(Reach reach)
{
    fs::remove_all(Shots());
    RunGame(
        RunName(), {},
        [reach](GameHarness& h) {
            Notes notes;
            Menus(h, notes);
            if (reach == Reach::FirstLevel && !::testing::Test::HasFatalFailure())
                FirstLevel(h, notes);
            notes.Save();
        },
        {}, 300);
    std::ifstream in(Shots() / "layout.txt");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string kind, name;
        fields >> kind >> name;
        if (kind == "point") {
            Point p;
            fields >> p.x >> p.y;
            points[name] = p;
        } else if (kind == "rect") {
            DesignRect r;
            fields >> r.x >> r.y >> r.width >> r.height;
            areas[name] = r;
        }
    }
    for (const auto& entry : fs::directory_iterator(Shots())) {
        if (entry.path().extension() != ".png")
            continue;
        desktop::Picture picture;
        if (ReadPng(entry.path().string(), picture.argb, picture.width, picture.height))
            references[entry.path().stem().string()] = std::move(picture);
    }
    complete = !::testing::Test::HasFailure() && references.count(reach == Reach::Menus ? "levels" : "level-running");
    EXPECT_TRUE(complete) << "the headless run that measures the screens failed";
    return complete;
}

const Layout& Layout::Shared(Reach reach)
{
    static Layout layout;
    static const bool measured = layout.Measure(reach);
    (void)measured;
    return layout;
}

Point Layout::At(const std::string& name) const
{
    const auto found = points.find(name);
    if (found == points.end()) {
        ADD_FAILURE() << "no place " << name << " was measured";
        return Point{512.0f, 384.0f};
    }
    return found->second;
}

DesignRect Layout::Area(const std::string& name) const
{
    const auto found = areas.find(name);
    if (found == areas.end()) {
        ADD_FAILURE() << "no area " << name << " was measured";
        return DesignRect{0.0f, 0.0f, 1024.0f, 768.0f};
    }
    return found->second;
}

std::vector<Point> Layout::Series(const std::string& prefix) const
{
    std::vector<Point> series;
    for (int i = 0; points.count(prefix + std::to_string(i)); ++i)
        series.push_back(points.at(prefix + std::to_string(i)));
    return series;
}

const Picture& Layout::Reference(const std::string& name) const
{
    static const desktop::Picture none;
    const auto found = references.find(name);
    if (found == references.end()) {
        ADD_FAILURE() << "no reference picture " << name;
        return none;
    }
    return found->second;
}

} // namespace desktop
