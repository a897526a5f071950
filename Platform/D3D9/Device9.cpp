#include "Platform/D3D9/Device9.h"
#include "Platform/D3D9/Buffer9.h"
#include "Platform/D3D9/Direct3D9.h"
#include "Platform/D3D9/Shader9.h"
#include "Platform/D3D9/Surface9.h"
#include "Platform/D3D9/Texture9.h"
#include "Platform/Win32/WinSdl.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <algorithm>
#include <cstring>

namespace d3d9 {

namespace {

GLuint Location(const char* semantic, unsigned index)
{
    return static_cast<GLuint>(AttributeLocation(semantic, index));
}

bool DecodeFvf(DWORD fvf, std::vector<VertexElement>& elements, UINT& vertexSize, bool& packable)
{
    elements.clear();
    packable = false;
    UINT offset = 0;
    const DWORD position = fvf & D3DFVF_POSITION_MASK;
    if (position == D3DFVF_XYZ) {
        elements.push_back({Location("POSITION", 0), 3, GL_FLOAT, GL_FALSE, offset});
        offset += 12;
    } else if (position == D3DFVF_XYZW || position == D3DFVF_XYZRHW) {
        elements.push_back({Location("POSITION", 0), 4, GL_FLOAT, GL_FALSE, offset});
        offset += 16;
        packable = true;
    } else if (position != 0) {
        return false; // blend weights are not supported
    }
    if (fvf & D3DFVF_NORMAL) {
        elements.push_back({Location("NORMAL", 0), 3, GL_FLOAT, GL_FALSE, offset});
        offset += 12;
    }
    if (fvf & D3DFVF_PSIZE) {
        elements.push_back({Location("PSIZE", 0), 1, GL_FLOAT, GL_FALSE, offset});
        offset += 4;
    }
    if (fvf & D3DFVF_DIFFUSE) {
        elements.push_back({Location("COLOR", 0), GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, offset});
        offset += 4;
    }
    if (fvf & D3DFVF_SPECULAR) {
        elements.push_back({Location("COLOR", 1), GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, offset});
        offset += 4;
    }
    const DWORD texCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (texCount > 8)
        return false;
    static constexpr GLint kSizes[4] = {2, 3, 4, 1}; // by the two format bits
    for (DWORD t = 0; t < texCount; ++t) {
        const GLint size = kSizes[(fvf >> (16 + 2 * t)) & 3];
        elements.push_back({Location("TEXCOORD", t), size, GL_FLOAT, GL_FALSE, offset});
        offset += static_cast<UINT>(size) * 4;
    }
    vertexSize = offset;
    return true;
}

// Primitive type to GL mode and the vertex (or index) count of n primitives.
bool PrimitiveShape(D3DPRIMITIVETYPE type, UINT primitives, GLenum& mode, UINT& vertices)
{
    switch (type) {
    case D3DPT_POINTLIST:
        mode = GL_POINTS;
        vertices = primitives;
        return true;
    case D3DPT_LINELIST:
        mode = GL_LINES;
        vertices = primitives * 2;
        return true;
    case D3DPT_LINESTRIP:
        mode = GL_LINE_STRIP;
        vertices = primitives + 1;
        return true;
    case D3DPT_TRIANGLELIST:
        mode = GL_TRIANGLES;
        vertices = primitives * 3;
        return true;
    case D3DPT_TRIANGLESTRIP:
        mode = GL_TRIANGLE_STRIP;
        vertices = primitives + 2;
        return true;
    case D3DPT_TRIANGLEFAN:
        mode = GL_TRIANGLE_FAN;
        vertices = primitives + 2;
        return true;
    }
    return false;
}

GLenum BlendFactor(DWORD blend)
{
    switch (blend) {
    case D3DBLEND_ZERO:
        return GL_ZERO;
    case D3DBLEND_ONE:
        return GL_ONE;
    case D3DBLEND_SRCCOLOR:
        return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
        return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
        return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
        return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
        return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
        return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
        return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
        return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT:
        return GL_SRC_ALPHA_SATURATE;
    default:
        return GL_ONE;
    }
}

GLenum BlendEquation(DWORD op)
{
    switch (op) {
    case D3DBLENDOP_SUBTRACT:
        return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT:
        return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN:
        return GL_MIN;
    case D3DBLENDOP_MAX:
        return GL_MAX;
    default:
        return GL_FUNC_ADD;
    }
}

GLenum AddressMode(DWORD mode)
{
    switch (mode) {
    case D3DTADDRESS_MIRROR:
        return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
        return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER:
        return GL_CLAMP_TO_BORDER;
    default:
        return GL_REPEAT;
    }
}

Device9* AsDevice(IDirect3DDevice9* device)
{
    return dynamic_cast<Device9*>(device);
}

} // namespace

HRESULT Device9::Create(Direct3D9* d3d, HWND window, const D3DPRESENT_PARAMETERS& params, Device9** out)
{
    SDL_Window* sdl = Win32_SdlWindow(window);
    if (!sdl || !(SDL_GetWindowFlags(sdl) & SDL_WINDOW_OPENGL))
        return D3DERR_INVALIDCALL;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GLContext context = SDL_GL_CreateContext(sdl);
    if (!context) {
        SDL_LogError(SDL_LOG_CATEGORY_APPLICATION, "OpenGL 3.3 context: %s", SDL_GetError());
        return D3DERR_NOTAVAILABLE;
    }
    auto* device = new Device9(d3d, sdl);
    device->context_ = context;
    const HRESULT hr = device->Init(params);
    if (FAILED(hr)) {
        device->Release();
        return hr;
    }
    *out = device;
    return D3D_OK;
}

Device9::Device9(Direct3D9* d3d, SDL_Window* window) : d3d_(d3d), window_(window)
{
    d3d_->AddRef();
    // The window's surface must outlive every object of the device, even when the
    // window itself is destroyed first.
    Win32_RetainSdlWindow(window_);
    vertexConstants_.assign(kVertexRegisters * 4, 0.0f);
    pixelConstants_.assign(kPixelRegisters * 4, 0.0f);
}

Device9::~Device9()
{
    if (context_) {
        MakeCurrent();
        for (auto& [key, program] : programs_)
            program->Destroy(gl_);
        programs_.clear();
        if (glLoaded_) {
            for (GLsync fence : framesInFlight_)
                gl_.DeleteSync(fence);
            DestroyBackBuffer();
            gl_.DeleteSamplers(static_cast<GLsizei>(kMaxStages), samplers_);
            gl_.DeleteVertexArrays(1, &vertexArray_);
            for (auto& [key, array] : streamArrays_)
                gl_.DeleteVertexArrays(1, &array.name);
        }
        SDL_GL_MakeCurrent(window_, nullptr);
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
    }
    Win32_ReleaseSdlWindow(window_);
    d3d_->Release();
}

ULONG Device9::Release()
{
    const ULONG left = --refs_;
    if (left == 0)
        delete this;
    return left;
}

void Device9::MakeCurrent()
{
    if (SDL_GL_GetCurrentContext() != context_)
        SDL_GL_MakeCurrent(window_, static_cast<SDL_GLContext>(context_));
}

HRESULT Device9::Init(const D3DPRESENT_PARAMETERS& params)
{
    MakeCurrent();
    glLoaded_ = gl_.Load();
    if (!glLoaded_) {
        SDL_LogError(SDL_LOG_CATEGORY_APPLICATION, "OpenGL 3.3 entry points are missing");
        return D3DERR_NOTAVAILABLE;
    }
    GLint major = 0, minor = 0, maxSize = 0;
    gl_.GetIntegerv(GL_MAJOR_VERSION, &major);
    gl_.GetIntegerv(GL_MINOR_VERSION, &minor);
    if (major < 3 || (major == 3 && minor < 3))
        return D3DERR_NOTAVAILABLE;
    gl_.GetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    maxTextureSize_ = static_cast<DWORD>(std::max(maxSize, 64));
    d3d_->NoteMaxTextureSize(maxTextureSize_);
    cpuDxt_ = D3D9Test_Adapter().forceCpuDxt || !gl_.HasExtension("GL_EXT_texture_compression_s3tc");
    gl_.GenVertexArrays(1, &vertexArray_);
    gl_.BindVertexArray(vertexArray_);
    gl_.GenSamplers(static_cast<GLsizei>(kMaxStages), samplers_);
    // Each stage keeps its own sampler object for good.
    for (DWORD stage = 0; stage < kMaxStages; ++stage) {
        gl_.BindSampler(stage, samplers_[stage]);
        boundTextures_[stage] = kUnknownName;
    }
    ListenToDriver();
    QueryWindowFramebuffer();
    FindWhetherWindowKeepsPicture();
    // The context laid the window's buffers out when it was first made current.
    SDL_GL_GetDrawableSize(window_, &windowBufferWidth_, &windowBufferHeight_);
    const HRESULT hr = ApplyPresentParameters(params);
    if (FAILED(hr))
        return hr;
    ResetStates();
    return D3D_OK;
}

HRESULT Device9::ApplyPresentParameters(const D3DPRESENT_PARAMETERS& params)
{
    D3DPRESENT_PARAMETERS p = params;
    if (p.BackBufferWidth == 0 || p.BackBufferHeight == 0) {
        int w = 0, h = 0;
        SDL_GL_GetDrawableSize(window_, &w, &h);
        if (p.BackBufferWidth == 0)
            p.BackBufferWidth = static_cast<UINT>(std::max(w, 1));
        if (p.BackBufferHeight == 0)
            p.BackBufferHeight = static_cast<UINT>(std::max(h, 1));
    }
    if (p.BackBufferWidth > maxTextureSize_ || p.BackBufferHeight > maxTextureSize_)
        return D3DERR_INVALIDCALL;
    if (p.BackBufferFormat == D3DFMT_UNKNOWN)
        p.BackBufferFormat = D3DFMT_X8R8G8B8;
    params_ = p;
    ChooseSwapInterval(p.PresentationInterval);
    DestroyBackBuffer();
    frameOpen_ = false;
    presented_ = false;
    pipelineDirty_ = true;
    // A back buffer the window cannot hold must be made now, so that a size beyond the
    // driver fails here rather than at the first draw.
    inWindow_ = WindowCanHoldBackBuffer();
    if (!inWindow_ && !CreateOffscreenBackBuffer())
        return D3DERR_OUTOFVIDEOMEMORY;
    backBuffer_ = std::make_unique<Surface9>(this, params_.BackBufferWidth, params_.BackBufferHeight,
                                             params_.BackBufferFormat);
    return D3D_OK;
}

void Device9::ChooseSwapInterval(UINT interval)
{
    // Without a display (the offscreen driver of tests and benchmarks) there is no sync
    // to ask for.
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool display = driver && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
    if (!display || interval == D3DPRESENT_INTERVAL_IMMEDIATE) {
        SDL_GL_SetSwapInterval(0);
        return;
    }
    // Adaptive sync where offered, else plain; a refused interval is no failure.
    if (SDL_GL_SetSwapInterval(-1) != 0)
        SDL_GL_SetSwapInterval(1);
}

void Device9::LimitFramesInFlight()
{
    constexpr size_t kMaxFramesInFlight = 2;
    constexpr GLuint64 kWaitNs = 1000000000;
    if (GLsync fence = gl_.FenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0))
        framesInFlight_.push_back(fence);
    while (framesInFlight_.size() > kMaxFramesInFlight) {
        GLsync oldest = framesInFlight_.front();
        framesInFlight_.pop_front();
        // A timeout only means the frame is still being drawn; a failure ends the wait.
        while (gl_.ClientWaitSync(oldest, GL_SYNC_FLUSH_COMMANDS_BIT, kWaitNs) == GL_TIMEOUT_EXPIRED) {
        }
        gl_.DeleteSync(oldest);
    }
}

