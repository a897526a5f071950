#include "Framework/GameWindow.h"
#include "Framework/GameWindowHost.h"

namespace framework {

namespace {
GameWindowHost* gHost = nullptr;
}

void SetGameWindowHost(GameWindowHost* host)
{
    gHost = host;
}

GameWindowHost* GetGameWindowHost()
{
    return gHost;
}

GameWindow::GameWindow(input::InputWin32* input) : app::WindowWin32(input) {}

GEResultEnum GameWindow::Tick(float dt)
{
    if (GEResultEnum result = app::WindowWin32::Tick(dt))
        return result;
    // A pass either switches the screen mode or runs the frame, never both.
    if (switchModeRequested) {
        switchModeRequested = 0;
        return gHost ? gHost->RunSwitchScreenMode() : GE_OK;
    }
    return gHost ? gHost->RunFrame(dt) : GE_OK;
}

void GameWindow::OnActivate()
{
    if (gHost)
        gHost->WindowActivated();
}

void GameWindow::OnDeactivate()
{
    if (gHost)
        gHost->WindowDeactivated();
}

void GameWindow::OnPaint()
{
    if (gHost)
        gHost->WindowNeedsRepaint();
}

i32 GameWindow::GetWidth()
{
    return windowSize.width;
}

i32 GameWindow::GetHeight()
{
    return windowSize.height;
}

HWND GameWindow::GetHandle() const
{
    return hwnd;
}

} // namespace framework
