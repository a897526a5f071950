#pragma once
// The result of a lookup: open it with container->OpenRead(path).
#include "Core/Base/Types.h"
#include <string>

namespace file {

class Container;

class FileInfo {
public:
    virtual ~FileInfo() = default;

    std::wstring name;              // file-name part as asked, without an appended extension
    std::wstring path;              // path inside `container`, with the extension that matched
    Container* container = nullptr; // not owned
    u8 inArchive = 0;
};

} // namespace file
