// Keyboard and mouse input: the key tables, the poll's key states and modifiers, and
// how pointer moves become moves or drags.
#include "Core/Base/Log.h"
#include "Core/Input/Input.h"
#include "Platform/Win32/WinTest.h"
#include "Platform/Win32/Windows.h"
#include "tests/Input/InputRecorder.h"
#include "tests/Support/LogCapture.h"
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace {

using Recorder = inputtest::InputRecorder;

LRESULT PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Drives the keyboard state the poll reads: key messages change it as they are taken
// from a window's queue.
class Keyboard {
public:
    Keyboard()
    {
        WNDCLASSEXW c{};
        c.cbSize = sizeof(c);
        c.lpfnWndProc = &PlainProc;
        c.lpszClassName = L"InputTestClass";
        RegisterClassExW(&c);
        hwnd = CreateWindowExW(0, L"InputTestClass", L"input test", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                               nullptr, nullptr);
        Win32_TestResetKeyboardState();
    }
    ~Keyboard()
    {
        DestroyWindow(hwnd);
        Win32_TestResetKeyboardState();
    }
    void Send(UINT message, UINT vk, LPARAM lParam = 0)
    {
        Win32_TestPostMessage(hwnd, message, vk, lParam);
        MSG msg;
        while (PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE)) {
        }
    }
    void Down(UINT vk, LPARAM lParam = 0) { Send(WM_KEYDOWN, vk, lParam); }
    void Up(UINT vk, LPARAM lParam = 0) { Send(WM_KEYUP, vk, lParam); }
    HWND hwnd = nullptr;
};

TEST(InputKeyTables, MatchTheMappingInBothDirections)
{
    // Engine key code -> virtual key, as the engine defines it; every other code is 0.
    std::map<unsigned, unsigned> table = {
        {8, 8},     {9, 9},     {12, 12},   {13, 13},   {19, 19},   {27, 27},   {32, 32},   {58, 186},
        {59, 186},  {127, 46},  {266, 110}, {267, 111}, {268, 106}, {269, 109}, {270, 107}, {271, 13},
        {273, 38},  {274, 40},  {275, 39},  {276, 37},  {277, 45},  {278, 36},  {279, 35},  {280, 33},
        {281, 34},  {300, 144}, {301, 20},  {302, 145}, {303, 161}, {304, 160}, {305, 163}, {306, 162},
        {307, 164}, {308, 165}, {311, 91},  {312, 92},  {315, 47},  {316, 42},  {317, 44},
    };
    for (unsigned d = 0; d <= 9; ++d)
        table[48 + d] = 48 + d;
    for (unsigned l = 0; l < 26; ++l)
        table[97 + l] = 65 + l;
    for (unsigned p = 0; p <= 9; ++p)
        table[256 + p] = 96 + p;
    for (unsigned f = 0; f < 15; ++f)
        table[282 + f] = 112 + f;

    Recorder recorder;
    input::InputWin32 in(&recorder, &recorder);
    for (unsigned code = 0; code < input::InputWin32::KeyCodeCount; ++code) {
        const auto it = table.find(code);
        EXPECT_EQ(in.keyToVirtual[code], it == table.end() ? 0u : it->second) << "code " << code;
    }
    // Back: the highest code of each virtual key; the unmapped codes all name virtual
    // key 0, so it ends at the last code, 323.
    for (unsigned vk = 0; vk < input::InputWin32::KeyCodeCount; ++vk) {
        unsigned expected = vk == 0 ? 323 : 0;
        for (const auto& [code, v] : table)
            if (v == vk)
                expected = std::max(expected, code);
        EXPECT_EQ(in.virtualToKey[vk], expected) << "virtual key " << vk;
    }
    EXPECT_EQ(in.virtualToKey[186], 59u);
    EXPECT_EQ(in.virtualToKey[13], 271u);
    EXPECT_EQ(in.KeyFromVirtual(1000), 0u);
}

