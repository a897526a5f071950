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

namespace {

// The display is gone and the platform ends the process right after this: say so, and
// let the log's outputs write their closing lines and close their files. Nothing else
// is torn down (the singleton registry never runs again).
void CloseLogOnDisplayLoss()
{
    GE_LOG(L"The connection to the display is lost; the program ends with status 1.\n");
    if (base::MainLog::Exists())
        delete base::MainLog::Instance();
}

} // namespace

int RunWinMain(int argc, char** argv)
{
    Win32_SetCommandLine(argc, argv);
    Win32_SetDisplayLostHandler(&CloseLogOnDisplayLoss);
    return WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace app
