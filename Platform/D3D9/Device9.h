#pragma once
// IDirect3DDevice9 over an OpenGL 3.3 core context on the window's SDL window.
//
// Render-target textures are framebuffer objects whose rows are stored top row first,
// as Direct3D addresses them (and as texture reads expect them); there the vertex
// stage mirrors y. The vertex stage also moves geometry by half a pixel, so that
// Direct3D's integer pixel centres land on OpenGL's half-integer ones and a -0.5
// shifted quad covers exactly its pixels.
// The back buffer is the window's own framebuffer whenever it can be: same size as the
// window's drawable, enough colour and alpha bits, and a swap effect that may lose the
// contents, or a copy swap where the window keeps its picture over Present (a single-
// buffered surface, as headless; or a software driver on X11, where Present copies the
// dirty region to the screen and never swaps). Its rows are stored bottom first, so
// nothing is mirrored there and viewport and scissor rows are counted from the bottom;
// Present just swaps. Otherwise the back buffer is an off-screen framebuffer object that
// Present copies, scaled and upright, into the window. The choice is made when a frame
// first touches the back buffer.
//
// Depth and stencil are attached only while a draw tests depth (DepthStencil.h), so a
// window is made without them. The first draw that tests depth, or a clear that cannot
// wait, in a window that has none moves the back buffer off-screen, with what the frame
// drew so far, for the rest of the device's life.
#include "Platform/D3D9/D3D9.h"
#include "Platform/D3D9/D3D9TestHooks.h"
#include "Platform/D3D9/DepthStencil.h"
#include "Platform/D3D9/GlApi.h"

#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

struct SDL_Window;

namespace d3d9 {

class Direct3D9;
class Surface9;
class Texture9;
class VertexBuffer9;
class IndexBuffer9;
class VertexShader9;
class PixelShader9;
struct LinkedProgram;

constexpr DWORD kMaxStages = 16;        // texture stages and sampler registers
constexpr GLenum kUploadUnit = 16;      // texture unit used for uploads, never sampled
constexpr DWORD kVertexRegisters = 256; // float4 constant registers per stage
constexpr DWORD kPixelRegisters = 224;

// Where one element of a flexible vertex format lies in the vertex.
struct VertexElement {
    GLuint location;
    GLint size; // components, or GL_BGRA for a D3DCOLOR
    GLenum type;
    GLboolean normalized;
    UINT offset;
};

struct VertexLayout {
    std::vector<VertexElement> elements;
    UINT vertexSize = 0;
    // The position comes first with four floats: its vertices may travel packed.
    bool packable = false;
};

class Device9 final : public IDirect3DDevice9 {
public:
    static HRESULT Create(Direct3D9* d3d, HWND window, const D3DPRESENT_PARAMETERS& params, Device9** out);

    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override;
    HRESULT TestCooperativeLevel() override;
    HRESULT GetDeviceCaps(D3DCAPS9* caps) override;
    HRESULT Reset(D3DPRESENT_PARAMETERS* params) override;
    HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindow,
                    const void* dirtyRegion) override;
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture9** texture, HANDLE* sharedHandle) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer9** buffer, HANDLE* sharedHandle) override;
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer9** buffer, HANDLE* sharedHandle) override;
    HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface) override;
    HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** surface) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                  DWORD stencil) override;
    HRESULT SetViewport(const D3DVIEWPORT9* viewport) override;
    HRESULT GetViewport(D3DVIEWPORT9* viewport) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
    HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override;
    HRESULT SetScissorRect(const RECT* rect) override;
    HRESULT GetScissorRect(RECT* rect) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex, UINT minVertexIndex,
                                 UINT numVertices, UINT startIndex, UINT primitiveCount) override;
    HRESULT SetFVF(DWORD fvf) override;
    HRESULT GetFVF(DWORD* fvf) override;
    HRESULT CreateVertexShader(const DWORD* function, IDirect3DVertexShader9** shader) override;
    HRESULT SetVertexShader(IDirect3DVertexShader9* shader) override;
    HRESULT SetVertexShaderConstantF(UINT startRegister, const float* data, UINT vector4fCount) override;
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offsetInBytes,
                            UINT stride) override;
    HRESULT SetIndices(IDirect3DIndexBuffer9* indices) override;
    HRESULT CreatePixelShader(const DWORD* function, IDirect3DPixelShader9** shader) override;
    HRESULT SetPixelShader(IDirect3DPixelShader9* shader) override;
    HRESULT SetPixelShaderConstantF(UINT startRegister, const float* data, UINT vector4fCount) override;

    // For the device's resources.
    const GlApi& Gl() const { return gl_; }
    void MakeCurrent();
    bool CpuDxt() const { return cpuDxt_; }
    DWORD MaxTextureSize() const { return maxTextureSize_; }
    void CountDefaultPool(int delta) { defaultPoolObjects_ += delta; }
    void CountUpload(UINT bytes)
    {
        counters_.bufferBytes += bytes;
        ++counters_.bufferUploads;
    }
    // Creations and uploads check what the driver made of them: BeginGlWork forgets the
    // errors that earlier work left, GlWorkResult logs a refusal of `what` and turns it
    // into D3DERR_OUTOFVIDEOMEMORY (out of memory) or D3DERR_DRIVERINTERNALERROR.
    void BeginGlWork();
    HRESULT GlWorkResult(const char* what);
    // A resource going away leaves no binding behind.
    void Forget(Texture9* texture);
    void Forget(VertexBuffer9* buffer);
    void Forget(IndexBuffer9* buffer);
    void Forget(VertexShader9* shader);
    void Forget(PixelShader9* shader);
    // The failure planted for this call by the test hook, or D3D_OK.
    HRESULT TakeFailure(D3D9TestCall call);
    // The back buffer's framebuffer for the current frame (0: the window's), with the
    // depth-stencil buffer when `depth`; opens the frame when it is the first touch since
    // Present or Reset.
    GLuint BackBufferFramebuffer(bool depth);
    // Surface9::KeepDepthClear for the back buffer.
    bool KeepBackBufferDepthClear(DWORD flags, float z, DWORD stencil);
    // DepthStencil::Framebuffer of `depth` for a surface of the device, keeping track of
    // what making it changed.
    GLuint DepthFramebuffer(DepthStencil& depth, UINT width, UINT height, GLuint colour, GLint level);
    // Framebuffers were made or deleted, which may have changed the binding and states.
    void FramebuffersChanged();
    // Binds `framebuffer` for drawing unless it is bound already.
    void BindDrawFramebuffer(GLuint framebuffer);
    // Makes GL_TEXTURE0 + `unit` the active unit unless it is already.
    void UseTextureUnit(GLenum unit);

    // Test hooks.
    void SetTestState(D3D9TestDeviceState state) { testState_ = state; }
    void FailNext(D3D9TestCall call, HRESULT hr) { failures_[call] = hr; }
    void RefuseNextGlWork(GLenum error) { refusedGlWork_ = error; }
    bool ReadSurface(Surface9& surface, std::vector<uint32_t>& argb);
    bool ReadWindow(std::vector<uint32_t>& argb, int& width, int& height);
    bool BackBufferInWindow() const { return backBuffer_ && inWindow_; }
    const D3D9TestCounters& Counters() const { return counters_; }

