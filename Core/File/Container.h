#pragma once
// The interface through which every file is reached by a relative wide path. Objects
// returned by a container (streams, stream creators, file infos) belong to the caller.
#include "Core/Base/Stream.h"
#include "Core/Base/Types.h"
#include <string>

namespace file {

class FileInfo;

class Container {
public:
    virtual ~Container() = default;
    // The first existing variant of `path` (path + extensions[i], in order; the path
    // itself when `count` is 0), with the index of its extension; null when none.
    virtual FileInfo* GetFileInfo(const std::wstring& path, const wchar_t* const* extensions = nullptr,
                                  u32 count = 0, u32* outIndex = nullptr) = 0;
    virtual base::Stream* OpenRead(const std::wstring& path) = 0;
    virtual base::StreamCreator* GetStreamCreator(const std::wstring& path) = 0;
    virtual std::wstring GetRootPath() = 0;
};

} // namespace file
