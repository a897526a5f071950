#pragma once
#include "Core/Base/MemoryStream.h"
#include "Core/File/ImageContainer.h"
#include <map>
#include <string>
#include <vector>

namespace test {

// A layered image in memory: layers with records, pixels served from memory.
class FakeImageContainer : public file::ImageContainer {
public:
    file::ImageFileInfo* GetImageFileInfo(const std::wstring& name, const wchar_t* const* extensions,
                                          u32 count, u32* outIndex) override
    {
        ++lookups;
        auto found = layers.find(name);
        if (found == layers.end())
            return nullptr;
        for (u32 i = 0; i < count; ++i)
            if (extensions[i][0] == 0 && outIndex)
                *outIndex = i;
        auto* info = new file::ImageFileInfo;
        static_cast<base::ImageInfo&>(*info) = found->second;
        info->file::FileInfo::name = name;
        info->path = name;
        info->container = this;
        return info;
    }
    base::Stream* OpenRead(const std::wstring& path) override
    {
        auto found = pixels.find(path);
        if (found == pixels.end())
            return nullptr;
        return new base::MemoryStream(found->second.data(), u32(found->second.size()));
    }
    base::StreamCreator* GetStreamCreator(const std::wstring&) override { return nullptr; }
    std::wstring GetRootPath() override { return L"menu/"; }
    base::ImageInfo* FindLayer(const std::wstring& name) override
    {
        auto found = layers.find(name);
        return found == layers.end() ? nullptr : &found->second;
    }
    base::ImageInfo* GetLayer(i32) override { return nullptr; }
    i32 GetLayerCount() override { return i32(layers.size()); }
    u32 ListLayers(const std::wstring&, bool, std::vector<std::wstring>&, bool) override { return 0; }
    u32 ListFolders(const std::wstring&, std::vector<std::wstring>&, bool) override { return 0; }
    bool HasLayer(const std::wstring& name) override { return layers.count(name) != 0; }
    bool HasImageFile(const std::wstring&) override { return false; }
    bool IsFolder(const std::wstring&) override { return false; }

    std::map<std::wstring, base::ImageInfo> layers;
    std::map<std::wstring, std::vector<u8>> pixels;
    int lookups = 0;
};

} // namespace test
