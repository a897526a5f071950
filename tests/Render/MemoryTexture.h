#pragma once
// A device texture in plain memory that decodes its image the way the device
// texture does (top level, rows `pitch` apart, the mask resized first), and a
// recording back end that makes such textures.
#include "Core/Render/AlphaMask.h"
#include "Core/Render/ImageData.h"
#include "Core/Render/Texture.h"
#include "Core/Resource/ResourceManager.h"
#include "Core/Resource/ResourceTexture.h"
#include "tests/Render/RecordingRender.h"
#include <cstring>
#include <string>
#include <vector>

namespace test {

class MemoryTexture : public render::Texture {
public:
    using Texture::Texture;

    GEResultEnum CreateFromImage(render::ImageData& image) override
    {
        ++createCalls;
        if (failCreateFromImage)
            return GE_FAIL;
        width = u32(image.GetWidth());
        height = u32(image.GetHeight());
        levels = image.GetLevelCount();
        compression = image.GetCompression();
        const bool blocks = compression != 0;
        const u32 rows = blocks ? (height + 3) / 4 : height;
        pitch = blocks ? (width + 3) / 4 * (compression == 1 ? 8 : 16) : width * 4;
        pixels.assign(size_t(pitch) * rows, 0);
        mask.Resize(width * height);
        return image.CopyPixels(i32(pitch), 0, pixels.data(), &mask, 0);
    }
    GEResultEnum CreateRenderTarget(u32 w, u32 h) override
    {
        width = w;
        height = h;
        return GE_OK;
    }
    GEResultEnum CreateDynamic(u32 w, u32 h) override { return CreateRenderTarget(w, h); }
    bool IsOpaqueAt(int x, int y) override
    {
        if (x < 0 || y < 0 || u32(x) >= width || u32(y) >= height)
            return false;
        return mask.Get(u32(y) * width + u32(x));
    }
    GEResultEnum Restore() override { return GE_OK; }
    GEResultEnum ReleaseDeviceObjects() override { return GE_OK; }
    GEResultEnum Lock(u32*, u32*, void**) override { return GE_FAIL; }
    GEResultEnum Unlock() override { return GE_FAIL; }

    u32 Pixel(u32 x, u32 y) const
    {
        u32 v = 0;
        std::memcpy(&v, pixels.data() + size_t(y) * pitch + size_t(x) * 4, 4);
        return v;
    }
    // Sets the size directly, for textures that only stand in as atlases.
    void SetSize(u32 w, u32 h)
    {
        width = w;
        height = h;
    }

    std::vector<u8> pixels;
    u32 pitch = 0;
    u32 levels = 0;
    u32 compression = 0;
    render::AlphaMask mask;
    static inline bool failCreateFromImage = false;
    static inline int createCalls = 0;
};

class TextureRender : public RecordingRender {
public:
    GEResultEnum CreateTexture(render::Texture** out) override
    {
        if (failCreateTexture)
            return GE_FAIL;
        *out = new MemoryTexture(this);
        return GE_OK;
    }
    bool failCreateTexture = false;
};

// The cached texture resource `name`, to be loaded by `render`: from `inside` of
// `container` when one is given, else from its own file.
inline resource::ResourceHandle<resource::ResourceTexture> TextureResource(render::Render& render,
                                                                           const std::wstring& name,
                                                                           file::ImageContainer* container,
                                                                           const std::wstring& inside)
{
    auto handle = resource::ResourceManager::Get<resource::ResourceTexture>(name);
    handle->renderer = &render;
    handle->container = container;
    handle->nameInContainer = inside;
    return handle;
}

// The memory texture a loaded resource made.
inline MemoryTexture* DeviceTexture(const resource::ResourceHandle<resource::ResourceTexture>& texture)
{
    return static_cast<MemoryTexture*>(texture->GetTexture());
}

} // namespace test
