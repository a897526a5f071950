#include "Platform/Win32/WinKeyboard.h"
#include "Platform/Win32/WinTest.h"
#include "Platform/Win32/WindowRecord.h"
#include <SDL.h>
#include <cstring>

namespace {

struct KeyboardData {
    BYTE state[256] = {};
    bool fail = false;
    // The key-down last taken from the queue, for ToUnicode.
    bool lastValid = false;
    UINT lastVk = 0;
    UINT lastParam = 0;
    long lastCharacter = win32::kCharFromLayout;
};

KeyboardData& Keyboard()
{
    static KeyboardData data;
    return data;
}

bool Down(const BYTE* state, UINT vk)
{
    return state && (state[vk & 0xFF] & 0x80) != 0;
}

// The left or right key behind a generic modifier, as Windows tells them apart:
// right shift by its scan code, right control and Alt by the extended flag.
void SidesOf(UINT vk, LPARAM lParam, UINT& side, UINT& generic)
{
    const bool extended = (lParam & KF_EXTENDED_BIT) != 0;
    side = 0;
    generic = 0;
    switch (vk) {
    case VK_SHIFT:
        side = ((lParam >> 16) & 0xFF) == 0x36 ? VK_RSHIFT : VK_LSHIFT;
        break;
    case VK_CONTROL:
        side = extended ? VK_RCONTROL : VK_LCONTROL;
        break;
    case VK_MENU:
        side = extended ? VK_RMENU : VK_LMENU;
        break;
    case VK_LSHIFT:
    case VK_RSHIFT:
        generic = VK_SHIFT;
        break;
    case VK_LCONTROL:
    case VK_RCONTROL:
        generic = VK_CONTROL;
        break;
    case VK_LMENU:
    case VK_RMENU:
        generic = VK_MENU;
        break;
    default:
        break;
    }
    if (side)
        generic = vk;
}

void Press(BYTE* state, UINT vk)
{
    if (!(state[vk] & 0x80))
        state[vk] ^= 0x01; // the toggle bit flips on every press, as on Windows
    state[vk] |= 0x80;
}

void UpdateGeneric(BYTE* state, UINT generic)
{
    UINT left = 0, right = 0;
    if (generic == VK_SHIFT) {
        left = VK_LSHIFT;
        right = VK_RSHIFT;
    } else if (generic == VK_CONTROL) {
        left = VK_LCONTROL;
        right = VK_RCONTROL;
    } else {
        left = VK_LMENU;
        right = VK_RMENU;
    }
    if ((state[left] | state[right]) & 0x80)
        state[generic] |= 0x80;
    else
        state[generic] &= static_cast<BYTE>(~0x80);
}

void KeyEvent(UINT vk, LPARAM lParam, bool down)
{
    BYTE* state = Keyboard().state;
    vk &= 0xFF;
    if (vk == VK_PACKET || vk == 0)
        return;
    UINT side = 0, generic = 0;
    SidesOf(vk, lParam, side, generic);
    const UINT key = side ? side : vk;
    if (down)
        Press(state, key);
    else
        state[key] &= static_cast<BYTE>(~0x80);
    if (generic) {
        if (down && !(state[generic] & 0x80))
            state[generic] ^= 0x01;
        UpdateGeneric(state, generic);
    }
}

void ButtonEvent(UINT vk, bool down)
{
    BYTE* state = Keyboard().state;
    if (down)
        Press(state, vk);
    else
        state[vk] &= static_cast<BYTE>(~0x80);
}

// The US layout, for key-downs that did not come with the text they typed.
long LayoutCharacter(UINT vk, const BYTE* state)
{
    if (Down(state, VK_CONTROL) && !Down(state, VK_MENU))
        return win32::ControlCharacter(vk, state);
    const bool shift = Down(state, VK_SHIFT);
    switch (vk) {
    case VK_BACK:
    case VK_TAB:
    case VK_RETURN:
    case VK_ESCAPE:
        return win32::ControlCharacter(vk, state);
    case VK_SPACE:
        return L' ';
    case VK_MULTIPLY:
        return L'*';
    case VK_ADD:
        return L'+';
    case VK_SUBTRACT:
        return L'-';
    case VK_DECIMAL:
        return L'.';
    case VK_DIVIDE:
        return L'/';
    default:
        break;
    }
    if (vk >= 'A' && vk <= 'Z') {
        const bool caps = state && (state[VK_CAPITAL] & 0x01) != 0;
        return static_cast<long>((shift != caps) ? vk : vk - 'A' + 'a');
    }
    if (vk >= '0' && vk <= '9')
        return shift ? L")!@#$%^&*("[vk - '0'] : static_cast<long>(vk);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
        return static_cast<long>(L'0' + (vk - VK_NUMPAD0));
    struct Punctuation {
        UINT vk;
        wchar_t plain, shifted;
    };
    static const Punctuation punctuation[] = {
        {VK_OEM_1, L';', L':'},     {VK_OEM_PLUS, L'=', L'+'},   {VK_OEM_COMMA, L',', L'<'},
        {VK_OEM_MINUS, L'-', L'_'}, {VK_OEM_PERIOD, L'.', L'>'}, {VK_OEM_2, L'/', L'?'},
        {VK_OEM_3, L'`', L'~'},     {VK_OEM_4, L'[', L'{'},      {VK_OEM_5, L'\\', L'|'},
        {VK_OEM_6, L']', L'}'},     {VK_OEM_7, L'\'', L'"'},     {VK_OEM_102, L'\\', L'|'},
    };
    for (const Punctuation& p : punctuation)
        if (p.vk == vk)
            return shift ? p.shifted : p.plain;
    return win32::kCharNone;
}

} // namespace

