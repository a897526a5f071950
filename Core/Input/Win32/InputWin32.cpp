#include "Core/Input/Win32/InputWin32.h"
#include "Platform/Win32/Windows.h"
#include <cstring>

namespace input {

InputWin32::InputWin32(InputListener* listener, CoordConverter* converter)
    : listener(listener), converter(converter)
{
    BuildKeyTables();
}

void InputWin32::BuildKeyTables()
{
    auto map = [this](u32 code, u32 vk) { keyToVirtual[code] = vk; };
    for (u32 code : {8u, 9u, 12u, 13u, 19u, 27u, 32u})
        map(code, code);
    for (u32 code = 48; code <= 57; ++code)
        map(code, code);
    map(58, 186);
    map(59, 186);
    for (u32 code = 97; code <= 122; ++code)
        map(code, code - 32);
    map(127, 46);
    for (u32 code = 256; code <= 265; ++code)
        map(code, code - 160);
    const u32 pad[] = {110, 111, 106, 109, 107, 13};
    for (u32 i = 0; i < 6; ++i)
        map(266 + i, pad[i]);
    const u32 arrows[] = {38, 40, 39, 37};
    for (u32 i = 0; i < 4; ++i)
        map(273 + i, arrows[i]);
    const u32 navigation[] = {45, 36, 35, 33, 34};
    for (u32 i = 0; i < 5; ++i)
        map(277 + i, navigation[i]);
    for (u32 code = 282; code <= 296; ++code)
        map(code, code - 170);
    map(300, 144);
    map(301, 20);
    map(302, 145);
    const u32 modifierKeys[] = {161, 160, 163, 162, 164, 165};
    for (u32 i = 0; i < 6; ++i)
        map(303 + i, modifierKeys[i]);
    map(311, 91);
    map(312, 92);
    map(315, 47);
    map(316, 42);
    map(317, 44);

    // Rising codes: for a virtual key reached twice the higher code wins.
    for (u32 code = 0; code < KeyCodeCount; ++code)
        virtualToKey[keyToVirtual[code]] = code;
}

u32 InputWin32::KeyFromVirtual(unsigned virtualKey) const
{
    return virtualKey < KeyCodeCount ? virtualToKey[virtualKey] : 0;
}

GEResultEnum InputWin32::Update()
{
    modifiers = 0;
    if (!GetKeyboardState(keyboard))
        return GE_FAIL;
    for (u32 k = 0; k < 256; ++k) {
        const bool down = (keyboard[k] & 0x80) != 0;
        u32& state = keyState[k];
        if (down)
            state = (state == KeyPressed || state == KeyHeld) ? KeyHeld : KeyPressed;
        else
            state = state == KeyHeld ? KeyReleased : KeyUp;
    }
    const struct {
        UINT vk;
        u32 bit;
    } modifierBits[] = {
        {VK_LSHIFT, ModLeftShift},      {VK_RSHIFT, ModRightShift}, {VK_LCONTROL, ModLeftControl},
        {VK_RCONTROL, ModRightControl}, {VK_LMENU, ModLeftAlt},     {VK_RMENU, ModRightAlt},
    };
    for (const auto& m : modifierBits)
        if (keyState[m.vk] == KeyHeld)
            modifiers |= m.bit;
    return GE_OK;
}

void InputWin32::OnKeyMessage(unsigned virtualKey, unsigned lParam)
{
    Update();
    // A key released and pressed again between two polls looks held to the poll; the
    // message's previous-state bit still tells a new press from an auto-repeat, so a
    // press that came faster than the frames is not lost.
    if (virtualKey < 256 && keyState[virtualKey] == KeyHeld && !(lParam & KF_REPEAT_BIT))
        keyState[virtualKey] = KeyPressed;
    if (virtualKey < 256 && keyState[virtualKey] == KeyPressed)
        listener->OnKeyDown(static_cast<int>(KeyFromVirtual(virtualKey)));
    wchar_t buffer[2] = {};
    if (ToUnicode(virtualKey, lParam, keyboard, buffer, 1, 0) == 1)
        listener->OnChar(buffer[0]);
}

void InputWin32::OnMouseMove(const point& windowPos)
{
    position = converter->ScreenToVirtual(windowPos);
    bool pressed = false;
    for (u32 state : buttonState)
        pressed = pressed || state == 1 || state == 2;
    if (pressed)
        listener->OnMouseDrag(position);
    else
        listener->OnMouseMove(position);
}

} // namespace input
