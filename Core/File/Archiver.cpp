#include "Core/File/Archiver.h"
#include "Core/Base/FileStream.h"
#include "Core/Base/FrameStream.h"
#include "Core/Base/Log.h"
#include "Core/File/FileManagerWin32.h"

#include <memory>
#include <set>

namespace file {

namespace {

bool StartsWith(const std::wstring& text, const std::wstring& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

Archiver::Archiver(const std::wstring& prefix, const std::wstring& archivePath, Container* owner)
    : owner(owner), prefix(prefix), archivePath(archivePath)
{
    inArchive = 1;
    std::unique_ptr<base::Stream> stream(OpenDiskFile(archivePath));
    if (!stream) {
        GE_LOG(L"Cannot open archive '%s'; its folder is read loose.\n") << archivePath;
        refused = true;
        return;
    }
    refused = index.Read(*stream, archivePath) != 0;
}

base::Stream* Archiver::OpenRead(const std::wstring& path)
{
    const ArchiveEntry* entry = index.Find(path);
    if (!entry)
        return nullptr;
    base::Stream* file = OpenDiskFile(archivePath);
    if (!file) {
        GE_LOG(L"Cannot open archive '%s' to read '%s'.\n") << archivePath << path;
        return nullptr;
    }
    return new base::FrameStream(file, true, entry->offset, entry->size);
}

base::StreamCreator* Archiver::GetStreamCreator(const std::wstring& path)
{
    const ArchiveEntry* entry = index.Find(path);
    if (!entry)
        return nullptr;
    return new base::FrameStreamCreator(new base::FileStreamCreator(archivePath), true, entry->offset,
                                        entry->size);
}

std::wstring Archiver::GetRootPath()
{
    return (owner ? owner->GetRootPath() : std::wstring()) + prefix;
}

u32 Archiver::ListFilesLocal(const std::wstring& prefix, const std::wstring& folder, const std::wstring& sub,
                             bool recursive, std::vector<std::wstring>& out, bool relative)
{
    const std::wstring base = folder + sub;
    for (auto it = index.entries.lower_bound(base); it != index.entries.end(); ++it) {
        const std::wstring& name = it->first;
        if (!StartsWith(name, base))
            break;
        if (!recursive && name.find(L'/', base.size()) != std::wstring::npos)
            continue;
        const std::wstring rest = name.substr(base.size());
        out.push_back(relative ? rest : prefix + rest);
    }
    return 0;
}

u32 Archiver::ListDirsLocal(const std::wstring& prefix, const std::wstring& folder, const std::wstring& sub,
                            std::vector<std::wstring>& out, bool relative)
{
    const std::wstring base = folder + sub;
    std::set<std::wstring, Utf16Less> dirs;
    for (auto it = index.entries.lower_bound(base); it != index.entries.end(); ++it) {
        const std::wstring& name = it->first;
        if (!StartsWith(name, base))
            break;
        const std::size_t slash = name.find(L'/', base.size());
        if (slash != std::wstring::npos)
            dirs.insert(name.substr(base.size(), slash - base.size()));
    }
    for (const std::wstring& dir : dirs)
        out.push_back(relative ? dir : prefix + dir);
    return 0;
}

bool Archiver::ExistsLocal(const std::wstring& path, const wchar_t* const* extensions, u32 count,
                           u32* outIndex)
{
    if (count == 0 || !extensions)
        return index.Find(path) != nullptr;
    for (u32 i = 0; i < count; ++i) {
        if (index.Find(path + extensions[i])) {
            if (outIndex)
                *outIndex = i;
            return true;
        }
    }
    return false;
}

bool Archiver::IsDirectoryLocal(const std::wstring& path)
{
    const std::wstring base = path + L"/";
    const auto it = index.entries.lower_bound(base);
    return it != index.entries.end() && StartsWith(it->first, base);
}

} // namespace file
