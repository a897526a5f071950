#pragma once
// Click-only play in the game harness: where things are on the screen, read off the
// game's own objects, and clicks there through the harness's input queue, so every
// click takes the player's path (window procedure, input, level, HUD).
//
//     TDMap* map = click::Level(h);
//     TDTower* tower = click::Build(h, click::FreeSpots(map)[0], 10000);
//     click::Button(h, L"menu");   // the HUD's options button: the in-game menu
//
// Buttons are placed on the 1024x768 design screen; spots, towers, menu items and aim
// points in the level's space, which the level's view shifts and scales on the screen.
#include <string>
#include <vector>

class GameHarness;
class HUDWindow;
class TDMap;
class TDSpot;
class TDTower;

namespace click {

// The level object (null before the game window exists).
TDMap* Level(GameHarness& h);
// The top window of the HUD's stack (null while the level is played without one).
HUDWindow* TopWindow(GameHarness& h);

// Moves the pointer to (x, y), lets the hover settle, clicks and lets the click be
// handled (`settle` frames after it).
void At(GameHarness& h, float x, float y, int settle = 2);

// From the program's start: the splash slides clicked away as they show (a picture
// of each, `shots` followed by its number, when `shots` is not empty) into the main
// menu, settled; false when the game does not get there.
bool ThroughSplash(GameHarness& h, const std::string& shots = {});

// The centre of the visible button named `name` of `window` (its plain and its
// listed buttons); false when it has none.
bool ButtonCentre(const HUDWindow* window, const std::wstring& name, float* x, float* y);
// Clicks the named button of the top window, or of the HUD itself when no window is
// open (speed, options and wave buttons); false, with nothing clicked, when there is
// none to click.
bool Button(GameHarness& h, const std::wstring& name, int settle = 2);

// The level's visible build spots without a tower that the level lets the player use
// now (the tutorial may allow one only), nearest to the units' route first.
std::vector<TDSpot*> FreeSpots(TDMap* map);
// Clicks a spot and waits until its menu has opened; false when no menu opened.
bool OpenSpot(GameHarness& h, TDSpot* spot);
// Clicks a tower and waits until its menu has opened; false when no menu opened.
bool OpenTower(GameHarness& h, TDTower* tower);
// Clicks the item answering `command` on the open menu (where the item is drawn) and
// waits until the menu has gone; false when the open menu has no such item.
bool MenuItem(GameHarness& h, int command);
// The command of the open menu's item of `kind` (0 sell, 1 upgrade); -1 when none.
int MenuCommand(TDMap* map, int kind);

// Builds the tower `prototypeId` on `spot` through the spot's menu; the new tower, or
// null when the menu did not offer it or the money did not reach.
TDTower* Build(GameHarness& h, TDSpot* spot, int prototypeId);
// Sells or upgrades (`kind` 0 or 1) a tower through its menu; false when the menu
// had no such item.
bool TowerAction(GameHarness& h, TDTower* tower, int kind);

// Clicks the spell button `index` of the HUD and then the aim point (level space);
// false when the HUD has no such button.
bool CastSpell(GameHarness& h, size_t index, float x, float y);

// Types `text` key by key, as a keyboard does (letters through their capital key).
void Type(GameHarness& h, const std::wstring& text);

// Clicks the hint of the coming wave, which calls it early; false while none shows.
bool WaveHint(GameHarness& h);
// Clicks the first drop lying on the level (gold or gem), which collects it; false
// when none lies there.
bool CollectDrop(GameHarness& h);

// Clicks plate `index` of the open level select; false when the top window is no
// level select or has no such plate.
bool LevelPlate(GameHarness& h, size_t index);
// Clicks the buy button of item plate `index` of the open upgrade shop's list; false
// when the top window is no upgrade shop or has no such plate.
bool UpgradeBuy(GameHarness& h, size_t index);
// Clicks the buy bar of offer plate `index` of the open gem shop; false when the top
// window is no gem shop or has no such plate.
bool GemOffer(GameHarness& h, size_t index);

// Clicks the named button of the dialog in the root board's modal slot (the
// tutorial's skip confirmation); false when none is open or it has no such button.
bool ModalButton(GameHarness& h, const std::wstring& name);
// Clicks the tutorial's skip button and confirms in the dialog it opens; false when
// no skip button shows or the tutorial did not end.
bool SkipTutorial(GameHarness& h);
// Closes the open tower or spot menu without choosing an item; false when none is open
// or it did not close.
bool CloseMenu(GameHarness& h);

} // namespace click
