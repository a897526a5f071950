#include "Core/App/Win32/WindowWin32.h"
#include "Core/App/Application.h"
#include "Core/Base/CriticalSection.h"
#include "Core/Base/Log.h"
#include "Core/Input/Win32/InputWin32.h"

namespace app {

namespace {

// The window whose CreateWindowExW is running: its procedure has no user data yet.
WindowWin32* gCreatingWindow = nullptr;

input::point MessagePoint(LPARAM lParam)
{
    return input::point{static_cast<float>(GET_X_LPARAM(lParam)), static_cast<float>(GET_Y_LPARAM(lParam))};
}

} // namespace

WindowWin32::WindowWin32(input::InputWin32* input) : base::Task(false, false, true, true), input(input)
{
    className = L"ApplicationWindow";
}

WindowWin32::~WindowWin32()
{
    if (hwnd && !destroyIssued) {
        destroyIssued = 1;
        DestroyWindow(hwnd);
    }
}

GEResultEnum WindowWin32::OnStart()
{
    return GE_OK;
}

bool WindowWin32::CanClose()
{
    return true;
}

void WindowWin32::OnActivate() {}

void WindowWin32::OnDeactivate() {}

void WindowWin32::OnCreated() {}

GEResultEnum WindowWin32::Create(const point& windowPosition, const size& outerSize, const size& innerSize,
                                 bool isWindowed, const std::wstring& windowCaption)
{
    caption = windowCaption;
    className = L"ApplicationWindow";

    if (HWND found = FindWindowW(className.c_str(), caption.c_str())) {
        ShowWindow(found, SW_RESTORE);
        // Otherwise the copy would end without a word, as if it had not started.
        GE_LOG(L"%s is already running: its window was brought forward, and this copy ends.\n") << caption;
        Application* application = GetApplication();
        application->secondInstance = 1;
        application->Stop();
        return GE_OK;
    }

    position = windowPosition;
    windowSize = outerSize;
    clientSize = innerSize;
    windowed = isWindowed ? 1 : 0;
    instance = GetModuleHandleW(nullptr);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = ClassStyle;
    windowClass.lpfnWndProc = &WindowWin32::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(109));
    windowClass.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(108));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(6));
    windowClass.lpszClassName = className.c_str();
    RegisterClassExW(&windowClass);

    {
        CriticalSection& section = GlobalCriticalSection();
        section.Lock();
        gCreatingWindow = this;
        hwnd = CreateWindowExW(0, className.c_str(), caption.c_str(),
                               windowed ? WindowedStyle : FullScreenStyle, position.x, position.y,
                               windowSize.width, windowSize.height, nullptr, nullptr, instance, nullptr);
        if (!hwnd) {
            gCreatingWindow = nullptr;
            section.Unlock();
            GE_LOG(L"Failed to create the window.\n");
            return GE_FAIL;
        }
        SetWindowLongW(hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(this));
        gCreatingWindow = nullptr;
        SetTimer(hwnd, TimerId, TimerPeriodMs, nullptr);
        section.Unlock();
    }
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);

    accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(109));
    created = 1;
    OnCreated();
    return GE_OK;
}

GEResultEnum WindowWin32::Tick(float)
{
    if (!created || IsDone())
        return GE_OK;
    if (closeRequested && !destroyIssued) {
        destroyIssued = 1;
        DestroyWindow(hwnd);
    }
    MSG msg;
    if (PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return GE_OK;
}

void WindowWin32::OnStop()
{
    closeRequested = 1;
}

GEResultEnum WindowWin32::SwitchWindowMode(const size& newSize, bool isWindowed)
{
    const u8 newWindowed = isWindowed ? 1 : 0;
    if (newWindowed == windowed && newSize.width == windowSize.width && newSize.height == windowSize.height)
        return GE_OK;
    windowSize = newSize;
    windowed = newWindowed;
    ShowWindow(hwnd, SW_HIDE);
    int x = 0, y = 0;
    if (windowed) {
        SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG_PTR>(WindowedStyle));
        x = position.x;
        y = position.y;
    } else {
        SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG_PTR>(FullScreenStyle));
    }
    SetWindowPos(hwnd, windowed ? HWND_NOTOPMOST : HWND_TOP, x, y, windowSize.width, windowSize.height,
                 windowed ? SWP_SHOWWINDOW | SWP_FRAMECHANGED
                          : SWP_SHOWWINDOW | SWP_FRAMECHANGED | SWP_NOZORDER);
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    return GE_OK;
}

void WindowWin32::UpdateCursor()
{
    if (showSystemCursor || (windowed && !pointerInside))
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    else
        SetCursor(nullptr);
}

void WindowWin32::UpdateActive()
{
    const u8 now = (appActive && !minimized) ? 1 : 0;
    if (now == active)
        return;
    active = now;
    if (active) {
        OnActivate();
    } else {
        OnDeactivate();
        ReleaseCapture();
    }
}

LRESULT CALLBACK WindowWin32::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* window = reinterpret_cast<WindowWin32*>(GetWindowLongW(hwnd, GWL_USERDATA));
    if (!window)
        window = gCreatingWindow;
    if (!window)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    return window->HandleMessage(hwnd, message, wParam, lParam);
}

void WindowWin32::StoreButton(LPARAM lParam, int buttonIndex, u32 state)
{
    input->position = input->converter->ScreenToVirtual(MessagePoint(lParam));
    input->buttonState[buttonIndex] = state;
}

