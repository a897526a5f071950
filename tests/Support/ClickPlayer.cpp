#include "tests/Support/ClickPlayer.h"

#include "Core/Base/ImageInfo.h"
#include "Source/TD/Hud/ButtonOverWindow.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/HUDButtonOver.h"
#include "Source/TD/Hud/HUDSpellButton.h"
#include "Source/TD/Hud/TDButtonFrame.h"
#include "Source/TD/Screens/HUDBuyGemScreen.h"
#include "Source/TD/Screens/HUDItemPlate.h"
#include "Source/TD/Screens/HUDLevelSelect.h"
#include "Source/TD/Screens/HUDOfferPlate.h"
#include "Source/TD/Screens/HUDShopWindow.h"
#include "Source/TD/Screens/LevelPlate.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Towers/TDContextMenu.h"
#include "Source/TD/Towers/TDGoldDrop.h"
#include "Source/TD/Towers/TDSpot.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/Tutorial/TutorialButton.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPoint.h"
#include "Source/TD/World/WaveHint.h"
#include "tests/Support/GameHarness.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace click {

namespace {

// Long enough for a menu's fade (0.2 s) or its closing, at the harness's time step.
constexpr int kMenuFrames = 60;

bool MenuOpen(TDMap* map)
{
    return map->mContextMenu && map->mContextMenu->state == TDContextMenu::Open;
}

// The level's own space is the screen's, shifted and scaled by the level's view.
void AtLevelPoint(GameHarness& h, TDMap* map, float x, float y)
{
    At(h, x * map->mViewScale + map->mViewOffset[0], y * map->mViewScale + map->mViewOffset[1]);
}

float RouteDistance(const TDMap* map, float x, float y)
{
    float best = FLT_MAX;
    for (const TDPoint* point : map->mPoints)
        best = std::min(best, std::hypot(point->x - x, point->y - y));
    return best;
}

} // namespace

TDMap* Level(GameHarness& h)
{
    return h.game() && h.game()->mGameWindow ? h.game()->mGameWindow->mMap : nullptr;
}

HUDWindow* TopWindow(GameHarness& h)
{
    TDMap* map = Level(h);
    return map && map->mHud ? map->mHud->topWindow() : nullptr;
}

void At(GameHarness& h, float x, float y, int settle)
{
    h.MouseMove(x, y);
    h.Step(2);
    h.Click(x, y);
    h.Step(settle);
}

bool ThroughSplash(GameHarness& h, const std::string& shots)
{
    constexpr int kSplash = 12, kMainMenu = 7;
    if (!h.StepUntil([&] { return h.Screen() == kSplash; }, 120))
        return false;
    for (int slide = 1; slide <= 2 && h.Screen() == kSplash; ++slide) {
        h.StepSeconds(0.8f);
        if (!shots.empty())
            h.Screenshot(shots + std::to_string(slide));
        h.Click(500, 400);
    }
    if (!h.StepUntil([&] { return h.Screen() == kMainMenu; }, 120))
        return false;
    h.StepSeconds(0.6f);
    return true;
}

bool ButtonCentre(const HUDWindow* window, const std::wstring& name, float* x, float* y)
{
    if (!window)
        return false;
    if (const TDButtonFrame* button = window->findButton(name); button && button->mVisible) {
        *x = button->centerX();
        *y = button->centerY();
        return true;
    }
    if (const auto* list = dynamic_cast<const ButtonOverWindow*>(window))
        for (const HUDButtonOver* button : list->overButtons)
            if (button->visible && button->name == name && button->currentFrame()) {
                const TDFrameEntry* frame = button->currentFrame();
                *x = frame->centerX() + button->xOffset;
                *y = frame->centerY();
                return true;
            }
    return false;
}

bool Button(GameHarness& h, const std::wstring& name, int settle)
{
    TDMap* map = Level(h);
    if (!map || !map->mHud)
        return false;
    const HUDWindow* top = map->mHud->topWindow();
    float x = 0.0f, y = 0.0f;
    if (!ButtonCentre(top ? top : map->mHud, name, &x, &y))
        return false;
    At(h, x, y, settle);
    return true;
}

std::vector<TDSpot*> FreeSpots(TDMap* map)
{
    std::vector<TDSpot*> spots;
    for (TDSpot* spot : map->mSpotList)
        if (spot->mType == TDSpot::Standard && spot->mEntry && spot->mEntry->mVisible &&
            map->spotAllowed(spot->mEntry->mName))
            spots.push_back(spot);
    std::stable_sort(spots.begin(), spots.end(), [map](const TDSpot* a, const TDSpot* b) {
        return RouteDistance(map, a->mEntry->centerX(), a->mEntry->centerY()) <
               RouteDistance(map, b->mEntry->centerX(), b->mEntry->centerY());
    });
    return spots;
}

bool OpenSpot(GameHarness& h, TDSpot* spot)
{
    TDMap* map = Level(h);
    if (!map || !spot || !spot->mEntry)
        return false;
    AtLevelPoint(h, map, spot->mEntry->centerX(), spot->mEntry->centerY());
    return h.StepUntil([map] { return MenuOpen(map); }, kMenuFrames);
}

bool OpenTower(GameHarness& h, TDTower* tower)
{
    TDMap* map = Level(h);
    if (!map || !tower)
        return false;
    AtLevelPoint(h, map, tower->spot ? tower->spot->centerX() : tower->x, tower->spot ? tower->spot->centerY() : tower->y);
    return h.StepUntil([map] { return MenuOpen(map); }, kMenuFrames);
}

