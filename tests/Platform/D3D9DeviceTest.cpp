// The Direct3D 9 stand-in's rules for device loss, pools, locks, reference counts
// and the failure hooks that the renderer's tests rely on.
#include "Core/Render/Shaders/DX9/BuiltinShaders.h"
#include "tests/Platform/D3D9Fixture.h"

#include <GL/glcorearb.h>

#include <functional>

namespace d3d9test {
namespace {

using D3D9Device = DeviceTest;

TEST_F(D3D9Device, LostAndNotResetStatesAsTheRendererSeesThem)
{
    EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);

    D3D9Test_SetDeviceState(device_, D3D9TestDeviceState::Lost);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    D3DPRESENT_PARAMETERS p = DefaultParams();
    EXPECT_EQ(device_->Reset(&p), D3DERR_DEVICELOST);

    D3D9Test_SetDeviceState(device_, D3D9TestDeviceState::NotReset);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(device_->Reset(&p), D3D_OK);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST_F(D3D9Device, ResetNeedsDefaultPoolObjectsReleasedAndKeepsManagedOnes)
{
    IDirect3DTexture9* managed = MakeTexture(2, 2, {0xFF112233, 0xFF445566, 0xFF778899, 0xFFAABBCC});
    ASSERT_NE(managed, nullptr);
    D3DPRESENT_PARAMETERS p = DefaultParams();

    struct Holder {
        const char* what;
        std::function<IUnknown*()> make;
    };
    const Holder holders[] = {
        {"render target",
         [&]() -> IUnknown* {
             IDirect3DTexture9* t = nullptr;
             device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t,
                                    nullptr);
             return t;
         }},
        {"dynamic texture",
         [&]() -> IUnknown* {
             IDirect3DTexture9* t = nullptr;
             device_->CreateTexture(8, 8, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t, nullptr);
             return t;
         }},
        {"dynamic vertex buffer",
         [&]() -> IUnknown* {
             IDirect3DVertexBuffer9* b = nullptr;
             device_->CreateVertexBuffer(64, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kFvf2D, D3DPOOL_DEFAULT,
                                         &b, nullptr);
             return b;
         }},
        {"dynamic index buffer",
         [&]() -> IUnknown* {
             IDirect3DIndexBuffer9* b = nullptr;
             device_->CreateIndexBuffer(64, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                        D3DPOOL_DEFAULT, &b, nullptr);
             return b;
         }},
        {"back buffer reference",
         [&]() -> IUnknown* {
             IDirect3DSurface9* s = nullptr;
             device_->GetRenderTarget(0, &s);
             return s;
         }},
    };
    for (const Holder& h : holders) {
        SCOPED_TRACE(h.what);
        IUnknown* held = h.make();
        ASSERT_NE(held, nullptr);
        EXPECT_EQ(device_->Reset(&p), D3DERR_INVALIDCALL);
        held->Release();
        EXPECT_EQ(device_->Reset(&p), D3D_OK);
    }

    // The managed texture kept its texels through the resets.
    Program& mult = MakeProgram(render::gVertexShaderTexturedMultText, render::gPixelShaderTexturedMultText);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    Use(mult, Ortho(kWidth, kHeight));
    device_->SetTexture(SamplerStage(mult), managed);
    Draw(D3DPT_TRIANGLELIST, Quad(0, 0, 2, 2), kFvf2D, 2);
    ASSERT_EQ(device_->EndScene(), D3D_OK);
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    EXPECT_EQ(pixels[0], 0xFF112233u);
    EXPECT_EQ(pixels[1], 0xFF445566u);
    EXPECT_EQ(pixels[kWidth], 0xFF778899u);
    EXPECT_EQ(pixels[kWidth + 1], 0xFFAABBCCu);
    device_->SetTexture(SamplerStage(mult), nullptr);
    managed->Release();
}

TEST_F(D3D9Device, ResetRestoresDefaultStatesAndTheBackBufferSize)
{
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    D3DPRESENT_PARAMETERS p = DefaultParams();
    p.BackBufferWidth = 32;
    p.BackBufferHeight = 16;
    ASSERT_EQ(device_->Reset(&p), D3D_OK);
    DWORD value = 99;
    device_->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
    EXPECT_EQ(value, 0u);
    device_->GetSamplerState(0, D3DSAMP_MINFILTER, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DTEXF_POINT));
    D3DVIEWPORT9 vp{};
    device_->GetViewport(&vp);
    EXPECT_EQ(vp.Width, 32u);
    EXPECT_EQ(vp.Height, 16u);
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(device_->GetRenderTarget(0, &back), D3D_OK);
    D3DSURFACE_DESC desc{};
    back->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 32u);
    EXPECT_EQ(desc.Height, 16u);
    back->Release();
}

