#include "Framework/Gui/PackScreen.h"
#include "Core/Base/FileStream.h"
#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/File/ArchiveIndex.h"
#include "Core/File/Archiver.h"
#include "Core/File/FileManager.h"
#include "Core/File/Path.h"
#include "Platform/Win32/Windows.h"
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

namespace gui {

namespace {

// The new archive is written under this name beside the old one.
constexpr wchar_t kPartSuffix[] = L".part";

// A file opened for reading, or null (logged).
std::unique_ptr<base::FileStream> OpenForReading(const std::wstring& path, const std::wstring& archivePath)
{
    base::Stream* stream = nullptr;
    base::FileStreamCreator creator(file::FileManager::Instance()->OnDisk(path));
    if (creator.Create(&stream) != 0 || !stream) {
        GE_LOG(L"Packing '%s' failed: cannot open '%s'.\n") << archivePath << path;
        return nullptr;
    }
    return std::unique_ptr<base::FileStream>(static_cast<base::FileStream*>(stream));
}

// The file's size, refusing what the 32-bit offsets of the format cannot hold.
bool SizeOf(base::FileStream& stream, const std::wstring& path, const std::wstring& archivePath, u32* size)
{
    DWORD high = 0;
    const DWORD low = GetFileSize(stream.file.handle, &high);
    if (low == INVALID_FILE_SIZE || high != 0) {
        GE_LOG(L"Packing '%s' failed: the size of '%s' cannot be stored.\n") << archivePath << path;
        return false;
    }
    *size = low;
    return true;
}

// The file a path names, spelled one way: "./td/a.dat", "td//a.dat" and a path through
// a link to td/ all name td/a.dat.
std::filesystem::path Resolved(const std::wstring& path)
{
    // The system's bytes for the path, as the file layer opens it.
    const std::filesystem::path given(EncodeUtf8(file::ToForwardSlashes(path)));
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(given, error);
    if (error)
        resolved = std::filesystem::absolute(given, error).lexically_normal();
    return resolved;
}

// Closes the file and tells whether everything written reached it.
bool CloseChecked(base::FileStream& stream)
{
    const HANDLE handle = stream.file.handle;
    stream.file.handle = INVALID_HANDLE_VALUE;
    return handle != INVALID_HANDLE_VALUE && CloseHandle(handle);
}

// Writes the index and every file of `index` to `out`; false (logged) at the first
// error.
bool WriteArchive(const file::ArchiveIndex& index, const std::wstring& prefix,
                  const std::wstring& archivePath, base::FileStream& out, u64 expectedSize)
{
    if (index.Write(out) != 0) {
        GE_LOG(L"Packing '%s' failed: the index could not be written.\n") << archivePath;
        return false;
    }
    for (const auto& [name, entry] : index.entries) {
        const std::wstring path = prefix + name;
        std::unique_ptr<base::FileStream> source = OpenForReading(path, archivePath);
        if (!source)
            return false;
        u32 size = 0;
        if (!SizeOf(*source, path, archivePath, &size))
            return false;
        // The index already holds the size from the listing; bytes that no longer
        // match it would shift every later file.
        if (size != entry.size) {
            GE_LOG(L"Packing '%s' failed: '%s' changed while it was packed.\n") << archivePath << path;
            return false;
        }
        if (!out.CopyFrom(*source, 0xFFFFFFFFu)) {
            GE_LOG(L"Packing '%s' failed: copying '%s' fell short.\n") << archivePath << path;
            return false;
        }
    }
    if (out.Seek(0, base::SeekCurrent) != expectedSize) {
        GE_LOG(L"Packing '%s' failed: the archive did not reach its expected size.\n") << archivePath;
        return false;
    }
    return true;
}

} // namespace

PackScreen::PackScreen(const std::wstring& folder) : folder(folder) {}

PackScreen::~PackScreen() = default;

std::map<std::wstring, std::wstring> PackScreen::PackList() const
{
    std::map<std::wstring, std::wstring> list = file::FileManager::Instance()->mounts;
    const size_t split = folder.find(L'=');
    if (split != std::wstring::npos && split + 1 < folder.size())
        list[file::NormalizePath(folder.substr(0, split))] = folder.substr(split + 1);
    return list;
}

GEResultEnum PackScreen::Init()
{
    for (const auto& [prefix, archivePath] : PackList()) {
        if (PackMount(prefix, archivePath) != 0)
            return GE_FAIL;
    }
    return GE_OK;
}

u32 PackScreen::PackMount(const std::wstring& prefix, const std::wstring& namedArchive)
{
    file::FileManager* files = file::FileManager::Instance();
    // Loose files and the archive are files of the data folder.
    const std::wstring archivePath = files->OnDisk(namedArchive);
    const std::wstring partPath = archivePath + kPartSuffix;
    const std::wstring folderPath = file::NormalizePath(prefix);

    // The loose files, not what the mounted archive holds: it is still in place.
    std::vector<std::wstring> names;
    files->ListFilesLocal(folderPath, folderPath, L"", true, names, true);

    // An archive kept inside the folder it packs must not pack itself, however its
    // path is spelled.
    const std::filesystem::path archiveFile = Resolved(archivePath);
    const std::filesystem::path partFile = Resolved(partPath);
    file::ArchiveIndex index;
    for (const std::wstring& name : names) {
        const std::wstring path = folderPath + name;
        const std::filesystem::path listedFile = Resolved(files->OnDisk(path));
        if (listedFile == archiveFile || listedFile == partFile)
            continue;
        std::unique_ptr<base::FileStream> source = OpenForReading(path, archivePath);
        if (!source)
            return 1;
        u32 size = 0;
        if (!SizeOf(*source, path, archivePath, &size))
            return 1;
        index.entries[name] = file::ArchiveEntry{size, 0, 0, 0};
    }

    u64 total = index.GetWrittenSize();
    for (const auto& [name, entry] : index.entries)
        total += entry.size;
    if (total > 0xFFFFFFFFu) {
        GE_LOG(L"Packing '%s' failed: the files do not fit the archive's 32-bit offsets.\n") << archivePath;
        return 1;
    }
    index.AssignOffsets();

    base::Stream* created = nullptr;
    base::FileStreamCreator creator(partPath, 1, 0);
    if (creator.Create(&created) != 0 || !created) {
        GE_LOG(L"Packing '%s' failed: cannot create '%s'.\n") << archivePath << partPath;
        return 1;
    }
    std::unique_ptr<base::FileStream> out(static_cast<base::FileStream*>(created));
    const bool written = WriteArchive(index, folderPath, archivePath, *out, total);
    const bool closed = CloseChecked(*out);
    out.reset();
    if (!written || !closed) {
        if (written)
            GE_LOG(L"Packing '%s' failed: '%s' could not be closed.\n") << archivePath << partPath;
        DeleteFileW(partPath.c_str());
        return 1;
    }
    if (!MoveFileExW(partPath.c_str(), archivePath.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        GE_LOG(L"Packing '%s' failed: '%s' could not replace it.\n") << archivePath << partPath;
        DeleteFileW(partPath.c_str());
        return 1;
    }
    // An index read before the repack would go on serving the old byte ranges.
    files->archives.erase(archivePath);
    return 0;
}

} // namespace gui
