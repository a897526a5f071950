// The Win32 window stand-in: SDL events become the messages a Windows program sees,
// the keyboard state follows the messages taken from the queue, timers, destruction.
#include "Platform/Win32/WinSdl.h"
#include "Platform/Win32/WinTest.h"
#include "Platform/Win32/Windows.h"
#include <SDL.h>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

std::vector<MSG> gSeen; // what the test procedure was handed

LRESULT RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    gSeen.push_back(MSG{hwnd, message, wParam, lParam, 0, {}});
    if (message == WM_DESTROY) { // destroying again from inside is refused
        EXPECT_FALSE(DestroyWindow(hwnd));
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void RegisterTestClass(const wchar_t* name, UINT style)
{
    WNDCLASSEXW c{};
    c.cbSize = sizeof(c);
    c.style = style;
    c.lpfnWndProc = &RecordingProc;
    c.lpszClassName = name;
    RegisterClassExW(&c);
}

class WinWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterTestClass(L"PlainClass", 0);
        RegisterTestClass(L"DoubleClickClass", CS_DBLCLKS);
        caption = L"window test " + std::to_wstring(getpid());
        hwnd = CreateWindowExW(0, L"DoubleClickClass", caption.c_str(), WS_POPUP | WS_CAPTION, 40, 30, 320,
                               200, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd, nullptr);
        ShowWindow(hwnd, SW_SHOW);
        Drain();
        Win32_TestResetKeyboardState();
        gSeen.clear();
    }
    void TearDown() override
    {
        if (IsWindow(hwnd))
            DestroyWindow(hwnd);
        Win32_TestResetKeyboardState();
    }

    // Takes every waiting message (timers included) without dispatching it.
    std::vector<MSG> Drain()
    {
        std::vector<MSG> out;
        MSG msg;
        while (out.size() < 200 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_PAINT)
                DispatchMessageW(&msg); // validates; it would come again otherwise
            else if (msg.message != WM_TIMER)
                out.push_back(msg);
        }
        return out;
    }

    void PushKey(Uint32 type, SDL_Scancode scancode, SDL_Keycode sym, Uint16 mod, bool repeat = false)
    {
        SDL_Event e{};
        e.type = type;
        e.key.windowID = SDL_GetWindowID(Win32_SdlWindow(hwnd));
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.repeat = repeat ? 1 : 0;
        e.key.keysym.scancode = scancode;
        e.key.keysym.sym = sym;
        e.key.keysym.mod = mod;
        SDL_PushEvent(&e);
    }
    void PushText(const char* text)
    {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        e.text.windowID = SDL_GetWindowID(Win32_SdlWindow(hwnd));
        SDL_strlcpy(e.text.text, text, sizeof(e.text.text));
        SDL_PushEvent(&e);
    }
    void PushButton(Uint32 type, Uint8 button, Uint8 clicks, int x, int y)
    {
        SDL_Event e{};
        e.type = type;
        e.button.windowID = SDL_GetWindowID(Win32_SdlWindow(hwnd));
        e.button.button = button;
        e.button.clicks = clicks;
        e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.button.x = x;
        e.button.y = y;
        SDL_PushEvent(&e);
    }
    void PushMotion(int x, int y)
    {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = SDL_GetWindowID(Win32_SdlWindow(hwnd));
        e.motion.x = x;
        e.motion.y = y;
        SDL_PushEvent(&e);
    }

    static wchar_t CharacterOf(const MSG& msg)
    {
        BYTE state[256];
        GetKeyboardState(state);
        wchar_t c = 0;
        return ToUnicode(static_cast<UINT>(msg.wParam), static_cast<UINT>(msg.lParam), state, &c, 1, 0) == 1
                   ? c
                   : 0;
    }

    std::wstring caption;
    HWND hwnd = nullptr;
};