bool MenuItem(GameHarness& h, int command)
{
    TDMap* map = Level(h);
    if (!map || !MenuOpen(map))
        return false;
    TDContextMenu* menu = map->mContextMenu;
    for (const TDContextMenuItem* item : menu->items) {
        if (item->command != command)
            continue;
        float x = 0.0f, y = 0.0f;
        menu->itemCenter(*item, 1.0f, &x, &y);
        AtLevelPoint(h, map, x, y);
        return h.StepUntil([map] { return !map->mContextMenu; }, kMenuFrames);
    }
    return false;
}

int MenuCommand(TDMap* map, int kind)
{
    if (!map || !map->mContextMenu)
        return -1;
    for (const TDContextMenuItem* item : map->mContextMenu->items)
        if (item->kind == kind)
            return item->command;
    return -1;
}

TDTower* Build(GameHarness& h, TDSpot* spot, int prototypeId)
{
    TDMap* map = Level(h);
    if (!OpenSpot(h, spot))
        return nullptr;
    const size_t before = map->mTowers.size();
    if (!MenuItem(h, prototypeId) || map->mTowers.size() == before)
        return nullptr;
    for (TDTower* tower : map->mTowers)
        if (tower->spot == spot->mEntry)
            return tower;
    return nullptr;
}

bool TowerAction(GameHarness& h, TDTower* tower, int kind)
{
    if (!OpenTower(h, tower))
        return false;
    const int command = MenuCommand(Level(h), kind);
    return command >= 0 && MenuItem(h, command);
}

bool CastSpell(GameHarness& h, size_t index, float x, float y)
{
    TDMap* map = Level(h);
    if (!map || !map->mHud || index >= map->mHud->spellButtons.size())
        return false;
    const HUDSpellButton* button = map->mHud->spellButtons[index];
    At(h, button->x, button->y);
    AtLevelPoint(h, map, x, y);
    return true;
}

void Type(GameHarness& h, const std::wstring& text)
{
    for (wchar_t ch : text)
        h.Key(ch >= L'a' && ch <= L'z' ? ch - 32 : ch, ch);
}

bool WaveHint(GameHarness& h)
{
    TDMap* map = Level(h);
    if (!map || !map->mWaveHint || map->mWaveHint->entries.empty())
        return false;
    const TDFrameEntry* hint = map->mWaveHint->entries.front();
    AtLevelPoint(h, map, hint->centerX(), hint->centerY());
    return true;
}

bool CollectDrop(GameHarness& h)
{
    TDMap* map = Level(h);
    if (!map)
        return false;
    for (const TDTowerSpecial* drop : map->mSpecials)
        if (const auto* lying = dynamic_cast<const TDGoldSpecial*>(drop); lying && lying->state == TDGoldSpecial::Lying) {
            AtLevelPoint(h, map, lying->to.x, lying->to.y);
            return true;
        }
    return false;
}

bool LevelPlate(GameHarness& h, size_t index)
{
    const auto* levels = dynamic_cast<const HUDLevelSelect*>(TopWindow(h));
    if (!levels || index >= levels->plates.size())
        return false;
    const ::LevelPlate* plate = levels->plates[index];
    At(h, plate->x + plate->w * 0.5f, plate->y + plate->h * 0.5f);
    return true;
}

bool UpgradeBuy(GameHarness& h, size_t index)
{
    const auto* shop = dynamic_cast<const HUDShopWindow*>(TopWindow(h));
    if (!shop || index >= shop->plates.size())
        return false;
    // The plate knows its button only as a hit test: the box of the screen points it
    // takes, whose centre is then clicked.
    const HUDItemPlate* plate = shop->plates[index];
    int left = 1024, top = 768, right = -1, bottom = -1;
    for (int y = 0; y < 768; y += 2)
        for (int x = 0; x < 1024; x += 2)
            if (plate->overBuyButton(x, y)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0)
        return false;
    At(h, (left + right) * 0.5f, (top + bottom) * 0.5f);
    return true;
}

bool GemOffer(GameHarness& h, size_t index)
{
    const auto* shop = dynamic_cast<const HUDBuyGemScreen*>(TopWindow(h));
    if (!shop || index >= shop->plates.size() || !shop->plates[index]->textAnchor)
        return false;
    const base::ImageInfo* bar = shop->plates[index]->textAnchor;
    At(h, bar->x + bar->width * 0.5f, bar->y + bar->height * 0.5f);
    return true;
}

bool ModalButton(GameHarness& h, const std::wstring& name)
{
    const HUDWindow* modal = h.game() && h.game()->mGameWindow ? h.game()->mGameWindow->mModal : nullptr;
    float x = 0.0f, y = 0.0f;
    if (!ButtonCentre(modal, name, &x, &y))
        return false;
    At(h, x, y);
    return true;
}

bool SkipTutorial(GameHarness& h)
{
    TDTutorial* tutorial = TDTutorial::Instance();
    const TutorialButton* skip = tutorial->skipButton;
    if (!tutorial->active || !skip || !skip->visible)
        return false;
    // The button's pictures are centred on its origin.
    At(h, skip->position.x, skip->position.y);
    if (!h.StepUntil([&h] { return h.game()->mGameWindow->mModal != nullptr; }, kMenuFrames))
        return false;
    h.Step(20); // the dialog shows in full before its button is pressed
    return ModalButton(h, L"ok") && h.StepUntil([tutorial] { return !tutorial->active; }, kMenuFrames);
}

bool CloseMenu(GameHarness& h)
{
    TDMap* map = Level(h);
    if (!map || !MenuOpen(map))
        return false;
    // No item lies at the ring's centre: a click there closes the menu.
    AtLevelPoint(h, map, map->mContextMenu->centerX, map->mContextMenu->centerY);
    return h.StepUntil([map] { return !map->mContextMenu; }, kMenuFrames);
}

} // namespace click
