#include "Core/File/FileManagerWin32.h"
#include "Core/Base/FileStream.h"

namespace file {

namespace {

// Literal lookups: a name holding '*' or '?' must not match whatever the pattern
// would, so existence is asked with the attribute call, never with a folder search.
DWORD AttributesOf(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str());
}

bool IsFile(const std::wstring& path)
{
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Walks one folder level: calls `visit(name, isDirectory)` for every entry but "."
// and "..". A folder that cannot be read is skipped silently.
template <class Visit> void ForEachEntry(const std::wstring& folder, Visit visit)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = data.cFileName;
        if (name.empty() || name == L"." || name == L"..")
            continue;
        visit(name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

} // namespace

base::Stream* OpenDiskFile(const std::wstring& path)
{
    auto* stream = new base::FileStream;
    stream->file.handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (stream->file.handle == INVALID_HANDLE_VALUE) {
        delete stream;
        return nullptr;
    }
    stream->file.path = path;
    return stream;
}

void FileManagerWin32::SetDataFolder(const std::wstring& folder)
{
    dataFolder = folder;
    if (!dataFolder.empty() && dataFolder.back() != L'/' && dataFolder.back() != L'\\')
        dataFolder += L'/';
}

std::wstring FileManagerWin32::OnDisk(const std::wstring& path) const
{
    const bool absolute = !path.empty() && (path[0] == L'/' || path[0] == L'\\');
    return absolute ? path : dataFolder + path;
}

base::Stream* FileManagerWin32::OpenRead(const std::wstring& path)
{
    return OpenDiskFile(OnDisk(path));
}

base::StreamCreator* FileManagerWin32::GetStreamCreator(const std::wstring& path)
{
    return new base::FileStreamCreator(OnDisk(path));
}

std::wstring FileManagerWin32::GetRootPath()
{
    return L"";
}

u32 FileManagerWin32::ListFilesLocal(const std::wstring& prefix, const std::wstring& folder,
                                     const std::wstring& sub, bool recursive, std::vector<std::wstring>& out,
                                     bool relative)
{
    ForEachEntry(OnDisk(folder + sub), [&](const std::wstring& name, bool isDirectory) {
        if (isDirectory) {
            if (recursive)
                ListFilesLocal(prefix, folder, sub + name + L"/", recursive, out, relative);
        } else {
            out.push_back(relative ? sub + name : prefix + sub + name);
        }
    });
    return 0;
}

u32 FileManagerWin32::ListDirsLocal(const std::wstring& prefix, const std::wstring& folder,
                                    const std::wstring& sub, std::vector<std::wstring>& out, bool relative)
{
    ForEachEntry(OnDisk(folder + sub), [&](const std::wstring& name, bool isDirectory) {
        if (isDirectory)
            out.push_back(relative ? sub + name : prefix + sub + name);
    });
    return 0;
}

bool FileManagerWin32::ExistsLocal(const std::wstring& path, const wchar_t* const* extensions, u32 count,
                                   u32* outIndex)
{
    const std::wstring file = OnDisk(path);
    if (count == 0 || !extensions)
        return IsFile(file);
    for (u32 i = 0; i < count; ++i) {
        if (IsFile(file + extensions[i])) {
            if (outIndex)
                *outIndex = i;
            return true;
        }
    }
    return false;
}

bool FileManagerWin32::IsDirectoryLocal(const std::wstring& path)
{
    const DWORD attributes = AttributesOf(OnDisk(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace file
