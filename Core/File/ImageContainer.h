#pragma once
// A layered image (a layered document or a folder of pre-cut images) seen as a
// container whose files are its named layers.
#include "Core/Base/ImageInfo.h"
#include "Core/File/Container.h"
#include "Core/File/ImageFileInfo.h"
#include <string>
#include <vector>

namespace file {

class ImageContainer : public Container {
public:
    ~ImageContainer() override = default;

    // Layers are reached as files through their image lookup.
    FileInfo* GetFileInfo(const std::wstring& path, const wchar_t* const* extensions = nullptr, u32 count = 0,
                          u32* outIndex = nullptr) override
    {
        return GetImageFileInfo(path, extensions, count, outIndex);
    }

    // The layer `name` with where to open it and a copy of its record, owned by the
    // caller; null when there is no such layer (or image file for it).
    virtual ImageFileInfo* GetImageFileInfo(const std::wstring& name, const wchar_t* const* extensions,
                                            u32 count, u32* outIndex) = 0;
    // Exact-name lookup; null when absent. The container keeps the record.
    virtual base::ImageInfo* FindLayer(const std::wstring& name) = 0;
    // The caller keeps `index` below GetLayerCount.
    virtual base::ImageInfo* GetLayer(i32 index) = 0;
    virtual i32 GetLayerCount() = 0;
    virtual u32 ListLayers(const std::wstring& prefix, bool recursive, std::vector<std::wstring>& out,
                           bool stripPrefix) = 0;
    virtual u32 ListFolders(const std::wstring& prefix, std::vector<std::wstring>& out, bool stripPrefix) = 0;
    virtual bool HasLayer(const std::wstring& name) = 0;
    virtual bool HasImageFile(const std::wstring& name) = 0;
    virtual bool IsFolder(const std::wstring& name) = 0;

    std::wstring containerName; // folder or document path
    Container* owner = nullptr; // what it was opened through; not owned
};

} // namespace file
