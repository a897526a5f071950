// The HUD's openers: each builds its screen, writes the screen id into the level
// object and queues the window.
#include "Core/Base/Log.h"
#include "Source/TD/Hud/HUD.h"

#include "Source/TD/Hud/HUDModalMessage.h"
#include "Source/TD/Screens/HUDBoostShop.h"
#include "Source/TD/Screens/HUDBuyGemScreen.h"
#include "Source/TD/Screens/HUDEpisodeSelectIOS.h"
#include "Source/TD/Screens/HUDLevelSelect.h"
#include "Source/TD/Screens/HUDMainMenu.h"
#include "Source/TD/Screens/HUDShopWindow.h"
#include "Source/TD/Screens/HUDModalInput.h"
#include "Source/TD/Screens/HUDProfiles.h"
#include "Source/TD/Screens/TDSplashScreens.h"
#include "Source/TD/Screens/HUDUnlockMessage.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/World/TDMap.h"

namespace {

// Replaces what the root board's modal slot holds.
void PutIntoModalSlot(HUDWindow* dialog)
{
    GameWindow* root = Game::sInstance ? Game::sInstance->mGameWindow : nullptr;
    if (!root) {
        delete dialog;
        return;
    }
    delete root->mModal;
    root->mModal = dialog;
}

} // namespace

void HUD::showEpisodeSelect()
{
    open(new HUDEpisodeSelectIOS, 5);
}

void HUD::showLevelSelect()
{
    open(new HUDLevelSelect, 6);
}

void HUD::showShop(int mode)
{
    open(new HUDShopWindow(mode), 8);
}

void HUD::showMainMenu()
{
    open(new HUDMainMenu, 7);
    // The mark in the log that start-up (or a way back) reached the menu.
    GE_LOG(L"Main menu opened\n");
}

void HUD::showUnlockMessage(const std::vector<int>& ids)
{
    if (TDMap* map = CurrentLevel())
        map->mSpeed = 0.0f;
    open(new HUDUnlockMessage(ids), 11);
    fadeState = 0;
    fadeTime = 0.0f;
}

void HUD::showSplashScreens()
{
    open(new TDSplashScreens, 12);
}

void HUD::showProfiles()
{
    if (TDMap* map = CurrentLevel())
        map->mReturnName.clear();
    open(new HUDProfiles, 13);
}

void HUD::showGemShop(const std::wstring& returnName)
{
    // The boost shop reopens the gem shop with its own return name.
    if (&returnName != &GemShopReturnName)
        GemShopReturnName = returnName;
    open(new HUDBuyGemScreen, 18);
}

void HUD::showBoostShop()
{
    open(new HUDBoostShop, 24);
}

void HUD::showModalInput()
{
    open(new HUDModalInput, kKeepScreen);
}

void HUD::showModalMessage(int restoreId, const std::wstring& caption, const std::wstring& text)
{
    if (TDMap* map = CurrentLevel())
        map->mSavedScreen = restoreId;
    open(new HUDModalMessage(caption, text, restoreId), 16);
}

void HUD::showModalDialog(int restoreId, const std::wstring& caption, const std::wstring& text)
{
    if (TDMap* map = CurrentLevel())
        map->mSavedScreen = restoreId;
    open(new HUDModalDialog(caption, text), 16);
}

void HUD::showTutorialCancelDialog()
{
    PutIntoModalSlot(new HUDConfirmTutorialCancelDialog);
}

void HUD::showProfileResetDialog()
{
    PutIntoModalSlot(new HUDConfirmProfileResetDialog);
}

void HUD::nextLevel()
{
    TDMap* map = CurrentLevel();
    if (!map)
        return;
    ++map->mLevel;
    if (map->mLevel < map->episodeLevelCount(map->mEpisode))
        map->startLevel();
    else
        showEpisodeSelect();
}
