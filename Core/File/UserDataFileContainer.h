#pragma once
// The container for the per-user folder (profiles, log). Its lookups go through the
// file manager's public operations under the root.
#include "Core/Base/Singletone.h"
#include "Core/File/FileContainer.h"

namespace file {

class UserDataFileContainerWin32 : public FileContainer {
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

    // The per-user folder; a missing trailing '/' is added.
    void SetRoot(const std::wstring& folder);

    std::wstring root;
};

class UserDataFileContainer : public UserDataFileContainerWin32,
                              public base::Singletone<UserDataFileContainer> {
public:
    // The container's Exists, not the singleton's.
    using UserDataFileContainerWin32::Exists;

    ~UserDataFileContainer() override;
};

} // namespace file
