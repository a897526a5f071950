#pragma once
// The bridge between the Win32 stand-in's window handles and SDL, for the other
// platform stand-ins (the Direct3D 9 device renders into the handle's SDL window).
// Engine code never includes this header.
#include "Platform/Win32/WinTypes.h"

struct SDL_Window;

// The SDL window behind a handle; null for a null or unknown handle.
SDL_Window* Win32_SdlWindow(HWND hwnd);
// Wraps an SDL window created elsewhere (tests, benchmarks) in a handle; the caller
// destroys the SDL window after Win32_ReleaseAdopted.
HWND Win32_AdoptSdlWindow(SDL_Window* window);
void Win32_ReleaseAdopted(HWND hwnd);
// A device that renders into a handle's SDL window retains it while it lives: a
// window destroyed meanwhile only hides, and its SDL window goes with the last release.
void Win32_RetainSdlWindow(SDL_Window* window);
void Win32_ReleaseSdlWindow(SDL_Window* window);
