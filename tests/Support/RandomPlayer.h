#pragma once
// A player that plays by chance from a seeded generator, for long sessions and for
// moments to be interrupted at: the same seed plays the same game.
#include "Source/TD/Hud/ButtonOverWindow.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/HUDButtonOver.h"
#include "Source/TD/Hud/HUDWindow.h"
#include "Source/TD/Hud/TDButtonFrame.h"
#include "Source/TD/Screens/HUDLevelSelect.h"
#include "Source/TD/Screens/LevelPlate.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/World/TDMap.h"
#include "tests/Support/ClickPlayer.h"
#include "tests/Support/GameHarness.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

// Plays by chance, steered just enough to get through the menus into levels: on each
// screen it mostly presses one of the visible buttons, picked at random, types a few
// letters into the name entry, and otherwise clicks anywhere. Inside a level it keeps
// the double speed on, now and then builds or upgrades a tower through the menus, and
// clicks anywhere in between. Only the main menu's quit button is never pressed, since
// it would end the session.
class RandomPlayer {
public:
    RandomPlayer(GameHarness& h, unsigned seed) : h(h), random(seed) {}

    void Act()
    {
        TDMap* map = click::Level(h);
        if (!map)
            return;
        if (map->mScreen == 0 && !click::TopWindow(h))
            PlayLevel(map);
        else if (map->mScreen == 6 && Chance(0.6))
            PickLevel(map);
        else if (map->mScreen == 14 && Chance(0.4))
            Type();
        else if (Chance(0.7))
            PressAButton();
        else
            ClickAnywhere(map);
    }

    int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    bool Chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(random) < p; }

private:
    void PlayLevel(TDMap* map)
    {
        if (map->mSpeed != 2.0f && Chance(0.8)) {
            click::Button(h, L"speed_btn");
            return;
        }
        if (Chance(0.15)) {
            const std::vector<TDSpot*> spots = click::FreeSpots(map);
            if (!spots.empty()) {
                static const int kTowers[] = {10000, 20000, 30000, 40000};
                click::Build(h, spots[Between(0, std::min<int>(3, int(spots.size()) - 1))], kTowers[Between(0, 3)]);
                return;
            }
        }
        if (Chance(0.1) && !map->mTowers.empty()) {
            click::TowerAction(h, map->mTowers[Between(0, int(map->mTowers.size()) - 1)], 1);
            return;
        }
        ClickAnywhere(map);
    }

    // A few letters of a profile name, or a letter taken back.
    void Type()
    {
        constexpr int kBackspace = 0x08;
        for (int keys = Between(1, 4); keys > 0; --keys) {
            if (Chance(0.2)) {
                h.Key(kBackspace);
            } else {
                const int letter = Between(0, 25);
                h.Key('A' + letter, static_cast<wchar_t>(L'a' + letter));
            }
        }
    }

    void PickLevel(TDMap* map)
    {
        auto* select = dynamic_cast<HUDLevelSelect*>(click::TopWindow(h));
        std::vector<size_t> open;
        for (size_t i = 0; select && i < select->plates.size(); ++i)
            if (select->plates[i]->unlocked)
                open.push_back(i);
        if (open.empty())
            ClickAnywhere(map);
        else
            click::LevelPlate(h, open[Between(0, int(open.size()) - 1)]);
    }

    // One of the visible buttons of the open dialog, else of the top window.
    void PressAButton()
    {
        HUDWindow* modal = h.game()->mGameWindow->mModal;
        HUDWindow* window = modal ? modal : click::TopWindow(h);
        if (!window)
            return;
        std::vector<std::wstring> names;
        for (const TDButtonFrame* button : window->buttons)
            if (button->mVisible)
                names.push_back(button->mName);
        if (const auto* list = dynamic_cast<const ButtonOverWindow*>(window))
            for (const HUDButtonOver* button : list->overButtons)
                if (button->visible)
                    names.push_back(button->name);
        names.erase(std::remove(names.begin(), names.end(), L"cloze"), names.end());
        if (names.empty())
            return;
        const std::wstring& name = names[Between(0, int(names.size()) - 1)];
        if (modal)
            click::ModalButton(h, name);
        else
            click::Button(h, name);
    }

    void ClickAnywhere(TDMap* map)
    {
        const float x = float(Between(0, 1023)), y = float(Between(0, 767));
        if (map->mScreen == 7 && OnQuit(click::TopWindow(h), int(x), int(y)))
            return;
        click::At(h, x, y);
    }

    static bool OnQuit(HUDWindow* window, int x, int y)
    {
        if (!window)
            return false;
        if (const TDButtonFrame* quit = window->findButton(L"cloze"); quit && quit->contains(x, y))
            return true;
        if (auto* list = dynamic_cast<ButtonOverWindow*>(window))
            for (HUDButtonOver* button : list->overButtons)
                if (button->name == L"cloze" && button->hitTest(x, y))
                    return true;
        return false;
    }

    GameHarness& h;
    std::mt19937 random;
};
