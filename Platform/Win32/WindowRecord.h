#pragma once
// The record behind an HWND (private to Platform/).
#include "Platform/Win32/WinTypes.h"

struct SDL_Window;

struct HWND__ {
    SDL_Window* sdl = nullptr;
    bool adopted = false; // wraps a window the layer did not create
};
