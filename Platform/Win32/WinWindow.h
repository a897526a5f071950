#pragma once
// Windows, messages, timers, the cursor and monitors of the Win32 subset, over SDL2.
// Every window is an SDL window with an OpenGL surface; its messages wait in one
// queue of the process, filled from SDL's events each time the queue is looked at.
#include "Platform/Win32/WinKeyboard.h"
#include "Platform/Win32/WinTypes.h"

#ifndef CALLBACK
#define CALLBACK
#endif

struct HACCEL__;
using HACCEL = HACCEL__*;

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);
using MONITORENUMPROC = BOOL (*)(HMONITOR, HDC, RECT*, LPARAM);

#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(static_cast<WORD>(i))))
#define MAKEINTRESOURCEW(i) (reinterpret_cast<LPCWSTR>(static_cast<std::uintptr_t>(static_cast<WORD>(i))))
#define IDC_ARROW MAKEINTRESOURCEA(32512)

constexpr WORD LOWORD(std::uintptr_t v)
{
    return static_cast<WORD>(v & 0xFFFF);
}
constexpr WORD HIWORD(std::uintptr_t v)
{
    return static_cast<WORD>((v >> 16) & 0xFFFF);
}
constexpr int GET_X_LPARAM(LPARAM v)
{
    return static_cast<std::int16_t>(LOWORD(static_cast<std::uintptr_t>(v)));
}
constexpr int GET_Y_LPARAM(LPARAM v)
{
    return static_cast<std::int16_t>(HIWORD(static_cast<std::uintptr_t>(v)));
}
constexpr std::int16_t GET_WHEEL_DELTA_WPARAM(WPARAM v)
{
    return static_cast<std::int16_t>(HIWORD(v));
}
constexpr LPARAM MAKELPARAM(int low, int high)
{
    return static_cast<LPARAM>(static_cast<LONG>((static_cast<DWORD>(static_cast<WORD>(low))) |
                                                 (static_cast<DWORD>(static_cast<WORD>(high)) << 16)));
}

// Messages.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUERYOPEN = 0x0013;
constexpr UINT WM_SYSCOLORCHANGE = 0x0015;
constexpr UINT WM_ENDSESSION = 0x0016;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_DISPLAYCHANGE = 0x007E;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCHAR = 0x0106;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
constexpr UINT WM_MOUSEWHEEL = 0x020A;

constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;
constexpr int WHEEL_DELTA = 120;

// Window and class styles.
constexpr DWORD WS_POPUP = 0x80000000u;
constexpr DWORD WS_MINIMIZE = 0x20000000u;
constexpr DWORD WS_VISIBLE = 0x10000000u;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000u;
constexpr DWORD WS_CAPTION = 0x00C00000u;
constexpr DWORD WS_SYSMENU = 0x00080000u;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000u;
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;
constexpr UINT CS_BYTEALIGNCLIENT = 0x1000;
constexpr UINT CS_BYTEALIGNWINDOW = 0x2000;

// ShowWindow commands and placement show states.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_RESTORE = 9;

// SetWindowPos.
#define HWND_TOP (reinterpret_cast<HWND>(static_cast<std::intptr_t>(0)))
#define HWND_NOTOPMOST (reinterpret_cast<HWND>(static_cast<std::intptr_t>(-2)))
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_FRAMECHANGED = 0x0020;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;

constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWL_USERDATA = -21;

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

constexpr DWORD MONITORINFOF_PRIMARY = 0x00000001;

// Wake masks of MsgWaitForMultipleObjects.
constexpr DWORD QS_KEY = 0x0001;
constexpr DWORD QS_MOUSEMOVE = 0x0002;
constexpr DWORD QS_MOUSEBUTTON = 0x0004;
constexpr DWORD QS_POSTMESSAGE = 0x0008;
constexpr DWORD QS_TIMER = 0x0010;
constexpr DWORD QS_PAINT = 0x0020;
constexpr DWORD QS_INPUT = QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON;
constexpr DWORD QS_ALLINPUT = QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT;

