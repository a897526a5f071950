#include "Source/TD/Shell/GameWindow.h"

#include "Core/Render/DX9/RenderDX9.h"
#include "Core/Render/ParticleSystem.h"
#include "Core/Resource/ResourceManager.h"
#include "Framework/GameApplication.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/HUDWindow.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"

const wchar_t* const GameWindow::kFontPaths[GameWindow::kFontCount] = {
    L"td/data/fonts/main_32_1", L"td/data/fonts/main_32_2", L"td/data/fonts/main_42_2", L"td/data/fonts/main_80",
    L"td/data/fonts/main_42_3",
};

namespace {

int Truncated(float value)
{
    return static_cast<int>(value);
}

} // namespace

GameWindow::GameWindow() = default;

GameWindow::~GameWindow()
{
    delete mMap;
    mMap = nullptr;
    delete mModal;
    delete mModal2;
    mModal = mModal2 = nullptr;
    for (auto& font : mFonts)
        font = resource::ResourceHandle<render::BMFont>();
    // A closing window deletes the board while the game goes on (its focus lost among
    // the last messages): the game must not reach the level through a freed board.
    if (Game::sInstance && Game::sInstance->mGameWindow == this)
        Game::sInstance->mGameWindow = nullptr;
}

GEResultEnum GameWindow::Init()
{
    render::ParticleSystem* particles = render::ParticleSystem::Instance();
    particles->folder = "td/fx/";
    framework::GameApplication* application = framework::GetGameApplication();
    render::Render* renderer = application ? application->render.get() : nullptr;
    particles->LoadFile("fx2.ptc", renderer);

    // A font loads its page images through the renderer it is given.
    for (int i = 0; i < kFontCount; ++i) {
        mFonts[i] = resource::ResourceManager::Get<render::BMFont>(kFontPaths[i]);
        if (mFonts[i].Get()) {
            mFonts[i]->renderer = renderer;
            mFonts[i]->Load();
        }
    }

    mMap = new TDMap;

    // The wallet starts with the profile's gems, and the profile keeps the balance.
    TDPlayerStats* stats = mMap->mStats;
    const int gems = mMap->mProgress->getGems();
    stats->mGems += gems;
    stats->mGemsGained += gems;
    mMap->mHud->setCrystalsText();
    mMap->mProgress->setGems(stats->mGems);

    mMap->mHud->showSplashScreens();
    mModal = nullptr;
    mModal2 = nullptr;
    return GE_OK;
}

GEResultEnum GameWindow::OnUpdate(float dt)
{
    for (HUDWindow** slot : {&mModal, &mModal2}) {
        if (!*slot)
            continue;
        if (!(*slot)->alive) {
            delete *slot;
            *slot = nullptr;
        } else {
            (*slot)->update(dt);
        }
    }
    if (mMap)
        mMap->update(dt);
    return GE_OK;
}

GEResultEnum GameWindow::OnDrawBegin(render::Graphics* graphics, layer::Layer*)
{
    if (mMap)
        mMap->draw(graphics);
    return GE_OK;
}

GEResultEnum GameWindow::OnDrawEnd(render::Graphics* graphics, layer::Layer*)
{
    if (mModal)
        mModal->draw(graphics);
    if (mModal2)
        mModal2->draw(graphics);
    return GE_OK;
}

GEResultEnum GameWindow::OnKeyDown(int key)
{
    if (mMap)
        for (HUDWindow* window : mMap->mHud->windows)
            window->onKeyDown(key);
    return GE_OK;
}

GEResultEnum GameWindow::OnChar(wchar_t character)
{
    if (mMap)
        for (HUDWindow* window : mMap->mHud->windows)
            window->onChar(character);
    return GE_OK;
}

GEResultEnum GameWindow::OnWidgetMouseDown(const math::Point3& point, const layer::OnMouseDown& event)
{
    if (event.button != 1)
        return GE_OK;
    const int x = Truncated(point.x);
    const int y = Truncated(point.y);
    if (mModal) {
        mModal->onMousePressed(x, y);
        mModal->onMouseMove(x, y);
    } else if (mMap) {
        mMap->onMousePressed(static_cast<float>(x), static_cast<float>(y));
    }
    return GE_OK;
}

GEResultEnum GameWindow::OnWidgetMouseUp(const math::Point3& point, const layer::OnMouseUp&)
{
    const int x = Truncated(point.x);
    const int y = Truncated(point.y);
    if (mModal)
        mModal->onMouseReleased(x, y);
    else if (mMap)
        mMap->onCommand(static_cast<float>(x), static_cast<float>(y));
    return GE_OK;
}

GEResultEnum GameWindow::OnWidgetMouseMove(const math::Point3& point)
{
    mPointerX = Truncated(point.x);
    mPointerY = Truncated(point.y);
    if (mModal)
        mModal->onMouseMove(mPointerX, mPointerY);
    else if (mMap)
        mMap->onMouseMove(static_cast<float>(mPointerX), static_cast<float>(mPointerY));
    return GE_OK;
}

GEResultEnum GameWindow::OnWidgetMouseDrag(const math::Point3& point)
{
    const int x = Truncated(point.x);
    const int y = Truncated(point.y);
    if (mMap)
        mMap->onMouseMove(static_cast<float>(x), static_cast<float>(y));
    if (mModal)
        mModal->onMouseMove(x, y);
    return GE_OK;
}

GEResultEnum GameWindow::OnWidgetMouseWheel(const math::Point3&, const layer::OnMouseWheel& event)
{
    if (mMap)
        mMap->mHud->onWheel(static_cast<i16>(event.delta));
    return GE_OK;
}
