#include "Source/TD/Screens/TMessageBox.h"
#include "Source/TD/Audio/SoundTags.h"
#include "Source/TD/Screens/SorvanButton.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/World/TDMap.h"

TMessageBox::TMessageBox(const std::wstring& textKey, const std::wstring& command)
    : textKey(textKey), command(command)
{
}

GEResultEnum TMessageBox::MakeButton(SorvanButton** out, float x, const std::wstring& labelAnchor,
                                     const std::wstring& labelKey)
{
    if (GEResultEnum result = AddSkinButton(out, L"button/b1_normal", L"button/b1_over", L"button/b1_ok/label", this))
        return result;
    (*out)->gui::GameControl::SetPosition(x, 500.0f, 0.0f);
    layer::TextLayer* label = nullptr;
    if (GEResultEnum result = AddText(labelAnchor, labelKey, SkinFont(L"td/data/fonts/main_42_2"), &label))
        return result;
    label->SetPosition(x, 490.0f, 0.0f);
    label->SnapToPixels();
    return GE_OK;
}

GEResultEnum TMessageBox::Init()
{
    if (GEResultEnum result = OpenSkin(L"td/data/mm"))
        return result;
    if (GEResultEnum result = AddNamedLayer(L"back", 0))
        return result;
    if (GEResultEnum result = AddText(L"text/message", textKey, SkinFont(L"td/data/fonts/main_42_3")))
        return result;
    if (command.empty())
        return MakeButton(&firstButton, 512.0f, L"button/b1_ok/label", L"b1_ok");
    if (GEResultEnum result = MakeButton(&secondButton, 400.0f, L"button/b1_ok/label", L"b1_ok"))
        return result;
    return MakeButton(&firstButton, 620.0f, L"button/b1_cancel/label", L"b1_cancel");
}

GEResultEnum TMessageBox::OnButtonClick(widget::Button* button)
{
    k2::SoundTags::Instance()->play(L"simple");
    if (firstButton && button == static_cast<widget::Button*>(firstButton)) {
        Hide(true);
    } else if (secondButton && button == static_cast<widget::Button*>(secondButton)) {
        Hide(true);
        if (runCommand) {
            runCommand(command);
        } else {
            Game* game = Game::sInstance;
            if (game && game->mGameWindow && game->mGameWindow->mMap)
                game->mGameWindow->mMap->onMenuCommand(command);
        }
    }
    return GE_OK;
}
