#include "Core/App/Win32/ApplicationWin32.h"
#include "Core/App/Application.h"
#include "Core/Base/Log.h"
#include "Core/File/Path.h"
#include "Platform/Win32/Windows.h"

#include <algorithm>

namespace app {

namespace {

// The executable's path. Linux paths can be far longer than the classic 260
// characters, so a path that does not fit is read again into a larger buffer.
bool ReadExecutablePath(std::wstring& path, DWORD& error)
{
    for (DWORD capacity = MAX_PATH; capacity <= 32768; capacity *= 2) {
        std::wstring buffer(capacity, L'\0');
        SetLastError(0);
        const DWORD length = GetModuleFileNameW(GetModuleHandleW(nullptr), buffer.data(), capacity);
        error = GetLastError();
        if (error == ERROR_INSUFFICIENT_BUFFER)
            continue;
        if (error != 0 || length == 0)
            return false;
        buffer.resize(length);
        path = buffer;
        return true;
    }
    return false;
}

} // namespace

ApplicationWin32::ApplicationWin32() : Thread(false, true, true, true) {}

ApplicationWin32::~ApplicationWin32()
{
    if (directXFailed)
        MessageBoxW(nullptr,
                    L"Failed to init DirectX 9 render: video card does'n support vertex shaders 1.1 and(or) "
                    L"pixel shaders 2.0",
                    L"Error", MB_ICONERROR);
}

void ApplicationWin32::DispatchOneMessage()
{
    MSG message{};
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

GEResultEnum ApplicationWin32::Tick(float)
{
    DispatchOneMessage();
    return GE_OK;
}

void ApplicationWin32::AttachDebugLog()
{
    if (debugLogAttached)
        return;
    debugLogAttached = true;
    base::MainLog::Instance()->plainOutputs.push_back(new TextLogWrapper(new base::LogDebugOutput));
}

GEResultEnum ApplicationWin32::Init()
{
    handle = GetModuleHandleA(nullptr);

    std::wstring path;
    DWORD error = 0;
    if (!ReadExecutablePath(path, error)) {
        // The debugger channel is not attached yet; attach it so the reason is seen.
        AttachDebugLog();
        GE_LOG(L"Start-up failed: the executable's path cannot be read (error %u)\n")
            << static_cast<unsigned>(error);
        return GE_FAIL;
    }
    exeFolder = file::GetFolderPath(path);

    AttachDebugLog();

    wchar_t folder[MAX_PATH + 1] = {};
    HRESULT result = SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, folder);
    if (result == E_FAIL) {
        folder[0] = L'\0';
        result = SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, folder);
    }
    if (SUCCEEDED(result)) {
        userDataFolder = file::NormalizePath(folder);
        return GE_OK;
    }
    GE_LOG(L"Start-up failed: no per-user data folder (set $HOME or $XDG_DATA_HOME)\n");
    return GE_FAIL;
}

GEResultEnum ApplicationWin32::OnStartup()
{
    return GE_OK;
}

GEResultEnum ApplicationWin32::InitLogFile(const std::wstring& folder)
{
    const std::wstring path = folder + L"log.html";
    GE_LOG(L"%s(0): Html log file\n") << path;
    if (heldLog) {
        // Start-up has not yet looked for a running copy: the held log moves here.
        logFolder = folder;
        return GE_OK;
    }
    // A second output on the same file would interleave records and cut the file.
    if (IsLogFile(path))
        return GE_OK;
    logFolder = folder;
    auto* file = new base::LogUtf8File(path);
    if (!file->IsOpen()) {
        GE_LOG(L"Cannot open the log file %s for writing\n") << path;
        delete file;
        return GE_OK;
    }
    base::MainLog::Instance()->htmlOutputs.push_back(new HtmlLogWrapper(file));
    logFiles.push_back(file::NormalizePath(path));
    return GE_OK;
}

bool ApplicationWin32::IsLogFile(const std::wstring& path) const
{
    const std::wstring normal = file::NormalizePath(path);
    return std::find(logFiles.begin(), logFiles.end(), normal) != logFiles.end();
}

void ApplicationWin32::HoldLogFile(const std::wstring& folder)
{
    if (heldLog)
        return;
    logFolder = folder;
    heldLog = new HtmlLogWrapper(new base::LogMemoryOutput);
    base::MainLog::Instance()->htmlOutputs.push_back(heldLog);
    // After the held output is listed, so that the file shows its own set-up.
    GE_LOG(L"%s(0): Html log file\n") << folder + L"log.html";
}

void ApplicationWin32::ReleaseHeldLog(bool open)
{
    if (!heldLog)
        return;
    auto* memory = static_cast<base::LogMemoryOutput*>(heldLog->output);
    const std::wstring path = logFolder + L"log.html";
    // The file may already be a log output of its own (opened before the hold).
    const bool alreadyOpen = IsLogFile(path);
    auto* file = open && !alreadyOpen ? new base::LogUtf8File(path) : nullptr;
    if (file && file->IsOpen()) {
        logFiles.push_back(file::NormalizePath(path));
        // The file goes on from the held lines as if it had been open from the start.
        file->Write(memory->held);
        heldLog->output = file;
        delete memory;
        heldLog = nullptr;
        return;
    }
    delete file;
    auto& outputs = base::MainLog::Instance()->htmlOutputs;
    outputs.erase(std::remove(outputs.begin(), outputs.end(), heldLog), outputs.end());
    heldLog->output = nullptr;
    delete heldLog;
    delete memory;
    heldLog = nullptr;
    if (open && !alreadyOpen)
        GE_LOG(L"Cannot open the log file %s for writing\n") << path;
}

void ApplicationWin32::Main()
{
    Application* application = GetApplication();
    if (GEResultEnum result = application->Startup()) {
        GE_LOG(L"Start-up failed: the game could not start (result %d)\n") << static_cast<int>(result);
        if (application->exitCode == 0)
            application->exitCode = 1;
    }
    if (!application->stopping)
        Run();
}

} // namespace app
