#include "Core/App/Win32/WinMain.h"
#include "Core/App/Application.h"
#include "Core/Base/Log.h"

#include <string>
#include <utility>
#include <vector>

int WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    CoInitialize(nullptr);

    std::vector<std::wstring> args;
    int count = 0;
    if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i)
            args.emplace_back(argv[i]);
        LocalFree(argv);
    }

    app::Application* application = GetApplication();
    application->args = std::move(args);

    // The application object stays: the singleton registry deletes it at exit.
    if (application->Init() != GE_OK) {
        GE_LOG(L"Start-up failed: the platform stage did not complete; exiting with status 1\n");
        CoUninitialize();
        return 1;
    }
    application->Main();
    CoUninitialize();
    return application->exitCode;
}

namespace app {

int RunWinMain(int argc, char** argv)
{
    Win32_SetCommandLine(argc, argv);
    return WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace app
