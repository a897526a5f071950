// The window task: messages posted into the window's queue reach the input listener
// and the window's hooks as the window procedure's table says.
#include "Core/App/Win32/WindowWin32.h"
#include "Core/App/Application.h"
#include "Core/Input/Win32/InputWin32.h"
#include "Framework/GameWindow.h"
#include "Framework/GameWindowHost.h"
#include "Platform/Win32/WinTest.h"
#include "tests/Input/InputRecorder.h"
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// Mouse lines carry the button or the wheel step.
struct Recorder : inputtest::InputRecorder {
    Recorder() : InputRecorder(true) {}
};

struct HookedWindow : app::WindowWin32 {
    using app::WindowWin32::WindowWin32;
    int activations = 0;
    int deactivations = 0;
    bool mayClose = true;
    void OnActivate() override { ++activations; }
    void OnDeactivate() override { ++deactivations; }
    bool CanClose() override { return mayClose; }
};

std::wstring UniqueCaption(const char* what)
{
    static int serial = 0;
    return L"window test " + std::wstring(what, what + std::strlen(what)) + L" " + std::to_wstring(getpid()) +
           L"." + std::to_wstring(++serial);
}

// Client area at (100, 50), 400 x 300, with the pointer inside it.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        in = std::make_unique<input::InputWin32>(&recorder, &recorder);
        window = std::make_unique<HookedWindow>(in.get());
        ASSERT_EQ(window->Create({100, 50}, {400, 300}, {400, 300}, true, UniqueCaption("fixture")), GE_OK);
        ASSERT_TRUE(window->created);
        ASSERT_NE(window->hwnd, nullptr);
        Win32_TestSetCursorPos(300, 200);
        WaitForTimer();
        Pump();
        ASSERT_EQ(window->pointerInside, 1);
        Win32_TestResetKeyboardState();
        recorder.events.clear();
    }
    void TearDown() override
    {
        window.reset();
        Win32_TestResetKeyboardState();
    }

    static void WaitForTimer() { std::this_thread::sleep_for(std::chrono::milliseconds(12)); }
    // Ticks while the window has messages waiting (one message per tick).
    void Pump()
    {
        MSG msg;
        for (int i = 0; i < 100 && !window->IsDone() && PeekMessageW(&msg, window->hwnd, 0, 0, PM_NOREMOVE);
             ++i)
            window->Tick(0.0f);
    }
    void Send(UINT message, WPARAM wParam, LPARAM lParam, long character = Win32_TestLayoutCharacter)
    {
        ASSERT_TRUE(Win32_TestPostMessage(window->hwnd, message, wParam, lParam, character));
        Pump();
    }
    using Events = std::vector<std::string>;

    Recorder recorder;
    std::unique_ptr<input::InputWin32> in;
    std::unique_ptr<HookedWindow> window;
};

constexpr LPARAM kRepeat = 0x40000000;
constexpr LPARAM kUp = static_cast<LPARAM>(0xC0000000u);

TEST_F(WindowTest, AutoRepeatGivesOneKeyDownAndOneCharacterPerRepeat)
{
    Send(WM_KEYDOWN, 'A', 0x1E0001);
    Send(WM_KEYDOWN, 'A', 0x1E0001 | kRepeat);
    Send(WM_KEYDOWN, 'A', 0x1E0001 | kRepeat);
    Send(WM_KEYUP, 'A', 0x1E0001 | kUp);
    EXPECT_EQ(recorder.events, (Events{"keydown 97", "char 97", "char 97", "char 97", "keyup 97"}));
}

// Presses that come faster than the frames' polls: the key goes up and down again
// between two polls, which alone would see it held throughout.
TEST_F(WindowTest, EveryPressCountsWhenPressesComeFasterThanThePolls)
{
    for (int press = 0; press < 3; ++press) {
        Send(WM_KEYDOWN, VK_BACK, 0x0E0001);
        Send(WM_KEYUP, VK_BACK, 0x0E0001 | kUp);
    }
    EXPECT_EQ(recorder.events, (Events{"keydown 8", "char 8", "keyup 8", "keydown 8", "char 8", "keyup 8",
                                       "keydown 8", "char 8", "keyup 8"}));
}