TEST_F(D3D9Device, FailureHookFailsTheNamedCallOnce)
{
    D3DPRESENT_PARAMETERS p = DefaultParams();
    D3D9Test_FailNext(device_, D3D9TestCall::Reset, D3DERR_DRIVERINTERNALERROR);
    EXPECT_EQ(device_->Reset(&p), D3DERR_DRIVERINTERNALERROR);
    EXPECT_EQ(device_->Reset(&p), D3D_OK);

    D3D9Test_FailNext(device_, D3D9TestCall::Present, E_OUTOFMEMORY);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), E_OUTOFMEMORY);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);

    D3D9Test_FailNext(device_, D3D9TestCall::SetRenderState, D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetRenderState(D3DRS_ZENABLE, FALSE), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetRenderState(D3DRS_ZENABLE, FALSE), D3D_OK);

    D3D9Test_FailNext(device_, D3D9TestCall::GetRenderTarget, D3DERR_NOTFOUND);
    IDirect3DSurface9* s = reinterpret_cast<IDirect3DSurface9*>(1);
    EXPECT_EQ(device_->GetRenderTarget(0, &s), D3DERR_NOTFOUND);
    EXPECT_EQ(s, nullptr);
}

// Lines the stand-in writes through SDL's log while it lives.
class SdlLogCapture {
public:
    SdlLogCapture()
    {
        SDL_LogGetOutputFunction(&previous_, &previousData_);
        SDL_LogSetOutputFunction(&Keep, this);
    }
    ~SdlLogCapture() { SDL_LogSetOutputFunction(previous_, previousData_); }
    size_t Count(const std::string& part) const
    {
        size_t n = 0;
        for (const std::string& line : lines)
            n += line.find(part) != std::string::npos;
        return n;
    }
    std::vector<std::string> lines;

private:
    static void Keep(void* self, int, SDL_LogPriority, const char* message)
    {
        static_cast<SdlLogCapture*>(self)->lines.emplace_back(message);
    }
    SDL_LogOutputFunction previous_ = nullptr;
    void* previousData_ = nullptr;
};

