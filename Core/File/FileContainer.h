#pragma once
// A container whose public operations serve mounted archives first and fall back to
// four local operations that each concrete container supplies.
#include "Core/File/Container.h"
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace file {

class Archiver;

class FileContainer : public Container {
public:
    FileContainer();
    ~FileContainer() override;
    FileContainer(const FileContainer&) = delete;
    FileContainer& operator=(const FileContainer&) = delete;

    FileInfo* GetFileInfo(const std::wstring& path, const wchar_t* const* extensions = nullptr, u32 count = 0,
                          u32* outIndex = nullptr) override;

    // `folder` is normalised to end in one '/'; results are relative to it or start
    // with it. Always 0; a folder that cannot be read leaves `out` unchanged.
    virtual u32 ListFiles(const std::wstring& folder, bool recursive, std::vector<std::wstring>& out,
                          bool relative);
    virtual u32 ListDirs(const std::wstring& folder, std::vector<std::wstring>& out, bool relative);
    virtual bool Exists(const std::wstring& path, const wchar_t* const* extensions = nullptr, u32 count = 0,
                        u32* outIndex = nullptr);
    virtual bool IsDirectory(const std::wstring& path);

    virtual u32 ListFilesLocal(const std::wstring& prefix, const std::wstring& folder,
                               const std::wstring& sub, bool recursive, std::vector<std::wstring>& out,
                               bool relative) = 0;
    virtual u32 ListDirsLocal(const std::wstring& prefix, const std::wstring& folder, const std::wstring& sub,
                              std::vector<std::wstring>& out, bool relative) = 0;
    virtual bool ExistsLocal(const std::wstring& path, const wchar_t* const* extensions, u32 count,
                             u32* outIndex) = 0;
    virtual bool IsDirectoryLocal(const std::wstring& path) = 0;

    u8 inArchive = 0;
    // Archivers made by lookups through this container, by archive file path.
    std::map<std::wstring, std::unique_ptr<Archiver>> archives;
};

// The archiver that serves `path` for `container` through the file manager's mount
// table, with the path inside the archive; null when loose files serve it.
Archiver* ResolveArchivePath(FileContainer* container, const std::wstring& path, std::wstring& innerPath);

} // namespace file
