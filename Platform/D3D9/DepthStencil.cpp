#include "Platform/D3D9/DepthStencil.h"

#include <algorithm>

namespace d3d9 {

GLuint DepthStencil::Framebuffer(const GlApi& gl, GLsizei width, GLsizei height, GLuint colour, GLint level)
{
    if (framebuffer_ || refused_)
        return framebuffer_;
    gl.GenRenderbuffers(1, &renderbuffer_);
    gl.BindRenderbuffer(GL_RENDERBUFFER, renderbuffer_);
    gl.RenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
    gl.GenFramebuffers(1, &framebuffer_);
    gl.BindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer_);
    gl.FramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour, level);
    gl.FramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                               renderbuffer_);
    if (gl.CheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        Destroy(gl);
        refused_ = true;
        return 0;
    }
    gl.Disable(GL_SCISSOR_TEST);
    gl.DepthMask(GL_TRUE);
    gl.ClearDepth(depth_);
    gl.ClearStencil(stencil_);
    gl.Clear(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    return framebuffer_;
}

void DepthStencil::KeepClear(DWORD flags, float z, DWORD stencil)
{
    if (flags & D3DCLEAR_ZBUFFER)
        depth_ = std::clamp(z, 0.0f, 1.0f);
    if (flags & D3DCLEAR_STENCIL)
        stencil_ = static_cast<GLint>(stencil);
}

void DepthStencil::Destroy(const GlApi& gl)
{
    if (framebuffer_)
        gl.DeleteFramebuffers(1, &framebuffer_);
    if (renderbuffer_)
        gl.DeleteRenderbuffers(1, &renderbuffer_);
    framebuffer_ = renderbuffer_ = 0;
    depth_ = 1.0f;
    stencil_ = 0;
    refused_ = false;
}

} // namespace d3d9
