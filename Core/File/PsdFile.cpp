#include "Core/File/PsdFile.h"

#include "Core/Base/Log.h"
#include "Core/Base/MemoryStream.h"
#include "Core/Base/StringEncoding.h"
#include "Core/File/FileInfo.h"
#include "Core/File/Path.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace file {

namespace {

std::string NameOf(const PsdLayerRecord& record)
{
    return std::string(record.name.data(), strnlen(record.name.data(), record.name.size()));
}

int ClampToInt(i64 value)
{
    return static_cast<int>(
        std::clamp<i64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace

PsdFileLayer::PsdFileLayer(const std::wstring& name, const PsdLayerRecord& r, u32 index, float scale)
    : base::ImageInfo(name, r.left, r.top, r.width, r.height, r.opacity, index, true, true, scale), record(&r)
{
    // "|box" marks a hit area and "|center" an anchor point: rectangles without pixels.
    if (name.find(L"|box") != std::wstring::npos) {
        hasImage = false;
    } else if (name.find(L"|center") != std::wstring::npos) {
        const int cx = ClampToInt(i64(r.left) + r.width / 2);
        const int cy = ClampToInt(i64(r.top) + r.height / 2);
        static_cast<base::ImageInfo&>(*this) =
            base::ImageInfo(name, cx, cy, 0, 0, r.opacity, index, false, true, scale);
    }
}

PsdFile::PsdFile(const std::wstring& path, Container* owner, float contentScale)
{
    containerName = path;
    this->owner = owner;
    if (!owner) {
        GE_LOG(L"Layered image '%s': no container to read it from.\n") << path;
        return;
    }
    std::unique_ptr<FileInfo> info(owner->GetFileInfo(path));
    if (!info || !info->container) {
        GE_LOG(L"Layered image '%s' not found.\n") << path;
        return;
    }
    std::unique_ptr<base::Stream> stream(info->container->OpenRead(info->path));
    if (!stream) {
        GE_LOG(L"Layered image '%s' could not be opened.\n") << path;
        return;
    }
    PsdContext* loaded = nullptr;
    const int status = LoadPsdDocumentFromStream(&loaded, stream.get());
    document.reset(loaded);
    if (status != PSD_OK || !document) {
        document.reset();
        GE_LOG(L"Layered image '%s' cannot be read (status %d): it has no layers.\n") << path << status;
        return;
    }
    BuildLayers(contentScale);
}

PsdFile::~PsdFile()
{
    layerList.clear();
    layers.clear();
    document.reset();
}

void PsdFile::BuildLayers(float scale)
{
    const std::vector<PsdLayerRecord>& records = document->layerRecords;
    const i64 count = std::min<i64>(document->layerCount, static_cast<i64>(records.size()));
    std::vector<std::string> folders;
    std::string prefix;
    auto rebuildPrefix = [&] {
        prefix.clear();
        for (const std::string& folder : folders)
            prefix += folder + "/";
    };
    // From the top of the document down; the bottom-most record is never taken.
    for (i64 i = count - 1; i >= 1; --i) {
        const PsdLayerRecord& record = records[static_cast<size_t>(i)];
        if (record.layerType == 2) {
            folders.push_back(NameOf(record));
            rebuildPrefix();
            continue;
        }
        if (record.layerType == 1) {
            if (!folders.empty())
                folders.pop_back();
            rebuildPrefix();
            continue;
        }
        const std::wstring name = ConvertToWide(prefix + NameOf(record), StringEncoding::Ansi);
        auto [it, inserted] = layers.try_emplace(name);
        // The upper layer of a name wins; the list still gets an entry per record.
        if (inserted)
            it->second = std::make_unique<PsdFileLayer>(name, record, static_cast<u32>(i), scale);
        layerList.push_back(it->second.get());
    }
}

base::Stream* PsdFile::OpenRead(const std::wstring& path)
{
    const auto it = layers.find(path);
    if (it == layers.end())
        return nullptr;
    const auto& pixels = it->second->record->pixels;
    if (pixels.size() > std::numeric_limits<u32>::max() / 4) {
        GE_LOG(L"Layered image '%s': layer '%s' is too large to open.\n") << containerName << path;
        return nullptr;
    }
    return new base::MemoryStream(pixels.data(), static_cast<u32>(pixels.size() * 4));
}

base::StreamCreator* PsdFile::GetStreamCreator(const std::wstring&)
{
    return nullptr;
}

std::wstring PsdFile::GetRootPath()
{
    return (owner ? owner->GetRootPath() : std::wstring()) + containerName + L"/";
}

ImageFileInfo* PsdFile::GetImageFileInfo(const std::wstring& name, const wchar_t* const* extensions,
                                         u32 count, u32* outIndex)
{
    const auto it = layers.find(name);
    if (it == layers.end())
        return nullptr;
    // Layers are found by their name as given: that is the empty extension.
    if (outIndex && extensions) {
        for (u32 i = 0; i < count; ++i)
            if (extensions[i] && extensions[i][0] == L'\0')
                *outIndex = i;
    }
    auto* info = new ImageFileInfo;
    static_cast<base::ImageInfo&>(*info) = *it->second;
    info->FileInfo::name = GetFileNameWithoutExtension(name);
    info->path = name;
    info->container = this;
    info->inArchive = 1;
    return info;
}

base::ImageInfo* PsdFile::FindLayer(const std::wstring& name)
{
    const auto it = layers.find(name);
    return it == layers.end() ? nullptr : it->second.get();
}

base::ImageInfo* PsdFile::GetLayer(i32 index)
{
    if (index < 0 || static_cast<size_t>(index) >= layerList.size())
        return nullptr;
    return layerList[static_cast<size_t>(index)];
}

i32 PsdFile::GetLayerCount()
{
    // The list, not the distinct names: with a repeated name the list is longer,
    // and every entry must stay reachable through GetLayer.
    return static_cast<i32>(layerList.size());
}

u32 PsdFile::ListLayers(const std::wstring&, bool, std::vector<std::wstring>&, bool)
{
    return 0;
}

u32 PsdFile::ListFolders(const std::wstring&, std::vector<std::wstring>&, bool)
{
    return 0;
}

bool PsdFile::HasLayer(const std::wstring&)
{
    return false;
}

bool PsdFile::HasImageFile(const std::wstring&)
{
    return false;
}

bool PsdFile::IsFolder(const std::wstring&)
{
    return false;
}

} // namespace file
