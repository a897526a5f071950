#include "Platform/Win32/WinProcess.h"
#include "Platform/Win32/WinUtf8.h"

#include <SDL.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

// ---------------------------------------------------------------------------
// COM

HRESULT CoInitialize(LPVOID)
{
    return S_OK;
}

void CoUninitialize() {}

// ---------------------------------------------------------------------------
// Command line

namespace {

std::mutex gCommandLineMutex;
bool gCommandLineSet = false;
std::vector<std::wstring> gArguments;
std::wstring gCommandLine;

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

// Quotes one argument so that the splitting rules give it back unchanged.
void AppendQuoted(std::wstring& line, const std::wstring& argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += argument;
        return;
    }
    line.push_back(L'"');
    for (std::size_t i = 0;; ++i) {
        std::size_t backslashes = 0;
        while (i < argument.size() && argument[i] == L'\\') {
            ++i;
            ++backslashes;
        }
        if (i == argument.size()) {
            line.append(backslashes * 2, L'\\');
            break;
        }
        if (argument[i] == L'"') {
            line.append(backslashes * 2 + 1, L'\\');
            line.push_back(L'"');
        } else {
            line.append(backslashes, L'\\');
            line.push_back(argument[i]);
        }
    }
    line.push_back(L'"');
}

std::vector<std::string> ReadProcCommandLine()
{
    std::vector<std::string> result;
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = all.find('\0', start);
        if (end == std::string::npos)
            end = all.size();
        result.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    return result;
}

void BuildCommandLine(const std::vector<std::string>& arguments)
{
    gArguments.clear();
    gCommandLine.clear();
    for (const std::string& argument : arguments) {
        gArguments.push_back(Win32_Utf8ToWide(argument));
        if (!gCommandLine.empty())
            gCommandLine.push_back(L' ');
        AppendQuoted(gCommandLine, gArguments.back());
    }
    gCommandLineSet = true;
}

} // namespace

void Win32_SetCommandLine(int argc, const char* const* argv)
{
    std::vector<std::string> arguments;
    for (int i = 0; argv && i < argc; ++i)
        arguments.emplace_back(argv[i] ? argv[i] : "");
    std::lock_guard<std::mutex> guard(gCommandLineMutex);
    BuildCommandLine(arguments);
}

LPWSTR GetCommandLineW()
{
    std::lock_guard<std::mutex> guard(gCommandLineMutex);
    if (!gCommandLineSet)
        BuildCommandLine(ReadProcCommandLine());
    return gCommandLine.data();
}

LPWSTR* CommandLineToArgvW(LPCWSTR commandLine, int* argc)
{
    if (!argc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::vector<std::wstring> arguments;
    if (!commandLine || !*commandLine) {
        // As on Windows: an empty line yields the executable's path.
        wchar_t path[4096] = {};
        GetModuleFileNameW(nullptr, path, 4096);
        arguments.emplace_back(path);
    } else {
        const std::wstring line(commandLine);
        std::size_t i = 0;
        // The program name: up to the next blank, or a quoted run; no escapes.
        std::wstring first;
        if (line[0] == L'"') {
            i = 1;
            while (i < line.size() && line[i] != L'"')
                first.push_back(line[i++]);
            if (i < line.size())
                ++i;
        } else {
            while (i < line.size() && !IsBlank(line[i]))
                first.push_back(line[i++]);
        }
        arguments.push_back(first);
        for (;;) {
            while (i < line.size() && IsBlank(line[i]))
                ++i;
            if (i >= line.size())
                break;
            std::wstring argument;
            bool quoted = false;
            while (i < line.size() && (quoted || !IsBlank(line[i]))) {
                std::size_t backslashes = 0;
                while (i < line.size() && line[i] == L'\\') {
                    ++backslashes;
                    ++i;
                }
                if (i < line.size() && line[i] == L'"') {
                    argument.append(backslashes / 2, L'\\');
                    if (backslashes % 2 == 1) {
                        argument.push_back(L'"');
                        ++i;
                    } else if (quoted && i + 1 < line.size() && line[i + 1] == L'"') {
                        // "" inside quotes is one literal quote.
                        argument.push_back(L'"');
                        i += 2;
                    } else {
                        quoted = !quoted;
                        ++i;
                    }
                } else {
                    argument.append(backslashes, L'\\');
                    if (i < line.size() && (quoted || !IsBlank(line[i])))
                        argument.push_back(line[i++]);
                }
            }
            arguments.push_back(argument);
        }
    }

    // One block: the pointer array (null-terminated) followed by the strings.
    std::size_t characters = 0;
    for (const std::wstring& argument : arguments)
        characters += argument.size() + 1;
    const std::size_t pointerBytes = (arguments.size() + 1) * sizeof(LPWSTR);
    void* block = std::malloc(pointerBytes + characters * sizeof(wchar_t));
    if (!block) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nullptr;
    }
    auto** table = static_cast<LPWSTR*>(block);
    auto* text = reinterpret_cast<wchar_t*>(static_cast<char*>(block) + pointerBytes);
    for (std::size_t k = 0; k < arguments.size(); ++k) {
        table[k] = text;
        std::wmemcpy(text, arguments[k].c_str(), arguments[k].size() + 1);
        text += arguments[k].size() + 1;
    }
    table[arguments.size()] = nullptr;
    *argc = static_cast<int>(arguments.size());
    return table;
}

