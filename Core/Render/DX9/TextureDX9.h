#pragma once
#include "Core/Render/AlphaMask.h"
#include "Core/Render/Texture.h"
#include "Platform/D3D9/D3D9.h"

namespace render {

class RenderDX9;

// A Direct3D 9 texture: a managed texture made from a decoded image (it survives a
// device reset), or a render target or dynamic texture in the default pool, which is
// released on device loss and made again, empty, after the reset.
class TextureDX9 : public Texture {
public:
    explicit TextureDX9(RenderDX9* renderer);
    ~TextureDX9() override;

    GEResultEnum CreateFromImage(ImageData& image) override;
    GEResultEnum CreateRenderTarget(u32 w, u32 h) override;
    GEResultEnum CreateDynamic(u32 w, u32 h) override;
    bool IsOpaqueAt(int x, int y) override;
    GEResultEnum Restore() override;
    GEResultEnum ReleaseDeviceObjects() override;
    GEResultEnum Lock(u32* words, u32* pitch, void** bits) override;
    GEResultEnum Unlock() override;

    // Decodes a deferred image first.
    IDirect3DTexture9* GetDeviceTexture()
    {
        if (pending)
            Decode();
        return texture;
    }
    // The level-0 surface, fetched on first use and kept; null when there is none.
    IDirect3DSurface9* GetSurface();
    const AlphaMask& GetMask()
    {
        if (pending)
            Decode();
        return mask;
    }
    bool IsRenderTarget() const { return renderTarget != 0; }
    bool IsDynamic() const { return dynamic != 0; }

private:
    GEResultEnum CreateDefaultPool(u32 w, u32 h, DWORD usage);
    void ReleaseTexture();

    IDirect3DTexture9* texture = nullptr;
    IDirect3DSurface9* surface = nullptr;
    RenderDX9* dx9;
    AlphaMask mask;
    u8 renderTarget = 0;
    u8 dynamic = 0;
};

} // namespace render