// GetDeviceCaps: the vertical refresh rate in hertz (0 or 1: the display's default).
constexpr int VREFRESH = 116;

struct WNDCLASSEXW {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCWSTR lpszMenuName;
    LPCWSTR lpszClassName;
    HICON hIconSm;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};

struct WINDOWPLACEMENT {
    UINT length;
    UINT flags;
    UINT showCmd;
    POINT ptMinPosition;
    POINT ptMaxPosition;
    RECT rcNormalPosition;
};

// 40 bytes, as the engine passes it.
struct MONITORINFO {
    DWORD cbSize;
    RECT rcMonitor;
    RECT rcWork;
    DWORD dwFlags;
};

ATOM RegisterClassExW(const WNDCLASSEXW* windowClass);
BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance);
// Sends WM_CREATE to the window procedure before it returns. Every window holds the
// single-instance claim for its class and caption (see FindWindowW).
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
// Sends WM_DESTROY to the window procedure, then closes the SDL window; queued
// messages and timers of the window go with it.
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg);
// Posts WM_CHAR (WM_SYSCHAR) ahead of the queue for a key-down that produced a character.
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageW(const MSG* msg);
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
// With no handles (the only use here): returns WAIT_OBJECT_0 as soon as a message of
// `wakeMask` is waiting (at once when one already is), WAIT_TIMEOUT after
// `milliseconds`. Timers wake it only when the mask holds QS_TIMER.
DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds,
                                DWORD wakeMask);
BOOL KillTimer(HWND hwnd, UINT_PTR id);

// The value is pointer-sized here, so GWL_USERDATA can hold an object pointer.
LONG_PTR GetWindowLongW(HWND hwnd, int index);
LONG_PTR SetWindowLongW(HWND hwnd, int index, LONG_PTR value);

// For a window of another process (found by FindWindowW), SW_RESTORE and SW_SHOW ask
// that process to restore and raise its window.
BOOL ShowWindow(HWND hwnd, int command);
BOOL UpdateWindow(HWND hwnd);
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags);
BOOL SetForegroundWindow(HWND hwnd);
BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* placement);
BOOL GetClientRect(HWND hwnd, RECT* rect);
// No frame is drawn around the client area by this layer, so the rectangle stays.
BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL menu);
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint);
// The window's device context answers VREFRESH only: the refresh rate of the display
// that holds the window.
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);
int GetDeviceCaps(HDC hdc, int index);

// A window of this or another running process with the class and caption, or null.
HWND FindWindowW(LPCWSTR className, LPCWSTR windowName);

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
HACCEL LoadAcceleratorsA(HINSTANCE instance, LPCSTR name);
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
BOOL GetCursorPos(POINT* point);
BOOL ClientToScreen(HWND hwnd, POINT* point);
BOOL ScreenToClient(HWND hwnd, POINT* point);
HWND WindowFromPoint(POINT point);
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();

// One monitor per SDL display; display 0 is the primary one. Without a display (and
// SDL_VIDEODRIVER naming no headless driver) the enumeration fails.
BOOL EnumDisplayMonitors(HDC hdc, const RECT* clip, MONITORENUMPROC callback, LPARAM data);
BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info);

// When the connection to the display is lost (the X server ends), `handler` runs once
// (it may log and close files) and the process then ends at once with status 1: no
// exit-time destructor runs, since they would talk to the display that is gone.
void Win32_SetDisplayLostHandler(void (*handler)());

// The program's icon resources, as a resource script links them into a Windows
// executable: `LoadIconA(instance, MAKEINTRESOURCEA(id))` then returns the icon, and a
// window of a class registered with it shows it. `rgba` holds width x height pixels,
// four bytes each, rows from the top; it is copied.
void Win32_AddIconResource(int id, int width, int height, const unsigned char* rgba);

// The name the desktop knows the program's windows by (the X11 class, the Wayland
// application id): the desktop entry's StartupWMClass. Set before the first window;
// SDL_VIDEO_X11_WMCLASS or SDL_VIDEO_WAYLAND_WMCLASS in the environment win.
void Win32_SetDesktopClass(const char* name);
