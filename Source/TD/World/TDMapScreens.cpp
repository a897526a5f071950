// Drawing the level and the pointer's way into it. The world's own drawing and the
// command table of the screens grow with the towers, units and screens.
#include "Source/TD/World/TDMap.h"

#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Tutorial/TDTutorial.h"

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
