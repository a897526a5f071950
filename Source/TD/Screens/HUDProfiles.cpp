#include "Source/TD/Screens/HUDProfiles.h"
#include "Core/Base/Log.h"
#include "Source/TD/Hud/HUDModalMessage.h"
#include "Source/TD/Screens/HUDMainMenu.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/World/TDMap.h"

#include <string>

namespace {

std::wstring Numbered(const wchar_t* prefix, int n)
{
    return prefix + std::to_wstring(n);
}

PlayerProgress* Progress()
{
    TDMap* map = CurrentLevel();
    return map ? map->mProgress : nullptr;
}

} // namespace

HUDProfiles::HUDProfiles()
{
    HUDMainMenu::loadDocument(this, L"td/data/profiles", L"Profiles");
    // Slot buttons and "confirm" are looked up by name on every refresh; a document
    // without one simply shows the screen without it.
    for (int n = 1; n <= kSlots; ++n)
        if (!findOverButton(Numbered(L"p", n)))
            GE_LOG(L"Profiles: the document has no slot button 'p%d'; that slot shows no mark.\n") << n;
    if (!findOverButton(L"confirm"))
        GE_LOG(L"Profiles: the document has no 'confirm' button; it is left out.\n");
    LocalStrings* strings = LocalStrings::Instance();
    setText(L"caption", strings->get(L"profiles_caption"));
    refresh();
    font = GameFont(L"td/data/fonts/main_32_2");
    setText(L"select", strings->get(L"profiles_select"));
}

HUDButtonOver* HUDProfiles::findOverButton(const std::wstring& name) const
{
    for (HUDButtonOver* button : overButtons)
        if (button->name == name)
            return button;
    return nullptr;
}

std::vector<std::wstring> HUDProfiles::listedProfiles() const
{
    PlayerProgress* progress = Progress();
    return progress ? progress->otherProfileNames : std::vector<std::wstring>();
}

void HUDProfiles::refresh()
{
    const std::vector<std::wstring> profiles = listedProfiles();
    const std::wstring empty = LocalStrings::Instance()->get(L"empty_profile");
    const FontHandle slotFont = GameFont(L"td/data/fonts/main_42_3");
    for (int n = 1; n <= kSlots; ++n) {
        const size_t index = static_cast<size_t>(n - 1);
        const std::wstring& shown = index < profiles.size() ? profiles[index] : empty;
        setText(Numbered(L"profile", n), shown);
        if (HUDButtonOver* slot = findOverButton(Numbered(L"p", n))) {
            slot->label = shown;
            slot->font = slotFont;
        }
    }
    PlayerProgress* progress = Progress();
    const std::wstring current = progress ? progress->profileName : std::wstring();
    for (int n = 1; n <= kSlots; ++n)
        if (HUDButtonOver* slot = findOverButton(Numbered(L"p", n)))
            slot->visible = slot->label == current;
    if (HUDButtonOver* confirm = findOverButton(L"confirm"))
        confirm->visible = !profiles.empty();
}

void HUDProfiles::onMousePressed(int x, int y)
{
    ButtonOverWindow::onMousePressed(x, y);
    const std::vector<std::wstring> profiles = listedProfiles();
    PlayerProgress* progress = Progress();
    if (!progress)
        return;
    // The anchors in name order stand for the slots from the third one on.
    int position = 0;
    const float fx = static_cast<float>(x);
    const float fy = static_cast<float>(y);
    for (const auto& [name, anchor] : textAnchors) {
        const int entry = position++ - 2;
        if (entry < 0 || entry >= static_cast<int>(profiles.size()))
            continue;
        if (fx > anchor->mX && fx < anchor->mX + anchor->mWidth && fy > anchor->mY &&
            fy < anchor->mY + anchor->mHeight) {
            progress->selectProfile(profiles[static_cast<size_t>(entry)]);
            refresh();
        }
    }
}

std::wstring HUDProfiles::click(int x, int y)
{
    const std::wstring name = ButtonOverWindow::click(x, y);
    PlayerProgress* progress = Progress();
    if (name == L"delete" && progress && !progress->profileName.empty()) {
        if (GameWindow* root = Game::sInstance ? Game::sInstance->mGameWindow : nullptr) {
            delete root->mModal;
            root->mModal = new HUDConfirmProfileDeletionDialog;
        }
    }
    return name;
}