// Work the driver refuses fails with a log line and leaves nothing behind, so that no
// caller goes on with a texture or buffer that holds no memory; the next try succeeds.
TEST_F(D3D9Device, CreationsAndUploadsTheDriverRefusesFail)
{
    const std::vector<uint32_t> texels(16, 0xFF00FF00);
    const VertexGeom quad[4] = {{-0.5f, -0.5f, 0, 0xFFFF0000},
                                {3.5f, -0.5f, 0, 0xFFFF0000},
                                {-0.5f, 3.5f, 0, 0xFFFF0000},
                                {3.5f, 3.5f, 0, 0xFFFF0000}};
    Program& geom = MakeProgram(render::gVertexShaderGeomText, render::gPixelShaderGeomText);
    IDirect3DTexture9* managed = MakeTexture(4, 4, texels);
    IDirect3DVertexBuffer9* managedVb = nullptr;
    IDirect3DVertexBuffer9* dynamicVb = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(sizeof quad, D3DUSAGE_WRITEONLY, kFvfGeom, D3DPOOL_MANAGED, &managedVb,
                                          nullptr),
              D3D_OK);
    ASSERT_EQ(device_->CreateVertexBuffer(sizeof quad, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kFvfGeom,
                                          D3DPOOL_DEFAULT, &dynamicVb, nullptr),
              D3D_OK);
    auto fill = [&quad](IDirect3DVertexBuffer9* vb, DWORD flags) {
        void* data = nullptr;
        HRESULT hr = vb->Lock(0, 0, &data, flags);
        if (SUCCEEDED(hr)) {
            std::memcpy(data, quad, sizeof quad);
            hr = vb->Unlock();
        }
        return hr;
    };
    // Each piece of work gives its result; `made` is set to what it created, if anything.
    struct Case {
        const char* what;
        std::function<HRESULT(IUnknown** made)> work;
    };
    const Case cases[] = {
        {"CreateTexture",
         [&](IUnknown** made) {
             IDirect3DTexture9* t = nullptr;
             const HRESULT hr =
                 device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr);
             *made = t;
             return hr;
         }},
        {"CreateTexture",
         [&](IUnknown** made) {
             IDirect3DTexture9* t = nullptr;
             const HRESULT hr = device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                                       D3DPOOL_DEFAULT, &t, nullptr);
             *made = t;
             return hr;
         }},
        {"UnlockRect",
         [&](IUnknown**) {
             D3DLOCKED_RECT locked{};
             const HRESULT hr = managed->LockRect(0, &locked, nullptr, 0);
             return SUCCEEDED(hr) ? managed->UnlockRect(0) : hr;
         }},
        {"CreateVertexBuffer",
         [&](IUnknown** made) {
             IDirect3DVertexBuffer9* vb = nullptr;
             const HRESULT hr = device_->CreateVertexBuffer(64, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kFvfGeom,
                                                            D3DPOOL_DEFAULT, &vb, nullptr);
             *made = vb;
             return hr;
         }},
        {"CreateIndexBuffer",
         [&](IUnknown** made) {
             IDirect3DIndexBuffer9* ib = nullptr;
             const HRESULT hr =
                 device_->CreateIndexBuffer(64, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr);
             *made = ib;
             return hr;
         }},
        {"Unlock", [&](IUnknown**) { return fill(managedVb, 0); }},
        // A discard lock leaves the upload to the draw that reads the buffer.
        {"draw",
         [&](IUnknown**) {
             HRESULT hr = fill(dynamicVb, D3DLOCK_DISCARD);
             if (SUCCEEDED(hr))
                 hr = device_->BeginScene();
             if (FAILED(hr))
                 return hr;
             Use(geom, Ortho(kWidth, kHeight));
             device_->SetFVF(kFvfGeom);
             device_->SetStreamSource(0, dynamicVb, 0, sizeof(VertexGeom));
             hr = device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
             device_->SetStreamSource(0, nullptr, 0, 0);
             device_->EndScene();
             return hr;
         }},
    };
    const std::pair<GLenum, HRESULT> refusals[] = {{GL_OUT_OF_MEMORY, D3DERR_OUTOFVIDEOMEMORY},
                                                   {GL_INVALID_VALUE, D3DERR_DRIVERINTERNALERROR}};
    for (const Case& c : cases) {
        for (auto [glError, hr] : refusals) {
            SCOPED_TRACE(std::string(c.what) + " refused with " + std::to_string(glError));
            SdlLogCapture log;
            IUnknown* made = nullptr;
            D3D9Test_RefuseNextGlWork(device_, glError);
            EXPECT_EQ(c.work(&made), hr);
            EXPECT_EQ(made, nullptr);
            EXPECT_EQ(log.Count(c.what), 1u);
            ASSERT_EQ(c.work(&made), D3D_OK);
            if (made)
                made->Release();
        }
    }
    // Nothing of the default pool was left behind by the refused creations.
    managedVb->Release();
    dynamicVb->Release();
    managed->Release();
    D3DPRESENT_PARAMETERS p = DefaultParams();
    EXPECT_EQ(device_->Reset(&p), D3D_OK);
}