HLOCAL LocalFree(HLOCAL memory)
{
    std::free(memory);
    return nullptr;
}

// ---------------------------------------------------------------------------
// Modules

namespace {
// Stands for the process's own image; never dereferenced.
char gModuleToken;
} // namespace

HMODULE GetModuleHandleA(LPCSTR moduleName)
{
    if (moduleName) {
        SetLastError(126); // ERROR_MOD_NOT_FOUND: only the process's own module exists
        return nullptr;
    }
    return reinterpret_cast<HMODULE>(&gModuleToken);
}

HMODULE GetModuleHandleW(LPCWSTR moduleName)
{
    if (moduleName) {
        SetLastError(126);
        return nullptr;
    }
    return reinterpret_cast<HMODULE>(&gModuleToken);
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size)
{
    if (module && module != reinterpret_cast<HMODULE>(&gModuleToken)) {
        SetLastError(126);
        return 0;
    }
    std::vector<char> raw(4096);
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", raw.data(), raw.size());
        if (length < 0) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return 0;
        }
        if (static_cast<std::size_t>(length) < raw.size()) {
            raw.resize(static_cast<std::size_t>(length));
            break;
        }
        raw.resize(raw.size() * 2);
    }
    const std::wstring path = Win32_Utf8ToWide(std::string(raw.begin(), raw.end()));
    if (!buffer || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() >= size) {
        std::wmemcpy(buffer, path.c_str(), size - 1);
        buffer[size - 1] = L'\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::wmemcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}

// ---------------------------------------------------------------------------
// Last error

namespace {
thread_local DWORD gLastError = ERROR_SUCCESS;
}

void SetLastError(DWORD error)
{
    gLastError = error;
}

DWORD GetLastError()
{
    return gLastError;
}

// ---------------------------------------------------------------------------
// Debugger channel

void OutputDebugStringW(LPCWSTR text)
{
    if (!text)
        return;
    const std::string bytes = Win32_WideToUtf8(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    std::fflush(stderr);
}

void OutputDebugStringA(LPCSTR text)
{
    if (!text)
        return;
    std::fputs(text, stderr);
    std::fflush(stderr);
}

// ---------------------------------------------------------------------------
// Message boxes

namespace {
std::mutex gMessageBoxMutex;
bool gMessageBoxesToStderr = false;
int gMessageBoxCount = 0;
std::wstring gLastMessageBoxText;

// The headless drivers have no one to click a dialog away.
bool HeadlessVideo()
{
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}
} // namespace

int MessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT type)
{
    const std::string body = Win32_WideToUtf8(text ? text : L"");
    const std::string title = Win32_WideToUtf8(caption ? caption : L"Error");
    bool toStderr;
    {
        std::lock_guard<std::mutex> guard(gMessageBoxMutex);
        ++gMessageBoxCount;
        gLastMessageBoxText = text ? text : L"";
        toStderr = gMessageBoxesToStderr;
    }
    bool shown = false;
    if (!toStderr && !HeadlessVideo()) {
        Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
        if ((type & 0xF0) == MB_ICONERROR)
            flags = SDL_MESSAGEBOX_ERROR;
        else if ((type & 0xF0) == MB_ICONWARNING)
            flags = SDL_MESSAGEBOX_WARNING;
        shown = SDL_ShowSimpleMessageBox(flags, title.c_str(), body.c_str(), nullptr) == 0;
    }
    if (!shown) {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), body.c_str());
        std::fflush(stderr);
    }
    return IDOK;
}

