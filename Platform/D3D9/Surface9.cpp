#include "Platform/D3D9/Surface9.h"
#include "Platform/D3D9/Texture9.h"

namespace d3d9 {

Surface9::Surface9(Device9* device, UINT width, UINT height, D3DFORMAT format)
    : device_(device), width_(width), height_(height), format_(format)
{
}

Surface9::Surface9(Device9* device, Texture9* texture, UINT level, UINT width, UINT height, D3DFORMAT format)
    : device_(device), texture_(texture), level_(level), width_(width), height_(height), format_(format)
{
}

Surface9::~Surface9()
{
    if (!framebuffer_)
        return;
    device_->MakeCurrent();
    device_->Gl().DeleteFramebuffers(1, &framebuffer_);
    depth_.Destroy(device_->Gl());
    device_->FramebuffersChanged();
}

ULONG Surface9::AddRef()
{
    if (texture_)
        return texture_->AddRef();
    return ++refs_;
}

ULONG Surface9::Release()
{
    if (texture_)
        return texture_->Release(); // may destroy the texture and this surface with it
    if (refs_ > 0)
        --refs_;
    return refs_;
}

HRESULT Surface9::GetDevice(IDirect3DDevice9** device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    device_->AddRef();
    *device = device_;
    return D3D_OK;
}

HRESULT Surface9::GetDesc(D3DSURFACE_DESC* desc)
{
    if (!desc)
        return D3DERR_INVALIDCALL;
    *desc = {};
    desc->Format = format_;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Usage = (!texture_ || texture_->IsRenderTarget()) ? D3DUSAGE_RENDERTARGET : 0;
    desc->Pool = D3DPOOL_DEFAULT;
    desc->Width = width_;
    desc->Height = height_;
    return D3D_OK;
}

GLuint Surface9::Framebuffer(bool depth)
{
    if (!texture_)
        return device_->BackBufferFramebuffer(depth);
    if (!texture_->IsRenderTarget())
        return 0;
    const GlApi& gl = device_->Gl();
    if (!framebuffer_) {
        gl.GenFramebuffers(1, &framebuffer_);
        gl.BindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer_);
        gl.FramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture_->Name(),
                                static_cast<GLint>(level_));
        if (gl.CheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            gl.DeleteFramebuffers(1, &framebuffer_);
            framebuffer_ = 0;
        }
        device_->FramebuffersChanged();
    }
    if (!depth || !framebuffer_)
        return framebuffer_;
    const GLuint withDepth =
        device_->DepthFramebuffer(depth_, width_, height_, texture_->Name(), static_cast<GLint>(level_));
    return withDepth ? withDepth : framebuffer_;
}

bool Surface9::KeepDepthClear(DWORD flags, float z, DWORD stencil)
{
    if (!texture_)
        return device_->KeepBackBufferDepthClear(flags, z, stencil);
    if (depth_.Tried())
        return false;
    depth_.KeepClear(flags, z, stencil);
    return true;
}

} // namespace d3d9
