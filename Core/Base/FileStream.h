#pragma once
#include "Core/Base/Stream.h"
#include "Platform/Win32/Windows.h"
#include <string>

namespace file {

// Owns one OS file handle; closing it on destruction.
class FileHandleWin32 {
public:
    FileHandleWin32() = default;
    virtual ~FileHandleWin32();
    FileHandleWin32(const FileHandleWin32&) = delete;
    FileHandleWin32& operator=(const FileHandleWin32&) = delete;

    HANDLE handle = INVALID_HANDLE_VALUE;
    std::wstring path;
};

} // namespace file

namespace base {

class FileStream : public Stream {
public:
    FileStream() = default;
    u32 GetSize() override;
    u32 Read(void* buffer, u32 count) override;
    u32 Write(const void* buffer, u32 count) override;
    u32 Seek(i32 offset, u32 origin) override;

    file::FileHandleWin32 file;
};

// Opens a path with CreateFileW. access: 0 read, 1 write, 2 both;
// creation: 0 CREATE_ALWAYS, 1 CREATE_NEW, 2 OPEN_EXISTING.
class FileStreamCreator : public StreamCreator {
public:
    explicit FileStreamCreator(const std::wstring& path);
    FileStreamCreator(const std::wstring& path, u32 access, u32 creation);
    i32 Create(Stream** out) override;

    std::wstring path;
    u32 access = 0;
    u32 creation = 2;
};

} // namespace base