void Win32_SetMessageBoxesToStderr(bool toStderr)
{
    std::lock_guard<std::mutex> guard(gMessageBoxMutex);
    gMessageBoxesToStderr = toStderr;
}

int Win32_MessageBoxCount()
{
    std::lock_guard<std::mutex> guard(gMessageBoxMutex);
    return gMessageBoxCount;
}

const wchar_t* Win32_LastMessageBoxText()
{
    std::lock_guard<std::mutex> guard(gMessageBoxMutex);
    return gLastMessageBoxText.c_str();
}

// ---------------------------------------------------------------------------
// Time

BOOL QueryPerformanceCounter(LARGE_INTEGER* counter)
{
    if (!counter)
        return FALSE;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    counter->QuadPart = static_cast<std::int64_t>(now.tv_sec) * 1000000000LL + now.tv_nsec;
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency)
{
    if (!frequency)
        return FALSE;
    frequency->QuadPart = 1000000000LL;
    return TRUE;
}

void Sleep(DWORD milliseconds)
{
    timespec request{static_cast<time_t>(milliseconds / 1000),
                     static_cast<long>(milliseconds % 1000) * 1000000L};
    timespec remaining{};
    while (nanosleep(&request, &remaining) != 0 && errno == EINTR)
        request = remaining;
}

DWORD GetTickCount()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<DWORD>(static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                              static_cast<std::uint64_t>(now.tv_nsec) / 1000000u);
}

// ---------------------------------------------------------------------------
// Per-user folders

namespace {

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// mkdir -p, best effort: a missing data folder should not stop the first run.
void MakeFolders(const std::string& path)
{
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (!part.empty())
            mkdir(part.c_str(), 0700);
        if (slash == std::string::npos)
            break;
    }
}

} // namespace

HRESULT SHGetFolderPathW(HWND, int folder, HANDLE, DWORD, LPWSTR path)
{
    if (!path)
        return E_INVALIDARG;
    const char* xdgName = nullptr;
    const char* homeSuffix = nullptr;
    switch (folder) {
    case CSIDL_APPDATA:
        xdgName = "XDG_DATA_HOME";
        homeSuffix = "/.local/share";
        break;
    case CSIDL_PERSONAL:
        xdgName = "XDG_DOCUMENTS_DIR";
        homeSuffix = "/Documents";
        break;
    default:
        return E_INVALIDARG;
    }
    // Relative XDG paths are invalid by the XDG rules and are ignored.
    std::string result = Environment(xdgName);
    if (result.empty() || result[0] != '/') {
        const std::string home = Environment("HOME");
        if (home.empty())
            return E_FAIL;
        result = home + homeSuffix;
    }
    while (result.size() > 1 && result.back() == '/')
        result.pop_back();
    const std::wstring wide = Win32_Utf8ToWide(result);
    if (wide.size() >= static_cast<std::size_t>(MAX_PATH))
        return E_FAIL;
    if (folder == CSIDL_APPDATA)
        MakeFolders(result);
    std::wmemcpy(path, wide.c_str(), wide.size() + 1);
    return S_OK;
}

