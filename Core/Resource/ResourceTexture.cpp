#include "Core/Resource/ResourceTexture.h"
#include "Core/Base/Log.h"
#include "Core/Base/Stream.h"
#include "Core/File/FileManager.h"
#include "Core/File/ImageContainer.h"
#include "Core/Render/ImageData.h"
#include "Core/Render/ImageLoader.h"
#include "Core/Render/PendingImage.h"
#include "Core/Render/Render.h"
#include "Core/Render/Texture.h"
#include "Core/Resource/ResourceManager.h"

namespace resource {

const wchar_t* const ResourceTexture::kExtensions[kExtensionCount] = {L"",     L".dds", L".jpg",
                                                                      L".gif", L".png", L".tga"};

ResourceTexture::ResourceTexture() = default;

ResourceTexture::~ResourceTexture() = default;

u32 ResourceTexture::Release()
{
    return ResourceManager::Free<ResourceTexture>(this);
}

std::wstring ResourceTexture::OwnExtension(const std::wstring& name)
{
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos)
        return {};
    const size_t slash = name.find_last_of(L"/\\");
    if (slash != std::wstring::npos && slash > dot)
        return {};
    return name.substr(dot);
}

GEResultEnum ResourceTexture::LoadAtlas()
{
    atlas = ResourceManager::Get<ResourceTexture>(atlasPath);
    if (!atlas) {
        GE_LOG(L"Texture '%s': no atlas '%s'.\n") << Resource::name << atlasPath;
        return GE_FAIL;
    }
    atlas->renderer = renderer;
    if (!atlas->IsLoaded())
        return atlas->Load();
    return GE_OK;
}

GEResultEnum ResourceTexture::DoLoad()
{
    u32 index = 0;
    std::unique_ptr<file::FileInfo> found;
    if (container) {
        std::unique_ptr<file::ImageFileInfo> layer(
            container->GetImageFileInfo(nameInContainer, kExtensions, kExtensionCount, &index));
        if (!layer) {
            GE_LOG(L"Texture '%s': no layer '%s'.\n") << Resource::name << nameInContainer;
            return GE_FAIL;
        }
        static_cast<base::ImageInfo&>(*this) = static_cast<const base::ImageInfo&>(*layer);
        // An atlas member draws from the atlas texture and has no pixels of its own.
        if (inAtlas)
            return LoadAtlas();
        found = std::move(layer);
    } else {
        found.reset(
            file::FileManager::Instance()->GetFileInfo(Resource::name, kExtensions, kExtensionCount, &index));
        if (!found) {
            GE_LOG(L"Texture '%s' not found.\n") << Resource::name;
            return GE_FAIL;
        }
    }
    if (!found->container || index >= kExtensionCount) {
        GE_LOG(L"Texture '%s': the lookup gave no place to read from.\n") << Resource::name;
        return GE_FAIL;
    }
    std::unique_ptr<base::Stream> stream(found->container->OpenRead(found->path));
    if (!stream) {
        GE_LOG(L"Texture '%s': '%s' could not be opened.\n") << Resource::name << found->path;
        return GE_FAIL;
    }
    const std::wstring extension = index != 0 ? std::wstring(kExtensions[index])
                                              : OwnExtension(container ? nameInContainer : Resource::name);
    if (renderer && renderer->DefersDecoding() && !rawPixels && DeferDecoding(*found, *stream, extension))
        return GE_OK;
    std::unique_ptr<render::ImageData> image(render::ImageLoader::Instance()->CreateImageData(
        stream.get(), extension.c_str(), container ? static_cast<const base::ImageInfo*>(this) : nullptr));
    if (!image) {
        GE_LOG(L"Texture '%s': '%s' could not be decoded.\n") << Resource::name << found->path;
        return GE_FAIL;
    }
    if (!container) {
        width = static_cast<float>(image->GetWidth());
        height = static_cast<float>(image->GetHeight());
    }
    if (!renderer) {
        GE_LOG(L"Texture '%s': no renderer to make it with.\n") << Resource::name;
        return GE_FAIL;
    }
    render::Texture* made = nullptr;
    const GEResultEnum created = renderer->CreateTexture(&made);
    std::unique_ptr<render::Texture> device(made);
    if (created != GE_OK)
        return created;
    if (!device)
        return GE_FAIL;
    const GEResultEnum result = device->CreateFromImage(*image);
    // A texture that could not be filled is let go here: the resource stays
    // unloaded, so no UnLoad would ever free it.
    if (result != GE_OK)
        return result;
    texture = std::move(device);
    return GE_OK;
}

bool ResourceTexture::DeferDecoding(file::FileInfo& found, base::Stream& stream, const std::wstring& extension)
{
    u32 w = 0, h = 0;
    if (!render::PendingImage::ProbeSize(stream, extension, w, h))
        return false;
    std::unique_ptr<base::StreamCreator> opener(found.container->GetStreamCreator(found.path));
    if (!opener)
        return false;
    render::Texture* made = nullptr;
    if (renderer->CreateTexture(&made) != GE_OK || !made) {
        delete made;
        return false;
    }
    made->Defer(w, h, std::make_unique<render::PendingImage>(std::move(opener), extension, Resource::name));
    if (!container) {
        width = static_cast<float>(w);
        height = static_cast<float>(h);
    }
    texture.reset(made);
    return true;
}

GEResultEnum ResourceTexture::DoUnLoad()
{
    texture.reset();
    return GE_OK;
}

} // namespace resource
