#include "Core/Base/FileStream.h"

namespace file {

FileHandleWin32::~FileHandleWin32()
{
    if (handle != INVALID_HANDLE_VALUE && CloseHandle(handle)) {
        handle = INVALID_HANDLE_VALUE;
        path.clear();
    }
}

} // namespace file

namespace base {

u32 FileStream::GetSize()
{
    if (file.handle == INVALID_HANDLE_VALUE)
        return 0;
    const DWORD size = GetFileSize(file.handle, nullptr);
    return size == INVALID_FILE_SIZE ? 0 : size;
}

u32 FileStream::Read(void* buffer, u32 count)
{
    DWORD done = 0;
    if (file.handle == INVALID_HANDLE_VALUE || !ReadFile(file.handle, buffer, count, &done, nullptr))
        return 0;
    return done;
}

u32 FileStream::Write(const void* buffer, u32 count)
{
    DWORD done = 0;
    if (file.handle == INVALID_HANDLE_VALUE || !WriteFile(file.handle, buffer, count, &done, nullptr))
        return 0;
    return done;
}

u32 FileStream::Seek(i32 offset, u32 origin)
{
    // A closed stream has nothing to be positioned in; report the start rather than
    // the failure value, which callers would take for a position.
    if (file.handle == INVALID_HANDLE_VALUE)
        return 0;
    const DWORD method = origin == SeekBegin ? FILE_BEGIN : origin == SeekCurrent ? FILE_CURRENT : FILE_END;
    SetLastError(0);
    const DWORD moved = SetFilePointer(file.handle, offset, nullptr, method);
    if (GetLastError() == 0)
        return moved;
    return SetFilePointer(file.handle, 0, nullptr, FILE_CURRENT);
}

FileStreamCreator::FileStreamCreator(const std::wstring& path) : path(path), access(0), creation(2) {}

FileStreamCreator::FileStreamCreator(const std::wstring& path, u32 access, u32 creation)
    : path(path), access(access), creation(creation)
{
}

i32 FileStreamCreator::Create(Stream** out)
{
    DWORD desired = 0;
    DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    switch (access) {
    case 0:
        desired = GENERIC_READ;
        break;
    case 1:
        desired = GENERIC_WRITE;
        break;
    case 2:
        desired = GENERIC_READ | GENERIC_WRITE;
        break;
    default:
        share = 0;
        break;
    }
    DWORD disposition = 0;
    switch (creation) {
    case 0:
        disposition = CREATE_ALWAYS;
        break;
    case 1:
        disposition = CREATE_NEW;
        break;
    case 2:
        disposition = OPEN_EXISTING;
        break;
    default:
        break;
    }
    auto* stream = new FileStream;
    stream->file.handle = CreateFileW(path.c_str(), desired, share, nullptr, disposition, 0, nullptr);
    if (stream->file.handle == INVALID_HANDLE_VALUE) {
        delete stream;
        return 1;
    }
    stream->file.path = path;
    *out = stream;
    return 0;
}

} // namespace base
