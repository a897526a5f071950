#include "Core/Render/Texture.h"
#include "Core/Render/AlphaMask.h"
#include "Core/Render/ImageData.h"
#include "Core/Render/Render.h"

#include <cstring>

namespace render {

Texture::Texture(Render* renderer) : renderer(renderer)
{
    if (renderer)
        renderer->RegisterTexture(this);
}

Texture::~Texture()
{
    if (renderer)
        renderer->UnregisterTexture(this);
}

void Texture::Defer(u32 w, u32 h, std::unique_ptr<PendingImage> image)
{
    width = w;
    height = h;
    pending = std::move(image);
}

namespace {

// What a texture whose image cannot be decoded shows: one clear texel.
class ClearTexel : public ImageData {
public:
    ClearTexel()
    {
        width = height = 1;
        bytesPerPixel = 4;
    }
    GEResultEnum Load(base::Stream*, const wchar_t*) override { return GE_OK; }
    GEResultEnum CopyPixels(i32, i32, void* bits, AlphaMask* mask, i32) override
    {
        std::memset(bits, 0, 4);
        if (mask)
            mask->Set(0, false);
        return GE_OK;
    }
};

} // namespace

GEResultEnum Texture::Decode()
{
    if (!pending)
        return GE_OK;
    const std::unique_ptr<PendingImage> image = std::move(pending);
    const GEResultEnum result = image->DecodeInto(*this);
    if (result == GE_OK)
        return GE_OK;
    ClearTexel clear;
    CreateFromImage(clear);
    return result;
}

} // namespace render