TEST_F(WindowTest, KeysReachTheListenerWithTheirEngineCodes)
{
    const struct {
        UINT vk;
        int code;
        long character;
    } cases[] = {
        {'7', 55, L'7'},
        {VK_OEM_1, 59, L';'},    // two codes share the key: the higher one
        {VK_RETURN, 271, L'\r'}, // the same for Enter and the pad's Enter
        {VK_F1, 282, 0},
        {VK_APPS, 0, 0}, // no engine code
        {0xE8, 0, 0},
    };
    for (const auto& c : cases) {
        recorder.events.clear();
        Send(WM_KEYDOWN, c.vk, 1, c.character);
        Send(WM_KEYUP, c.vk, 1 | kUp);
        Events expected{"keydown " + std::to_string(c.code)};
        if (c.character)
            expected.push_back("char " + std::to_string(c.character));
        expected.push_back("keyup " + std::to_string(c.code));
        EXPECT_EQ(recorder.events, expected) << "virtual key " << c.vk;
    }
}

TEST_F(WindowTest, AltEnterRequestsTheModeSwitchOnlyWhileAltIsDown)
{
    Send(WM_SYSKEYDOWN, VK_MENU, KF_ALTDOWN_BIT);
    EXPECT_EQ(window->altDown, 1);
    Send(WM_SYSKEYDOWN, VK_RETURN, KF_ALTDOWN_BIT);
    EXPECT_EQ(window->switchModeRequested, 1);
    EXPECT_EQ(window->altDown, 0);
    Send(WM_SYSKEYUP, VK_MENU, kUp);
    // Alt's own key-down has no engine code; Enter went no further.
    EXPECT_EQ(recorder.events, (Events{"keydown 0", "keyup 0"}));

    window->switchModeRequested = 0;
    recorder.events.clear();
    Send(WM_KEYDOWN, VK_RETURN, 0x1C0001);
    Send(WM_KEYUP, VK_RETURN, 0x1C0001 | kUp);
    EXPECT_EQ(window->switchModeRequested, 0);
    EXPECT_EQ(recorder.events, (Events{"keydown 271", "char 13", "keyup 271"}));
}

TEST_F(WindowTest, LeftDragGivesDragsButAfterADoubleClickMoves)
{
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
    Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(12, 20));
    Send(WM_LBUTTONUP, 0, MAKELPARAM(12, 20));
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(14, 20));
    EXPECT_EQ(recorder.events, (Events{"down 22,9 1", "drag 26,9", "up 26,9 1", "move 30,9"}));

    recorder.events.clear();
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(14, 20));
    EXPECT_EQ(in->buttonState[1], input::InputWin32::ButtonDoubleClicked);
    Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-5, 40)); // still held: a move, not a drag
    Send(WM_LBUTTONUP, 0, MAKELPARAM(-5, 40));
    EXPECT_EQ(recorder.events, (Events{"dblclick 30,9 1", "move -8,19", "up -8,19 1"}));
}

TEST_F(WindowTest, RightButtonAndWheel)
{
    Send(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(1, 4));
    Send(WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(3, 4));
    Send(WM_RBUTTONUP, 0, MAKELPARAM(3, 4));
    Send(WM_RBUTTONDBLCLK, MK_RBUTTON, MAKELPARAM(3, 4));
    EXPECT_EQ(in->buttonState[3], input::InputWin32::ButtonDoubleClicked);
    // The wheel message carries screen coordinates: (110, 70) is client (10, 20).
    Send(WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<WORD>(-120)) << 16, MAKELPARAM(110, 70));
    EXPECT_EQ(recorder.events,
              (Events{"down 4,1 3", "drag 8,1", "up 8,1 3", "dblclick 8,1 3", "wheel 22,9 -120"}));
    EXPECT_EQ(in->position.x, 22.0f);
    EXPECT_EQ(in->position.y, 9.0f);
}

TEST_F(WindowTest, LeavingTheClientAreaIsReportedWithinOneTimerPeriod)
{
    window->showSystemCursor = 0;
    window->UpdateCursor();
    EXPECT_EQ(GetCursor(), nullptr); // hidden over the client area

    Win32_TestSetCursorPos(100 + 400 + 5, 60); // just right of the client area
    WaitForTimer();
    window->Tick(0.0f); // the timer's message is the only one waiting
    EXPECT_EQ(recorder.events, (Events{"move 812,4", "leave 812,4"}));
    EXPECT_EQ(window->pointerInside, 0);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));

    recorder.events.clear();
    Win32_TestSetCursorPos(100 + 399, 50 + 299); // the last client pixel
    WaitForTimer();
    window->Tick(0.0f);
    EXPECT_TRUE(recorder.events.empty()); // entering reports nothing
    EXPECT_EQ(window->pointerInside, 1);
    EXPECT_EQ(GetCursor(), nullptr);
}

