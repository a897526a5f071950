#include "Source/TD/Hud/HUDModalMessage.h"

#include "Core/Base/Log.h"
#include "Core/File/ImageContainer.h"
#include "Source/TD/Audio/SoundTags.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/TDButtonFrame.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"

namespace {

std::wstring Text(const wchar_t* key)
{
    return LocalStrings::Instance()->get(key);
}

} // namespace

HUDModalMessage::HUDModalMessage(const std::wstring& caption, const std::wstring& message, int restoreId)
    : restoreId(restoreId)
{
    drawLayer = 1;
    std::unique_ptr<file::ImageContainer> document = OpenScreenDocument(L"td/data/mm", L"Modal message");
    if (document) {
        build(document.get());
        DeleteFrameEntryVector(buttons);
        addButtonsFromDocument(document.get(), GameFont(L"td/data/fonts/main_42_3"));
        for (HUDButtonOver* button : overButtons)
            if (button->name == L"play")
                button->font = GameFont(L"td/data/fonts/main_80");
    }
    setImageVisible(L"input", false);
    setText(L"caption", caption);
    setText(L"message", message);
    if (overButtons.size() < 2)
        GE_LOG(L"Modal message: 'td/data/mm' has %d buttons of the two it needs.\n")
            << static_cast<int>(overButtons.size());
    if (overButtons.size() >= 2) {
        overButtons[1]->xOffset = 120.0f;
        overButtons[0]->visible = false;
    }
}

HUDModalMessage::~HUDModalMessage()
{
    // A window never taken off a stack (the root board's slot) restores here.
    onRemoved();
}

void HUDModalMessage::onRemoved()
{
    if (restoreId == -1)
        return;
    if (TDMap* map = CurrentLevel())
        map->mScreen = restoreId;
    restoreId = -1;
}

void HUDModalMessage::update(float dt)
{
    ButtonOverWindow::update(dt);
    if (const GameWindow* root = Game::sInstance ? Game::sInstance->mGameWindow : nullptr) {
        pointerX = static_cast<float>(root->mPointerX);
        pointerY = static_cast<float>(root->mPointerY);
    }
}

std::wstring HUDModalMessage::click(int x, int y)
{
    // Short of its two buttons the message still closes: its one button, or any click
    // without one, confirms.
    if (overButtons.size() >= 2)
        return ButtonOverWindow::click(x, y);
    if (overButtons.empty() || !ButtonOverWindow::click(x, y).empty()) {
        if (overButtons.empty())
            k2::SoundTags::Instance()->play(L"simple");
        return L"ok";
    }
    return std::wstring();
}

HUDModalDialog::HUDModalDialog(const std::wstring& caption, const std::wstring& message)
    : HUDModalMessage(caption, message, -1)
{
    if (overButtons.size() >= 2) {
        overButtons[1]->xOffset = 0.0f;
        overButtons[0]->visible = true;
    }
}

std::wstring HUDModalDialog::click(int x, int y)
{
    // Without buttons any click declines, so the dialog never holds the game.
    if (overButtons.empty()) {
        k2::SoundTags::Instance()->play(L"simple");
        return L"cancel";
    }
    return ButtonOverWindow::click(x, y);
}

void HUDModalDialog::onMouseReleased(int x, int y)
{
    if (overButtons.empty()) {
        onCancel();
        return;
    }
    if (overButtons.size() == 1) {
        if (overButtons[0]->hitTest(x, y))
            onConfirm();
        return;
    }
    for (size_t i = 0; i < overButtons.size(); ++i) {
        if (!overButtons[i]->hitTest(x, y))
            continue;
        if (i == 0) {
            onCancel();
            return;
        }
        if (i == 1) {
            onConfirm();
            return;
        }
    }
}

HUDConfirmProfileDeletionDialog::HUDConfirmProfileDeletionDialog()
    : HUDModalDialog(Text(L"profile_delete_caption"), Text(L"profile_delete_message"))
{
}

void HUDConfirmProfileDeletionDialog::onConfirm()
{
    close();
    TDMap* map = CurrentLevel();
    if (!map)
        return;
    if (map->mProgress)
        map->mProgress->deleteProfile();
    if (HUDWindow* top = map->mHud ? map->mHud->topWindow() : nullptr)
        top->refresh();
}

HUDConfirmProfileResetDialog::HUDConfirmProfileResetDialog()
    : HUDModalDialog(Text(L"profile_reset_caption"), Text(L"profile_reset_message"))
{
}

void HUDConfirmProfileResetDialog::onConfirm()
{
    if (TDMap* map = CurrentLevel()) {
        if (map->mHud)
            map->mHud->popWindow();
        if (map->mProgress)
            map->mProgress->resetProfile();
        if (map->mHud)
            map->mHud->showMainMenu();
        if (TDPlayerStats* stats = map->mStats) {
            stats->mMoney = 0;
            stats->mShownMoney = 0;
            stats->mGems = 0;
            stats->mKillRewardSum = 0;
            stats->mComboBonusSum = 0;
        }
    }
    close();
}

HUDConfirmTutorialCancelDialog::HUDConfirmTutorialCancelDialog()
    : HUDModalDialog(Text(L"tutorial_skip_caption"), Text(L"tutorial_skip_message"))
{
}

void HUDConfirmTutorialCancelDialog::onConfirm()
{
    close();
    TDTutorial* tutorial = TDTutorial::Instance();
    tutorial->skipPending = 0;
    tutorial->disable();
    tutorial->clearOverlay();
}

void HUDConfirmTutorialCancelDialog::onCancel()
{
    close();
    TDTutorial* tutorial = TDTutorial::Instance();
    tutorial->skipPending = 0;
    tutorial->visible = 1;
}
