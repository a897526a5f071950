#include "Core/App/Win32/WinMain.h"
#include "Platform/Win32/Windows.h"
#include "Source/TD/GameIcon.h"
#include "Source/TD/Shell/Game.h"

// The engine makes the application singleton through this on first use.
app::Application* CreateApplicationInstance()
{
    return new Game;
}

int main(int argc, char** argv)
{
    // What a Windows build links in from its resource script: the window class's icon.
    Win32_AddIconResource(109, kGameIconSize, kGameIconSize, kGameIconPixels);
    // The desktop entry finds the window by this name (its StartupWMClass).
    Win32_SetDesktopClass(GE_DESKTOP_CLASS);
    return app::RunWinMain(argc, argv);
}
