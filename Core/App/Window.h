#pragma once
// What the renderer knows of the window it draws into.
#include "Platform/Win32/WinTypes.h"

namespace app {

class Window {
public:
    virtual ~Window() = default;
    virtual HWND GetHandle() const = 0;
};

} // namespace app
