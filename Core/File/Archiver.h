#pragma once
// The read-only container over one mounted "gepack" archive.
#include "Core/File/ArchiveIndex.h"
#include "Core/File/FileContainer.h"

namespace file {

class Archiver : public FileContainer {
public:
    // Reads the index of the pack file at `archivePath` (relative to the current
    // directory). A missing or damaged file gives a refused archiver: nothing looks
    // files up in it, so its folder is read loose.
    Archiver(const std::wstring& prefix, const std::wstring& archivePath, Container* owner);

    // Each opened entry is a window over its own handle on the pack file.
    base::Stream* OpenRead(const std::wstring& path) override;
    base::StreamCreator* GetStreamCreator(const std::wstring& path) override;
    std::wstring GetRootPath() override;

    u32 ListFilesLocal(const std::wstring& prefix, const std::wstring& folder, const std::wstring& sub,
                       bool recursive, std::vector<std::wstring>& out, bool relative) override;
    u32 ListDirsLocal(const std::wstring& prefix, const std::wstring& folder, const std::wstring& sub,
                      std::vector<std::wstring>& out, bool relative) override;
    bool ExistsLocal(const std::wstring& path, const wchar_t* const* extensions, u32 count,
                     u32* outIndex) override;
    bool IsDirectoryLocal(const std::wstring& path) override;

    Container* owner; // not owned
    std::wstring prefix;
    std::wstring archivePath;
    ArchiveIndex index;
    bool refused = false;
};

} // namespace file