namespace win32 {

long ControlCharacter(UINT vk, const BYTE* state)
{
    switch (vk) {
    case VK_BACK:
        return 0x08;
    case VK_TAB:
        return 0x09;
    case VK_RETURN:
        return 0x0D;
    case VK_ESCAPE:
        return 0x1B;
    default:
        break;
    }
    if (vk >= 'A' && vk <= 'Z' && Down(state, VK_CONTROL) && !Down(state, VK_MENU))
        return static_cast<long>(vk - 'A' + 1);
    return kCharNone;
}

void ApplyInputMessage(const MSG& msg, long character)
{
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        KeyEvent(static_cast<UINT>(msg.wParam), msg.lParam, true);
        KeyboardData& data = Keyboard();
        data.lastValid = true;
        data.lastVk = static_cast<UINT>(msg.wParam);
        data.lastParam = static_cast<UINT>(msg.lParam);
        data.lastCharacter = character;
        break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP:
        KeyEvent(static_cast<UINT>(msg.wParam), msg.lParam, false);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        ButtonEvent(VK_LBUTTON, true);
        break;
    case WM_LBUTTONUP:
        ButtonEvent(VK_LBUTTON, false);
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        ButtonEvent(VK_RBUTTON, true);
        break;
    case WM_RBUTTONUP:
        ButtonEvent(VK_RBUTTON, false);
        break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        ButtonEvent(VK_MBUTTON, true);
        break;
    case WM_MBUTTONUP:
        ButtonEvent(VK_MBUTTON, false);
        break;
    default:
        break;
    }
}

bool IsKeyDown(UINT vk)
{
    return Down(Keyboard().state, vk);
}

