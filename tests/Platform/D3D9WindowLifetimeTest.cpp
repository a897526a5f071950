// A device and its objects may outlive the window they render into: the window
// closes for the user at once, its surface stays until the device goes.
#include "Platform/D3D9/D3D9.h"
#include "Platform/Win32/WinSdl.h"
#include "Platform/Win32/Windows.h"
#include <SDL.h>
#include <gtest/gtest.h>

namespace {

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST(D3D9WindowLifetime, ObjectsReleasedAfterTheWindowIsDestroyedStaySafe)
{
    WNDCLASSEXW c{};
    c.cbSize = sizeof(c);
    c.lpfnWndProc = &PlainProc;
    c.lpszClassName = L"LifetimeClass";
    RegisterClassExW(&c);
    HWND hwnd = CreateWindowExW(0, L"LifetimeClass", L"lifetime", WS_POPUP, 0, 0, 32, 32, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    SDL_Window* sdl = Win32_SdlWindow(hwnd);
    const Uint32 id = SDL_GetWindowID(sdl);

    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    D3DPRESENT_PARAMETERS p{};
    p.BackBufferWidth = 32;
    p.BackBufferHeight = 32;
    p.BackBufferFormat = D3DFMT_A8R8G8B8;
    p.BackBufferCount = 1;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = hwnd;
    p.Windowed = TRUE;
    IDirect3DDevice9* device = nullptr;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, hwnd, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device),
              D3D_OK);
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);

    ASSERT_TRUE(DestroyWindow(hwnd));
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    EXPECT_EQ(SDL_GetWindowFromID(id), sdl); // hidden, its surface kept for the device

    // The device still clears and presents, and its objects release cleanly.
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00u, 1.0f, 0), D3D_OK);
    device->Release(); // the texture still holds the device
    EXPECT_EQ(SDL_GetWindowFromID(id), sdl);
    texture->Release();
    EXPECT_EQ(SDL_GetWindowFromID(id), nullptr);
    d3d->Release();
}

} // namespace