// An error left by earlier work is not blamed on the next creation. Debug builds hear
// the driver's own messages.
TEST_F(D3D9Device, EarlierDriverErrorsAreNotBlamedOnACreation)
{
    auto bindTexture = reinterpret_cast<PFNGLBINDTEXTUREPROC>(SDL_GL_GetProcAddress("glBindTexture"));
    ASSERT_NE(bindTexture, nullptr);
    SdlLogCapture log;
    bindTexture(GL_TEXTURE_2D + 1, 0); // GL_INVALID_ENUM, on the device's current context
#ifdef NDEBUG
    EXPECT_TRUE(log.lines.empty());
#else
    EXPECT_EQ(log.Count("OpenGL"), 1u);
#endif
    IDirect3DTexture9* t = nullptr;
    EXPECT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
    ASSERT_NE(t, nullptr);
    t->Release();
}

TEST_F(D3D9Device, AdapterReportsWhatTheRendererRequiresAndHonoursItsHooks)
{
    D3DCAPS9 caps{};
    ASSERT_EQ(d3d_->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_GE(caps.VertexShaderVersion, D3DVS_VERSION(1, 1));
    EXPECT_GE(caps.PixelShaderVersion, D3DPS_VERSION(2, 0));
    EXPECT_TRUE(caps.RasterCaps & D3DPRASTERCAPS_SCISSORTEST);
    EXPECT_GE(caps.MaxVertexIndex, 0xFFFFu);
    EXPECT_GE(caps.MaxTextureWidth, 1024u);
    D3DDISPLAYMODE mode{};
    EXPECT_EQ(d3d_->GetAdapterDisplayMode(0, &mode), D3D_OK);
    for (D3DFORMAT f : {D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT3, D3DFMT_DXT4, D3DFMT_DXT5})
        EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, mode.Format, 0, D3DRTYPE_TEXTURE, f), D3D_OK);

    D3D9Test_Adapter().editCaps = [](D3DCAPS9& c) { c.RasterCaps = 0; };
    D3D9Test_Adapter().unsupportedFormats = {D3DFMT_DXT2};
    ASSERT_EQ(d3d_->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_EQ(caps.RasterCaps, 0u);
    EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, mode.Format, 0, D3DRTYPE_TEXTURE, D3DFMT_DXT2),
              D3DERR_NOTAVAILABLE);

    // Hardware vertex processing refused once: the software retry gets a device.
    D3D9Test_Adapter().failHardwareDevices = 1;
    D3DPRESENT_PARAMETERS p = DefaultParams();
    IDirect3DDevice9* second = nullptr;
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, hwnd_, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &second),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(second, nullptr);
    ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, hwnd_, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, &second),
              D3D_OK);
    second->Release();
}

