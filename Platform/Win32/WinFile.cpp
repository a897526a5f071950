#include "Platform/Win32/WinFile.h"
#include "Platform/Win32/WinUtf8.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>
#include <vector>

namespace {

struct FileRecord {
    int fd = -1;
    bool canRead = false;
    bool canWrite = false;
};

struct FindEntry {
    std::string name;
    DWORD attributes = 0;
    std::uint64_t size = 0;
};

struct FindRecord {
    std::vector<FindEntry> entries;
    std::size_t next = 0;
};

// Live handles, so that a stale or foreign value is refused instead of dereferenced.
std::mutex gHandlesLock;
std::unordered_set<const void*> gFiles;
std::unordered_set<const void*> gFinds;

template <class T> T* Lookup(std::unordered_set<const void*>& set, HANDLE handle)
{
    std::lock_guard<std::mutex> guard(gHandlesLock);
    return set.count(handle) ? static_cast<T*>(handle) : nullptr;
}

template <class T> HANDLE Register(std::unordered_set<const void*>& set, T* record)
{
    std::lock_guard<std::mutex> guard(gHandlesLock);
    set.insert(record);
    return record;
}

template <class T> T* Unregister(std::unordered_set<const void*>& set, HANDLE handle)
{
    std::lock_guard<std::mutex> guard(gHandlesLock);
    if (!set.erase(handle))
        return nullptr;
    return static_cast<T*>(handle);
}

DWORD ErrorFromErrno(int error)
{
    switch (error) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    default:
        return ERROR_GEN_FAILURE;
    }
}

