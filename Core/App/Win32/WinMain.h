#pragma once
// The process entry of the engine. The program's main() hands its arguments over
// with RunWinMain, which runs WinMain's steps and returns the process exit code.
#include "Platform/Win32/Windows.h"

int WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

namespace app {

// Gives the platform layer the process's arguments, then runs WinMain.
int RunWinMain(int argc, char** argv);

} // namespace app
