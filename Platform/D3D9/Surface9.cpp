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
    if (!ownsFramebuffer_)
        return;
    device_->MakeCurrent();
    device_->Gl().DeleteFramebuffers(1, &framebuffer_);
    device_->Gl().DeleteRenderbuffers(1, &depth_);
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

GLuint Surface9::Framebuffer()
{
    if (!texture_)
        return device_->BackBufferFramebuffer();
    if (framebuffer_ || !texture_->IsRenderTarget())
        return framebuffer_;
    const GlApi& gl = device_->Gl();
    gl.GenFramebuffers(1, &framebuffer_);
    gl.GenRenderbuffers(1, &depth_);
    ownsFramebuffer_ = true;
    gl.BindRenderbuffer(GL_RENDERBUFFER, depth_);
    gl.RenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, static_cast<GLsizei>(width_),
                           static_cast<GLsizei>(height_));
    gl.BindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    gl.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture_->Name(),
                            static_cast<GLint>(level_));
    gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth_);
    if (gl.CheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        gl.DeleteFramebuffers(1, &framebuffer_);
        gl.DeleteRenderbuffers(1, &depth_);
        framebuffer_ = depth_ = 0;
        ownsFramebuffer_ = false;
    }
    return framebuffer_;
}

} // namespace d3d9