void WindowWin32::TestPointerLeave()
{
    POINT topLeft{0, 0};
    POINT bottomRight{clientSize.width, clientSize.height};
    ClientToScreen(hwnd, &topLeft);
    ClientToScreen(hwnd, &bottomRight);
    POINT cursor{};
    if (!GetCursorPos(&cursor))
        return;
    const u8 inside = (WindowFromPoint(cursor) == hwnd && topLeft.x <= cursor.x && cursor.x < bottomRight.x &&
                       topLeft.y <= cursor.y && cursor.y < bottomRight.y)
                          ? 1
                          : 0;
    if (inside == pointerInside)
        return;
    if (!inside) {
        const input::point relative{static_cast<float>(cursor.x - topLeft.x),
                                    static_cast<float>(cursor.y - topLeft.y)};
        input->OnMouseMove(relative);
        input->position = input->converter->ScreenToVirtual(relative);
        input->listener->OnMouseLeave(input->position);
    }
    pointerInside = inside;
    UpdateCursor();
}

LRESULT WindowWin32::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
    case WM_SYSCOLORCHANGE:
    case WM_ENDSESSION:
    case WM_DISPLAYCHANGE:
        return 0;
    case WM_DESTROY:
        finished = 1;
        return 0;
    case WM_MOVE:
        if (window == hwnd && windowed) {
            WINDOWPLACEMENT placement{};
            placement.length = sizeof(placement);
            if (GetWindowPlacement(window, &placement) &&
                (placement.showCmd == SW_SHOWNORMAL || placement.showCmd == SW_SHOW)) {
                position.x = placement.rcNormalPosition.left;
                position.y = placement.rcNormalPosition.top;
            }
        }
        return 0;
    case WM_SIZE:
        minimized = wParam == SIZE_MINIMIZED ? 1 : 0;
        // Keep the pointer test on the real client area after a mode switch.
        if (!minimized && LOWORD(static_cast<std::uintptr_t>(lParam)) &&
            HIWORD(static_cast<std::uintptr_t>(lParam)))
            clientSize = size{LOWORD(static_cast<std::uintptr_t>(lParam)),
                              HIWORD(static_cast<std::uintptr_t>(lParam))};
        UpdateActive();
        return 0;
    case WM_ENABLE:
        disabled = wParam == 0 ? 1 : 0;
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        OnPaint();
        return 0;
    }
    case WM_CLOSE:
        if (CanClose())
            Stop();
        return 0;
    case WM_QUERYOPEN:
        if (disabled)
            return 0;
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_ACTIVATEAPP:
        appActive = wParam ? 1 : 0;
        if (window == hwnd)
            UpdateActive();
        return 0;
    case WM_SETCURSOR:
        UpdateCursor();
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (wParam == VK_MENU)
            altDown = 1;
        if (altDown && wParam == VK_RETURN) {
            switchModeRequested = 1;
            altDown = 0;
            return 0;
        }
        input->OnKeyMessage(static_cast<unsigned>(wParam), static_cast<unsigned>(lParam));
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (wParam == VK_MENU)
            altDown = 0;
        input->listener->OnKeyUp(static_cast<int>(input->KeyFromVirtual(static_cast<unsigned>(wParam))));
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_CHAR:
    case WM_SYSCHAR:
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == CloseCommand) {
            DestroyWindow(window);
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_TIMER:
        TestPointerLeave();
        return 0;
    case WM_MOUSEMOVE:
        input->OnMouseMove(MessagePoint(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        StoreButton(lParam, 1, input::InputWin32::ButtonDown);
        input->listener->OnMouseDown(input->position, 1);
        return 0;
    case WM_LBUTTONUP:
        StoreButton(lParam, 1, input::InputWin32::ButtonUp);
        input->listener->OnMouseUp(input->position, 1);
        return 0;
    case WM_LBUTTONDBLCLK:
        StoreButton(lParam, 1, input::InputWin32::ButtonDoubleClicked);
        input->listener->OnMouseDoubleClick(input->position, 1);
        return 0;
    case WM_RBUTTONDOWN:
        StoreButton(lParam, 3, input::InputWin32::ButtonDown);
        input->listener->OnMouseDown(input->position, 3);
        return 0;
    case WM_RBUTTONUP:
        StoreButton(lParam, 3, input::InputWin32::ButtonUp);
        input->listener->OnMouseUp(input->position, 3);
        return 0;
    case WM_RBUTTONDBLCLK:
        StoreButton(lParam, 3, input::InputWin32::ButtonDoubleClicked);
        input->listener->OnMouseDoubleClick(input->position, 3);
        return 0;
    case WM_MOUSEWHEEL: {
        // The wheel message carries a screen position; the others client positions.
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(window, &at);
        input->position = input->converter->ScreenToVirtual(
            input::point{static_cast<float>(at.x), static_cast<float>(at.y)});
        input->listener->OnMouseWheel(input->position, GET_WHEEL_DELTA_WPARAM(wParam));
        return 0;
    }
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

BOOL CALLBACK MonitorEnumProc(HMONITOR monitor, HDC, RECT*, LPARAM data)
{
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoA(monitor, &info))
        return FALSE;
    MonitorInfo entry;
    entry.x = info.rcMonitor.left;
    entry.y = info.rcMonitor.top;
    entry.width = info.rcMonitor.right - info.rcMonitor.left;
    entry.height = info.rcMonitor.bottom - info.rcMonitor.top;
    entry.workX = info.rcWork.left;
    entry.workY = info.rcWork.top;
    entry.workWidth = info.rcWork.right - info.rcWork.left;
    entry.workHeight = info.rcWork.bottom - info.rcWork.top;
    entry.primary = (info.dwFlags & MONITORINFOF_PRIMARY) ? 1 : 0;
    reinterpret_cast<MonitorList*>(data)->push_back(entry);
    return TRUE;
}

void EnumerateMonitors(MonitorList& list)
{
    list.clear();
    EnumDisplayMonitors(nullptr, nullptr, &MonitorEnumProc, reinterpret_cast<LPARAM>(&list));
}

} // namespace app
