#include "Core/File/FileContainer.h"
#include "Core/File/Archiver.h"
#include "Core/File/FileInfo.h"
#include "Core/File/FileManager.h"
#include "Core/File/Path.h"

namespace file {

namespace {

// An archive that would be looked up again inside itself (or inside one of the
// archives it sits in) stands for the same file: resolving it would never end.
bool IsWithinArchive(Container* container, const std::wstring& archivePath)
{
    while (auto* archiver = dynamic_cast<Archiver*>(container)) {
        if (archiver->archivePath == archivePath)
            return true;
        container = archiver->owner;
    }
    return false;
}

} // namespace

Archiver* ResolveArchivePath(FileContainer* container, const std::wstring& path, std::wstring& innerPath)
{
    FileManager* manager = FileManager::Instance();
    for (const auto& [prefix, archivePath] : manager->mounts) {
        if (path.compare(0, prefix.size(), prefix) != 0)
            continue;
        if (IsWithinArchive(container, archivePath))
            continue;
        if (!container->ExistsLocal(archivePath, nullptr, 0, nullptr))
            continue;
        auto& cached = container->archives[archivePath];
        if (!cached)
            cached = std::make_unique<Archiver>(prefix, archivePath, container);
        // A refused archive is not mounted: the loose folder serves.
        if (cached->refused)
            continue;
        innerPath = path.substr(prefix.size());
        return cached.get();
    }
    return nullptr;
}

FileContainer::FileContainer() = default;

FileContainer::~FileContainer() = default;

FileInfo* FileContainer::GetFileInfo(const std::wstring& path, const wchar_t* const* extensions, u32 count,
                                     u32* outIndex)
{
    std::wstring inner;
    if (Archiver* archiver = ResolveArchivePath(this, path, inner))
        return archiver->GetFileInfo(inner, extensions, count, outIndex);
    u32 index = 0;
    if (!ExistsLocal(path, extensions, count, &index))
        return nullptr;
    if (outIndex)
        *outIndex = index;
    auto* info = new FileInfo;
    info->name = GetFileName(path);
    info->path = count && extensions ? path + extensions[index] : path;
    info->container = this;
    info->inArchive = inArchive;
    return info;
}

u32 FileContainer::ListFiles(const std::wstring& folder, bool recursive, std::vector<std::wstring>& out,
                             bool relative)
{
    const std::wstring normalized = NormalizePath(folder);
    std::wstring inner;
    if (Archiver* archiver = ResolveArchivePath(this, normalized, inner))
        return archiver->ListFilesLocal(normalized, inner, L"", recursive, out, relative);
    return ListFilesLocal(normalized, normalized, L"", recursive, out, relative);
}

u32 FileContainer::ListDirs(const std::wstring& folder, std::vector<std::wstring>& out, bool relative)
{
    const std::wstring normalized = NormalizePath(folder);
    std::wstring inner;
    if (Archiver* archiver = ResolveArchivePath(this, normalized, inner))
        return archiver->ListDirsLocal(normalized, inner, L"", out, relative);
    return ListDirsLocal(normalized, normalized, L"", out, relative);
}

bool FileContainer::Exists(const std::wstring& path, const wchar_t* const* extensions, u32 count,
                           u32* outIndex)
{
    std::wstring inner;
    if (Archiver* archiver = ResolveArchivePath(this, path, inner))
        return archiver->Exists(inner, extensions, count, outIndex);
    return ExistsLocal(path, extensions, count, outIndex);
}

bool FileContainer::IsDirectory(const std::wstring& path)
{
    std::wstring inner;
    if (Archiver* archiver = ResolveArchivePath(this, path, inner))
        return archiver->IsDirectory(inner);
    return IsDirectoryLocal(path);
}

} // namespace file
