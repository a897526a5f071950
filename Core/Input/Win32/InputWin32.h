#pragma once
// Keyboard and mouse-button state, polled once per frame, and the window messages
// turned into calls on an input::InputListener.
#include "Core/Base/Types.h"
#include "Core/Input/CoordConverter.h"
#include "Core/Input/InputListener.h"

namespace input {

class InputWin32 {
public:
    // Key states.
    static constexpr u32 KeyUp = 0;
    static constexpr u32 KeyPressed = 1; // went down at this poll
    static constexpr u32 KeyHeld = 2;
    static constexpr u32 KeyReleased = 3; // went up at this poll
    // Button states (index 1 left, 3 right).
    static constexpr u32 ButtonUp = 0;
    static constexpr u32 ButtonDown = 1;
    static constexpr u32 ButtonDoubleClicked = 4;
    // `modifiers` bits, set for a held modifier key.
    static constexpr u32 ModLeftShift = 0x1;
    static constexpr u32 ModRightShift = 0x2;
    static constexpr u32 ModLeftControl = 0x40;
    static constexpr u32 ModRightControl = 0x80;
    static constexpr u32 ModLeftAlt = 0x100;
    static constexpr u32 ModRightAlt = 0x200;
    static constexpr u32 KeyCodeCount = 324;

    InputWin32(InputListener* listener, CoordConverter* converter);

    // The key poll: non-zero when the keyboard state cannot be read (states kept).
    GEResultEnum Update();
    // WM_KEYDOWN / WM_SYSKEYDOWN: polls, reports a first press and the typed character.
    void OnKeyMessage(unsigned virtualKey, unsigned lParam);
    void OnMouseMove(const point& windowPos);
    // The engine code of a virtual key (0 when it has none).
    u32 KeyFromVirtual(unsigned virtualKey) const;

    InputListener* listener;
    CoordConverter* converter;
    point position; // last pointer position, virtual units
    u32 buttonState[4] = {};
    u32 keyState[256] = {};
    u8 keyboard[256] = {};
    u32 keyToVirtual[KeyCodeCount] = {};
    u32 virtualToKey[KeyCodeCount] = {};
    u32 modifiers = 0;

private:
    void BuildKeyTables();
};

} // namespace input
