#pragma once
// The local-disk container: paths relative to its data folder (the current directory
// while none is set), matched literally.
#include "Core/File/FileContainer.h"

namespace file {

class FileManagerWin32 : public FileContainer {
public:
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

    // The folder that relative paths start from; a missing trailing '/' is added. The
    // process's current directory stays where it was, so that relative writes of the
    // libraries below never land in the (possibly installed, read-only) content.
    void SetDataFolder(const std::wstring& folder);
    // The file a content path names on disk: relative paths under the data folder,
    // absolute ones as they are.
    std::wstring OnDisk(const std::wstring& path) const;

    std::wstring dataFolder; // empty: the current directory
};

// Opens an existing file for reading; null when it cannot be opened.
base::Stream* OpenDiskFile(const std::wstring& path);

} // namespace file
