#pragma once
// The Win32 subset the engine calls, provided over SDL2 and POSIX. Each area has
// its own header; this one gathers them as <windows.h> would.
#include "Platform/Win32/WinTypes.h"
#include "Platform/Win32/WinProcess.h"
#include "Platform/Win32/WinFile.h"
#include "Platform/Win32/WinString.h"
#include "Platform/Win32/WinWindow.h"