// ---------------------------------------------------------------------------
// Critical sections

struct Win32CriticalSectionImpl {
    std::recursive_mutex mutex;
};

void InitializeCriticalSection(LPCRITICAL_SECTION section)
{
    if (section)
        section->impl = new Win32CriticalSectionImpl;
}

void EnterCriticalSection(LPCRITICAL_SECTION section)
{
    if (section && section->impl)
        section->impl->mutex.lock();
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section)
{
    if (section && section->impl)
        return section->impl->mutex.try_lock() ? TRUE : FALSE;
    return FALSE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION section)
{
    if (section && section->impl)
        section->impl->mutex.unlock();
}

void DeleteCriticalSection(LPCRITICAL_SECTION section)
{
    if (section) {
        delete section->impl;
        section->impl = nullptr;
    }
}

// ---------------------------------------------------------------------------
// Threads

namespace {

struct ThreadRecord {
    std::mutex mutex;
    std::condition_variable changed;
    bool released = false; // false while created suspended
    bool done = false;
    bool detached = false; // the handle was closed while the thread ran
    int priority = THREAD_PRIORITY_NORMAL;
    std::thread thread;
};

std::atomic<DWORD> gNextThreadId{1};
thread_local DWORD gThreadId = 0;

} // namespace

HANDLE CreateThread(LPVOID, std::size_t, LPTHREAD_START_ROUTINE routine, LPVOID parameter, DWORD flags,
                    DWORD* threadId)
{
    if (!routine) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* record = new ThreadRecord;
    record->released = (flags & CREATE_SUSPENDED) == 0;
    const DWORD id = gNextThreadId++;
    if (threadId)
        *threadId = id;
    record->thread = std::thread([record, routine, parameter, id] {
        gThreadId = id;
        {
            std::unique_lock<std::mutex> lock(record->mutex);
            record->changed.wait(lock, [record] { return record->released; });
        }
        routine(parameter);
        bool detached;
        {
            std::lock_guard<std::mutex> guard(record->mutex);
            record->done = true;
            detached = record->detached;
            record->changed.notify_all();
        }
        if (detached)
            delete record;
    });
    return record;
}

DWORD ResumeThread(HANDLE thread)
{
    if (!thread)
        return static_cast<DWORD>(-1);
    auto* record = static_cast<ThreadRecord*>(thread);
    std::lock_guard<std::mutex> guard(record->mutex);
    const DWORD previous = record->released ? 0 : 1;
    record->released = true;
    record->changed.notify_all();
    return previous;
}

BOOL SetThreadPriority(HANDLE thread, int priority)
{
    if (!thread)
        return FALSE;
    auto* record = static_cast<ThreadRecord*>(thread);
    std::lock_guard<std::mutex> guard(record->mutex);
    record->priority = priority;
    return TRUE;
}

int GetThreadPriority(HANDLE thread)
{
    if (!thread)
        return THREAD_PRIORITY_NORMAL;
    auto* record = static_cast<ThreadRecord*>(thread);
    std::lock_guard<std::mutex> guard(record->mutex);
    return record->priority;
}

DWORD WaitForSingleObject(HANDLE thread, DWORD milliseconds)
{
    if (!thread)
        return WAIT_FAILED;
    auto* record = static_cast<ThreadRecord*>(thread);
    std::unique_lock<std::mutex> lock(record->mutex);
    if (milliseconds == INFINITE) {
        record->changed.wait(lock, [record] { return record->done; });
        return WAIT_OBJECT_0;
    }
    const bool done = record->changed.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                               [record] { return record->done; });
    return done ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

BOOL CloseThreadHandle(HANDLE thread)
{
    if (!thread)
        return FALSE;
    auto* record = static_cast<ThreadRecord*>(thread);
    {
        std::lock_guard<std::mutex> guard(record->mutex);
        if (!record->done) {
            // Still running: it deletes its own record when it ends. A suspended
            // thread that is never resumed would wait forever, so let it run out.
            record->released = true;
            record->detached = true;
            record->thread.detach();
            record->changed.notify_all();
            return TRUE;
        }
    }
    record->thread.join();
    delete record;
    return TRUE;
}