TEST_F(WindowTest, TheCursorShowsUnlessHiddenOverTheGame)
{
    const struct {
        u8 showSystemCursor, windowed, pointerInside;
        bool arrow;
    } cases[] = {
        {1, 0, 1, true}, {0, 1, 0, true}, {0, 1, 1, false}, {0, 0, 0, false}, {0, 0, 1, false},
    };
    for (const auto& c : cases) {
        window->showSystemCursor = c.showSystemCursor;
        window->windowed = c.windowed;
        window->pointerInside = c.pointerInside;
        window->UpdateCursor();
        EXPECT_EQ(GetCursor() != nullptr, c.arrow)
            << int(c.showSystemCursor) << int(c.windowed) << int(c.pointerInside);
    }
}

TEST_F(WindowTest, ActivationFollowsTheAppAndTheMinimisedState)
{
    Send(WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_EQ(window->deactivations, 1);
    Send(WM_SIZE, SIZE_MINIMIZED, 0);
    Send(WM_ACTIVATEAPP, TRUE, 0); // still minimised
    EXPECT_EQ(window->activations, 0);
    EXPECT_EQ(window->deactivations, 1);
    Send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(400, 300));
    EXPECT_EQ(window->activations, 1);
    Send(WM_SIZE, SIZE_MINIMIZED, 0);
    EXPECT_EQ(window->deactivations, 2);
    EXPECT_EQ(window->active, 0);
}

TEST_F(WindowTest, CloseStopsTheTaskAndTheNextTickDestroysTheWindow)
{
    window->mayClose = false;
    Send(WM_CLOSE, 0, 0);
    EXPECT_EQ(window->stopping, 0);

    window->mayClose = true;
    const int windows = Win32_TestWindowCount();
    Send(WM_CLOSE, 0, 0);
    EXPECT_EQ(window->closeRequested, 1);
    window->Tick(0.0f);
    EXPECT_EQ(window->destroyIssued, 1);
    EXPECT_EQ(window->finished, 1);
    EXPECT_TRUE(window->IsDone());
    EXPECT_EQ(Win32_TestWindowCount(), windows - 1);
}

TEST_F(WindowTest, CloseCommandAndDestructorDestroyTheWindow)
{
    const int windows = Win32_TestWindowCount();
    Send(WM_COMMAND, app::WindowWin32::CloseCommand, 0);
    EXPECT_EQ(window->finished, 1);
    EXPECT_EQ(Win32_TestWindowCount(), windows - 1);

    {
        HookedWindow other(in.get());
        ASSERT_EQ(other.Create({0, 0}, {64, 64}, {64, 64}, true, UniqueCaption("destructor")), GE_OK);
        EXPECT_EQ(Win32_TestWindowCount(), windows);
    }
    EXPECT_EQ(Win32_TestWindowCount(), windows - 1);
}

TEST_F(WindowTest, MovesAreRememberedOnlyInWindowedMode)
{
    ASSERT_TRUE(SetWindowPos(window->hwnd, nullptr, 150, 70, 400, 300, SWP_NOZORDER));
    Pump();
    EXPECT_EQ(window->position.x, 150);
    EXPECT_EQ(window->position.y, 70);

    window->windowed = 0;
    ASSERT_TRUE(SetWindowPos(window->hwnd, nullptr, 10, 10, 400, 300, SWP_NOZORDER));
    Pump();
    EXPECT_EQ(window->position.x, 150);
}

TEST_F(WindowTest, SwitchingTheModeRestylesAndPlacesTheWindow)
{
    app::MonitorList monitors;
    app::EnumerateMonitors(monitors);
    ASSERT_FALSE(monitors.empty());
    EXPECT_EQ(monitors[0].primary, 1);
    const app::MonitorInfo& screen = monitors[0];

    ASSERT_EQ(window->SwitchWindowMode({screen.width, screen.height}, false), GE_OK);
    EXPECT_EQ(window->windowed, 0);
    EXPECT_EQ(GetWindowLongW(window->hwnd, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_VISIBLE),
              static_cast<LONG_PTR>(WS_POPUP));
    WINDOWPLACEMENT placement{};
    ASSERT_TRUE(GetWindowPlacement(window->hwnd, &placement));
    EXPECT_EQ(placement.rcNormalPosition.left, 0);
    EXPECT_EQ(placement.rcNormalPosition.right, screen.width);
    EXPECT_EQ(placement.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
    Pump();
    // The pointer test follows the client area the window really has now.
    EXPECT_EQ(window->clientSize.width, screen.width);
    EXPECT_EQ(window->clientSize.height, screen.height);

    ASSERT_EQ(window->SwitchWindowMode({400, 300}, true), GE_OK);
    EXPECT_EQ(GetWindowLongW(window->hwnd, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_VISIBLE),
              static_cast<LONG_PTR>(app::WindowWin32::WindowedStyle));
    ASSERT_TRUE(GetWindowPlacement(window->hwnd, &placement));
    EXPECT_EQ(placement.rcNormalPosition.left, 100);
    EXPECT_EQ(placement.rcNormalPosition.top, 50);
    Pump();

    // Unchanged: nothing happens at all.
    ASSERT_EQ(window->SwitchWindowMode({400, 300}, true), GE_OK);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, window->hwnd, WM_SIZE, WM_SIZE, PM_NOREMOVE));
    EXPECT_FALSE(PeekMessageW(&msg, window->hwnd, WM_MOVE, WM_MOVE, PM_NOREMOVE));
}

