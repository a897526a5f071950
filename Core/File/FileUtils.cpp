#include "Core/File/FileUtils.h"
#include "Core/File/FileInfo.h"
#include "Core/File/FileManager.h"
#include "Core/File/Path.h"
#include "Platform/Win32/Windows.h"

#include <cstring>
#include <memory>

namespace file {

namespace {

std::unique_ptr<base::Stream> OpenThroughManager(const std::wstring& path)
{
    std::unique_ptr<FileInfo> info(FileManager::Instance()->GetFileInfo(path));
    if (!info)
        return nullptr;
    return std::unique_ptr<base::Stream>(info->container->OpenRead(info->path));
}

// The text up to the first NUL.
std::string CutAtNul(const std::string& bytes)
{
    return std::string(bytes.c_str());
}

} // namespace

namespace {

// The file's bytes without a leading byte-order mark; false when it is missing or
// cannot be read whole.
bool ReadWithoutMark(const std::wstring& path, std::string& buffer)
{
    buffer.clear();
    std::unique_ptr<base::Stream> stream = OpenThroughManager(path);
    if (!stream)
        return false;
    const u32 size = stream->GetSize();
    buffer.assign(size, '\0');
    u32 remaining = size;
    char* into = buffer.data();
    if (size >= 3) {
        if (stream->Read(into, 3) != 3)
            return false;
        remaining -= 3;
        if (std::memcmp(into, "\xEF\xBB\xBF", 3) == 0) {
            buffer.resize(size - 3);
            into = buffer.data();
        } else {
            into += 3;
        }
    }
    return !remaining || stream->Read(into, remaining) == remaining;
}

} // namespace

std::string ReadUtf8TextFile(const std::wstring& path)
{
    std::string buffer;
    if (!ReadWithoutMark(path, buffer))
        return "";
    return CutAtNul(buffer);
}

bool ReadWholeUtf8TextFile(const std::wstring& path, std::string& text)
{
    if (!ReadWithoutMark(path, text)) {
        text.clear();
        return false;
    }
    const size_t nul = text.find('\0');
    if (nul == std::string::npos)
        return true;
    text.resize(nul);
    return false;
}

std::string ReadTextFile(const std::wstring& path)
{
    std::unique_ptr<base::Stream> stream = OpenThroughManager(path);
    if (!stream)
        return "";
    const u32 size = stream->GetSize();
    std::string buffer(size, '\0');
    if (size && stream->Read(buffer.data(), size) != size)
        return "";
    return CutAtNul(buffer);
}

u32 CreateFolderRecursive(const std::wstring& path)
{
    if (FileManager::Instance()->IsDirectory(path))
        return 0;
    const std::wstring parent = RemoveTrailingSeparators(GetFolderPath(path));
    if (!parent.empty()) {
        if (const u32 result = CreateFolderRecursive(parent))
            return result;
    }
    return CreateDirectoryW(path.c_str(), nullptr) ? 0 : 1;
}

u32 EnsureFolderExists(const std::wstring& path)
{
    return CreateFolderRecursive(RemoveTrailingSeparators(NormalizePath(path)));
}

} // namespace file