DWORD GetCurrentThreadId()
{
    if (gThreadId == 0)
        gThreadId = gNextThreadId++;
    return gThreadId;
}

// ---------------------------------------------------------------------------
// Shell

namespace {
std::atomic<void (*)(const char*, const char*)> gShellRecorder{nullptr};

bool EndsWith(const std::string& text, const char* suffix)
{
    const size_t n = std::strlen(suffix);
    if (text.size() < n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - n + i])) != suffix[i])
            return false;
    return true;
}

// Why the shell must not hand `target` to the desktop's opener, or null when it may:
// only web and mail links, and documents that are not programs, are opened.
const char* RefusalReason(std::string& target)
{
    const size_t colon = target.find(':');
    const size_t slash = target.find_first_of("/\\");
    if (colon != std::string::npos && colon > 1 && (slash == std::string::npos || colon < slash)) {
        std::string scheme = target.substr(0, colon);
        for (char& c : scheme)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (scheme == "http" || scheme == "https" || scheme == "mailto")
            return nullptr;
        return "a link of a kind that may start a program";
    }
    // A path: Windows separators as the file calls take them.
    for (char& c : target)
        if (c == '\\')
            c = '/';
    for (const char* extension : {".exe", ".com", ".bat", ".cmd", ".msi", ".scr", ".pif", ".lnk", ".sh", ".desktop",
                                  ".appimage", ".run", ".bin", ".jar", ".py", ".pl"})
        if (EndsWith(target, extension))
            return "a program";
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        if (info.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH))
            return "an executable file";
        char head[4] = {};
        if (std::FILE* file = std::fopen(target.c_str(), "rb")) {
            const size_t got = std::fread(head, 1, sizeof head, file);
            std::fclose(file);
            if ((got >= 2 && head[0] == '#' && head[1] == '!') || (got >= 2 && head[0] == 'M' && head[1] == 'Z') ||
                (got == 4 && std::memcmp(head, "\x7f" "ELF", 4) == 0))
                return "a program";
        }
    }
    return nullptr;
}
} // namespace

void Win32_SetShellExecuteRecorder(void (*recorder)(const char* file, const char* parameters))
{
    gShellRecorder = recorder;
}

HINSTANCE ShellExecuteA(HWND, LPCSTR, LPCSTR file, LPCSTR parameters, LPCSTR, int)
{
    constexpr std::intptr_t kFileNotFound = 2;
    constexpr std::intptr_t kSuccess = 42;
    constexpr std::intptr_t kAccessDenied = 5;
    if (!file || !*file)
        return reinterpret_cast<HINSTANCE>(kFileNotFound);
    // Documents and links only: a name from data must never start a program.
    std::string target = file;
    if (const char* reason = RefusalReason(target)) {
        std::fprintf(stderr, "ShellExecuteA: refused to open %s: it is %s\n", file, reason);
        std::fflush(stderr);
        return reinterpret_cast<HINSTANCE>(kAccessDenied);
    }
    if (auto recorder = gShellRecorder.load()) {
        recorder(target.c_str(), parameters ? parameters : "");
        return reinterpret_cast<HINSTANCE>(kSuccess);
    }
    // The shell puts xdg-open in the background and exits at once, so the opened
    // program is not our child and nothing waits for it.
    const pid_t child = fork();
    if (child < 0)
        return reinterpret_cast<HINSTANCE>(kFileNotFound);
    if (child == 0) {
        const char* argv[] = {"/bin/sh", "-c", "xdg-open \"$1\" >/dev/null 2>&1 </dev/null &",
                              "sh",      target.c_str(), nullptr};
        execve("/bin/sh", const_cast<char**>(argv), environ);
        _exit(127);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return reinterpret_cast<HINSTANCE>(kFileNotFound);
    return reinterpret_cast<HINSTANCE>(kSuccess);
}