TEST(WindowMonitors, AnUnreadableMonitorEndsTheEnumeration)
{
    app::MonitorList list(1);
    const auto bad = reinterpret_cast<HMONITOR>(std::uintptr_t{4096});
    EXPECT_FALSE(app::MonitorEnumProc(bad, nullptr, nullptr, reinterpret_cast<LPARAM>(&list)));
    EXPECT_EQ(list.size(), 1u);
}

struct FakeHost : framework::GameWindowHost {
    std::vector<std::string> calls;
    GEResultEnum RunFrame(float) override
    {
        calls.push_back("frame");
        return GE_OK;
    }
    GEResultEnum RunSwitchScreenMode() override
    {
        calls.push_back("switch");
        return GE_OK;
    }
    void WindowActivated() override { calls.push_back("activate"); }
    void WindowDeactivated() override { calls.push_back("deactivate"); }
};

TEST(GameWindow, APassEitherSwitchesTheModeOrRunsTheFrame)
{
    FakeHost host;
    framework::SetGameWindowHost(&host);
    Recorder recorder;
    input::InputWin32 in(&recorder, &recorder);
    framework::GameWindow window(&in);
    ASSERT_EQ(window.Create({0, 0}, {320, 240}, {320, 240}, true, UniqueCaption("game")), GE_OK);
    EXPECT_EQ(window.GetWidth(), 320);
    EXPECT_EQ(window.GetHeight(), 240);
    EXPECT_EQ(static_cast<app::Window&>(window).GetHandle(), window.hwnd);
    MSG msg;
    while (PeekMessageW(&msg, window.hwnd, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg); // a paint message stays until it is dispatched
    host.calls.clear();

    Win32_TestPostMessage(window.hwnd, WM_SYSKEYDOWN, VK_MENU, KF_ALTDOWN_BIT);
    Win32_TestPostMessage(window.hwnd, WM_SYSKEYDOWN, VK_RETURN, KF_ALTDOWN_BIT);
    Win32_TestPostMessage(window.hwnd, WM_ACTIVATEAPP, FALSE, 0);
    for (int i = 0; i < 4; ++i)
        window.Tick(0.0f);
    // Alt; Alt+Enter (switch only); the swallowed character; deactivation, then its frame.
    EXPECT_EQ(host.calls, (std::vector<std::string>{"frame", "switch", "frame", "deactivate", "frame"}));
    EXPECT_EQ(window.switchModeRequested, 0);
    framework::SetGameWindowHost(nullptr);
}

// The second copy is the helper program SECOND_INSTANCE_PROBE.
TEST(SingleInstance, SecondProcessRestoresTheFirstAndOpensNoWindow)
{
    Recorder recorder;
    input::InputWin32 in(&recorder, &recorder);
    app::WindowWin32 first(&in);
    const std::string caption = "single instance " + std::to_string(getpid());
    ASSERT_EQ(
        first.Create({0, 0}, {320, 240}, {320, 240}, true, std::wstring(caption.begin(), caption.end())),
        GE_OK);
    ShowWindow(first.hwnd, SW_MINIMIZE);
    for (int i = 0; i < 20; ++i)
        first.Tick(0.0f);
    ASSERT_EQ(first.minimized, 1);

    std::string probe = SECOND_INSTANCE_PROBE;
    std::string captionArgument = caption;
    char* argv[] = {probe.data(), captionArgument.data(), nullptr};
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, probe.c_str(), nullptr, nullptr, argv, environ), 0);

    int status = -1;
    bool exited = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline && (!exited || first.minimized)) {
        first.Tick(0.0f);
        if (!exited && waitpid(child, &status, WNOHANG) == child)
            exited = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (!exited)
        waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0); // every check of the second process passed (see its stderr)
    EXPECT_EQ(first.minimized, 0);     // it asked the first window to come back
    EXPECT_EQ(Win32_TestShowState(first.hwnd), SW_SHOWNORMAL);
    EXPECT_EQ(GetApplication()->secondInstance, 0);
}

} // namespace