void Device9::QueryWindowFramebuffer()
{
    gl_.BindFramebuffer(GL_FRAMEBUFFER, 0);
    GLint red = 0, green = 0, blue = 0;
    gl_.GetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_RED_SIZE,
                                            &red);
    gl_.GetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_BACK_LEFT,
                                            GL_FRAMEBUFFER_ATTACHMENT_GREEN_SIZE, &green);
    gl_.GetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_BLUE_SIZE,
                                            &blue);
    gl_.GetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_BACK_LEFT,
                                            GL_FRAMEBUFFER_ATTACHMENT_ALPHA_SIZE, &windowAlphaBits_);
    windowColourBits_ = std::min({red, green, blue});
    // Only a buffer the window has is asked its size: asking a missing one is an error
    // (which the driver's debug messages would report).
    auto bits = [this](GLenum attachment, GLenum size, GLint* out) {
        GLint type = GL_NONE;
        gl_.GetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, attachment, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE,
                                                &type);
        *out = 0;
        if (type != GL_NONE)
            gl_.GetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, attachment, size, out);
    };
    bits(GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE, &windowDepthBits_);
    bits(GL_STENCIL, GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE, &windowStencilBits_);
    GLboolean doubleBuffered = GL_FALSE;
    gl_.GetBooleanv(GL_DOUBLEBUFFER, &doubleBuffered);
    windowDoubleBuffered_ = doubleBuffered == GL_TRUE;
    gl_.GetIntegerv(GL_READ_BUFFER, &windowReadBuffer_);
    boundFramebuffer_ = 0;
    ForgetGlErrors();
}

void Device9::ForgetGlErrors()
{
    // Bounded: a context whose connection is gone may answer with errors for ever.
    for (int i = 0; i < 8 && gl_.GetError() != GL_NO_ERROR; ++i) {
    }
}

void Device9::BeginGlWork()
{
    MakeCurrent();
    ForgetGlErrors();
}

HRESULT Device9::GlWorkResult(const char* what)
{
    GLenum error = refusedGlWork_;
    refusedGlWork_ = GL_NO_ERROR;
    for (int i = 0; i < 8; ++i) {
        const GLenum next = gl_.GetError();
        if (next == GL_NO_ERROR)
            break;
        if (error == GL_NO_ERROR || next == GL_OUT_OF_MEMORY)
            error = next;
    }
    if (error == GL_NO_ERROR)
        return D3D_OK;
    SDL_LogError(SDL_LOG_CATEGORY_APPLICATION, "%s: the driver refused it (GL error 0x%04X)", what, error);
    return error == GL_OUT_OF_MEMORY ? D3DERR_OUTOFVIDEOMEMORY : D3DERR_DRIVERINTERNALERROR;
}

#ifndef NDEBUG
namespace {

void APIENTRY LogDriverMessage(GLenum, GLenum type, GLuint id, GLenum severity, GLsizei, const GLchar* message,
                                 const void*)
{
    if (severity != GL_DEBUG_SEVERITY_NOTIFICATION)
        SDL_LogWarn(SDL_LOG_CATEGORY_APPLICATION, "OpenGL (type 0x%04X, id %u): %s", type, id, message);
}

} // namespace
#endif

void Device9::ListenToDriver()
{
#ifndef NDEBUG
    // The callback is core from OpenGL 4.3; a 3.3 context may offer it as KHR_debug.
    auto callback =
        reinterpret_cast<PFNGLDEBUGMESSAGECALLBACKPROC>(SDL_GL_GetProcAddress("glDebugMessageCallback"));
    if (!callback || !gl_.HasExtension("GL_KHR_debug"))
        return;
    gl_.Enable(GL_DEBUG_OUTPUT);
    // Messages arrive during the call that caused them, on its thread.
    gl_.Enable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    callback(&LogDriverMessage, nullptr);
#endif
}

void Device9::FindWhetherWindowKeepsPicture()
{
    windowKeepsPicture_ = false;
    copySubBuffer_ = nullptr;
    if (D3D9Test_Adapter().windowDropsPicture)
        return;
    if (!windowDoubleBuffered_) {
        windowKeepsPicture_ = true; // nothing swaps
        return;
    }
    // Where the driver draws in software a blit of the whole back buffer every frame
    // costs more than the frame's own drawing; a GPU blits for nothing and keeps its
    // vertical sync.
    const auto* renderer = reinterpret_cast<const char*>(gl_.GetString(GL_RENDERER));
    const bool software = renderer && (std::strstr(renderer, "llvmpipe") || std::strstr(renderer, "softpipe") ||
                                       std::strstr(renderer, "Software"));
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!software || !SDL_GetWindowWMInfo(window_, &info) || info.subsystem != SDL_SYSWM_X11)
        return;
    copySubBuffer_ = reinterpret_cast<decltype(copySubBuffer_)>(SDL_GL_GetProcAddress("glXCopySubBufferMESA"));
    x11Display_ = info.info.x11.display;
    x11Window_ = info.info.x11.window;
    windowKeepsPicture_ = copySubBuffer_ && x11Display_ && x11Window_;
}

void Device9::CopyToScreen(const RGNDATA* dirtyRegion)
{
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window_, &w, &h);
    const RECT* rects = nullptr;
    DWORD count = 0;
    if (dirtyRegion && dirtyRegion->rdh.iType == RDH_RECTANGLES) {
        rects = reinterpret_cast<const RECT*>(dirtyRegion->Buffer);
        count = dirtyRegion->rdh.nCount;
    }
    if (count == 0) {
        copySubBuffer_(x11Display_, x11Window_, 0, 0, w, h);
        return;
    }
    for (DWORD i = 0; i < count; ++i) {
        const LONG left = std::max<LONG>(0, rects[i].left), top = std::max<LONG>(0, rects[i].top);
        const LONG right = std::min<LONG>(w, rects[i].right), bottom = std::min<LONG>(h, rects[i].bottom);
        if (right > left && bottom > top)
            copySubBuffer_(x11Display_, x11Window_, left, h - bottom, right - left, bottom - top);
    }
}