BOOL FailWith(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

BOOL FailFromErrno()
{
    return FailWith(ErrorFromErrno(errno));
}

// Wide path to the bytes the system takes; '\' separates folders as on Windows.
bool ToSystemPath(LPCWSTR path, std::string& out)
{
    if (!path || !*path) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    out = Win32_WideToUtf8(path);
    std::replace(out.begin(), out.end(), '\\', '/');
    return true;
}

bool HasWildcards(const std::string& text)
{
    return text.find_first_of("*?") != std::string::npos;
}

DWORD AttributesOf(const struct stat& info)
{
    if (S_ISDIR(info.st_mode))
        return FILE_ATTRIBUTE_DIRECTORY;
    return (info.st_mode & 0222) ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
}

void FillFindData(const FindEntry& entry, LPWIN32_FIND_DATAW data)
{
    std::memset(data, 0, sizeof(*data));
    data->dwFileAttributes = entry.attributes;
    data->nFileSizeHigh = static_cast<DWORD>(entry.size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(entry.size);
    const std::wstring name = Win32_Utf8ToWide(entry.name);
    const std::size_t n = std::min<std::size_t>(name.size(), MAX_PATH - 1);
    std::copy(name.begin(), name.begin() + n, data->cFileName);
}

// fnmatch pattern for a Windows one: only '*' and '?' are special there.
std::string ToFnmatchPattern(const std::string& pattern)
{
    if (pattern == "*.*")
        return "*";
    std::string out;
    for (char c : pattern) {
        if (c == '[' || c == ']' || c == '\\')
            out += '\\';
        out += c;
    }
    return out;
}

} // namespace

HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD creation, DWORD, HANDLE)
{
    std::string systemPath;
    if (!ToSystemPath(path, systemPath))
        return INVALID_HANDLE_VALUE;
    const bool read = (access & GENERIC_READ) != 0;
    const bool write = (access & GENERIC_WRITE) != 0;
    int flags = O_CLOEXEC | (write ? (read ? O_RDWR : O_WRONLY) : O_RDONLY);
    switch (creation) {
    case CREATE_NEW:
        flags |= O_CREAT | O_EXCL;
        break;
    case CREATE_ALWAYS:
        flags |= O_CREAT | O_TRUNC;
        break;
    case OPEN_EXISTING:
        break;
    case OPEN_ALWAYS:
        flags |= O_CREAT;
        break;
    case TRUNCATE_EXISTING:
        flags |= O_TRUNC;
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if ((flags & O_TRUNC) && !write) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    int fd = -1;
    // Without O_NONBLOCK a FIFO would hold the open until a writer comes; the flag is
    // dropped again at once, so reads and writes behave as ever.
    do {
        fd = ::open(systemPath.c_str(), flags | O_NONBLOCK, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        FailFromErrno();
        return INVALID_HANDLE_VALUE;
    }
    const int status = ::fcntl(fd, F_GETFL);
    if (status != -1)
        ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    auto* record = new FileRecord;
    record->fd = fd;
    record->canRead = read;
    record->canWrite = write;
    return Register(gFiles, record);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, DWORD* read, LPOVERLAPPED)
{
    if (read)
        *read = 0;
    FileRecord* record = Lookup<FileRecord>(gFiles, file);
    if (!record)
        return FailWith(ERROR_INVALID_HANDLE);
    if (!record->canRead)
        return FailWith(ERROR_ACCESS_DENIED);
    auto* bytes = static_cast<char*>(buffer);
    DWORD done = 0;
    while (done < count) {
        const ssize_t got = ::read(record->fd, bytes + done, count - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            if (read)
                *read = done;
            return FailFromErrno();
        }
        if (got == 0)
            break;
        done += static_cast<DWORD>(got);
    }
    if (read)
        *read = done;
    return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD count, DWORD* written, LPOVERLAPPED)
{
    if (written)
        *written = 0;
    FileRecord* record = Lookup<FileRecord>(gFiles, file);
    if (!record)
        return FailWith(ERROR_INVALID_HANDLE);
    if (!record->canWrite)
        return FailWith(ERROR_ACCESS_DENIED);
    const auto* bytes = static_cast<const char*>(buffer);
    DWORD done = 0;
    while (done < count) {
        const ssize_t put = ::write(record->fd, bytes + done, count - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            if (written)
                *written = done;
            return put < 0 ? FailFromErrno() : FailWith(ERROR_WRITE_FAULT);
        }
        done += static_cast<DWORD>(put);
    }
    if (written)
        *written = done;
    return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method)
{
    FileRecord* record = Lookup<FileRecord>(gFiles, file);
    if (!record) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_SET_FILE_POINTER;
    }
    std::int64_t move = distance;
    if (distanceHigh)
        move = static_cast<std::int64_t>(
            (static_cast<std::uint64_t>(static_cast<std::uint32_t>(*distanceHigh)) << 32) |
            static_cast<std::uint32_t>(distance));
    std::int64_t base = 0;
    if (method == FILE_CURRENT) {
        base = ::lseek(record->fd, 0, SEEK_CUR);
    } else if (method == FILE_END) {
        struct stat info {};
        if (::fstat(record->fd, &info) != 0) {
            FailFromErrno();
            return INVALID_SET_FILE_POINTER;
        }
        base = info.st_size;
    } else if (method != FILE_BEGIN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (base < 0) {
        FailFromErrno();
        return INVALID_SET_FILE_POINTER;
    }
    const std::int64_t target = base + move;
    if (target < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    // Without a high part the position must fit in 32 bits.
    if (!distanceHigh && target > 0xFFFFFFFFll) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (::lseek(record->fd, target, SEEK_SET) < 0) {
        FailFromErrno();
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh)
        *distanceHigh = static_cast<LONG>(static_cast<std::uint64_t>(target) >> 32);
    return static_cast<DWORD>(target);
}

DWORD GetFileSize(HANDLE file, DWORD* sizeHigh)
{
    FileRecord* record = Lookup<FileRecord>(gFiles, file);
    struct stat info {};
    if (!record || ::fstat(record->fd, &info) != 0) {
        SetLastError(record ? ErrorFromErrno(errno) : ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    const auto size = static_cast<std::uint64_t>(info.st_size);
    if (sizeHigh)
        *sizeHigh = static_cast<DWORD>(size >> 32);
    return static_cast<DWORD>(size);
}

DWORD GetFileType(HANDLE file)
{
    FileRecord* record = Lookup<FileRecord>(gFiles, file);
    struct stat info {};
    if (!record || ::fstat(record->fd, &info) != 0) {
        SetLastError(record ? ErrorFromErrno(errno) : ERROR_INVALID_HANDLE);
        return FILE_TYPE_UNKNOWN;
    }
    SetLastError(ERROR_SUCCESS);
    if (S_ISREG(info.st_mode))
        return FILE_TYPE_DISK;
    if (S_ISCHR(info.st_mode))
        return FILE_TYPE_CHAR;
    if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode))
        return FILE_TYPE_PIPE;
    return FILE_TYPE_UNKNOWN;
}

BOOL CloseHandle(HANDLE handle)
{
    FileRecord* record = Unregister<FileRecord>(gFiles, handle);
    if (!record)
        return FailWith(ERROR_INVALID_HANDLE);
    const int result = ::close(record->fd);
    delete record;
    // The descriptor is released even when close reports a late write error.
    return result == 0 || errno == EINTR ? TRUE : FailFromErrno();
}

BOOL FlushFileBuffers(HANDLE file)
{
    FileRecord* record = Lookup<FileRecord>(gFiles, file);
    if (!record)
        return FailWith(ERROR_INVALID_HANDLE);
    int result;
    do {
        result = ::fsync(record->fd);
    } while (result != 0 && errno == EINTR);
    return result == 0 ? TRUE : FailFromErrno();
}

BOOL DeleteFileW(LPCWSTR path)
{
    std::string systemPath;
    if (!ToSystemPath(path, systemPath))
        return FALSE;
    struct stat info {};
    if (::lstat(systemPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return FailWith(ERROR_ACCESS_DENIED);
    return ::unlink(systemPath.c_str()) == 0 ? TRUE : FailFromErrno();
}

BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES)
{
    std::string systemPath;
    if (!ToSystemPath(path, systemPath))
        return FALSE;
    if (::mkdir(systemPath.c_str(), 0777) == 0)
        return TRUE;
    if (errno == EEXIST)
        return FailWith(ERROR_ALREADY_EXISTS);
    return errno == ENOENT ? FailWith(ERROR_PATH_NOT_FOUND) : FailFromErrno();
}

BOOL MoveFileExW(LPCWSTR existing, LPCWSTR replacement, DWORD flags)
{
    std::string from;
    std::string to;
    if (!ToSystemPath(existing, from) || !ToSystemPath(replacement, to))
        return FALSE;
    struct stat info {};
    if (!(flags & MOVEFILE_REPLACE_EXISTING) && ::lstat(to.c_str(), &info) == 0)
        return FailWith(ERROR_ALREADY_EXISTS);
    // rename replaces atomically: readers see the old file or the new one, never a mix.
    return ::rename(from.c_str(), to.c_str()) == 0 ? TRUE : FailFromErrno();
}

BOOL CreateHardLinkW(LPCWSTR link, LPCWSTR existing, LPSECURITY_ATTRIBUTES)
{
    std::string from;
    std::string to;
    if (!ToSystemPath(existing, from) || !ToSystemPath(link, to))
        return FALSE;
    if (::link(from.c_str(), to.c_str()) == 0)
        return TRUE;
    return errno == EEXIST ? FailWith(ERROR_ALREADY_EXISTS) : FailFromErrno();
}

DWORD GetFileAttributesW(LPCWSTR path)
{
    std::string systemPath;
    if (!ToSystemPath(path, systemPath))
        return INVALID_FILE_ATTRIBUTES;
    struct stat info {};
    if (::stat(systemPath.c_str(), &info) != 0) {
        FailFromErrno();
        return INVALID_FILE_ATTRIBUTES;
    }
    return AttributesOf(info);
}

BOOL SetCurrentDirectoryW(LPCWSTR path)
{
    std::string systemPath;
    if (!ToSystemPath(path, systemPath))
        return FALSE;
    return ::chdir(systemPath.c_str()) == 0 ? TRUE : FailFromErrno();
}

DWORD GetCurrentDirectoryW(DWORD size, LPWSTR buffer)
{
    std::vector<char> bytes(4096);
    while (!::getcwd(bytes.data(), bytes.size())) {
        if (errno != ERANGE) {
            FailFromErrno();
            return 0;
        }
        bytes.resize(bytes.size() * 2);
    }
    const std::wstring path = Win32_Utf8ToWide(bytes.data());
    if (!buffer || size <= path.size())
        return static_cast<DWORD>(path.size() + 1);
    std::copy(path.begin(), path.end(), buffer);
    buffer[path.size()] = 0;
    return static_cast<DWORD>(path.size());
}

HANDLE FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data)
{
    std::string systemPath;
    if (!ToSystemPath(pattern, systemPath))
        return INVALID_HANDLE_VALUE;
    const std::size_t slash = systemPath.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : systemPath.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? systemPath : systemPath.substr(slash + 1);
    if (name.empty()) {
        // Windows refuses a pattern that ends in a separator.
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }

    auto* record = new FindRecord;
    if (!HasWildcards(name)) {
        struct stat info {};
        if (::stat(systemPath.c_str(), &info) != 0) {
            delete record;
            FailFromErrno();
            return INVALID_HANDLE_VALUE;
        }
        record->entries.push_back({name, AttributesOf(info), static_cast<std::uint64_t>(info.st_size)});
    } else {
        DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
        if (!dir) {
            delete record;
            SetLastError(ERROR_PATH_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        const std::string match = ToFnmatchPattern(name);
        while (dirent* entry = ::readdir(dir)) {
            if (::fnmatch(match.c_str(), entry->d_name, 0) != 0)
                continue;
            struct stat info {};
            const std::string full = folder + entry->d_name;
            if (::stat(full.c_str(), &info) != 0 && ::lstat(full.c_str(), &info) != 0)
                continue;
            record->entries.push_back(
                {entry->d_name, AttributesOf(info), static_cast<std::uint64_t>(info.st_size)});
        }
        ::closedir(dir);
        std::sort(record->entries.begin(), record->entries.end(),
                  [](const FindEntry& a, const FindEntry& b) { return a.name < b.name; });
        if (record->entries.empty()) {
            delete record;
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
    }
    FillFindData(record->entries[0], data);
    record->next = 1;
    return Register(gFinds, record);
}

BOOL FindNextFileW(HANDLE find, LPWIN32_FIND_DATAW data)
{
    FindRecord* record = Lookup<FindRecord>(gFinds, find);
    if (!record)
        return FailWith(ERROR_INVALID_HANDLE);
    if (record->next >= record->entries.size())
        return FailWith(ERROR_NO_MORE_FILES);
    FillFindData(record->entries[record->next++], data);
    return TRUE;
}

BOOL FindClose(HANDLE find)
{
    FindRecord* record = Unregister<FindRecord>(gFinds, find);
    if (!record)
        return FailWith(ERROR_INVALID_HANDLE);
    delete record;
    return TRUE;
}