TEST_F(WinWindowTest, OpensAnOpenGlWindowAndSendsCreateBeforeReturning)
{
    SDL_Window* sdl = Win32_SdlWindow(hwnd);
    ASSERT_NE(sdl, nullptr);
    EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_OPENGL);
    RECT client{};
    ASSERT_TRUE(GetClientRect(hwnd, &client));
    EXPECT_EQ(client.right, 320);
    EXPECT_EQ(client.bottom, 200);

    gSeen.clear();
    HWND second = CreateWindowExW(0, L"PlainClass", L"other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_FALSE(gSeen.empty());
    EXPECT_EQ(gSeen.front().message, WM_CREATE);
    EXPECT_EQ(gSeen.front().hwnd, second);
    DestroyWindow(second);
    EXPECT_EQ(CreateWindowExW(0, L"NoSuchClass", L"x", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
              nullptr);
}

TEST_F(WinWindowTest, KeysCarryTheirSideScanCodeAndTypedText)
{
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, KMOD_RSHIFT);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a, KMOD_RSHIFT);
    PushText("A");
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a, KMOD_RSHIFT, true);
    PushText("A");
    PushKey(SDL_KEYUP, SDL_SCANCODE_A, SDLK_a, KMOD_RSHIFT);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_RSHIFT); // no text event for Enter

    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_KEYDOWN);
    EXPECT_EQ(msg.wParam, VK_SHIFT);
    BYTE state[256];
    ASSERT_TRUE(GetKeyboardState(state));
    EXPECT_TRUE(state[VK_SHIFT] & 0x80);
    EXPECT_TRUE(state[VK_RSHIFT] & 0x80);
    EXPECT_FALSE(state[VK_LSHIFT] & 0x80);

    ASSERT_TRUE(PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_KEYDOWN);
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>('A'));
    EXPECT_FALSE(msg.lParam & KF_REPEAT_BIT);
    EXPECT_EQ(CharacterOf(msg), L'A');

    ASSERT_TRUE(PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>('A'));
    EXPECT_TRUE(msg.lParam & KF_REPEAT_BIT);
    EXPECT_EQ(CharacterOf(msg), L'A');

    ASSERT_TRUE(PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_KEYUP);
    ASSERT_TRUE(GetKeyboardState(state));
    EXPECT_FALSE(state['A'] & 0x80);

    ASSERT_TRUE(PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, VK_RETURN);
    EXPECT_EQ(CharacterOf(msg), L'\r');
}

TEST_F(WinWindowTest, AltCombinationsAreSystemKeysAndRightAltIsExtended)
{
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_RALT, SDLK_RALT, KMOD_RALT);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_RALT);
    PushKey(SDL_KEYUP, SDL_SCANCODE_RALT, SDLK_RALT, KMOD_NONE);
    const std::vector<MSG> got = Drain();
    ASSERT_GE(got.size(), 3u);
    EXPECT_EQ(got[0].message, WM_SYSKEYDOWN);
    EXPECT_EQ(got[0].wParam, VK_MENU);
    EXPECT_TRUE(got[0].lParam & KF_EXTENDED_BIT);
    EXPECT_EQ(got[1].message, WM_SYSKEYDOWN);
    EXPECT_EQ(got[1].wParam, VK_RETURN);
    EXPECT_TRUE(got[1].lParam & KF_ALTDOWN_BIT);
    EXPECT_EQ(got[2].message, WM_SYSKEYUP);
    BYTE state[256];
    ASSERT_TRUE(GetKeyboardState(state));
    EXPECT_FALSE(state[VK_MENU] & 0x80);
    EXPECT_FALSE(state[VK_RMENU] & 0x80);
}

TEST_F(WinWindowTest, TextBeyondOneCharacterArrivesAsPacketKeys)
{
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_E, SDLK_e, KMOD_NONE);
    PushText("\xC3\xA9\xE2\x82\xAC"); // e-acute, euro sign
    PushText("\xF0\x9F\x98\x80");     // outside the basic plane: still one wchar_t
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>('E'));
    EXPECT_EQ(CharacterOf(msg), L'\u00E9');
    ASSERT_TRUE(PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, VK_PACKET);
    EXPECT_EQ(CharacterOf(msg), L'\u20AC');
    ASSERT_TRUE(PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, VK_PACKET);
    EXPECT_EQ(static_cast<unsigned>(CharacterOf(msg)), 0x1F600u);
}

