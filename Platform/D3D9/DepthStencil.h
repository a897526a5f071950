#pragma once
// The depth-stencil buffer of one render target, made the first time a draw tests depth
// or a clear cannot wait for it. It lives in a framebuffer of its own beside the target's
// colour-only one, so that draws which test no depth go where there is none: a driver
// then skips depth work altogether (llvmpipe rasterises whole rectangles and runs its
// linear fast paths only on a framebuffer without depth). A clear of the whole buffer
// that comes before the buffer is made is kept and applied when it is.
#include "Platform/D3D9/D3D9Types.h"
#include "Platform/D3D9/GlApi.h"

namespace d3d9 {

class DepthStencil {
public:
    DepthStencil() = default;
    DepthStencil(const DepthStencil&) = delete;
    DepthStencil& operator=(const DepthStencil&) = delete;

    // Made, or refused: nothing more is made.
    bool Tried() const { return framebuffer_ != 0 || refused_; }
    // The framebuffer that pairs level `level` of the texture `colour` with the buffer,
    // making both (w x h, 24-bit depth and 8-bit stencil) on first use and applying the
    // clear kept till then, else clearing to the far plane and 0. Making it leaves the
    // framebuffer bound for drawing, the scissor test off and depth writes on. 0 when the
    // driver refuses, which is not asked again: draws then go without depth.
    GLuint Framebuffer(const GlApi& gl, GLsizei width, GLsizei height, GLuint colour, GLint level);
    // Keeps a clear of the whole buffer (D3DCLEAR_ZBUFFER and D3DCLEAR_STENCIL of
    // `flags`) for when it is made; a later clear of the same part replaces it.
    void KeepClear(DWORD flags, float z, DWORD stencil);
    // Deletes what was made and forgets a kept clear and a refusal; the caller has the
    // context current.
    void Destroy(const GlApi& gl);

private:
    GLuint framebuffer_ = 0;
    GLuint renderbuffer_ = 0;
    float depth_ = 1.0f;
    GLint stencil_ = 0;
    bool refused_ = false;
};

} // namespace d3d9
