#pragma once
// A texture resource: a named image (plain file, layer of a layered image, or a
// sub-rectangle of an atlas texture) decoded and uploaded into a device texture.
#include "Core/Base/ImageInfo.h"
#include "Core/Resource/Resource.h"
#include "Core/Resource/ResourceHandle.h"
#include <memory>
#include <string>

namespace render {
class Render;
class Texture;
} // namespace render

namespace file {
class FileInfo;
class ImageContainer;
} // namespace file
namespace base {
class Stream;
}

namespace resource {

class ResourceTexture : public Resource, public base::ImageInfo {
public:
    // Every texture lookup tries these in order; the matched index picks the
    // decoder. ".bmp" decodes but is never searched for.
    static constexpr u32 kExtensionCount = 6;
    static const wchar_t* const kExtensions[kExtensionCount];

    ResourceTexture();
    ~ResourceTexture() override;

    // `name` is the resource's key; the image's own name is base::ImageInfo::name.
    using Resource::name;

    u32 Release() override;
    GEResultEnum DoLoad() override;
    GEResultEnum DoUnLoad() override;

    render::Texture* GetTexture() const { return texture.get(); }
    const ResourceHandle<ResourceTexture>& GetAtlas() const { return atlas; }

    // The extension a file found as `name` itself is decoded by: from its last dot,
    // empty when that dot belongs to a folder name.
    static std::wstring OwnExtension(const std::wstring& name);

    render::Render* renderer = nullptr;        // set by the caller before loading
    file::ImageContainer* container = nullptr; // not owned; null for plain files
    std::wstring nameInContainer;

private:
    GEResultEnum LoadAtlas();
    // Makes the device texture of a PNG file with its size from the file's header and
    // its decoding put off; false when the image cannot wait.
    bool DeferDecoding(file::FileInfo& found, base::Stream& stream, const std::wstring& extension);

    ResourceHandle<ResourceTexture> atlas;
    std::unique_ptr<render::Texture> texture;
};

} // namespace resource