TEST_F(WinWindowTest, PostedKeysTranslateThroughTheLayout)
{
    struct Case {
        std::vector<UINT> held;
        UINT vk;
        wchar_t expected;
    };
    const Case cases[] = {
        {{}, 'Q', L'q'},
        {{VK_SHIFT}, 'Q', L'Q'},
        {{}, '1', L'1'},
        {{VK_SHIFT}, '1', L'!'},
        {{VK_SHIFT}, VK_OEM_1, L':'},
        {{}, VK_BACK, L'\b'},
        {{VK_CONTROL}, 'C', 3},
        {{}, VK_F1, 0},
        {{}, VK_NUMPAD0 + 7, L'7'},
    };
    for (const Case& c : cases) {
        Win32_TestResetKeyboardState();
        for (UINT vk : c.held)
            Win32_TestPostMessage(hwnd, WM_KEYDOWN, vk, 0, 0);
        Win32_TestPostMessage(hwnd, WM_KEYDOWN, c.vk, 0x10001);
        MSG msg{};
        for (size_t i = 0; i <= c.held.size(); ++i)
            ASSERT_TRUE(PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE));
        EXPECT_EQ(CharacterOf(msg), c.expected) << "key " << c.vk;
        Drain();
    }
}

TEST_F(WinWindowTest, TranslateMessagePutsTheCharacterNext)
{
    Win32_TestPostMessage(hwnd, WM_KEYDOWN, 'K', 1, L'k');
    Win32_TestPostMessage(hwnd, WM_KEYUP, 'K', 1);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE));
    EXPECT_TRUE(TranslateMessage(&msg));
    ASSERT_TRUE(PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_CHAR);
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(L'k'));
    ASSERT_TRUE(PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_KEYUP);
}

TEST_F(WinWindowTest, MouseButtonsMovesAndDoubleClicks)
{
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 5, 6);
    PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1, 5, 6);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 2, 5, 6);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 3, 5, 6);
    PushMotion(7, 8);
    PushMotion(-3, 250); // merged into the move before it; signed coordinates
    const std::vector<MSG> got = Drain();
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[0].message, WM_LBUTTONDOWN);
    EXPECT_EQ(GET_X_LPARAM(got[0].lParam), 5);
    EXPECT_EQ(GET_Y_LPARAM(got[0].lParam), 6);
    EXPECT_EQ(got[1].message, WM_LBUTTONUP);
    EXPECT_EQ(got[2].message, WM_LBUTTONDBLCLK);
    EXPECT_EQ(got[3].message, WM_RBUTTONDOWN); // an odd click count starts over
    EXPECT_EQ(got[4].message, WM_MOUSEMOVE);
    EXPECT_EQ(GET_X_LPARAM(got[4].lParam), -3);
    EXPECT_EQ(GET_Y_LPARAM(got[4].lParam), 250);
    POINT cursor{};
    ASSERT_TRUE(GetCursorPos(&cursor));
    EXPECT_EQ(cursor.x, 40 - 3);
    EXPECT_EQ(cursor.y, 30 + 250);
    BYTE state[256];
    ASSERT_TRUE(GetKeyboardState(state));
    EXPECT_TRUE(state[VK_LBUTTON] & 0x80);
    EXPECT_TRUE(state[VK_RBUTTON] & 0x80);

    HWND plain = CreateWindowExW(0, L"PlainClass", L"plain", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    ASSERT_NE(plain, nullptr);
    Drain();
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.windowID = SDL_GetWindowID(Win32_SdlWindow(plain));
    e.button.button = SDL_BUTTON_LEFT;
    e.button.clicks = 2;
    SDL_PushEvent(&e);
    const std::vector<MSG> plainGot = Drain();
    ASSERT_EQ(plainGot.size(), 1u);
    EXPECT_EQ(plainGot[0].message, WM_LBUTTONDOWN); // the class did not ask for double clicks
    DestroyWindow(plain);
}