UINT VirtualKeyFromSdl(int scancode, int keycode, bool numLock, UINT* scanCode, bool* extended)
{
    struct Entry {
        int sdl;
        UINT vk;
        UINT scan;
        bool extended;
    };
    // Letters and digits are handled below; everything else by position.
    static const Entry table[] = {
        {SDL_SCANCODE_RETURN, VK_RETURN, 0x1C, false},
        {SDL_SCANCODE_ESCAPE, VK_ESCAPE, 0x01, false},
        {SDL_SCANCODE_BACKSPACE, VK_BACK, 0x0E, false},
        {SDL_SCANCODE_TAB, VK_TAB, 0x0F, false},
        {SDL_SCANCODE_SPACE, VK_SPACE, 0x39, false},
        {SDL_SCANCODE_MINUS, VK_OEM_MINUS, 0x0C, false},
        {SDL_SCANCODE_EQUALS, VK_OEM_PLUS, 0x0D, false},
        {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4, 0x1A, false},
        {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6, 0x1B, false},
        {SDL_SCANCODE_BACKSLASH, VK_OEM_5, 0x2B, false},
        {SDL_SCANCODE_NONUSHASH, VK_OEM_5, 0x2B, false},
        {SDL_SCANCODE_SEMICOLON, VK_OEM_1, 0x27, false},
        {SDL_SCANCODE_APOSTROPHE, VK_OEM_7, 0x28, false},
        {SDL_SCANCODE_GRAVE, VK_OEM_3, 0x29, false},
        {SDL_SCANCODE_COMMA, VK_OEM_COMMA, 0x33, false},
        {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD, 0x34, false},
        {SDL_SCANCODE_SLASH, VK_OEM_2, 0x35, false},
        {SDL_SCANCODE_NONUSBACKSLASH, VK_OEM_102, 0x56, false},
        {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL, 0x3A, false},
        {SDL_SCANCODE_F1, VK_F1, 0x3B, false},
        {SDL_SCANCODE_F2, VK_F1 + 1, 0x3C, false},
        {SDL_SCANCODE_F3, VK_F1 + 2, 0x3D, false},
        {SDL_SCANCODE_F4, VK_F1 + 3, 0x3E, false},
        {SDL_SCANCODE_F5, VK_F1 + 4, 0x3F, false},
        {SDL_SCANCODE_F6, VK_F1 + 5, 0x40, false},
        {SDL_SCANCODE_F7, VK_F1 + 6, 0x41, false},
        {SDL_SCANCODE_F8, VK_F1 + 7, 0x42, false},
        {SDL_SCANCODE_F9, VK_F1 + 8, 0x43, false},
        {SDL_SCANCODE_F10, VK_F1 + 9, 0x44, false},
        {SDL_SCANCODE_F11, VK_F1 + 10, 0x57, false},
        {SDL_SCANCODE_F12, VK_F1 + 11, 0x58, false},
        {SDL_SCANCODE_F13, VK_F1 + 12, 0x64, false},
        {SDL_SCANCODE_F14, VK_F1 + 13, 0x65, false},
        {SDL_SCANCODE_F15, VK_F1 + 14, 0x66, false},
        {SDL_SCANCODE_PRINTSCREEN, VK_SNAPSHOT, 0x37, true},
        {SDL_SCANCODE_SCROLLLOCK, VK_SCROLL, 0x46, false},
        {SDL_SCANCODE_PAUSE, VK_PAUSE, 0x45, false},
        {SDL_SCANCODE_INSERT, VK_INSERT, 0x52, true},
        {SDL_SCANCODE_HOME, VK_HOME, 0x47, true},
        {SDL_SCANCODE_PAGEUP, VK_PRIOR, 0x49, true},
        {SDL_SCANCODE_DELETE, VK_DELETE, 0x53, true},
        {SDL_SCANCODE_END, VK_END, 0x4F, true},
        {SDL_SCANCODE_PAGEDOWN, VK_NEXT, 0x51, true},
        {SDL_SCANCODE_RIGHT, VK_RIGHT, 0x4D, true},
        {SDL_SCANCODE_LEFT, VK_LEFT, 0x4B, true},
        {SDL_SCANCODE_DOWN, VK_DOWN, 0x50, true},
        {SDL_SCANCODE_UP, VK_UP, 0x48, true},
        {SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK, 0x45, true},
        {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE, 0x35, true},
        {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY, 0x37, false},
        {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT, 0x4A, false},
        {SDL_SCANCODE_KP_PLUS, VK_ADD, 0x4E, false},
        {SDL_SCANCODE_KP_ENTER, VK_RETURN, 0x1C, true},
        {SDL_SCANCODE_APPLICATION, VK_APPS, 0x5D, true},
        {SDL_SCANCODE_HELP, VK_HELP, 0, false},
        {SDL_SCANCODE_LCTRL, VK_CONTROL, 0x1D, false},
        {SDL_SCANCODE_LSHIFT, VK_SHIFT, 0x2A, false},
        {SDL_SCANCODE_LALT, VK_MENU, 0x38, false},
        {SDL_SCANCODE_LGUI, VK_LWIN, 0x5B, true},
        {SDL_SCANCODE_RCTRL, VK_CONTROL, 0x1D, true},
        {SDL_SCANCODE_RSHIFT, VK_SHIFT, 0x36, false},
        {SDL_SCANCODE_RALT, VK_MENU, 0x38, true},
        {SDL_SCANCODE_RGUI, VK_RWIN, 0x5C, true},
    };
    // The pad in rising order 1..9, 0, then the point: digits with Num Lock on,
    // the navigation keys without it.
    static const UINT padScan[] = {0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49, 0x52, 0x53};
    static const UINT padNavigation[] = {VK_END,  VK_DOWN, VK_NEXT,  VK_LEFT,   VK_CLEAR, VK_RIGHT,
                                         VK_HOME, VK_UP,   VK_PRIOR, VK_INSERT, VK_DELETE};
    static const UINT letterScan[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                        0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                        0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
    UINT scan = 0;
    bool ext = false;
    UINT vk = 0;
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
        // Letters follow the layout, as Windows' virtual keys do.
        const int letter =
            (keycode >= SDLK_a && keycode <= SDLK_z) ? keycode - SDLK_a : scancode - SDL_SCANCODE_A;
        vk = static_cast<UINT>('A' + letter);
        scan = letterScan[scancode - SDL_SCANCODE_A];
    } else if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_0) {
        const int index = scancode - SDL_SCANCODE_1; // 1..9 then 0
        vk = index == 9 ? '0' : static_cast<UINT>('1' + index);
        scan = static_cast<UINT>(0x02 + index);
    } else if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_PERIOD) {
        const int index = scancode - SDL_SCANCODE_KP_1;
        scan = padScan[index];
        if (numLock)
            vk = index == 10  ? VK_DECIMAL
                 : index == 9 ? VK_NUMPAD0
                              : VK_NUMPAD0 + 1 + static_cast<UINT>(index);
        else
            vk = padNavigation[index];
    } else {
        for (const Entry& e : table) {
            if (e.sdl == scancode) {
                vk = e.vk;
                scan = e.scan;
                ext = e.extended;
                break;
            }
        }
    }
    if (scanCode)
        *scanCode = scan;
    if (extended)
        *extended = ext;
    return vk;
}

} // namespace win32

