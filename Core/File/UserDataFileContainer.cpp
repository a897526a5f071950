#include "Core/File/UserDataFileContainer.h"
#include "Core/Base/FileStream.h"
#include "Core/File/FileManager.h"

namespace file {

base::Stream* UserDataFileContainerWin32::OpenRead(const std::wstring& path)
{
    return OpenDiskFile(root + path);
}

base::StreamCreator* UserDataFileContainerWin32::GetStreamCreator(const std::wstring& path)
{
    return new base::FileStreamCreator(root + path);
}

std::wstring UserDataFileContainerWin32::GetRootPath()
{
    return root;
}

u32 UserDataFileContainerWin32::ListFilesLocal(const std::wstring& prefix, const std::wstring&,
                                               const std::wstring&, bool recursive,
                                               std::vector<std::wstring>& out, bool relative)
{
    return FileManager::Instance()->ListFiles(root + prefix, recursive, out, relative);
}

u32 UserDataFileContainerWin32::ListDirsLocal(const std::wstring& prefix, const std::wstring&,
                                              const std::wstring&, std::vector<std::wstring>& out,
                                              bool relative)
{
    return FileManager::Instance()->ListDirs(root + prefix, out, relative);
}

bool UserDataFileContainerWin32::ExistsLocal(const std::wstring& path, const wchar_t* const* extensions,
                                             u32 count, u32* outIndex)
{
    return FileManager::Instance()->Exists(root + path, extensions, count, outIndex);
}

bool UserDataFileContainerWin32::IsDirectoryLocal(const std::wstring& path)
{
    return FileManager::Instance()->IsDirectory(root + path);
}

void UserDataFileContainerWin32::SetRoot(const std::wstring& folder)
{
    root = folder;
    if (!root.empty() && root.back() != L'/' && root.back() != L'\\')
        root += L'/';
}

UserDataFileContainer::~UserDataFileContainer()
{
    if (sInstance == this)
        sInstance = nullptr;
}

} // namespace file