TEST_F(WinWindowTest, TimerMessagesComeEveryPeriodAndMissedOnesMerge)
{
    ASSERT_EQ(SetTimer(hwnd, 100, 10, nullptr), 100u);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE)); // not yet due
    std::this_thread::sleep_for(std::chrono::milliseconds(35));
    ASSERT_TRUE(PeekMessageW(&msg, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 100u);
    EXPECT_FALSE(PeekMessageW(&msg, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE)); // three periods, one message
    std::this_thread::sleep_for(std::chrono::milliseconds(12));
    EXPECT_TRUE(PeekMessageW(&msg, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_TRUE(KillTimer(hwnd, 100));
    std::this_thread::sleep_for(std::chrono::milliseconds(12));
    EXPECT_FALSE(PeekMessageW(&msg, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE));
}

TEST_F(WinWindowTest, DestroySendsDestroyDropsTheQueueAndLeavesAStaleHandleHarmless)
{
    SetTimer(hwnd, 7, 10, nullptr);
    Win32_TestPostMessage(hwnd, 0x0401, 1, 2);
    ASSERT_TRUE(DestroyWindow(hwnd));
    ASSERT_EQ(gSeen.size(), 1u);
    EXPECT_EQ(gSeen[0].message, WM_DESTROY);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(DestroyWindow(hwnd));
    EXPECT_EQ(Win32_SdlWindow(hwnd), nullptr);
    EXPECT_EQ(GetWindowLongW(hwnd, GWL_USERDATA), 0);
    EXPECT_FALSE(ShowWindow(hwnd, SW_SHOW));
    EXPECT_FALSE(Win32_TestPostMessage(hwnd, WM_CLOSE, 0, 0));
    EXPECT_EQ(FindWindowW(L"DoubleClickClass", caption.c_str()), nullptr);
}

TEST_F(WinWindowTest, ARetainedWindowClosesOnlyWithItsLastRelease)
{
    SDL_Window* sdl = Win32_SdlWindow(hwnd);
    const Uint32 id = SDL_GetWindowID(sdl);
    SDL_GLContext context = SDL_GL_CreateContext(sdl);
    ASSERT_NE(context, nullptr) << SDL_GetError();
    ASSERT_EQ(SDL_GL_MakeCurrent(sdl, context), 0);
    Win32_RetainSdlWindow(sdl); // two devices render into it
    Win32_RetainSdlWindow(sdl);
    ASSERT_TRUE(DestroyWindow(hwnd));
    EXPECT_EQ(Win32_SdlWindow(hwnd), nullptr);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
    EXPECT_EQ(SDL_GetWindowFromID(id), sdl); // the devices may still draw and release

    // Letting go of the context does not close it while a device holds it.
    SDL_GL_MakeCurrent(sdl, nullptr);
    PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
    EXPECT_EQ(SDL_GetWindowFromID(id), sdl);
    ASSERT_EQ(SDL_GL_MakeCurrent(sdl, context), 0); // still a valid surface

    SDL_GL_MakeCurrent(sdl, nullptr);
    SDL_GL_DeleteContext(context);
    Win32_ReleaseSdlWindow(sdl);
    EXPECT_EQ(SDL_GetWindowFromID(id), sdl);
    Win32_ReleaseSdlWindow(sdl);
    EXPECT_EQ(SDL_GetWindowFromID(id), nullptr);
}

TEST_F(WinWindowTest, AnUnretainedWindowClosesAtOnce)
{
    SDL_Window* sdl = Win32_SdlWindow(hwnd);
    const Uint32 id = SDL_GetWindowID(sdl);
    Win32_RetainSdlWindow(sdl);
    Win32_ReleaseSdlWindow(sdl); // a device came and went before the close
    ASSERT_TRUE(DestroyWindow(hwnd));
    EXPECT_EQ(SDL_GetWindowFromID(id), nullptr);
}

TEST_F(WinWindowTest, CloseByDefaultDestroysAndAltF4AsksToClose)
{
    Win32_TestPostMessage(hwnd, WM_SYSKEYDOWN, VK_F4, KF_ALTDOWN_BIT);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE));
    DispatchMessageW(&msg);
    ASSERT_TRUE(PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_CLOSE);
    DispatchMessageW(&msg);
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(WinWindowTest, ShowStatesPlacementAndMoves)
{
    EXPECT_EQ(Win32_TestShowState(hwnd), SW_SHOWNORMAL);
    ShowWindow(hwnd, SW_MINIMIZE);
    EXPECT_EQ(Win32_TestShowState(hwnd), SW_SHOWMINIMIZED);
    WINDOWPLACEMENT placement{};
    ASSERT_TRUE(GetWindowPlacement(hwnd, &placement));
    EXPECT_EQ(placement.showCmd, static_cast<UINT>(SW_SHOWMINIMIZED));
    ShowWindow(hwnd, SW_RESTORE);
    std::vector<MSG> got = Drain();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].message, WM_SIZE);
    EXPECT_EQ(got[0].wParam, SIZE_MINIMIZED);
    EXPECT_EQ(got[1].message, WM_SIZE);
    EXPECT_EQ(got[1].wParam, SIZE_RESTORED);
    EXPECT_EQ(got[1].lParam, MAKELPARAM(320, 200));

    ASSERT_TRUE(SetWindowPos(hwnd, nullptr, 70, 80, 320, 200, SWP_NOZORDER));
    got = Drain();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, WM_MOVE);
    ASSERT_TRUE(GetWindowPlacement(hwnd, &placement));
    EXPECT_EQ(placement.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
    EXPECT_EQ(placement.rcNormalPosition.left, 70);
    EXPECT_EQ(placement.rcNormalPosition.top, 80);
    POINT p{1, 2};
    ASSERT_TRUE(ClientToScreen(hwnd, &p));
    EXPECT_EQ(p.x, 71);
    EXPECT_EQ(p.y, 82);
    EXPECT_EQ(WindowFromPoint(POINT{71, 82}), hwnd);
    EXPECT_EQ(WindowFromPoint(POINT{70 + 320, 82}), nullptr);
}

