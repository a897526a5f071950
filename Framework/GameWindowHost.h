#pragma once
// The application's side of the game window: what the window's Tick and activation
// hooks drive. framework::GameApplication implements it and registers itself as the
// process-wide host when it is constructed.
#include "Core/Base/Types.h"

namespace framework {

class GameWindowHost {
public:
    virtual ~GameWindowHost() = default;
    // The application's per-frame Tick.
    virtual GEResultEnum RunFrame(float dt) = 0;
    // The application's SwitchScreenMode (after Alt+Enter).
    virtual GEResultEnum RunSwitchScreenMode() = 0;
    virtual void WindowActivated() = 0;
    virtual void WindowDeactivated() = 0;
    // The window must show its picture again, changed or not.
    virtual void WindowNeedsRepaint() {}
};

// The process-wide host; null until the application registers (and after it leaves).
void SetGameWindowHost(GameWindowHost* host);
GameWindowHost* GetGameWindowHost();

} // namespace framework