bool Device9::WindowCanHoldBackBuffer() const
{
    // Only a copy swap keeps the back buffer's contents over Present; a window may not.
    if (params_.SwapEffect == D3DSWAPEFFECT_COPY && !windowKeepsPicture_)
        return false;
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window_, &w, &h);
    if (w <= 0 || h <= 0 || static_cast<UINT>(w) != params_.BackBufferWidth ||
        static_cast<UINT>(h) != params_.BackBufferHeight)
        return false;
    // The off-screen back buffer has 8 bits a channel and, once a draw has tested depth,
    // a 24-bit depth, 8-bit stencil buffer; the window must offer no less. An X8 format
    // never reads its alpha back.
    if (windowColourBits_ < 8 || (params_.BackBufferFormat != D3DFMT_X8R8G8B8 && windowAlphaBits_ < 8))
        return false;
    return !depthTested_ || !params_.EnableAutoDepthStencil || WindowHasDepthStencil();
}

void Device9::RelayWindowBuffers()
{
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window_, &w, &h);
    if (w == windowBufferWidth_ && h == windowBufferHeight_)
        return;
    // The driver sizes the window's buffers again only after a swap: a copy to the screen
    // alone leaves them at the old size, so that a frame drawn in them would be cut to it
    // and its copy would reach beyond them. A swap now shows what the old buffer held, and
    // the frame about to be drawn (the whole of it, after the reset a new size comes with)
    // replaces it.
    SwapWindow();
}

void Device9::SwapWindow()
{
    SDL_GL_SwapWindow(window_);
    SDL_GL_GetDrawableSize(window_, &windowBufferWidth_, &windowBufferHeight_);
}

void Device9::OpenFrame()
{
    frameOpen_ = true;
    presented_ = false;
    if (copySubBuffer_ && windowKeepsPicture_)
        RelayWindowBuffers();
    bool inWindow = WindowCanHoldBackBuffer();
    if (!inWindow && !backFramebuffer_ && !CreateOffscreenBackBuffer()) {
        SDL_LogError(SDL_LOG_CATEGORY_APPLICATION,
                     "Back buffer %ux%u cannot be made off-screen; drawing into the window",
                     params_.BackBufferWidth, params_.BackBufferHeight);
        inWindow = true;
    }
    if (inWindow != inWindow_) {
        inWindow_ = inWindow;
        pipelineDirty_ = true;
    }
}

GLuint Device9::BackBufferFramebuffer(bool depth)
{
    if (!frameOpen_)
        OpenFrame();
    if (!depth || !params_.EnableAutoDepthStencil || (inWindow_ && WindowHasDepthStencil()))
        return inWindow_ ? 0 : backFramebuffer_;
    if (inWindow_)
        MoveBackBufferOffscreen();
    if (inWindow_)
        return 0; // nowhere to put depth: the draw goes without
    const GLuint framebuffer =
        DepthFramebuffer(backDepth_, params_.BackBufferWidth, params_.BackBufferHeight, backColour_, 0);
    return framebuffer ? framebuffer : backFramebuffer_;
}

GLuint Device9::DepthFramebuffer(DepthStencil& depth, UINT width, UINT height, GLuint colour, GLint level)
{
    const bool tried = depth.Tried();
    const GLuint framebuffer =
        depth.Framebuffer(gl_, static_cast<GLsizei>(width), static_cast<GLsizei>(height), colour, level);
    if (!tried)
        FramebuffersChanged(); // making it bound it and changed states
    return framebuffer;
}

bool Device9::KeepBackBufferDepthClear(DWORD flags, float z, DWORD stencil)
{
    if (!params_.EnableAutoDepthStencil)
        return true; // nothing to clear
    if (!frameOpen_)
        OpenFrame();
    if ((inWindow_ && WindowHasDepthStencil()) || backDepth_.Tried())
        return false;
    backDepth_.KeepClear(flags, z, stencil);
    return true;
}

void Device9::MoveBackBufferOffscreen()
{
    depthTested_ = true;
    if (!backFramebuffer_ && !CreateOffscreenBackBuffer()) {
        SDL_LogError(SDL_LOG_CATEGORY_APPLICATION,
                     "Back buffer %ux%u cannot be made off-screen; drawing into the window without depth",
                     params_.BackBufferWidth, params_.BackBufferHeight);
        return;
    }
    // The window stores its rows bottom first, the off-screen buffer top first.
    const auto w = static_cast<GLint>(params_.BackBufferWidth), h = static_cast<GLint>(params_.BackBufferHeight);
    gl_.BindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    BindDrawFramebuffer(backFramebuffer_);
    gl_.Disable(GL_SCISSOR_TEST);
    gl_.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    gl_.BlitFramebuffer(0, 0, w, h, 0, h, w, 0, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    inWindow_ = false;
    pipelineDirty_ = true;
}

void Device9::FramebuffersChanged()
{
    boundFramebuffer_ = kUnknownName;
    pipelineDirty_ = true;
}

void Device9::BindDrawFramebuffer(GLuint framebuffer)
{
    if (boundFramebuffer_ == framebuffer)
        return;
    gl_.BindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    boundFramebuffer_ = framebuffer;
}

void Device9::UseTextureUnit(GLenum unit)
{
    if (activeUnit_ == unit)
        return;
    gl_.ActiveTexture(GL_TEXTURE0 + unit);
    activeUnit_ = unit;
}

bool Device9::TargetLacksAlpha() const
{
    return renderTarget_ && renderTarget_->Format() == D3DFMT_X8R8G8B8;
}

LONG Device9::GlY(LONG top, LONG bottom) const
{
    if (!TargetIsWindow())
        return top;
    return static_cast<LONG>(renderTarget_->Height()) - bottom;
}

bool Device9::CreateOffscreenBackBuffer()
{
    const auto w = static_cast<GLsizei>(params_.BackBufferWidth),
               h = static_cast<GLsizei>(params_.BackBufferHeight);
    // A texture given its pixels as BGRA bytes is stored so by drivers that can (a
    // renderbuffer would be RGBA), which lets llvmpipe draw into it on its fast paths.
    gl_.GenTextures(1, &backColour_);
    UseTextureUnit(kUploadUnit);
    gl_.BindTexture(GL_TEXTURE_2D, backColour_);
    gl_.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    gl_.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    gl_.GenFramebuffers(1, &backFramebuffer_);
    BindDrawFramebuffer(backFramebuffer_);
    gl_.FramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, backColour_, 0);
    if (gl_.CheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        DestroyOffscreenBackBuffer();
        return false;
    }
    pipelineDirty_ = true;
    return true;
}

void Device9::DestroyOffscreenBackBuffer()
{
    gl_.DeleteFramebuffers(1, &backFramebuffer_);
    gl_.DeleteTextures(1, &backColour_);
    backFramebuffer_ = backColour_ = 0;
    backDepth_.Destroy(gl_);
    FramebuffersChanged();
}

void Device9::DestroyBackBuffer()
{
    if (renderTarget_ == backBuffer_.get())
        renderTarget_ = nullptr;
    backBuffer_.reset();
    DestroyOffscreenBackBuffer();
}

