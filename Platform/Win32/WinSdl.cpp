#include "Platform/Win32/WinSdl.h"
#include "Platform/Win32/WindowRecord.h"

SDL_Window* Win32_SdlWindow(HWND hwnd)
{
    return win32::IsKnownWindow(hwnd) ? hwnd->sdl : nullptr;
}

HWND Win32_AdoptSdlWindow(SDL_Window* window)
{
    if (!window)
        return nullptr;
    auto* record = new HWND__;
    record->sdl = window;
    record->adopted = true;
    win32::RegisterAdopted(record);
    return record;
}

void Win32_ReleaseAdopted(HWND hwnd)
{
    if (hwnd && win32::IsKnownWindow(hwnd) && hwnd->adopted) {
        win32::ForgetAdopted(hwnd);
        delete hwnd;
    }
}
