#include "Source/TD/Screens/HUDOfferWindow.h"

#include "Core/Base/Log.h"
#include "Core/File/ImageContainer.h"
#include "Core/Render/Graphics.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/TDButtonFrame.h"
#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/World/TDMap.h"

#include <cstdio>

namespace {

// The offers-wall button of both shops.
bool OffersWall()
{
    const bool active = FeatureConfig::instance()->activeFeatures().tapjoy;
    return active;
}

} // namespace

HUDOfferWindow::HUDOfferWindow(const wchar_t* path, const wchar_t* user, HUDOfferPlate::Kind kind,
                               const wchar_t* captionKey)
{
    document = OpenScreenDocument(path, user);
    if (document)
        build(document.get());
    const TDMap* map = CurrentLevel();
    const std::wstring language = map ? map->mLanguageCode : std::wstring(L"en");
    const int count = kind == HUDOfferPlate::Gem ? HUDOfferPlate::kGemPlates : HUDOfferPlate::kBoostPlates;
    for (int i = 0; i < count; ++i) {
        plates.push_back(new HUDOfferPlate(kind, document.get(), i, language));
        wchar_t name[16];
        std::swprintf(name, 16, L"b_%02d_in", i + 1);
        if (TDButtonFrame* button = findButton(name))
            button->mVisible = false;
    }
    font = GameFont(L"td/data/fonts/main_42_3");
    setText(L"caption", LocalStrings::Instance()->get(captionKey));
    refresh();
    if (TDButtonFrame* wall = findButton(L"offers_wall"))
        wall->mVisible = OffersWall();
    if (!findButton(L"back_in"))
        GE_LOG(L"%s: the screen document '%s' has no back button; a click outside the offers leaves.\n")
            << user << path;
}

bool HUDOfferWindow::leaves(const std::wstring& clicked) const
{
    return clicked == L"back_in" || !findButton(L"back_in");
}

HUDOfferWindow::~HUDOfferWindow()
{
    for (HUDOfferPlate* plate : plates)
        delete plate;
    plates.clear();
}

HUD* HUDOfferWindow::LeaveStack()
{
    TDMap* map = CurrentLevel();
    HUD* hud = map ? map->mHud : nullptr;
    if (hud)
        hud->popWindow();
    return hud;
}

void HUDOfferWindow::refresh()
{
    setText(L"caption_gems", HUDOfferPlate::BalanceText());
}

void HUDOfferWindow::update(float dt)
{
    HUDWindow::update(dt);
    refresh();
    for (HUDOfferPlate* plate : plates)
        plate->ease(dt);
}

void HUDOfferWindow::onMouseMove(int x, int y)
{
    HUDWindow::onMouseMove(x, y);
    for (HUDOfferPlate* plate : plates)
        plate->hovered = plate->activeAt(static_cast<float>(x), static_cast<float>(y));
}

void HUDOfferWindow::draw(render::Graphics* graphics)
{
    HUDWindow::draw(graphics);
    // The offer texts are in the window's font, in white unless a plate says otherwise.
    if (font)
        graphics->SetFont(font);
    graphics->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    for (const HUDOfferPlate* plate : plates)
        plate->draw(graphics);
}
