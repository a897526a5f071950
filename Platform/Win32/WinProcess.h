#pragma once
// Process-level Win32 calls: COM, command line, module paths, error codes, the
// debugger channel, message boxes, the performance counter, per-user folders,
// critical sections, threads and shell execution.
#include "Platform/Win32/WinTypes.h"
#include <cstddef>

// --- COM (single-threaded apartment; nothing to do on this platform) ---
HRESULT CoInitialize(LPVOID reserved);
void CoUninitialize();

// --- Command line ---
// Hands the process's arguments (UTF-8) to the layer; main() calls it before anything
// else. Without it the command line is read from /proc/self/cmdline.
void Win32_SetCommandLine(int argc, const char* const* argv);
// The whole command line, each argument quoted where needed so that
// CommandLineToArgvW gives the arguments back unchanged.
LPWSTR GetCommandLineW();
// Splits a command line by the Windows rules (quotes, backslashes before quotes).
// The array and its strings are one block, freed with LocalFree. Null on failure.
LPWSTR* CommandLineToArgvW(LPCWSTR commandLine, int* argc);
using HLOCAL = void*;
HLOCAL LocalFree(HLOCAL memory);

// --- Modules ---
// The process's own module; any non-null handle stands for it.
HMODULE GetModuleHandleA(LPCSTR moduleName);
HMODULE GetModuleHandleW(LPCWSTR moduleName);
// The executable's path (/proc/self/exe). Returns the characters written without the
// terminator; when the buffer is too small the path is cut, terminated, and the last
// error is ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);

// --- Last error (per thread) ---
constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_ALREADY_EXISTS = 183;
void SetLastError(DWORD error);
DWORD GetLastError();

// --- Debugger channel: UTF-8 on stderr ---
void OutputDebugStringW(LPCWSTR text);
void OutputDebugStringA(LPCSTR text);

// --- Message boxes: an SDL message box, or stderr when no display is there ---
constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONWARNING = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr int IDOK = 1;
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
// Test hook: when set, message boxes go to stderr only (never a dialog that waits).
void Win32_SetMessageBoxesToStderr(bool toStderr);
// Test hook: how many message boxes the process has shown, and the last text.
int Win32_MessageBoxCount();
const wchar_t* Win32_LastMessageBoxText();

// --- Time: CLOCK_MONOTONIC in nanoseconds ---
BOOL QueryPerformanceCounter(LARGE_INTEGER* counter);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
void Sleep(DWORD milliseconds);
DWORD GetTickCount();

// --- Per-user folders ---
constexpr int CSIDL_PERSONAL = 0x0005;
constexpr int CSIDL_APPDATA = 0x001a;
constexpr int MAX_PATH = 260;
// CSIDL_APPDATA: $XDG_DATA_HOME, else $HOME/.local/share; CSIDL_PERSONAL:
// $XDG_DOCUMENTS_DIR, else $HOME/Documents. `path` holds MAX_PATH characters.
// E_FAIL without $HOME (or a path that does not fit), E_INVALIDARG for other folders.
HRESULT SHGetFolderPathW(HWND owner, int folder, HANDLE token, DWORD flags, LPWSTR path);

// --- Critical sections: recursive mutexes ---
struct Win32CriticalSectionImpl;
struct CRITICAL_SECTION {
    Win32CriticalSectionImpl* impl = nullptr;
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;
void InitializeCriticalSection(LPCRITICAL_SECTION section);
void EnterCriticalSection(LPCRITICAL_SECTION section);
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);
void LeaveCriticalSection(LPCRITICAL_SECTION section);
void DeleteCriticalSection(LPCRITICAL_SECTION section);

// --- Threads (minimum) ---
using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID parameter);
constexpr DWORD CREATE_SUSPENDED = 0x00000004;
constexpr DWORD INFINITE = 0xFFFFFFFFu;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;
constexpr int THREAD_PRIORITY_IDLE = -15;
constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
constexpr int THREAD_PRIORITY_HIGHEST = 2;
constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;
// Starts a thread running routine(parameter) (suspended until ResumeThread with
// CREATE_SUSPENDED). The handle is closed with CloseThreadHandle.
HANDLE CreateThread(LPVOID attributes, std::size_t stackSize, LPTHREAD_START_ROUTINE routine,
                    LPVOID parameter, DWORD flags, DWORD* threadId);
DWORD ResumeThread(HANDLE thread);
// Priorities are recorded only: threads run at the process's priority.
BOOL SetThreadPriority(HANDLE thread, int priority);
int GetThreadPriority(HANDLE thread);
// Waits for the thread to end (INFINITE, or a timeout in milliseconds).
DWORD WaitForSingleObject(HANDLE thread, DWORD milliseconds);
// Releases a thread handle; a thread still running is detached.
BOOL CloseThreadHandle(HANDLE thread);
DWORD GetCurrentThreadId();

// --- Shell: xdg-open, detached ---
// Opens documents and web or mail links only: a program (by extension, execute
// permission or file header) or a link of another kind is refused with 5 (access
// denied) and a line on stderr; '\' in a path is a separator. Returns a value
// greater than 32 on success, as the shell does.
HINSTANCE ShellExecuteA(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                        int showCommand);
// Test hook: when set, ShellExecuteA records the request instead of starting a program.
void Win32_SetShellExecuteRecorder(void (*recorder)(const char* file, const char* parameters));
