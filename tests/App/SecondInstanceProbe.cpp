// The second copy of the single-instance test: started by
// SingleInstance.SecondProcessRestoresTheFirstAndOpensNoWindow with the first copy's
// caption as its argument. It finds the first window, opens none of its own and stops;
// the exit status tells the test whether every check held (0) or which failed.
#include "Core/App/Application.h"
#include "Core/App/Win32/WindowWin32.h"
#include "Core/Input/Win32/InputWin32.h"
#include "Platform/Win32/WinTest.h"
#include "tests/Input/InputRecorder.h"
#include <cstdio>
#include <string>

namespace {

int Check(bool holds, const char* what)
{
    if (!holds)
        std::fprintf(stderr, "second instance: %s\n", what);
    return holds ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <caption of the running window>\n", argv[0]);
        return 2;
    }
    inputtest::InputRecorder recorder(true);
    input::InputWin32 in(&recorder, &recorder);
    app::WindowWin32 window(&in);
    const std::string caption(argv[1]);
    const GEResultEnum created =
        window.Create({0, 0}, {320, 240}, {320, 240}, true, std::wstring(caption.begin(), caption.end()));
    int failures = 0;
    failures += Check(created == GE_OK, "Create failed");
    failures += Check(window.created == 0, "a window was created");
    failures += Check(window.hwnd == nullptr, "a window handle was kept");
    failures += Check(Win32_TestWindowCount() == 0, "a window exists");
    failures += Check(GetApplication()->secondInstance == 1, "not marked as the second instance");
    failures += Check(GetApplication()->stopping == 1, "the application is not stopping");
    return failures == 0 ? 0 : 1;
}
