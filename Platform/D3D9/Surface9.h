#pragma once
// A render-target surface: the device's back buffer or one level of a texture. A
// texture's surface counts its references on the texture, which it keeps alive; the
// back buffer belongs to the device and only counts the references handed out, which
// must all be released before Reset. Where the back buffer's pixels live (the window's
// own framebuffer or an off-screen one) is the device's choice, frame by frame.
#include "Platform/D3D9/DepthStencil.h"
#include "Platform/D3D9/Device9.h"

namespace d3d9 {

class Surface9 final : public IDirect3DSurface9 {
public:
    // The back buffer.
    Surface9(Device9* device, UINT width, UINT height, D3DFORMAT format);
    Surface9(Device9* device, Texture9* texture, UINT level, UINT width, UINT height, D3DFORMAT format);
    ~Surface9() override;

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice9** device) override;
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;

    // The framebuffer that draws into this surface, with its depth-stencil buffer when
    // `depth`; made on first use for a texture level (0 when that fails). For the back
    // buffer 0 is the window's framebuffer.
    GLuint Framebuffer(bool depth = false);
    // A clear of the whole surface's depth or stencil (D3DCLEAR_ZBUFFER, D3DCLEAR_STENCIL
    // of `flags`): kept for later, and true, while there is no depth-stencil buffer to
    // clear yet; false when the clear must go through Framebuffer(true) now.
    bool KeepDepthClear(DWORD flags, float z, DWORD stencil);
    bool IsBackBuffer() const { return texture_ == nullptr; }
    Device9* Owner() const { return device_; }
    Texture9* Texture() const { return texture_; }
    UINT Width() const { return width_; }
    UINT Height() const { return height_; }
    D3DFORMAT Format() const { return format_; }
    ULONG OutsideReferences() const { return refs_; }

private:
    Device9* device_;
    Texture9* texture_ = nullptr; // null for the back buffer
    UINT level_ = 0;
    UINT width_, height_;
    D3DFORMAT format_;
    GLuint framebuffer_ = 0; // a texture level's, without depth
    DepthStencil depth_;     // a texture level's
    ULONG refs_ = 0;
};

} // namespace d3d9
