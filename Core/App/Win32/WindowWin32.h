#pragma once
// The program's one OS window, itself a task: its Tick pumps the window's messages and
// its window procedure turns them into input calls and its own hooks.
#include "Core/App/WindowTypes.h"
#include "Core/Base/Task.h"
#include "Platform/Win32/Windows.h"
#include <string>

namespace input {
class InputWin32;
}

namespace app {

class WindowWin32 : public base::Task {
public:
    // The window style in windowed mode (popup with caption, system menu and minimise box).
    static constexpr DWORD WindowedStyle = 0x82CA0000u;
    static constexpr DWORD FullScreenStyle = 0x80000000u;
    static constexpr UINT ClassStyle = 0x300B;
    static constexpr UINT_PTR TimerId = 100;
    static constexpr UINT TimerPeriodMs = 10;
    static constexpr WPARAM CloseCommand = 105;

    explicit WindowWin32(input::InputWin32* input);
    ~WindowWin32() override;

    GEResultEnum OnStart() override;
    GEResultEnum Tick(float dt) override;
    void OnStop() override;
    virtual bool CanClose();
    virtual void OnActivate();
    virtual void OnDeactivate();
    virtual void OnCreated();
    // The window's picture was lost or laid out anew (WM_PAINT).
    virtual void OnPaint() {}

    // Refuses a second instance (restores the first one's window, sets the
    // application's secondInstance and stops it; result 0), else opens the window.
    GEResultEnum Create(const point& position, const size& windowSize, const size& clientSize, bool windowed,
                        const std::wstring& caption);
    GEResultEnum SwitchWindowMode(const size& windowSize, bool windowed);
    void UpdateCursor();
    void UpdateActive();

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd = nullptr;
    std::wstring caption;
    std::wstring className;
    HINSTANCE instance = nullptr;
    HACCEL accelerators = nullptr;
    u8 created = 0;
    u8 appActive = 1;
    u8 minimized = 0;
    u8 disabled = 0;
    u8 altDown = 0;
    u8 active = 1;
    u8 windowed = 1;
    point position;
    size windowSize{800, 600};
    size clientSize{800, 600};
    u8 closeRequested = 0;
    u8 destroyIssued = 0;
    u8 switchModeRequested = 0;
    u8 showSystemCursor = 1;
    u8 pointerInside = 0;
    input::InputWin32* input;

private:
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void StoreButton(LPARAM lParam, int buttonIndex, u32 state);
    void TestPointerLeave();
};

// The monitor callback: appends one entry per display to the MonitorList passed as
// `data`; a display whose information cannot be read ends the enumeration.
BOOL CALLBACK MonitorEnumProc(HMONITOR monitor, HDC hdc, RECT* rect, LPARAM data);
// Clears `list` and fills it with the displays, in enumeration order.
void EnumerateMonitors(MonitorList& list);

} // namespace app
