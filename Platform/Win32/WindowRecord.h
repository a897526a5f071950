#pragma once
// The record behind an HWND and the layer's shared internals (private to Platform/).
#include "Platform/Win32/WinWindow.h"
#include <chrono>
#include <memory>
#include <string>
#include <vector>

struct SDL_Window;

namespace win32 {

using Clock = std::chrono::steady_clock;

struct Timer {
    UINT_PTR id = 0;
    Clock::duration interval{};
    Clock::time_point due{};
};

class InstanceWatch;

// The single-instance claim of a window: a lock file held while the window lives and
// a datagram socket on which other processes ask it to come forward. The watch tells
// the event pump when a request has arrived, so that the pump makes no system call on
// the socket otherwise.
struct InstanceClaim {
    int lockFd = -1;
    int socketFd = -1;
    std::string lockPath;
    std::string socketPath;
    std::shared_ptr<InstanceWatch> watch;
};

// ToUnicode's answer for a queued key-down: a character, none, or still to be found.
constexpr long kCharFromLayout = -1;   // posted without one: translate through the layout
constexpr long kCharAwaitingText = -2; // from SDL: its text event may still follow
constexpr long kCharNone = 0;

} // namespace win32

struct HWND__ {
    SDL_Window* sdl = nullptr;
    bool adopted = false; // wraps a window the layer did not create
    bool live = false;    // created by CreateWindowExW and not yet destroyed
    bool remote = false;  // a window of another process, found by FindWindowW
    bool destroying = false;

    std::wstring className;
    std::wstring caption;
    WNDPROC proc = nullptr;
    UINT classStyle = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    LONG_PTR userData = 0;

    // Client area in screen coordinates; the layer draws no frame.
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool visible = false;
    bool minimized = false;
    bool fullScreen = false;
    bool needsPaint = false;
    bool active = false;

    std::vector<win32::Timer> timers;
    win32::InstanceClaim claim;
};

namespace win32 {

// Key and button state, kept by WinKeyboard.cpp.
void ApplyInputMessage(const MSG& msg, long character);
// The virtual key of an SDL key event (0 for keys the layer does not know), and the
// scan code and extended flag Windows gives that key.
UINT VirtualKeyFromSdl(int scancode, int keycode, bool numLock, UINT* scanCode, bool* extended);
bool IsKeyDown(UINT vk);
// ToUnicode's character for the control keys alone (Enter, Backspace, Tab, Escape, Ctrl+letter).
long ControlCharacter(UINT vk, const BYTE* keyState);

// Handles of SDL windows created elsewhere (WinSdl.cpp), kept by WinWindow.cpp.
void RegisterAdopted(HWND hwnd);
void ForgetAdopted(HWND hwnd);
// A live window of the layer or an adopted one.
bool IsKnownWindow(HWND hwnd);

// Single-instance claims, kept by WinInstance.cpp.
bool ClaimInstance(const std::wstring& className, const std::wstring& caption, InstanceClaim& claim);
void ReleaseInstance(InstanceClaim& claim);
// True when another process holds the claim; `socketPath` is where it listens.
bool FindClaimedInstance(const std::wstring& className, const std::wstring& caption, std::string& socketPath);
bool SendInstanceRequest(const std::string& socketPath, const char* request);
// Requests received by the claim since the last call ("restore").
std::vector<std::string> ReceiveInstanceRequests(InstanceClaim& claim);

} // namespace win32