TEST_F(WinWindowTest, FindWindowMatchesClassAndCaption)
{
    EXPECT_EQ(FindWindowW(L"DoubleClickClass", caption.c_str()), hwnd);
    EXPECT_EQ(FindWindowW(L"DoubleClickClass", nullptr), hwnd);
    EXPECT_EQ(FindWindowW(L"DoubleClickClass", L"some other caption"), nullptr);
    EXPECT_EQ(FindWindowW(L"PlainClass", caption.c_str()), nullptr);
}

TEST_F(WinWindowTest, MonitorsComeFromTheDisplays)
{
    struct Found {
        std::vector<HMONITOR> monitors;
    } found;
    auto callback = [](HMONITOR m, HDC, RECT*, LPARAM data) -> BOOL {
        reinterpret_cast<Found*>(data)->monitors.push_back(m);
        return TRUE;
    };
    ASSERT_TRUE(EnumDisplayMonitors(nullptr, nullptr, callback, reinterpret_cast<LPARAM>(&found)));
    ASSERT_EQ(static_cast<int>(found.monitors.size()), SDL_GetNumVideoDisplays());
    ASSERT_FALSE(found.monitors.empty());
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetMonitorInfoA(found.monitors[0], &info));
    EXPECT_EQ(info.dwFlags, MONITORINFOF_PRIMARY);
    EXPECT_GT(info.rcMonitor.right - info.rcMonitor.left, 0);
    EXPECT_LE(info.rcWork.bottom - info.rcWork.top, info.rcMonitor.bottom - info.rcMonitor.top);
    info.cbSize = 20;
    EXPECT_FALSE(GetMonitorInfoA(found.monitors[0], &info));
    info.cbSize = sizeof(info);
    EXPECT_FALSE(GetMonitorInfoA(reinterpret_cast<HMONITOR>(std::uintptr_t{999}), &info));
}

TEST_F(WinWindowTest, KeyboardStateCanBeMadeToFail)
{
    BYTE state[256];
    Win32_TestFailKeyboardState(true);
    EXPECT_FALSE(GetKeyboardState(state));
    Win32_TestFailKeyboardState(false);
    EXPECT_TRUE(GetKeyboardState(state));
    EXPECT_FALSE(GetKeyboardState(nullptr));
}

} // namespace