private:
    Device9(Direct3D9* d3d, SDL_Window* window);
    ~Device9() override;

    HRESULT Init(const D3DPRESENT_PARAMETERS& params);
    HRESULT ApplyPresentParameters(const D3DPRESENT_PARAMETERS& params);
    void ResetStates();
    void QueryWindowFramebuffer();
    void ForgetGlErrors();
    // Debug builds log the driver's messages where the context offers them.
    void ListenToDriver();
    bool WindowCanHoldBackBuffer() const;
    bool WindowHasDepthStencil() const { return windowDepthBits_ >= 24 && windowStencilBits_ >= 8; }
    // Whether the window's framebuffer keeps its picture over Present, and how.
    void FindWhetherWindowKeepsPicture();
    // Present of a copy swap in a double-buffered window: the dirty region (all of the
    // window without one) goes to the screen, and the back buffer stays as it is.
    void CopyToScreen(const RGNDATA* dirtyRegion);
    bool PresentsByCopy() const
    {
        return inWindow_ && params_.SwapEffect == D3DSWAPEFFECT_COPY && windowDoubleBuffered_;
    }
    // For good, keeping the frame drawn so far: the window has no depth to test.
    void MoveBackBufferOffscreen();
    void OpenFrame();
    // A window whose buffers the driver keeps at the size of their last swap (llvmpipe on
    // X11, which then presents by copy) is swapped once, before a frame draws into it,
    // when its size has changed since.
    void RelayWindowBuffers();
    void SwapWindow();
    bool TargetIsWindow() const { return inWindow_ && renderTarget_ && renderTarget_ == backBuffer_.get(); }
    // The target has no alpha (X8R8G8B8): draws leave its alpha alone and clears make it
    // opaque, so a window that shows it is never translucent.
    bool TargetLacksAlpha() const;
    // The y that OpenGL takes for the rows top..bottom (counted from the top) of the
    // current target: the window counts its rows from the bottom.
    LONG GlY(LONG top, LONG bottom) const;
    bool CreateOffscreenBackBuffer();
    void DestroyOffscreenBackBuffer();
    void DestroyBackBuffer();
    void CopyBackBufferToWindow();
    bool ReadPixels(GLuint framebuffer, GLenum buffer, int width, int height, bool bottomFirst,
                    std::vector<uint32_t>& argb);
    void UpdateSampler(DWORD sampler);
    HRESULT PrepareDraw();
    // Binds the vertex array of the current format and stream after checking that the
    // vertices [first, first + count) lie in the stream, and sends them.
    HRESULT BindVertexStream(UINT first, UINT count);
    const VertexLayout* Layout(DWORD fvf);
    LinkedProgram* Program();
    void UploadConstants(LinkedProgram& program);
    void ApplyPipelineState();
    // Vertical sync for a paced presentation interval where the display offers it. The
    // pace itself is the main loop's: a swap that does not wait is no failure here.
    void ChooseSwapInterval(UINT interval);
    // Direct3D 9 bounds its frame latency: a present waits until the frame two presents
    // back is done, so a driver that queues frames (llvmpipe) never holds more than two.
    void LimitFramesInFlight();

    std::atomic<ULONG> refs_{1};
    Direct3D9* d3d_;
    SDL_Window* window_;
    void* context_ = nullptr; // SDL_GLContext
    GlApi gl_;
    bool glLoaded_ = false;
    bool cpuDxt_ = false;
    DWORD maxTextureSize_ = 2048;
    int defaultPoolObjects_ = 0;
    D3D9TestDeviceState testState_ = D3D9TestDeviceState::Ok;
    std::map<D3D9TestCall, HRESULT> failures_;
    GLenum refusedGlWork_ = GL_NO_ERROR;

    D3DPRESENT_PARAMETERS params_{};
    std::unique_ptr<Surface9> backBuffer_;
    // The off-screen back buffer: its colour texture and the framebuffer without depth.
    GLuint backFramebuffer_ = 0, backColour_ = 0;
    DepthStencil backDepth_; // beside the off-screen back buffer or a window without one
    bool depthTested_ = false; // since then the window holds the back buffer only with depth
    bool inWindow_ = false;  // the back buffer's pixels are the window's framebuffer
    bool frameOpen_ = false; // the storage is chosen for the frame under way
    bool presented_ = false; // nothing touched the back buffer since Present
    // The window's default framebuffer, as its context was made.
    GLint windowColourBits_ = 0, windowAlphaBits_ = 0, windowDepthBits_ = 0, windowStencilBits_ = 0;
    bool windowDoubleBuffered_ = false;
    bool windowKeepsPicture_ = false;
    // The window's size when the driver last laid out its buffers (at a swap).
    int windowBufferWidth_ = 0, windowBufferHeight_ = 0;
    // GLX's copy of a region of the back buffer to the screen, with its display and window.
    void (*copySubBuffer_)(void* display, unsigned long drawable, int x, int y, int width, int height) = nullptr;
    void* x11Display_ = nullptr;
    unsigned long x11Window_ = 0;
    GLint windowReadBuffer_ = 0;
    GLuint vertexArray_ = 0;
    GLuint samplers_[kMaxStages] = {};
    D3D9TestCounters counters_;
    // One fence per presented frame still in flight, oldest first.
    std::deque<GLsync> framesInFlight_;

    // Vertex formats decoded once, and one vertex array per format and stream: its
    // attribute pointers are set when it is made, never again.
    struct StreamKey {
        DWORD fvf;
        const VertexBuffer9* buffer;
        UINT offset, stride;
        bool operator<(const StreamKey& o) const
        {
            return std::tie(fvf, buffer, offset, stride) < std::tie(o.fvf, o.buffer, o.offset, o.stride);
        }
    };
    struct StreamArray {
        GLuint name = 0;
        GLuint indices = 0;  // the index buffer bound in it, 0 when unknown
        GLuint vertices = 0; // the store its attributes point into, and how it holds them
        bool packed = false;
    };
    std::map<DWORD, std::unique_ptr<VertexLayout>> layouts_;
    std::map<StreamKey, StreamArray> streamArrays_;
    // What the context has bound, so that a draw repeats no binding: the vertex array,
    // the program, the texture of each sampled stage, the framebuffer drawn into and the
    // active texture unit (kUnknownName when not known).
    static constexpr GLuint kUnknownName = ~0u;
    StreamArray* boundArray_ = nullptr;
    GLuint boundProgram_ = kUnknownName;
    GLuint boundTextures_[kMaxStages];
    GLuint boundFramebuffer_ = kUnknownName;
    GLenum activeUnit_ = kUnknownName;

    // Direct3D state.
    Surface9* renderTarget_ = nullptr;
    D3DVIEWPORT9 viewport_{};
    RECT scissor_{};
    DWORD renderStates_[D3DRS_COUNT] = {};
    DWORD samplerStates_[kMaxStages][14] = {};
    DWORD stageStates_[kMaxStages][7] = {};
    Texture9* textures_[kMaxStages] = {};
    DWORD fvf_ = 0;
    VertexBuffer9* stream_ = nullptr;
    UINT streamOffset_ = 0, streamStride_ = 0;
    // The layout and vertex array of the format and stream above, looked up at the first
    // draw after one of them changed.
    const VertexLayout* streamLayout_ = nullptr;
    StreamArray* streamArray_ = nullptr;
    IndexBuffer9* indices_ = nullptr;
    VertexShader9* vertexShader_ = nullptr;
    PixelShader9* pixelShader_ = nullptr;
    LinkedProgram* program_ = nullptr; // the pair's, found at the first draw after either changed
    std::vector<float> vertexConstants_, pixelConstants_;
    uint64_t vertexConstantsVersion_ = 1, pixelConstantsVersion_ = 1;
    bool inScene_ = false;
    bool pipelineDirty_ = true;

    std::map<std::pair<VertexShader9*, PixelShader9*>, std::unique_ptr<LinkedProgram>> programs_;
};

} // namespace d3d9
