#pragma once
// File calls of the Win32 subset, over POSIX file descriptors and directory streams.
// Paths are wide, taken literally and case-sensitively; '\' is a separator as on
// Windows. Failures set the thread's last error (GetLastError, WinProcess.h).
#include "Platform/Win32/WinProcess.h"
#include "Platform/Win32/WinTypes.h"

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;

constexpr DWORD FILE_SHARE_READ = 0x00000001;
constexpr DWORD FILE_SHARE_WRITE = 0x00000002;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;

constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFFu;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x00000001;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;

constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x00000001;

constexpr DWORD ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_NO_MORE_FILES = 18;
constexpr DWORD ERROR_WRITE_FAULT = 29;
constexpr DWORD ERROR_READ_FAULT = 30;
constexpr DWORD ERROR_GEN_FAILURE = 31;
constexpr DWORD ERROR_FILE_EXISTS = 80;
constexpr DWORD ERROR_DISK_FULL = 112;
constexpr DWORD ERROR_INVALID_NAME = 123;
constexpr DWORD ERROR_NEGATIVE_SEEK = 131;
constexpr DWORD ERROR_DIR_NOT_EMPTY = 145;
constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;
constexpr DWORD ERROR_DIRECTORY = 267;

struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;
struct OVERLAPPED;
using LPOVERLAPPED = OVERLAPPED*;

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];
};
using LPWIN32_FIND_DATAW = WIN32_FIND_DATAW*;

// Access 0 opens for neither reading nor writing (reads and writes then fail).
// Share modes are accepted and not enforced. Directories cannot be opened. Opening
// never waits (a FIFO without a writer opens at once, as a Windows file would).
HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD creation, DWORD flags, HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, DWORD* read, LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD count, DWORD* written, LPOVERLAPPED overlapped);
// Returns the new position's low 32 bits, or INVALID_SET_FILE_POINTER with the last
// error set (ERROR_NEGATIVE_SEEK before the start; the position is then unchanged).
DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method);
DWORD GetFileSize(HANDLE file, DWORD* sizeHigh);
constexpr DWORD FILE_TYPE_UNKNOWN = 0x0000;
constexpr DWORD FILE_TYPE_DISK = 0x0001;
constexpr DWORD FILE_TYPE_CHAR = 0x0002;
constexpr DWORD FILE_TYPE_PIPE = 0x0003;
// A regular file is FILE_TYPE_DISK, a character device FILE_TYPE_CHAR, a FIFO or a
// socket FILE_TYPE_PIPE; anything else (and a bad handle) FILE_TYPE_UNKNOWN.
DWORD GetFileType(HANDLE file);
// Closes file handles from CreateFileW; FALSE for any other value.
BOOL CloseHandle(HANDLE handle);
// Waits until what was written is on the disk (fsync).
BOOL FlushFileBuffers(HANDLE file);

BOOL DeleteFileW(LPCWSTR path);
BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES security);
BOOL MoveFileExW(LPCWSTR existing, LPCWSTR replacement, DWORD flags);
// A second name for an existing file; fails when `link` exists (ERROR_ALREADY_EXISTS).
BOOL CreateHardLinkW(LPCWSTR link, LPCWSTR existing, LPSECURITY_ATTRIBUTES security);
// Literal lookup (no wildcards): FILE_ATTRIBUTE_DIRECTORY or FILE_ATTRIBUTE_NORMAL,
// INVALID_FILE_ATTRIBUTES when nothing is there.
DWORD GetFileAttributesW(LPCWSTR path);

BOOL SetCurrentDirectoryW(LPCWSTR path);
// Characters written without the terminator; when the buffer is too small, the
// size needed including the terminator (nothing written).
DWORD GetCurrentDirectoryW(DWORD size, LPWSTR buffer);

// Wildcards '*' and '?' are allowed in the last path component only; the folder part
// is literal. Entries, "." and ".." included, come sorted by their bytes so listings
// do not depend on the file system. INVALID_HANDLE_VALUE when nothing matches
// (ERROR_FILE_NOT_FOUND) or the folder cannot be read (ERROR_PATH_NOT_FOUND).
HANDLE FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data);
// FALSE with ERROR_NO_MORE_FILES after the last entry.
BOOL FindNextFileW(HANDLE find, LPWIN32_FIND_DATAW data);
BOOL FindClose(HANDLE find);
