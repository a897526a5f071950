// Drawing the level and the pointer's way into it. The world's own drawing and the
// command table of the screens grow with the towers, units and screens.
#include "Source/TD/World/TDMap.h"

#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Tutorial/TDTutorial.h"

void TDMap::draw(render::Graphics* graphics)
{
    mHud->draw(graphics);
    mHud->drawLayer(graphics, 0);
    mHud->drawLayer(graphics, 1);
}

void TDMap::onMouseMove(float x, float y)
{
    mHud->onMouseMove(static_cast<int>(x), static_cast<int>(y));
}

void TDMap::onCommand(float x, float y)
{
    const int ix = static_cast<int>(x);
    const int iy = static_cast<int>(y);
    mHud->click(ix, iy);
    mHud->onMouseReleased(ix, iy);
    mHud->onMouseMove(-1, -1);
}

void TDMap::updateSpeedButtons()
{
    mHud->setButtonVisible(L"play_btn", mSpeed == 0.0f);
    mHud->setButtonVisible(L"pause_btn", mSpeed != 0.0f);
    mHud->setButtonVisible(L"speed_btn", mSpeed != 2.0f);
}