TEST_F(D3D9Device, BufferLocksFollowTheDirect3DRules)
{
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(64, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kFvfGeom,
                                          D3DPOOL_DEFAULT, &vb, nullptr),
              D3D_OK);
    void* data = nullptr;
    EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL);
    EXPECT_EQ(vb->Lock(65, 0, &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(vb->Lock(32, 33, &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(vb->Lock(32, 32, nullptr, 0), D3DERR_INVALIDCALL);
    ASSERT_EQ(vb->Lock(16, 0, &data, D3DLOCK_DISCARD), D3D_OK);
    ASSERT_EQ(vb->Unlock(), D3D_OK);
    EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL);
    vb->Release();

    IDirect3DVertexBuffer9* managedDynamic = nullptr;
    EXPECT_EQ(device_->CreateVertexBuffer(64, D3DUSAGE_DYNAMIC, kFvfGeom, D3DPOOL_MANAGED, &managedDynamic,
                                          nullptr),
              D3DERR_INVALIDCALL);
    IDirect3DIndexBuffer9* ib = nullptr;
    EXPECT_EQ(device_->CreateIndexBuffer(64, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &ib, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(ib, nullptr);
}

TEST_F(D3D9Device, DiscardLocksRefillDynamicBuffersBetweenDraws)
{
    Program& geom = MakeProgram(render::gVertexShaderGeomText, render::gPixelShaderGeomText);
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(4 * sizeof(VertexGeom), D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                          kFvfGeom, D3DPOOL_DEFAULT, &vb, nullptr),
              D3D_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    Use(geom, Ortho(kWidth, kHeight));
    device_->SetFVF(kFvfGeom);
    device_->SetStreamSource(0, vb, 0, sizeof(VertexGeom));
    for (int frame = 0; frame < 2; ++frame) {
        const float x = frame * 4.0f - 0.5f;
        const uint32_t c = frame == 0 ? 0xFFFF0000 : 0xFF00FF00;
        const VertexGeom quad[4] = {
            {x, -0.5f, 0, c}, {x + 4, -0.5f, 0, c}, {x, 3.5f, 0, c}, {x + 4, 3.5f, 0, c}};
        void* data = nullptr;
        ASSERT_EQ(vb->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
        std::memcpy(data, quad, sizeof quad);
        ASSERT_EQ(vb->Unlock(), D3D_OK);
        ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    }
    // A draw reaching past the buffer's end is refused.
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 1, 2), D3DERR_INVALIDCALL);
    ASSERT_EQ(device_->EndScene(), D3D_OK);
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    EXPECT_EQ(pixels[kWidth + 1], 0xFFFF0000u);
    EXPECT_EQ(pixels[kWidth + 5], 0xFF00FF00u);
    device_->SetStreamSource(0, nullptr, 0, 0);
    vb->Release();
}

TEST_F(D3D9Device, TextureCreationAndLockRules)
{
    IDirect3DTexture9* t = nullptr;
    struct Bad {
        const char* what;
        UINT w, h;
        DWORD usage;
        D3DFORMAT format;
        D3DPOOL pool;
    };
    const Bad bad[] = {
        {"zero size", 0, 4, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED},
        {"beyond the size limit", 1u << 20, 4, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED},
        {"managed render target", 8, 8, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED},
        {"managed dynamic", 8, 8, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED},
        {"compressed render target", 8, 8, D3DUSAGE_RENDERTARGET, D3DFMT_DXT5, D3DPOOL_DEFAULT},
        {"unknown format", 8, 8, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.what);
        EXPECT_EQ(device_->CreateTexture(b.w, b.h, 1, b.usage, b.format, b.pool, &t, nullptr),
                  D3DERR_INVALIDCALL);
        EXPECT_EQ(t, nullptr);
    }

    D3DLOCKED_RECT locked{};
    ASSERT_EQ(
        device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t, nullptr),
        D3D_OK);
    EXPECT_EQ(t->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    t->Release();

    ASSERT_EQ(
        device_->CreateTexture(8, 8, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t, nullptr),
        D3D_OK);
    ASSERT_EQ(t->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD), D3D_OK);
    EXPECT_EQ(locked.Pitch, 32);
    EXPECT_EQ(t->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL); // already locked
    EXPECT_EQ(t->UnlockRect(0), D3D_OK);
    EXPECT_EQ(t->UnlockRect(0), D3DERR_INVALIDCALL);
    const RECT outside{4, 4, 9, 8};
    EXPECT_EQ(t->LockRect(0, &locked, &outside, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(t->LockRect(1, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    t->Release();

    // Levels 0 means the whole chain; a DXT level is locked by rows of 4x4 blocks.
    ASSERT_EQ(device_->CreateTexture(16, 4, 0, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
    EXPECT_EQ(t->GetLevelCount(), 5u);
    const RECT block{4, 0, 8, 4}, misaligned{2, 0, 8, 4};
    ASSERT_EQ(t->LockRect(0, &locked, &block, 0), D3D_OK);
    EXPECT_EQ(locked.Pitch, 32);
    EXPECT_EQ(t->UnlockRect(0), D3D_OK);
    EXPECT_EQ(t->LockRect(0, &locked, &misaligned, 0), D3DERR_INVALIDCALL);
    ASSERT_EQ(t->LockRect(4, &locked, nullptr, 0), D3D_OK); // the 1x1 level is one block
    EXPECT_EQ(locked.Pitch, 8);
    EXPECT_EQ(t->UnlockRect(4), D3D_OK);
    t->Release();
}

// GL keeps a managed texture's texels, across resets too, so the texture lets its own
// copy go once they are uploaded; a later lock reads them back, so that a part written
// through it leaves the rest as it was. DXT blocks decoded on the CPU cannot be read
// back and stay.
TEST_F(D3D9Device, ManagedTexturesKeepNoCopyOnceUploaded)
{
    const struct {
        const char* what;
        D3DFORMAT format;
        RECT part;      // locked and written again
        UINT unitBytes; // per texel, or per 4x4 block
    } cases[] = {
        {"A8R8G8B8", D3DFMT_A8R8G8B8, RECT{4, 4, 8, 8}, 4},
        {"DXT1", D3DFMT_DXT1, RECT{4, 0, 8, 4}, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        IDirect3DTexture9* t = nullptr;
        ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, c.format, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
        const bool blocks = c.format != D3DFMT_A8R8G8B8;
        const UINT rows = blocks ? 2 : 8, unitsPerRow = blocks ? 2 : 8;
        auto value = [](UINT row, UINT unit, UINT byte, int pass) {
            // Colour endpoints of DXT1 blocks ordered either way keep their bytes as written.
            return static_cast<unsigned char>(pass * 97 + row * 31 + unit * 7 + byte);
        };
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(t->LockRect(0, &locked, nullptr, 0), D3D_OK);
        for (UINT row = 0; row < rows; ++row)
            for (UINT unit = 0; unit < unitsPerRow; ++unit)
                for (UINT byte = 0; byte < c.unitBytes; ++byte)
                    static_cast<unsigned char*>(locked.pBits)[row * locked.Pitch + unit * c.unitBytes + byte] =
                        value(row, unit, byte, 0);
        ASSERT_EQ(t->UnlockRect(0), D3D_OK);
        const bool kept = blocks && D3D9Test_DecodesDxtOnCpu(device_);
        EXPECT_EQ(D3D9Test_TextureCpuBytes(t) > 0, kept);

        const UINT scale = blocks ? 4 : 1;
        ASSERT_EQ(t->LockRect(0, &locked, &c.part, 0), D3D_OK);
        const UINT partRows = UINT(c.part.bottom - c.part.top) / scale;
        const UINT partUnits = UINT(c.part.right - c.part.left) / scale;
        for (UINT row = 0; row < partRows; ++row)
            for (UINT unit = 0; unit < partUnits; ++unit)
                for (UINT byte = 0; byte < c.unitBytes; ++byte)
                    static_cast<unsigned char*>(locked.pBits)[row * locked.Pitch + unit * c.unitBytes + byte] =
                        value(row + UINT(c.part.top) / scale, unit + UINT(c.part.left) / scale, byte, 1);
        ASSERT_EQ(t->UnlockRect(0), D3D_OK);
        EXPECT_EQ(D3D9Test_TextureCpuBytes(t) > 0, kept);

        ASSERT_EQ(t->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        for (UINT row = 0; row < rows; ++row)
            for (UINT unit = 0; unit < unitsPerRow; ++unit) {
                const bool inPart = row >= UINT(c.part.top) / scale && row < UINT(c.part.bottom) / scale &&
                                    unit >= UINT(c.part.left) / scale && unit < UINT(c.part.right) / scale;
                for (UINT byte = 0; byte < c.unitBytes; ++byte)
                    ASSERT_EQ(static_cast<const unsigned char*>(locked.pBits)[row * locked.Pitch + unit * c.unitBytes + byte],
                              value(row, unit, byte, inPart ? 1 : 0))
                        << "row " << row << ", unit " << unit << ", byte " << byte;
            }
        ASSERT_EQ(t->UnlockRect(0), D3D_OK);
        EXPECT_EQ(D3D9Test_TextureCpuBytes(t) > 0, kept);
        t->Release();
    }
}

TEST_F(D3D9Device, SurfacesKeepTheirTextureAliveAndReferencesBalance)
{
    IDirect3DTexture9* t = nullptr;
    ASSERT_EQ(
        device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t, nullptr),
        D3D_OK);
    IDirect3DSurface9* s = nullptr;
    ASSERT_EQ(t->GetSurfaceLevel(0, &s), D3D_OK);
    EXPECT_EQ(t->AddRef(), 3u);
    EXPECT_EQ(t->Release(), 2u);
    EXPECT_EQ(t->Release(), 1u); // the surface still holds the texture
    ASSERT_EQ(device_->SetRenderTarget(0, s), D3D_OK);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(s->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Width, 8u);
    EXPECT_EQ(s->Release(), 0u);
    // The target went with its texture; the device draws to the back buffer again.
    IDirect3DSurface9* current = nullptr;
    ASSERT_EQ(device_->GetRenderTarget(0, &current), D3D_OK);
    ASSERT_EQ(current->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Width, static_cast<UINT>(kWidth));
    current->Release();

    IDirect3DDevice9* same = nullptr;
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(16, 0, kFvfGeom, D3DPOOL_MANAGED, &vb, nullptr), D3D_OK);
    ASSERT_EQ(vb->GetDevice(&same), D3D_OK);
    EXPECT_EQ(same, device_);
    same->Release();
    vb->Release();
}

TEST_F(D3D9Device, DrawsNeedAScenePairedShadersAndValidByteCode)
{
    Program& geom = MakeProgram(render::gVertexShaderGeomText, render::gPixelShaderGeomText);
    EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);
    device_->SetVertexShader(geom.vs);
    device_->SetPixelShader(geom.ps);
    const std::vector<VertexGeom> tri{{0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}};
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(sizeof(VertexGeom) * 3, 0, kFvfGeom, D3DPOOL_MANAGED, &vb, nullptr),
              D3D_OK);
    device_->SetFVF(kFvfGeom);
    device_->SetStreamSource(0, vb, 0, sizeof(VertexGeom));
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL); // outside a scene
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    EXPECT_EQ(device_->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
    device_->SetPixelShader(nullptr);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL); // no fixed function
    ASSERT_EQ(device_->EndScene(), D3D_OK);
    device_->SetStreamSource(0, nullptr, 0, 0);
    vb->Release();

    // Byte code of the wrong stage, or not byte code at all, is refused.
    ID3DXBuffer* code = nullptr;
    ID3DXConstantTable* table = nullptr;
    ASSERT_EQ(Compile(render::gPixelShaderGeomText, "pixel_shader", "ps_2_0", &code, &table), D3D_OK);
    IDirect3DVertexShader9* vs = nullptr;
    EXPECT_EQ(device_->CreateVertexShader(static_cast<const DWORD*>(code->GetBufferPointer()), &vs),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(vs, nullptr);
    const DWORD junk[4] = {0xFFFE0101, 0, 0, 0xFFFF};
    IDirect3DPixelShader9* ps = nullptr;
    EXPECT_EQ(device_->CreatePixelShader(junk, &ps), D3DERR_INVALIDCALL);
    code->Release();
    table->Release();
}

} // namespace
} // namespace d3d9test
