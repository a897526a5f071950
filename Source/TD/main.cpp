#include "Core/App/Win32/WinMain.h"
#include "Source/TD/Shell/Game.h"

// The engine makes the application singleton through this on first use.
app::Application* CreateApplicationInstance()
{
    return new Game;
}

int main(int argc, char** argv)
{
    return app::RunWinMain(argc, argv);
}