BOOL GetKeyboardState(BYTE* keyState)
{
    KeyboardData& data = Keyboard();
    if (!keyState || data.fail)
        return FALSE;
    std::memcpy(keyState, data.state, sizeof(data.state));
    return TRUE;
}

int ToUnicode(UINT virtualKey, UINT scanCode, const BYTE* keyState, LPWSTR buffer, int bufferSize, UINT)
{
    if (!buffer || bufferSize < 1)
        return 0;
    const KeyboardData& data = Keyboard();
    long character = win32::kCharFromLayout;
    if (data.lastValid && data.lastVk == virtualKey && data.lastParam == scanCode)
        character = data.lastCharacter;
    if (character == win32::kCharFromLayout)
        character = LayoutCharacter(virtualKey & 0xFF, keyState);
    else if (character == win32::kCharAwaitingText)
        character = win32::ControlCharacter(virtualKey & 0xFF, keyState);
    if (character <= 0)
        return 0;
    buffer[0] = static_cast<wchar_t>(character);
    return 1;
}

void Win32_TestFailKeyboardState(bool fail)
{
    Keyboard().fail = fail;
}

void Win32_TestResetKeyboardState()
{
    KeyboardData& data = Keyboard();
    std::memset(data.state, 0, sizeof(data.state));
    data.lastValid = false;
}
