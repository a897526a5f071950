#include "Framework/Lightwave/LightwaveFile.h"
#include "Core/File/FileInfo.h"
#include "Core/File/FileManager.h"
#include <memory>

namespace lightwave {

const wchar_t* ReadWholeFile(const std::wstring& path, std::vector<u8>& bytes)
{
    bytes.clear();
    std::unique_ptr<file::FileInfo> info(file::FileManager::Instance()->GetFileInfo(path));
    if (!info || !info->container)
        return L"file not found";
    std::unique_ptr<base::Stream> stream(info->container->OpenRead(info->path));
    if (!stream)
        return L"the file could not be opened";
    const u32 length = stream->GetSize();
    bytes.resize(length);
    if (stream->Read(bytes.data(), length) != length)
        return L"the file could not be read whole";
    return nullptr;
}

std::wstring WidenBytes(const std::string& bytes)
{
    std::wstring wide;
    wide.reserve(bytes.size());
    for (const char c : bytes)
        wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return wide;
}

} // namespace lightwave
