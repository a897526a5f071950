#include "Source/TD/Screens/HUDModalInput.h"
#include "Core/Base/Log.h"
#include "Core/Render/Graphics.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/TextFit.h"
#include "Source/TD/Screens/HUDMainMenu.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/Shell/Profiles.h"
#include "Source/TD/World/TDMap.h"

#include <algorithm>

HUDModalInput::HUDModalInput()
{
    drawLayer = 1;
    HUDMainMenu::loadDocument(this, L"td/data/mm", L"Name entry");
    if (overButtons.size() < 2)
        GE_LOG(L"Name entry: 'td/data/mm' has %d of its two buttons; the missing ones are left out.\n")
            << static_cast<int>(overButtons.size());
    profileNames = file::Profiles::Instance()->getProfileNames();
    TDMap* map = CurrentLevel();
    const int screen = map ? map->mScreen : -1;
    if (screen == 14)
        text = LocalStrings::Instance()->get(L"default_player") + std::to_wstring(profileNames.size());
    else if (screen == 15 && map->mProgress)
        text = map->mProgress->profileName;
    for (TDFrameEntry* image : images)
        if (image->mName == L"input")
            inputFrame = image;
    if (text.size() > kMaxLength)
        text.resize(kMaxLength);
    setText(L"caption", LocalStrings::Instance()->get(L"profile_edit_caption"));
    textChanged();
}

HUDButtonOver* HUDModalInput::okButton() const
{
    return buttonAt(1);
}

bool HUDModalInput::isAccepted(int ch)
{
    return (ch >= 0x30 && ch <= 0x39) || (ch >= 0x41 && ch <= 0x5A) || (ch >= 0x61 && ch <= 0x7A) ||
           (ch >= 0x410 && ch <= 0x44F);
}

bool HUDModalInput::isNameValid() const
{
    if (text.empty())
        return false;
    return std::find(profileNames.begin(), profileNames.end(), text) == profileNames.end();
}

void HUDModalInput::textChanged()
{
    if (TDMap* map = CurrentLevel())
        map->mPendingProfileName = text;
    if (HUDButtonOver* ok = okButton())
        ok->visible = isNameValid();
}

void HUDModalInput::onChar(int ch)
{
    if (text.size() >= kMaxLength)
        return;
    const FontHandle glyphs = GameFont(L"td/data/fonts/main_32_2");
    if (ch == 0x20 || (glyphs && !glyphs->HasGlyph(static_cast<wchar_t>(ch))))
        return;
    if (isAccepted(ch))
        text.push_back(static_cast<wchar_t>(ch));
    textChanged();
}

void HUDModalInput::onKeyDown(int key)
{
    if (key != kBackspace)
        return;
    if (!text.empty())
        text.pop_back();
    textChanged();
}

void HUDModalInput::draw(render::Graphics* graphics)
{
    ButtonOverWindow::draw(graphics);
    if (!inputFrame)
        return;
    if (const FontHandle typing = GameFont(L"td/data/fonts/main_42_3"))
        graphics->SetFont(typing);
    graphics->SetColor(0.15f, 0.1f, 0.05f, 1.0f);
    const std::wstring shown = fieldText();
    auto draw = graphics->DrawText(shown);
    draw.SetAlign(0, 2);
    MakeTransformedImageDraw(std::move(draw), ScaledAt(fieldScale(), inputFrame->mX + kFieldInset,
                                                       inputFrame->mY + inputFrame->mHeight * 0.5f));
    graphics->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
}

float HUDModalInput::fieldScale() const
{
    if (!inputFrame)
        return 1.0f;
    const FontHandle typing = GameFont(L"td/data/fonts/main_42_3");
    return OneLineScale(typing.Get(), fieldText(), inputFrame->mWidth - 2.0f * kFieldInset, inputFrame->mHeight);
}

std::wstring HUDModalInput::click(int x, int y)
{
    const std::wstring name = ButtonOverWindow::click(x, y);
    TDMap* map = CurrentLevel();
    if (!map || !map->mHud)
        return name;
    HUD* hud = map->mHud;
    // The entry leaves the stack here; the HUD deletes it at its next update, after
    // this click has returned.
    if (name == L"cancel" && map->mScreen != 14) {
        map->mPendingProfileName.clear();
        hud->popWindow();
        map->mScreen = 13;
    } else if (name == L"ok") {
        if (map->mScreen == 14 && map->mProgress) {
            map->mProgress->selectProfile(map->mPendingProfileName);
            map->mProgress->ensureSections();
        } else if (map->mScreen == 15 && map->mProgress) {
            map->mProgress->renameProfile(map->mPendingProfileName);
        }
        hud->popWindow();
        map->mPendingProfileName.clear();
        if (map->mReturnName == L"mmenu") {
            hud->popWindow();
            hud->showEpisodeSelect();
        } else if (map->mReturnName == L"shop") {
            hud->popWindow();
            hud->showShop(0);
            ShopReturnName = L"mmenu";
        } else {
            map->mScreen = 13;
        }
        if (HUDWindow* top = hud->topWindow())
            top->refresh();
    }
    return name;
}