TEST(InputPoll, KeyStatesFollowTheKeyboardFromPollToPoll)
{
    using I = input::InputWin32;
    struct Case {
        const char* name;
        std::vector<bool> downAtPoll;
        std::vector<u32> states;
    };
    const Case cases[] = {
        {"press, hold, release",
         {true, true, true, false, false},
         {I::KeyPressed, I::KeyHeld, I::KeyHeld, I::KeyReleased, I::KeyUp}},
        {"released after one poll is never 3", {true, false}, {I::KeyPressed, I::KeyUp}},
        {"pressed again right after release",
         {true, true, false, true},
         {I::KeyPressed, I::KeyHeld, I::KeyReleased, I::KeyPressed}},
    };
    for (const Case& c : cases) {
        Keyboard keyboard;
        Recorder recorder;
        input::InputWin32 in(&recorder, &recorder);
        bool down = false;
        for (size_t i = 0; i < c.downAtPoll.size(); ++i) {
            if (c.downAtPoll[i] != down)
                c.downAtPoll[i] ? keyboard.Down('G') : keyboard.Up('G');
            down = c.downAtPoll[i];
            ASSERT_EQ(in.Update(), GE_OK);
            EXPECT_EQ(in.keyState['G'], c.states[i]) << c.name << ", poll " << i;
        }
    }
}

TEST(InputPoll, ModifiersCountOnlyHeldKeysOfEachSide)
{
    Keyboard keyboard;
    Recorder recorder;
    input::InputWin32 in(&recorder, &recorder);
    keyboard.Down(VK_SHIFT, 0x2A << 16);                       // left shift
    keyboard.Down(VK_CONTROL, (0x1D << 16) | KF_EXTENDED_BIT); // right control
    keyboard.Down(VK_MENU, (0x38 << 16) | KF_EXTENDED_BIT);    // right Alt
    ASSERT_EQ(in.Update(), GE_OK);
    EXPECT_EQ(in.modifiers, 0u); // just pressed, not yet held
    ASSERT_EQ(in.Update(), GE_OK);
    EXPECT_EQ(in.modifiers, input::InputWin32::ModLeftShift | input::InputWin32::ModRightControl |
                                input::InputWin32::ModRightAlt);
    keyboard.Up(VK_CONTROL, (0x1D << 16) | KF_EXTENDED_BIT);
    ASSERT_EQ(in.Update(), GE_OK);
    EXPECT_EQ(in.modifiers, input::InputWin32::ModLeftShift | input::InputWin32::ModRightAlt);
}

TEST(InputPoll, AFailedKeyboardReadKeepsTheStates)
{
    Keyboard keyboard;
    Recorder recorder;
    input::InputWin32 in(&recorder, &recorder);
    keyboard.Down('Z');
    ASSERT_EQ(in.Update(), GE_OK);
    Win32_TestFailKeyboardState(true);
    EXPECT_EQ(in.Update(), GE_FAIL);
    Win32_TestFailKeyboardState(false);
    EXPECT_EQ(in.keyState['Z'], input::InputWin32::KeyPressed);
}

TEST(InputPoll, HoldingTheRightButtonWritesNoLogLines)
{
    Keyboard keyboard;
    Recorder recorder;
    input::InputWin32 in(&recorder, &recorder);
    keyboard.Send(WM_RBUTTONDOWN, 0, MAKELPARAM(3, 3));
    LogCapture log;
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(in.Update(), GE_OK);
    EXPECT_EQ(in.keyState[VK_RBUTTON], input::InputWin32::KeyHeld);
    EXPECT_TRUE(log.text.empty());
}

TEST(InputMouse, MovesDragOnlyWhileAButtonIsDownOrHeld)
{
    Recorder recorder;
    input::InputWin32 in(&recorder, &recorder);
    const struct {
        int index;
        u32 state;
        const char* expected;
    } cases[] = {
        {1, 0, "move 22,9"}, {1, 1, "drag 22,9"}, {1, 2, "drag 22,9"},
        {1, 4, "move 22,9"}, {3, 1, "drag 22,9"}, {3, 4, "move 22,9"},
    };
    for (const auto& c : cases) {
        in.buttonState[1] = in.buttonState[3] = 0;
        in.buttonState[c.index] = c.state;
        recorder.events.clear();
        in.OnMouseMove({10, 20});
        ASSERT_EQ(recorder.events.size(), 1u);
        EXPECT_EQ(recorder.events[0], c.expected) << "button " << c.index << " state " << c.state;
        EXPECT_EQ(in.position.x, 22.0f);
        EXPECT_EQ(in.position.y, 9.0f);
    }
}

} // namespace
