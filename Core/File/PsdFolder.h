#pragma once
// A folder of pre-cut images described by its "layers.xml", opened as a container:
// each layer is an image file in the folder or a rectangle of a shared atlas image.
#include "Core/File/ImageContainer.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace file {

class PsdFolder : public ImageContainer {
public:
    // Reads `folder`/layers.xml through `owner`; every layer is made at `contentScale`.
    // A missing or malformed file gives a container without layers.
    PsdFolder(const std::wstring& folder, Container* owner, float contentScale);
    ~PsdFolder() override;
    PsdFolder(const PsdFolder&) = delete;
    PsdFolder& operator=(const PsdFolder&) = delete;

    // The folder's own files, through the owner.
    base::Stream* OpenRead(const std::wstring& path) override;
    base::StreamCreator* GetStreamCreator(const std::wstring& path) override;
    std::wstring GetRootPath() override;

    ImageFileInfo* GetImageFileInfo(const std::wstring& name, const wchar_t* const* extensions, u32 count,
                                    u32* outIndex) override;
    base::ImageInfo* FindLayer(const std::wstring& name) override;
    base::ImageInfo* GetLayer(i32 index) override;
    i32 GetLayerCount() override;
    // Prefixes are normalised to end in '/' and lower-cased; names compare as stored.
    u32 ListLayers(const std::wstring& prefix, bool recursive, std::vector<std::wstring>& out,
                   bool stripPrefix) override;
    // Each folder directly under `prefix` once, relative to it, in name order.
    u32 ListFolders(const std::wstring& prefix, std::vector<std::wstring>& out, bool stripPrefix) override;
    bool HasLayer(const std::wstring& name) override;
    bool HasImageFile(const std::wstring& name) override;
    // True when some layer lies under `name` taken as a folder.
    bool IsFolder(const std::wstring& name) override;

private:
    void ReadLayers(const char* text, size_t length);
    std::wstring InFolder(const std::wstring& path) const;

    float contentScale;

    std::map<std::wstring, std::unique_ptr<base::ImageInfo>> layers;
    std::vector<base::ImageInfo*> layerList; // in file order
};

} // namespace file
