#include "Platform/Win32/WinSdl.h"
#include "Platform/Win32/WindowRecord.h"

SDL_Window* Win32_SdlWindow(HWND hwnd)
{
    return hwnd ? hwnd->sdl : nullptr;
}

HWND Win32_AdoptSdlWindow(SDL_Window* window)
{
    if (!window)
        return nullptr;
    auto* record = new HWND__;
    record->sdl = window;
    record->adopted = true;
    return record;
}

void Win32_ReleaseAdopted(HWND hwnd)
{
    if (hwnd && hwnd->adopted)
        delete hwnd;
}
