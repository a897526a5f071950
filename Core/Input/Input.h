#pragma once
// The portable name of the keyboard and mouse input.
#include "Core/Input/Win32/InputWin32.h"

namespace input {

class Input : public InputWin32 {
public:
    using InputWin32::InputWin32;
};

} // namespace input