void Device9::ResetStates()
{
    std::fill(std::begin(renderStates_), std::end(renderStates_), 0u);
    renderStates_[D3DRS_ZENABLE] = params_.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    renderStates_[D3DRS_FILLMODE] = 3;  // solid
    renderStates_[D3DRS_SHADEMODE] = 2; // Gouraud
    renderStates_[D3DRS_ZWRITEENABLE] = TRUE;
    renderStates_[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    renderStates_[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    renderStates_[D3DRS_CULLMODE] = D3DCULL_CCW;
    renderStates_[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    renderStates_[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    renderStates_[D3DRS_LIGHTING] = TRUE;
    renderStates_[D3DRS_COLORVERTEX] = TRUE;
    renderStates_[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    renderStates_[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    renderStates_[D3DRS_COLORWRITEENABLE] = 0xF;
    renderStates_[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    renderStates_[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
    renderStates_[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
    renderStates_[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;
    for (DWORD s = 0; s < kMaxStages; ++s) {
        std::fill(std::begin(samplerStates_[s]), std::end(samplerStates_[s]), 0u);
        samplerStates_[s][D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
        samplerStates_[s][D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
        samplerStates_[s][D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        samplerStates_[s][D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
        samplerStates_[s][D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        samplerStates_[s][D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        samplerStates_[s][D3DSAMP_MAXANISOTROPY] = 1;
        UpdateSampler(s);
        std::fill(std::begin(stageStates_[s]), std::end(stageStates_[s]), 0u);
        stageStates_[s][D3DTSS_COLOROP] = s == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        stageStates_[s][D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        stageStates_[s][D3DTSS_COLORARG2] = D3DTA_CURRENT;
        stageStates_[s][D3DTSS_ALPHAOP] = s == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        stageStates_[s][D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        stageStates_[s][D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        textures_[s] = nullptr;
    }
    renderTarget_ = backBuffer_.get();
    viewport_ = {0, 0, params_.BackBufferWidth, params_.BackBufferHeight, 0.0f, 1.0f};
    scissor_ = {0, 0, static_cast<LONG>(params_.BackBufferWidth),
                static_cast<LONG>(params_.BackBufferHeight)};
    fvf_ = 0;
    stream_ = nullptr;
    streamLayout_ = nullptr;
    streamArray_ = nullptr;
    streamOffset_ = streamStride_ = 0;
    indices_ = nullptr;
    vertexShader_ = nullptr;
    pixelShader_ = nullptr;
    program_ = nullptr;
    std::fill(vertexConstants_.begin(), vertexConstants_.end(), 0.0f);
    std::fill(pixelConstants_.begin(), pixelConstants_.end(), 0.0f);
    ++vertexConstantsVersion_;
    ++pixelConstantsVersion_;
    inScene_ = false;
    pipelineDirty_ = true;
}

HRESULT Device9::TakeFailure(D3D9TestCall call)
{
    auto it = failures_.find(call);
    if (it == failures_.end())
        return D3D_OK;
    const HRESULT hr = it->second;
    failures_.erase(it);
    return hr;
}

HRESULT Device9::TestCooperativeLevel()
{
    switch (testState_) {
    case D3D9TestDeviceState::Lost:
        return D3DERR_DEVICELOST;
    case D3D9TestDeviceState::NotReset:
        return D3DERR_DEVICENOTRESET;
    default:
        return D3D_OK;
    }
}

HRESULT Device9::GetDeviceCaps(D3DCAPS9* caps)
{
    if (!caps)
        return D3DERR_INVALIDCALL;
    d3d_->FillCaps(*caps);
    return D3D_OK;
}

HRESULT Device9::Reset(D3DPRESENT_PARAMETERS* params)
{
    if (HRESULT hr = TakeFailure(D3D9TestCall::Reset); FAILED(hr))
        return hr;
    if (!params)
        return D3DERR_INVALIDCALL;
    if (testState_ == D3D9TestDeviceState::Lost)
        return D3DERR_DEVICELOST;
    // As in Direct3D 9: default-pool objects and handed-out back-buffer references
    // must all be released first.
    if (defaultPoolObjects_ > 0 || (backBuffer_ && backBuffer_->OutsideReferences() > 0))
        return D3DERR_INVALIDCALL;
    MakeCurrent();
    const HRESULT hr = ApplyPresentParameters(*params);
    if (FAILED(hr))
        return hr;
    params->BackBufferWidth = params_.BackBufferWidth;
    params->BackBufferHeight = params_.BackBufferHeight;
    ResetStates();
    testState_ = D3D9TestDeviceState::Ok;
    return D3D_OK;
}

void Device9::CopyBackBufferToWindow()
{
    if (!backFramebuffer_)
        return;
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window_, &w, &h);
    gl_.BindFramebuffer(GL_READ_FRAMEBUFFER, backFramebuffer_);
    BindDrawFramebuffer(0);
    gl_.Disable(GL_SCISSOR_TEST);
    gl_.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    const auto bw = static_cast<GLint>(params_.BackBufferWidth),
               bh = static_cast<GLint>(params_.BackBufferHeight);
    // The back buffer's first row is the top; the window's is the bottom.
    gl_.BlitFramebuffer(0, 0, bw, bh, 0, h, w, 0, GL_COLOR_BUFFER_BIT,
                        (bw == w && bh == h) ? GL_NEAREST : GL_LINEAR);
    pipelineDirty_ = true;
}

HRESULT Device9::Present(const RECT*, const RECT*, HWND, const void* dirtyRegion)
{
    if (HRESULT hr = TakeFailure(D3D9TestCall::Present); FAILED(hr))
        return hr;
    if (testState_ != D3D9TestDeviceState::Ok)
        return D3DERR_DEVICELOST;
    if (!backBuffer_)
        return D3DERR_INVALIDCALL;
    MakeCurrent();
    if (!inWindow_)
        CopyBackBufferToWindow();
    if (PresentsByCopy())
        CopyToScreen(static_cast<const RGNDATA*>(dirtyRegion));
    else
        SwapWindow();
    LimitFramesInFlight();
    // The next frame may find the window of another size.
    frameOpen_ = false;
    presented_ = true;
    return D3D_OK;
}

HRESULT Device9::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                               D3DPOOL pool, IDirect3DTexture9** texture, HANDLE*)
{
    if (!texture)
        return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (HRESULT hr = TakeFailure(D3D9TestCall::CreateTexture); FAILED(hr))
        return hr;
    Texture9* created = nullptr;
    const HRESULT hr = Texture9::Create(this, width, height, levels, usage, format, pool, &created);
    *texture = created;
    return hr;
}

HRESULT Device9::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                    IDirect3DVertexBuffer9** buffer, HANDLE*)
{
    if (!buffer)
        return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    if (HRESULT hr = TakeFailure(D3D9TestCall::CreateVertexBuffer); FAILED(hr))
        return hr;
    VertexBuffer9* created = nullptr;
    const HRESULT hr = VertexBuffer9::Create(this, length, usage, fvf, pool, &created);
    *buffer = created;
    return hr;
}

HRESULT Device9::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                   IDirect3DIndexBuffer9** buffer, HANDLE*)
{
    if (!buffer)
        return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    if (HRESULT hr = TakeFailure(D3D9TestCall::CreateIndexBuffer); FAILED(hr))
        return hr;
    IndexBuffer9* created = nullptr;
    const HRESULT hr = IndexBuffer9::Create(this, length, usage, format, pool, &created);
    *buffer = created;
    return hr;
}

HRESULT Device9::SetRenderTarget(DWORD index, IDirect3DSurface9* surface)
{
    if (HRESULT hr = TakeFailure(D3D9TestCall::SetRenderTarget); FAILED(hr))
        return hr;
    auto* target = dynamic_cast<Surface9*>(surface);
    if (index != 0 || !target || target->Owner() != this)
        return D3DERR_INVALIDCALL;
    MakeCurrent();
    if (!target->IsBackBuffer() && target->Framebuffer() == 0)
        return D3DERR_INVALIDCALL;
    renderTarget_ = target;
    // Direct3D 9 resets the viewport to the whole new target; the scissor rectangle stays.
    viewport_ = {0, 0, target->Width(), target->Height(), 0.0f, 1.0f};
    pipelineDirty_ = true;
    return D3D_OK;
}

HRESULT Device9::GetRenderTarget(DWORD index, IDirect3DSurface9** surface)
{
    if (!surface)
        return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (HRESULT hr = TakeFailure(D3D9TestCall::GetRenderTarget); FAILED(hr))
        return hr;
    if (index != 0 || !renderTarget_)
        return D3DERR_NOTFOUND;
    renderTarget_->AddRef();
    *surface = renderTarget_;
    return D3D_OK;
}

HRESULT Device9::BeginScene()
{
    if (HRESULT hr = TakeFailure(D3D9TestCall::BeginScene); FAILED(hr))
        return hr;
    if (inScene_)
        return D3DERR_INVALIDCALL;
    inScene_ = true;
    return D3D_OK;
}

HRESULT Device9::EndScene()
{
    if (HRESULT hr = TakeFailure(D3D9TestCall::EndScene); FAILED(hr))
        return hr;
    if (!inScene_)
        return D3DERR_INVALIDCALL;
    inScene_ = false;
    return D3D_OK;
}

HRESULT Device9::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil)
{
    if (HRESULT hr = TakeFailure(D3D9TestCall::Clear); FAILED(hr))
        return hr;
    if ((count > 0 && !rects) || !renderTarget_ ||
        (flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) != 0)
        return D3DERR_INVALIDCALL;
    MakeCurrent();
    // The cleared area is the viewport, cut by the scissor rectangle when that test is on.
    LONG left = static_cast<LONG>(viewport_.X), top = static_cast<LONG>(viewport_.Y);
    LONG right = left + static_cast<LONG>(viewport_.Width),
         bottom = top + static_cast<LONG>(viewport_.Height);
    if (renderStates_[D3DRS_SCISSORTESTENABLE]) {
        left = std::max(left, scissor_.left);
        top = std::max(top, scissor_.top);
        right = std::min(right, scissor_.right);
        bottom = std::min(bottom, scissor_.bottom);
    }
    // A clear of all the depth or stencil waits for the buffer while there is none yet.
    const DWORD depthFlags = flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL);
    const bool whole = count == 0 && left <= 0 && top <= 0 && right >= static_cast<LONG>(renderTarget_->Width()) &&
                       bottom >= static_cast<LONG>(renderTarget_->Height());
    if (depthFlags && whole && renderTarget_->KeepDepthClear(depthFlags, z, stencil))
        flags &= ~depthFlags;
    if (flags == 0)
        return D3D_OK;
    BindDrawFramebuffer(renderTarget_->Framebuffer((flags & depthFlags) != 0));
    // A clear writes every channel whatever the write masks say. It changes a mask or
    // the scissor test only where the draws' setting would not do, and only then are the
    // draws' settings made again: every state change costs the driver a validation at
    // the next draw, and a frame's clear usually needs none.
    const DWORD* rs = renderStates_;
    const bool applied = !pipelineDirty_; // the GL state is the draws' state
    bool changed = !applied;
    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET) {
        mask |= GL_COLOR_BUFFER_BIT;
        const DWORD colourMask = rs[D3DRS_COLORWRITEENABLE];
        // Alpha that the target lacks is never written either way.
        if (!applied || (colourMask & 7) != 7 || !((colourMask & 8) || TargetLacksAlpha())) {
            gl_.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
            changed = true;
        }
        gl_.ClearColor(((color >> 16) & 255) / 255.0f, ((color >> 8) & 255) / 255.0f, (color & 255) / 255.0f,
                       TargetLacksAlpha() ? 1.0f : ((color >> 24) & 255) / 255.0f);
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        mask |= GL_DEPTH_BUFFER_BIT;
        if (!applied || !rs[D3DRS_ZWRITEENABLE]) {
            gl_.DepthMask(GL_TRUE);
            changed = true;
        }
        gl_.ClearDepth(std::clamp(z, 0.0f, 1.0f));
    }
    if (flags & D3DCLEAR_STENCIL) {
        mask |= GL_STENCIL_BUFFER_BIT;
        gl_.ClearStencil(static_cast<GLint>(stencil));
    }
    if (count == 0 && whole && !rs[D3DRS_SCISSORTESTENABLE]) {
        // All of the target, as an unscissored clear reaches.
        if (!applied)
            gl_.Disable(GL_SCISSOR_TEST);
        gl_.Clear(mask);
    } else {
        gl_.Enable(GL_SCISSOR_TEST);
        changed = true;
        auto clearArea = [&](LONG l, LONG t, LONG r, LONG b) {
            l = std::max(l, left);
            t = std::max(t, top);
            r = std::min(r, right);
            b = std::min(b, bottom);
            if (r <= l || b <= t)
                return;
            gl_.Scissor(l, GlY(t, b), r - l, b - t);
            gl_.Clear(mask);
        };
        if (count == 0)
            clearArea(left, top, right, bottom);
        for (DWORD i = 0; i < count; ++i)
            clearArea(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
    }
    pipelineDirty_ = changed;
    return D3D_OK;
}

HRESULT Device9::SetViewport(const D3DVIEWPORT9* viewport)
{
    if (HRESULT hr = TakeFailure(D3D9TestCall::SetViewport); FAILED(hr))
        return hr;
    if (!viewport || !renderTarget_ || viewport->Width == 0 || viewport->Height == 0 ||
        static_cast<uint64_t>(viewport->X) + viewport->Width > renderTarget_->Width() ||
        static_cast<uint64_t>(viewport->Y) + viewport->Height > renderTarget_->Height())
        return D3DERR_INVALIDCALL;
    if (std::memcmp(&viewport_, viewport, sizeof viewport_) == 0)
        return D3D_OK;
    viewport_ = *viewport;
    pipelineDirty_ = true;
    return D3D_OK;
}

HRESULT Device9::GetViewport(D3DVIEWPORT9* viewport)
{
    if (!viewport)
        return D3DERR_INVALIDCALL;
    *viewport = viewport_;
    return D3D_OK;
}

HRESULT Device9::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    if (HRESULT hr = TakeFailure(D3D9TestCall::SetRenderState); FAILED(hr))
        return hr;
    if (state >= D3DRS_COUNT)
        return D3DERR_INVALIDCALL;
    if (renderStates_[state] == value)
        return D3D_OK;
    renderStates_[state] = value;
    pipelineDirty_ = true;
    return D3D_OK;
}

HRESULT Device9::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value)
{
    if (state >= D3DRS_COUNT || !value)
        return D3DERR_INVALIDCALL;
    *value = renderStates_[state];
    return D3D_OK;
}

HRESULT Device9::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture)
{
    if (HRESULT hr = TakeFailure(D3D9TestCall::SetTexture); FAILED(hr))
        return hr;
    auto* t = dynamic_cast<Texture9*>(texture);
    if (stage >= kMaxStages || (texture && (!t || t->Device() != this)))
        return D3DERR_INVALIDCALL;
    textures_[stage] = t;
    return D3D_OK;
}

HRESULT Device9::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    if (HRESULT hr = TakeFailure(D3D9TestCall::SetTextureStageState); FAILED(hr))
        return hr;
    // Kept for completeness: with a pixel shader bound, Direct3D 9 ignores these.
    if (stage >= kMaxStages || type == 0 || type > D3DTSS_ALPHAARG2)
        return D3DERR_INVALIDCALL;
    stageStates_[stage][type] = value;
    return D3D_OK;
}

HRESULT Device9::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value)
{
    if (HRESULT hr = TakeFailure(D3D9TestCall::SetSamplerState); FAILED(hr))
        return hr;
    if (sampler >= kMaxStages || type == 0 || type > D3DSAMP_MAXANISOTROPY)
        return D3DERR_INVALIDCALL;
    samplerStates_[sampler][type] = value;
    MakeCurrent();
    UpdateSampler(sampler);
    return D3D_OK;
}

HRESULT Device9::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value)
{
    if (sampler >= kMaxStages || type == 0 || type > D3DSAMP_MAXANISOTROPY || !value)
        return D3DERR_INVALIDCALL;
    *value = samplerStates_[sampler][type];
    return D3D_OK;
}

void Device9::UpdateSampler(DWORD s)
{
    const DWORD* st = samplerStates_[s];
    const GLuint sampler = samplers_[s];
    const bool minLinear = st[D3DSAMP_MINFILTER] >= D3DTEXF_LINEAR; // anisotropic filters linearly here
    GLenum minFilter = minLinear ? GL_LINEAR : GL_NEAREST;
    if (st[D3DSAMP_MIPFILTER] == D3DTEXF_POINT)
        minFilter = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    else if (st[D3DSAMP_MIPFILTER] >= D3DTEXF_LINEAR)
        minFilter = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    gl_.SamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
    gl_.SamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER,
                          st[D3DSAMP_MAGFILTER] >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
    gl_.SamplerParameteri(sampler, GL_TEXTURE_WRAP_S, static_cast<GLint>(AddressMode(st[D3DSAMP_ADDRESSU])));
    gl_.SamplerParameteri(sampler, GL_TEXTURE_WRAP_T, static_cast<GLint>(AddressMode(st[D3DSAMP_ADDRESSV])));
    gl_.SamplerParameteri(sampler, GL_TEXTURE_WRAP_R, static_cast<GLint>(AddressMode(st[D3DSAMP_ADDRESSW])));
    const DWORD border = st[D3DSAMP_BORDERCOLOR];
    const float colour[4] = {((border >> 16) & 255) / 255.0f, ((border >> 8) & 255) / 255.0f,
                             (border & 255) / 255.0f, ((border >> 24) & 255) / 255.0f};
    gl_.SamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, colour);
    float bias = 0.0f;
    std::memcpy(&bias, &st[D3DSAMP_MIPMAPLODBIAS], sizeof bias);
    gl_.SamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, bias);
    gl_.SamplerParameterf(sampler, GL_TEXTURE_MIN_LOD, static_cast<float>(st[D3DSAMP_MAXMIPLEVEL]));
}

HRESULT Device9::SetScissorRect(const RECT* rect)
{
    if (HRESULT hr = TakeFailure(D3D9TestCall::SetScissorRect); FAILED(hr))
        return hr;
    if (!rect || rect->right < rect->left || rect->bottom < rect->top)
        return D3DERR_INVALIDCALL;
    if (std::memcmp(&scissor_, rect, sizeof scissor_) == 0)
        return D3D_OK;
    scissor_ = *rect;
    pipelineDirty_ = true;
    return D3D_OK;
}

HRESULT Device9::GetScissorRect(RECT* rect)
{
    if (!rect)
        return D3DERR_INVALIDCALL;
    *rect = scissor_;
    return D3D_OK;
}

HRESULT Device9::SetFVF(DWORD fvf)
{
    if (HRESULT hr = TakeFailure(D3D9TestCall::SetFVF); FAILED(hr))
        return hr;
    MakeCurrent();
    if (!Layout(fvf))
        return D3DERR_INVALIDCALL;
    if (fvf != fvf_) {
        streamLayout_ = nullptr;
        streamArray_ = nullptr;
    }
    fvf_ = fvf;
    return D3D_OK;
}

HRESULT Device9::GetFVF(DWORD* fvf)
{
    if (!fvf)
        return D3DERR_INVALIDCALL;
    *fvf = fvf_;
    return D3D_OK;
}

HRESULT Device9::CreateVertexShader(const DWORD* function, IDirect3DVertexShader9** shader)
{
    if (!shader)
        return D3DERR_INVALIDCALL;
    *shader = nullptr;
    if (HRESULT hr = TakeFailure(D3D9TestCall::CreateVertexShader); FAILED(hr))
        return hr;
    VertexShader9* created = nullptr;
    const HRESULT hr = VertexShader9::Create(this, function, &created);
    *shader = created;
    return hr;
}

HRESULT Device9::SetVertexShader(IDirect3DVertexShader9* shader)
{
    if (HRESULT hr = TakeFailure(D3D9TestCall::SetVertexShader); FAILED(hr))
        return hr;
    auto* s = dynamic_cast<VertexShader9*>(shader);
    if (shader && (!s || s->Device() != this))
        return D3DERR_INVALIDCALL;
    if (s != vertexShader_)
        program_ = nullptr;
    vertexShader_ = s;
    return D3D_OK;
}

HRESULT Device9::SetVertexShaderConstantF(UINT start, const float* data, UINT count)
{
    if (!data || start > kVertexRegisters || count > kVertexRegisters - start)
        return D3DERR_INVALIDCALL;
    std::memcpy(vertexConstants_.data() + static_cast<size_t>(start) * 4, data,
                static_cast<size_t>(count) * 16);
    ++vertexConstantsVersion_;
    return D3D_OK;
}

HRESULT Device9::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offsetInBytes, UINT stride)
{
    if (HRESULT hr = TakeFailure(D3D9TestCall::SetStreamSource); FAILED(hr))
        return hr;
    auto* b = dynamic_cast<VertexBuffer9*>(buffer);
    if (stream != 0 || (buffer && (!b || b->Device() != this)))
        return D3DERR_INVALIDCALL;
    if (b != stream_ || offsetInBytes != streamOffset_ || stride != streamStride_) {
        streamLayout_ = nullptr;
        streamArray_ = nullptr;
    }
    stream_ = b;
    streamOffset_ = offsetInBytes;
    streamStride_ = stride;
    return D3D_OK;
}

HRESULT Device9::SetIndices(IDirect3DIndexBuffer9* indices)
{
    if (HRESULT hr = TakeFailure(D3D9TestCall::SetIndices); FAILED(hr))
        return hr;
    auto* b = dynamic_cast<IndexBuffer9*>(indices);
    if (indices && (!b || b->Device() != this))
        return D3DERR_INVALIDCALL;
    indices_ = b;
    return D3D_OK;
}

HRESULT Device9::CreatePixelShader(const DWORD* function, IDirect3DPixelShader9** shader)
{
    if (!shader)
        return D3DERR_INVALIDCALL;
    *shader = nullptr;
    if (HRESULT hr = TakeFailure(D3D9TestCall::CreatePixelShader); FAILED(hr))
        return hr;
    PixelShader9* created = nullptr;
    const HRESULT hr = PixelShader9::Create(this, function, &created);
    *shader = created;
    return hr;
}

HRESULT Device9::SetPixelShader(IDirect3DPixelShader9* shader)
{
    if (HRESULT hr = TakeFailure(D3D9TestCall::SetPixelShader); FAILED(hr))
        return hr;
    auto* s = dynamic_cast<PixelShader9*>(shader);
    if (shader && (!s || s->Device() != this))
        return D3DERR_INVALIDCALL;
    if (s != pixelShader_)
        program_ = nullptr;
    pixelShader_ = s;
    return D3D_OK;
}

HRESULT Device9::SetPixelShaderConstantF(UINT start, const float* data, UINT count)
{
    if (!data || start > kPixelRegisters || count > kPixelRegisters - start)
        return D3DERR_INVALIDCALL;
    std::memcpy(pixelConstants_.data() + static_cast<size_t>(start) * 4, data,
                static_cast<size_t>(count) * 16);
    ++pixelConstantsVersion_;
    return D3D_OK;
}

void Device9::Forget(Texture9* texture)
{
    for (Texture9*& t : textures_)
        if (t == texture)
            t = nullptr;
    // Its name may come back for another texture.
    for (GLuint& name : boundTextures_)
        if (name == texture->Name())
            name = kUnknownName;
    if (renderTarget_ && renderTarget_->Texture() == texture) {
        renderTarget_ = backBuffer_.get();
        viewport_ = {0, 0, params_.BackBufferWidth, params_.BackBufferHeight, 0.0f, 1.0f};
        pipelineDirty_ = true;
    }
}

void Device9::Forget(VertexBuffer9* buffer)
{
    if (stream_ == buffer)
        stream_ = nullptr;
    streamLayout_ = nullptr;
    streamArray_ = nullptr;
    MakeCurrent();
    for (auto it = streamArrays_.begin(); it != streamArrays_.end();) {
        if (it->first.buffer == buffer) {
            if (boundArray_ == &it->second)
                boundArray_ = nullptr;
            gl_.DeleteVertexArrays(1, &it->second.name);
            it = streamArrays_.erase(it);
        } else {
            ++it;
        }
    }
}

void Device9::Forget(IndexBuffer9* buffer)
{
    if (indices_ == buffer)
        indices_ = nullptr;
    // Its name may come back for another buffer.
    for (auto& [key, array] : streamArrays_)
        if (array.indices == buffer->Storage().Name())
            array.indices = 0;
}

void Device9::Forget(VertexShader9* shader)
{
    boundProgram_ = kUnknownName;
    program_ = nullptr;
    if (vertexShader_ == shader)
        vertexShader_ = nullptr;
    MakeCurrent();
    for (auto it = programs_.begin(); it != programs_.end();) {
        if (it->first.first == shader) {
            it->second->Destroy(gl_);
            it = programs_.erase(it);
        } else {
            ++it;
        }
    }
}

void Device9::Forget(PixelShader9* shader)
{
    boundProgram_ = kUnknownName;
    program_ = nullptr;
    if (pixelShader_ == shader)
        pixelShader_ = nullptr;
    MakeCurrent();
    for (auto it = programs_.begin(); it != programs_.end();) {
        if (it->first.second == shader) {
            it->second->Destroy(gl_);
            it = programs_.erase(it);
        } else {
            ++it;
        }
    }
}

LinkedProgram* Device9::Program()
{
    if (program_)
        return program_;
    if (!vertexShader_ || !pixelShader_)
        return nullptr;
    auto& slot = programs_[{vertexShader_, pixelShader_}];
    if (!slot) {
        slot = std::make_unique<LinkedProgram>();
        std::string error;
        slot->Link(gl_, vertexShader_->Object(), pixelShader_->Object(), error);
        boundProgram_ = kUnknownName; // linking made it current
        if (!slot->name)
            SDL_LogError(SDL_LOG_CATEGORY_APPLICATION, "GL program link failed: %s", error.c_str());
    }
    program_ = slot->name ? slot.get() : nullptr;
    return program_;
}

void Device9::UploadConstants(LinkedProgram& program)
{
    const bool vertexStale = program.vertexVersion != vertexConstantsVersion_;
    const bool pixelStale = program.pixelVersion != pixelConstantsVersion_;
    if (!vertexStale && !pixelStale)
        return;
    using MatrixUpload = PFNGLUNIFORMMATRIX4FVPROC;
    // [GLSL columns - 2][GLSL rows - 2]
    const MatrixUpload matrix[3][3] = {
        {gl_.UniformMatrix2fv, gl_.UniformMatrix2x3fv, gl_.UniformMatrix2x4fv},
        {gl_.UniformMatrix3x2fv, gl_.UniformMatrix3fv, gl_.UniformMatrix3x4fv},
        {gl_.UniformMatrix4x2fv, gl_.UniformMatrix4x3fv, gl_.UniformMatrix4fv},
    };
    for (const LinkedProgram::Uniform& u : program.uniforms) {
        if (u.vertex ? !vertexStale : !pixelStale)
            continue;
        const ShaderConstant& c = *u.constant;
        const std::vector<float>& regs = u.vertex ? vertexConstants_ : pixelConstants_;
        const DWORD registers = u.vertex ? kVertexRegisters : kPixelRegisters;
        const DWORD perElement = c.rows > 1 ? c.columns : 1;
        for (size_t e = 0; e < u.locations.size(); ++e) {
            const DWORD base = c.registerIndex + static_cast<DWORD>(e) * perElement;
            if (u.locations[e] < 0 || base + perElement > registers)
                continue;
            const float* r = regs.data() + static_cast<size_t>(base) * 4;
            if (c.rows == 1) {
                switch (c.columns) {
                case 1:
                    gl_.Uniform1fv(u.locations[e], 1, r);
                    break;
                case 2:
                    gl_.Uniform2fv(u.locations[e], 1, r);
                    break;
                case 3:
                    gl_.Uniform3fv(u.locations[e], 1, r);
                    break;
                default:
                    gl_.Uniform4fv(u.locations[e], 1, r);
                    break;
                }
                continue;
            }
            // Register j holds column j of the HLSL matrix. The GLSL value is its
            // transpose (rows x columns swapped), given row by row: GLSL row j = register j.
            float data[16];
            for (DWORD j = 0; j < c.columns; ++j)
                for (DWORD i = 0; i < c.rows; ++i)
                    data[j * c.rows + i] = r[j * 4 + i];
            matrix[c.rows - 2][c.columns - 2](u.locations[e], 1, GL_TRUE, data);
        }
    }
    program.vertexVersion = vertexConstantsVersion_;
    program.pixelVersion = pixelConstantsVersion_;
}

void Device9::ApplyPipelineState()
{
    const DWORD* rs = renderStates_;
    if (rs[D3DRS_ALPHABLENDENABLE]) {
        gl_.Enable(GL_BLEND);
        const bool separate = rs[D3DRS_SEPARATEALPHABLENDENABLE] != 0;
        gl_.BlendFuncSeparate(BlendFactor(rs[D3DRS_SRCBLEND]), BlendFactor(rs[D3DRS_DESTBLEND]),
                              BlendFactor(separate ? rs[D3DRS_SRCBLENDALPHA] : rs[D3DRS_SRCBLEND]),
                              BlendFactor(separate ? rs[D3DRS_DESTBLENDALPHA] : rs[D3DRS_DESTBLEND]));
        gl_.BlendEquationSeparate(BlendEquation(rs[D3DRS_BLENDOP]),
                                  BlendEquation(separate ? rs[D3DRS_BLENDOPALPHA] : rs[D3DRS_BLENDOP]));
    } else {
        gl_.Disable(GL_BLEND);
    }
    if (rs[D3DRS_ZENABLE]) {
        gl_.Enable(GL_DEPTH_TEST);
        const DWORD func = std::clamp<DWORD>(rs[D3DRS_ZFUNC], D3DCMP_NEVER, D3DCMP_ALWAYS);
        gl_.DepthFunc(GL_NEVER + (func - D3DCMP_NEVER));
    } else {
        gl_.Disable(GL_DEPTH_TEST);
    }
    gl_.DepthMask(rs[D3DRS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);
    // Where rows are stored top first, OpenGL's window winding is Direct3D's screen
    // winding mirrored: Direct3D's clockwise is OpenGL's counter-clockwise. In the
    // window nothing is mirrored.
    const bool window = TargetIsWindow();
    if (rs[D3DRS_CULLMODE] == D3DCULL_NONE) {
        gl_.Disable(GL_CULL_FACE);
    } else {
        gl_.Enable(GL_CULL_FACE);
        gl_.FrontFace(window ? GL_CW : GL_CCW);
        gl_.CullFace(rs[D3DRS_CULLMODE] == D3DCULL_CCW ? GL_BACK : GL_FRONT);
    }
    const DWORD mask = rs[D3DRS_COLORWRITEENABLE];
    gl_.ColorMask((mask & 1) != 0, (mask & 2) != 0, (mask & 4) != 0, (mask & 8) != 0 && !TargetLacksAlpha());
    if (rs[D3DRS_SCISSORTESTENABLE]) {
        gl_.Enable(GL_SCISSOR_TEST);
        const LONG left = std::max<LONG>(scissor_.left, 0), top = std::max<LONG>(scissor_.top, 0);
        const LONG height = std::max<LONG>(scissor_.bottom - top, 0);
        gl_.Scissor(left, GlY(top, top + height), std::max<LONG>(scissor_.right - left, 0), height);
    } else {
        gl_.Disable(GL_SCISSOR_TEST);
    }
    const auto viewportTop = static_cast<LONG>(viewport_.Y);
    gl_.Viewport(static_cast<GLint>(viewport_.X),
                 static_cast<GLint>(GlY(viewportTop, viewportTop + static_cast<LONG>(viewport_.Height))),
                 static_cast<GLsizei>(viewport_.Width), static_cast<GLsizei>(viewport_.Height));
    gl_.DepthRange(viewport_.MinZ, viewport_.MaxZ);
    pipelineDirty_ = false;
}

HRESULT Device9::PrepareDraw()
{
    if (!inScene_ || !renderTarget_)
        return D3DERR_INVALIDCALL;
    MakeCurrent();
    LinkedProgram* program = Program(); // there is no fixed-function pipeline here
    if (!program)
        return D3DERR_INVALIDCALL;
    BindDrawFramebuffer(renderTarget_->Framebuffer(renderStates_[D3DRS_ZENABLE] != D3DZB_FALSE));
    if (pipelineDirty_)
        ApplyPipelineState();
    if (boundProgram_ != program->name) {
        gl_.UseProgram(program->name);
        boundProgram_ = program->name;
    }
    UploadConstants(*program);
    // Half a pixel right and down; then y mirrored unless the target is the window.
    const float adjust[4] = {1.0f / static_cast<float>(viewport_.Width),
                             -1.0f / static_cast<float>(viewport_.Height), TargetIsWindow() ? 1.0f : -1.0f,
                             0.0f};
    if (std::memcmp(adjust, program->adjust, sizeof adjust) != 0) {
        gl_.Uniform4fv(program->viewAdjust, 1, adjust);
        std::memcpy(program->adjust, adjust, sizeof adjust);
    }
    for (DWORD stage : program->samplerStages) {
        const GLuint name = textures_[stage] ? textures_[stage]->Name() : 0;
        if (boundTextures_[stage] != name) {
            UseTextureUnit(stage);
            gl_.BindTexture(GL_TEXTURE_2D, name);
            boundTextures_[stage] = name;
        }
    }
    return D3D_OK;
}

const VertexLayout* Device9::Layout(DWORD fvf)
{
    auto& slot = layouts_[fvf];
    if (!slot) {
        auto layout = std::make_unique<VertexLayout>();
        if (!DecodeFvf(fvf, layout->elements, layout->vertexSize, layout->packable)) {
            layouts_.erase(fvf);
            return nullptr;
        }
        slot = std::move(layout);
    }
    return slot.get();
}

HRESULT Device9::BindVertexStream(UINT first, UINT count)
{
    if (!streamLayout_ && stream_)
        streamLayout_ = Layout(fvf_);
    const VertexLayout* layout = streamLayout_;
    if (!layout || layout->vertexSize == 0 || streamStride_ < layout->vertexSize || count == 0)
        return D3DERR_INVALIDCALL;
    // Every vertex the draw can reach must lie inside the buffer.
    BufferStorage& storage = stream_->Storage();
    const uint64_t begin = streamOffset_ + static_cast<uint64_t>(first) * streamStride_;
    const uint64_t end = begin + static_cast<uint64_t>(count - 1) * streamStride_ + layout->vertexSize;
    if (end > storage.Length())
        return D3DERR_INVALIDCALL;
    // Vertices as long as their stride may travel packed (the store then holds the
    // stream's vertex 0 at its byte 0).
    const bool packable = layout->packable && streamStride_ == layout->vertexSize;
    const VertexPacking packing{streamOffset_, streamStride_};
    bool packed = false;
    if (HRESULT hr = storage.Upload(static_cast<UINT>(begin), static_cast<UINT>(end), packable ? &packing : nullptr,
                                    &packed);
        FAILED(hr))
        return hr;
    if (!streamArray_)
        streamArray_ = &streamArrays_[{fvf_, stream_, streamOffset_, streamStride_}];
    StreamArray& array = *streamArray_;
    if (!array.name) {
        gl_.GenVertexArrays(1, &array.name);
        gl_.BindVertexArray(array.name);
        for (const VertexElement& e : layout->elements)
            gl_.EnableVertexAttribArray(e.location);
    } else if (boundArray_ != &array) {
        gl_.BindVertexArray(array.name);
    }
    boundArray_ = &array;
    // The attributes follow the store the buffer draws from now, and its layout.
    if (array.vertices != storage.Name() || array.packed != packed) {
        gl_.BindBuffer(GL_ARRAY_BUFFER, storage.Name());
        const UINT stride = packed ? streamStride_ - kPackedOut : streamStride_;
        for (const VertexElement& e : layout->elements) {
            GLint size = e.size;
            UINT offset = streamOffset_ + e.offset;
            if (packed) {
                // The position keeps x and y; what followed it moves up by z and w.
                size = e.offset == 0 ? 2 : e.size;
                offset = e.offset == 0 ? 0 : e.offset - kPackedOut;
            }
            gl_.VertexAttribPointer(e.location, size, e.type, e.normalized, static_cast<GLsizei>(stride),
                                    reinterpret_cast<const void*>(static_cast<uintptr_t>(offset)));
        }
        array.vertices = storage.Name();
        array.packed = packed;
    }
    return D3D_OK;
}

HRESULT Device9::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount)
{
    if (HRESULT hr = TakeFailure(D3D9TestCall::DrawPrimitive); FAILED(hr))
        return hr;
    GLenum mode = 0;
    UINT vertices = 0;
    if (!PrimitiveShape(type, primitiveCount, mode, vertices))
        return D3DERR_INVALIDCALL;
    if (primitiveCount == 0)
        return D3D_OK;
    if (HRESULT hr = PrepareDraw(); FAILED(hr))
        return hr;
    if (HRESULT hr = BindVertexStream(startVertex, vertices); FAILED(hr))
        return hr;
    gl_.DrawArrays(mode, static_cast<GLint>(startVertex), static_cast<GLsizei>(vertices));
    ++counters_.draws;
    return D3D_OK;
}

HRESULT Device9::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex, UINT minVertexIndex,
                                      UINT numVertices, UINT startIndex, UINT primitiveCount)
{
    if (HRESULT hr = TakeFailure(D3D9TestCall::DrawIndexedPrimitive); FAILED(hr))
        return hr;
    GLenum mode = 0;
    UINT count = 0;
    if (!PrimitiveShape(type, primitiveCount, mode, count) || !indices_)
        return D3DERR_INVALIDCALL;
    if (primitiveCount == 0)
        return D3D_OK;
    BufferStorage& ib = indices_->Storage();
    const UINT size = indices_->IndexSize();
    const uint64_t indexBegin = static_cast<uint64_t>(startIndex) * size;
    const uint64_t indexEnd = indexBegin + static_cast<uint64_t>(count) * size;
    // As in Direct3D, the indices are the caller's to keep within the vertex range it
    // names: they are not read here. The range itself must lie in the stream.
    const int64_t first = static_cast<int64_t>(baseVertexIndex) + minVertexIndex;
    if (indexEnd > ib.Length() || first < 0 || first > INT32_MAX || numVertices == 0)
        return D3DERR_INVALIDCALL;
    if (HRESULT hr = PrepareDraw(); FAILED(hr))
        return hr;
    if (HRESULT hr = BindVertexStream(static_cast<UINT>(first), numVertices); FAILED(hr))
        return hr;
    if (boundArray_->indices != ib.Name()) {
        gl_.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, ib.Name());
        boundArray_->indices = ib.Name();
    }
    if (HRESULT hr = ib.Upload(static_cast<UINT>(indexBegin), static_cast<UINT>(indexEnd)); FAILED(hr))
        return hr;
    gl_.DrawRangeElementsBaseVertex(mode, minVertexIndex, minVertexIndex + numVertices - 1,
                                    static_cast<GLsizei>(count),
                                    size == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                                    reinterpret_cast<const void*>(static_cast<uintptr_t>(indexBegin)),
                                    baseVertexIndex);
    ++counters_.draws;
    return D3D_OK;
}

bool Device9::ReadPixels(GLuint framebuffer, GLenum buffer, int width, int height, bool bottomFirst,
                         std::vector<uint32_t>& argb)
{
    if (width <= 0 || height <= 0)
        return false;
    const auto w = static_cast<size_t>(width), h = static_cast<size_t>(height);
    std::vector<uint32_t> rows(w * h);
    gl_.BindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    if (framebuffer == 0 && buffer != static_cast<GLenum>(windowReadBuffer_))
        gl_.ReadBuffer(buffer);
    gl_.PixelStorei(GL_PACK_ALIGNMENT, 4);
    // B, G, R, A bytes are 0xAARRGGBB words.
    gl_.ReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
    if (framebuffer == 0 && buffer != static_cast<GLenum>(windowReadBuffer_))
        gl_.ReadBuffer(static_cast<GLenum>(windowReadBuffer_));
    pipelineDirty_ = true;
    if (gl_.GetError() != GL_NO_ERROR)
        return false;
    if (!bottomFirst) {
        argb = std::move(rows);
        return true;
    }
    argb.resize(rows.size());
    for (size_t y = 0; y < h; ++y)
        std::memcpy(&argb[y * w], &rows[(h - 1 - y) * w], w * 4);
    return true;
}

bool Device9::ReadSurface(Surface9& surface, std::vector<uint32_t>& argb)
{
    MakeCurrent();
    const auto w = static_cast<int>(surface.Width()), h = static_cast<int>(surface.Height());
    if (!surface.IsBackBuffer()) {
        const GLuint framebuffer = surface.Framebuffer(); // a texture level makes it on first use
        return framebuffer != 0 && ReadPixels(framebuffer, GL_COLOR_ATTACHMENT0, w, h, false, argb);
    }
    // Reading leaves the frame's choice of storage alone: the pixels are where the
    // last frame drew them.
    if (!inWindow_)
        return backFramebuffer_ != 0 && ReadPixels(backFramebuffer_, GL_COLOR_ATTACHMENT0, w, h, false, argb);
    // After a swap the window's back buffer holds nothing defined; what was presented
    // is in its front buffer.
    const GLenum buffer = presented_ && windowDoubleBuffered_ && !PresentsByCopy()
                              ? GL_FRONT
                              : static_cast<GLenum>(windowReadBuffer_);
    return ReadPixels(0, buffer, w, h, true, argb);
}

bool Device9::ReadWindow(std::vector<uint32_t>& argb, int& width, int& height)
{
    MakeCurrent();
    GLenum buffer = static_cast<GLenum>(windowReadBuffer_);
    if (!inWindow_)
        CopyBackBufferToWindow();
    else if (presented_ && windowDoubleBuffered_ && !PresentsByCopy())
        buffer = GL_FRONT;
    SDL_GL_GetDrawableSize(window_, &width, &height);
    return ReadPixels(0, buffer, width, height, true, argb);
}

} // namespace d3d9

void D3D9Test_SetDeviceState(IDirect3DDevice9* device, D3D9TestDeviceState state)
{
    if (auto* d = d3d9::AsDevice(device))
        d->SetTestState(state);
}

void D3D9Test_FailNext(IDirect3DDevice9* device, D3D9TestCall call, HRESULT hr)
{
    if (auto* d = d3d9::AsDevice(device))
        d->FailNext(call, hr);
}

void D3D9Test_RefuseNextGlWork(IDirect3DDevice9* device, unsigned glError)
{
    if (auto* d = d3d9::AsDevice(device))
        d->RefuseNextGlWork(glError);
}

bool D3D9Test_ReadSurface(IDirect3DSurface9* surface, std::vector<std::uint32_t>& argb)
{
    auto* s = dynamic_cast<d3d9::Surface9*>(surface);
    if (!s)
        return false;
    IDirect3DDevice9* device = nullptr;
    s->GetDevice(&device);
    auto* d = d3d9::AsDevice(device);
    const bool ok = d && d->ReadSurface(*s, argb);
    if (device)
        device->Release();
    return ok;
}

bool D3D9Test_ReadWindow(IDirect3DDevice9* device, std::vector<std::uint32_t>& argb, int& width, int& height)
{
    auto* d = d3d9::AsDevice(device);
    return d && d->ReadWindow(argb, width, height);
}

bool D3D9Test_BackBufferInWindow(IDirect3DDevice9* device)
{
    auto* d = d3d9::AsDevice(device);
    return d && d->BackBufferInWindow();
}

bool D3D9Test_DecodesDxtOnCpu(IDirect3DDevice9* device)
{
    auto* d = d3d9::AsDevice(device);
    return d && d->CpuDxt();
}

size_t D3D9Test_TextureCpuBytes(IDirect3DTexture9* texture)
{
    const auto* t = dynamic_cast<const d3d9::Texture9*>(texture);
    return t ? t->CpuBytes() : 0;
}

D3D9TestCounters D3D9Test_Counters(IDirect3DDevice9* device)
{
    auto* d = d3d9::AsDevice(device);
    return d ? d->Counters() : D3D9TestCounters{};
}
