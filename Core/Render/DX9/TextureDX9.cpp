#include "Core/Render/DX9/TextureDX9.h"
#include "Core/Render/DX9/RenderDX9.h"
#include "Core/Render/ImageData.h"

namespace render {

namespace {

D3DFORMAT FormatOf(u32 compression)
{
    switch (compression) {
    case ImageData::Dxt1:
        return D3DFMT_DXT1;
    case ImageData::Dxt3:
        return D3DFMT_DXT3;
    case ImageData::Dxt5:
        return D3DFMT_DXT5;
    default:
        return D3DFMT_A8R8G8B8;
    }
}

} // namespace

TextureDX9::TextureDX9(RenderDX9* renderer) : Texture(renderer), dx9(renderer) {}

TextureDX9::~TextureDX9()
{
    ReleaseTexture();
}

void TextureDX9::ReleaseTexture()
{
    if (renderer && (texture || surface))
        renderer->NoteDeviceChange();
    if (surface) {
        surface->Release();
        surface = nullptr;
    }
    if (texture) {
        texture->Release();
        texture = nullptr;
    }
}

GEResultEnum TextureDX9::CreateFromImage(ImageData& image)
{
    IDirect3DDevice9* device = dx9 ? dx9->GetDevice() : nullptr;
    if (!device || image.GetWidth() <= 0 || image.GetHeight() <= 0)
        return GE_FAIL;
    ReleaseTexture();
    width = static_cast<u32>(image.GetWidth());
    height = static_cast<u32>(image.GetHeight());
    renderTarget = 0;
    dynamic = 0;
    // The image hands over its top level only: a texture with further levels would
    // sample undefined pixels when minified, so it gets exactly one.
    if (FAILED(device->CreateTexture(width, height, 1, 0, FormatOf(image.GetCompression()), D3DPOOL_MANAGED,
                                     &texture, nullptr))) {
        texture = nullptr;
        return GE_FAIL;
    }
    D3DLOCKED_RECT locked{};
    if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) {
        ReleaseTexture();
        return GE_FAIL;
    }
    mask.Resize(width * height);
    renderer->NoteDeviceChange();
    const GEResultEnum copied = image.CopyPixels(locked.Pitch, 0, locked.pBits, &mask, 0);
    if (FAILED(texture->UnlockRect(0))) {
        ReleaseTexture();
        return GE_FAIL;
    }
    return copied;
}

GEResultEnum TextureDX9::CreateDefaultPool(u32 w, u32 h, DWORD usage)
{
    IDirect3DDevice9* device = dx9 ? dx9->GetDevice() : nullptr;
    ReleaseTexture();
    if (!device)
        return GE_FAIL;
    if (FAILED(device->CreateTexture(w, h, 1, usage, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture, nullptr))) {
        texture = nullptr;
        return GE_FAIL;
    }
    renderer->NoteDeviceChange();
    return GE_OK;
}

GEResultEnum TextureDX9::CreateRenderTarget(u32 w, u32 h)
{
    width = w;
    height = h;
    renderTarget = 1;
    dynamic = 0;
    return CreateDefaultPool(w, h, D3DUSAGE_RENDERTARGET);
}

GEResultEnum TextureDX9::CreateDynamic(u32 w, u32 h)
{
    width = w;
    height = h;
    renderTarget = 0;
    dynamic = 1;
    return CreateDefaultPool(w, h, D3DUSAGE_DYNAMIC);
}

bool TextureDX9::IsOpaqueAt(int x, int y)
{
    if (pending)
        Decode();
    if (x < 0 || y < 0 || static_cast<u32>(x) >= width || static_cast<u32>(y) >= height ||
        mask.GetCount() == 0)
        return false;
    return mask.Get(static_cast<u32>(y) * width + static_cast<u32>(x));
}

GEResultEnum TextureDX9::Restore()
{
    if (renderTarget)
        return CreateRenderTarget(width, height);
    if (dynamic)
        return CreateDynamic(width, height);
    return GE_OK;
}

GEResultEnum TextureDX9::ReleaseDeviceObjects()
{
    if (renderTarget || dynamic)
        ReleaseTexture();
    return GE_OK;
}

GEResultEnum TextureDX9::Lock(u32* words, u32* pitch, void** bits)
{
    if (!dynamic || !texture)
        return GE_FAIL;
    D3DLOCKED_RECT locked{};
    if (FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD)))
        return GE_FAIL;
    *bits = locked.pBits;
    *pitch = static_cast<u32>(locked.Pitch);
    *words = static_cast<u32>(u64(height) * static_cast<u32>(locked.Pitch) / 4);
    return GE_OK;
}

GEResultEnum TextureDX9::Unlock()
{
    if (!dynamic || !texture)
        return GE_FAIL;
    renderer->NoteDeviceChange();
    return SUCCEEDED(texture->UnlockRect(0)) ? GE_OK : GE_FAIL;
}

IDirect3DSurface9* TextureDX9::GetSurface()
{
    if (!surface && texture && FAILED(texture->GetSurfaceLevel(0, &surface)))
        surface = nullptr;
    return surface;
}

} // namespace render
