#pragma once
// The engine's window: each pass of the loop it pumps one message, then runs either the
// application's frame or, after Alt+Enter, its screen-mode switch.
#include "Core/App/Win32/WindowWin32.h"
#include "Core/App/Window.h"

namespace framework {

class GameWindow : public app::Window, public app::WindowWin32 {
public:
    explicit GameWindow(input::InputWin32* input);

    GEResultEnum Tick(float dt) override;
    void OnActivate() override;
    void OnDeactivate() override;
    void OnPaint() override;
    virtual i32 GetWidth();
    virtual i32 GetHeight();

    HWND GetHandle() const override;
};

} // namespace framework
