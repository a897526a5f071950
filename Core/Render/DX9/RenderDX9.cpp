#include "Core/Render/DX9/RenderDX9.h"
#include "Core/App/Application.h"
#include "Core/App/Win32/WindowWin32.h"
#include "Core/App/Window.h"
#include "Core/Base/Log.h"
#include "Core/Render/DX9/IndexBufferImplDX9.h"
#include "Core/Render/DX9/ShaderImplDX9.h"
#include "Core/Render/DX9/TextureDX9.h"
#include "Core/Render/DX9/VertexBufferImplDX9.h"
#include "Core/Render/RenderTarget.h"
#include "Core/Render/Shader.h"
#include "Core/Render/ShaderTextured.h"
#include "Core/Render/Shaders/DX9/BuiltinShaders.h"
#include "Core/Render/VertexFormat.h"
#include "Platform/Win32/Windows.h"
#include <memory>
#include <new>

namespace render {

namespace {

constexpr DWORD kAdapter = 0;
constexpr DWORD kBlack = 0xFF000000u;
// A frame that cannot be drawn waits this long, so that it does not spin a core.
constexpr DWORD kIdleSleepMs = 100;

template <class T> void SafeRelease(T*& object)
{
    if (object) {
        object->Release();
        object = nullptr;
    }
}

GEResultEnum Check(HRESULT hr)
{
    return SUCCEEDED(hr) ? GE_OK : GE_FAIL;
}

u8 ChannelByte(float channel)
{
    return static_cast<u8>(static_cast<int>(channel * 255.0) & 0xFF);
}

// Applies the calls in order; the first failing one ends the sequence.
struct StateWriter {
    IDirect3DDevice9* device;
    bool ok = true;

    StateWriter& Render(D3DRENDERSTATETYPE state, DWORD value)
    {
        if (ok)
            ok = SUCCEEDED(device->SetRenderState(state, value));
        return *this;
    }
    StateWriter& Stage(D3DTEXTURESTAGESTATETYPE type, DWORD value)
    {
        if (ok)
            ok = SUCCEEDED(device->SetTextureStageState(0, type, value));
        return *this;
    }
    StateWriter& Sampler(D3DSAMPLERSTATETYPE type, DWORD value)
    {
        if (ok)
            ok = SUCCEEDED(device->SetSamplerState(0, type, value));
        return *this;
    }
    GEResultEnum Result() const { return ok ? GE_OK : GE_FAIL; }
};

} // namespace

RenderDX9::RenderDX9() = default;

RenderDX9::~RenderDX9()
{
    ReleaseBuiltinShaders();
    ReleaseResources();
    SafeRelease(backBuffer);
    SafeRelease(device);
    SafeRelease(d3d);
}

GEResultEnum RenderDX9::InitRender(app::Window* windowIn, const RenderInitParam& param)
{
    // A second start begins from nothing rather than leaking the first device.
    ReleaseBuiltinShaders();
    ReleaseResources();
    SafeRelease(backBuffer);
    SafeRelease(device);
    SafeRelease(d3d);
    window = windowIn;
    hwnd = window ? window->GetHandle() : nullptr;
    width = param.width;
    height = param.height;
    windowed = param.windowed;
    multithreaded = 1;

    d3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (!d3d) {
        GE_LOG(L"Direct3DCreate9 failed.\n");
        return GE_FAIL;
    }
    GEResultEnum result = FillPresentParameters();
    if (result != GE_OK)
        return result;

    const DWORD threading = multithreaded ? D3DCREATE_MULTITHREADED : 0;
    if (FAILED(d3d->CreateDevice(kAdapter, D3DDEVTYPE_HAL, hwnd,
                                 D3DCREATE_HARDWARE_VERTEXPROCESSING | threading, &presentParams, &device))) {
        device = nullptr;
        if (FAILED(d3d->CreateDevice(kAdapter, D3DDEVTYPE_HAL, hwnd,
                                     D3DCREATE_SOFTWARE_VERTEXPROCESSING | threading, &presentParams,
                                     &device))) {
            device = nullptr;
            GE_LOG(L"CreateDevice failed.\n");
            return GE_FAIL;
        }
    }

    D3DCAPS9 deviceCaps{};
    if (FAILED(d3d->GetDeviceCaps(kAdapter, D3DDEVTYPE_HAL, &deviceCaps)))
        return GE_FAIL;
    GE_LOG(L"Max texture Width: %d\n") << static_cast<unsigned int>(deviceCaps.MaxTextureWidth);
    GE_LOG(L"Max texture Height: %d\n") << static_cast<unsigned int>(deviceCaps.MaxTextureHeight);

    caps.maxPrimitiveCount = deviceCaps.MaxPrimitiveCount;
    caps.maxTextureWidth = deviceCaps.MaxTextureWidth;
    caps.maxTextureHeight = deviceCaps.MaxTextureHeight;
    caps.maxVertexIndex = deviceCaps.MaxVertexIndex;
    caps.threeTextureStages = deviceCaps.MaxTextureBlendStages >= 3;
    caps.vertexShader1 = deviceCaps.VertexShaderVersion >= D3DVS_VERSION(1, 0);
    caps.vertexShader2 = deviceCaps.VertexShaderVersion >= D3DVS_VERSION(2, 0);
    caps.pixelShader1 = deviceCaps.PixelShaderVersion >= D3DPS_VERSION(1, 0);
    caps.pixelShader2 = deviceCaps.PixelShaderVersion >= D3DPS_VERSION(2, 0);
    if (caps.maxVertexIndex < 0xFFFF) {
        GE_LOG(L"Failed to init DirectX 9 render: the largest vertex index is %d, 65535 is needed.\n")
            << static_cast<unsigned int>(caps.maxVertexIndex);
        return GE_FAIL;
    }

    if (deviceCaps.VertexShaderVersion < D3DVS_VERSION(1, 1) ||
        deviceCaps.PixelShaderVersion < D3DPS_VERSION(2, 0)) {
        app::Application* application = GetApplication();
        application->directXFailed = 1;
        application->Stop();
        return GE_FAIL;
    }

    static constexpr D3DFORMAT kDxt[5] = {D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT3, D3DFMT_DXT4, D3DFMT_DXT5};
    for (int i = 0; i < 5; ++i)
        caps.dxt[i] = d3d->CheckDeviceFormat(kAdapter, D3DDEVTYPE_HAL, presentParams.BackBufferFormat, 0,
                                             D3DRTYPE_TEXTURE, kDxt[i]) == D3D_OK;
    caps.minAnisotropic = (deviceCaps.TextureFilterCaps & D3DPTFILTERCAPS_MINFANISOTROPIC) != 0;
    caps.magAnisotropic = (deviceCaps.TextureFilterCaps & D3DPTFILTERCAPS_MAGFANISOTROPIC) != 0;
    if (!(deviceCaps.RasterCaps & D3DPRASTERCAPS_SCISSORTEST)) {
        caps.scissorTest = 0;
        GE_LOG(L"Failed to init DirectX 9 render: the device has no scissor test.\n");
        return GE_FAIL;
    }
    caps.scissorTest = 1;

    result = PrepareBackBuffer();
    if (result != GE_OK)
        return result;
    result = SetDefaultStates();
    if (result != GE_OK)
        return result;
    result = CreateBuiltinShaders();
    if (result != GE_OK)
        return result;
    return Render::InitRender(window, param);
}

GEResultEnum RenderDX9::CreateBuiltinShaders()
{
    ReleaseBuiltinShaders();
    ShaderImpl* program = nullptr;
    GEResultEnum result = CreateGeomShader(&program);
    if (result != GE_OK)
        return result;
    geomShader = std::make_unique<Shader>(program, this);
    result = geomShader->InitVariables();
    if (result != GE_OK)
        return result;

    result = CreateTexturedMultShader(&program);
    if (result != GE_OK)
        return result;
    multShader = std::make_unique<ShaderTextured>(program, this);
    result = multShader->InitVariables();
    if (result != GE_OK)
        return result;

    result = CreateTexturedTintShader(&program);
    if (result != GE_OK)
        return result;
    tintShader = std::make_unique<ShaderTextured>(program, this);
    return tintShader->InitVariables();
}

void RenderDX9::ReleaseBuiltinShaders()
{
    for (Shader* shader : {static_cast<Shader*>(geomShader.get()), static_cast<Shader*>(multShader.get()),
                           static_cast<Shader*>(tintShader.get())})
        if (shader && shader->IsLoaded())
            shader->UnLoad();
    geomShader.reset();
    multShader.reset();
    tintShader.reset();
}

GEResultEnum RenderDX9::GetTexturedMultShader(resource::ResourceHandle<ShaderTextured>* out)
{
    *out = resource::ResourceHandle<ShaderTextured>(multShader.get(), nullptr);
    return GE_OK;
}

GEResultEnum RenderDX9::GetTexturedTintShader(resource::ResourceHandle<ShaderTextured>* out)
{
    *out = resource::ResourceHandle<ShaderTextured>(tintShader.get(), nullptr);
    return GE_OK;
}

GEResultEnum RenderDX9::CreateRenderTarget(int w, int h, RenderTarget** out, u8 withProjection)
{
    if (w <= 0 || h <= 0)
        return GE_FAIL;
    Texture* made = nullptr;
    GEResultEnum result = CreateTexture(&made);
    std::unique_ptr<Texture> texture(made);
    if (result == GE_OK && !texture)
        result = GE_FAIL;
    if (result == GE_OK)
        result = texture->CreateRenderTarget(static_cast<u32>(w), static_cast<u32>(h));
    if (result != GE_OK)
        return result;
    *out = new RenderTarget(texture.release(), withProjection);
    return GE_OK;
}

GEResultEnum RenderDX9::PrepareBackBuffer()
{
    SafeRelease(backBuffer);
    if (FAILED(device->GetRenderTarget(0, &backBuffer))) {
        backBuffer = nullptr;
        return GE_FAIL;
    }
    viewport = {0, 0, width, height, 0.0f, 1.0f};
    if (FAILED(device->SetViewport(&viewport)))
        return GE_FAIL;
    if (FAILED(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlack, 1.0f, 0)))
        return GE_FAIL;
    return Check(device->Present(nullptr, nullptr, nullptr, nullptr));
}

GEResultEnum RenderDX9::FillPresentParameters()
{
    if (!d3d)
        return GE_FAIL;
    D3DDISPLAYMODE mode{};
    if (FAILED(d3d->GetAdapterDisplayMode(kAdapter, &mode)))
        return GE_FAIL;
    presentParams = D3DPRESENT_PARAMETERS{};
    presentParams.BackBufferWidth = width;
    presentParams.BackBufferHeight = height;
    presentParams.BackBufferCount = 1;
    presentParams.hDeviceWindow = hwnd;
    presentParams.Windowed = windowed;
    presentParams.EnableAutoDepthStencil = 1;
    presentParams.AutoDepthStencilFormat = D3DFMT_D24S8;
    presentParams.Flags = 0;
    // The main loop has no pace of its own: presenting waits for the display (the
    // device stand-in runs headless displays unpaced).
    presentParams.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
    // The back buffer keeps its picture over Present: a frame that changed in places
    // draws only those places over it (Render::SetRepeatCheck).
    presentParams.SwapEffect = D3DSWAPEFFECT_COPY;
    if (windowed) {
        presentParams.BackBufferFormat = mode.Format;
    } else {
        presentParams.BackBufferFormat = D3DFMT_X8R8G8B8;
        presentParams.FullScreen_RefreshRateInHz = 0;
        presentParams.MultiSampleType = D3DMULTISAMPLE_NONE;
    }
    return GE_OK;
}

GEResultEnum RenderDX9::SetDefaultStates()
{
    if (!device)
        return GE_FAIL;
    StateWriter w{device};
    w.Sampler(D3DSAMP_MINFILTER, caps.minAnisotropic ? D3DTEXF_ANISOTROPIC : D3DTEXF_LINEAR)
        .Sampler(D3DSAMP_MAGFILTER, caps.magAnisotropic ? D3DTEXF_ANISOTROPIC : D3DTEXF_LINEAR)
        .Sampler(D3DSAMP_MIPFILTER, D3DTEXF_LINEAR)
        .Sampler(D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP)
        .Sampler(D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP)
        .Render(D3DRS_COLORVERTEX, 0)
        .Render(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1)
        .Render(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2)
        .Render(D3DRS_CULLMODE, D3DCULL_CCW)
        .Render(D3DRS_SEPARATEALPHABLENDENABLE, 1)
        .Render(D3DRS_SRCBLENDALPHA, D3DBLEND_ONE)
        .Render(D3DRS_DESTBLENDALPHA, D3DBLEND_ONE)
        .Render(D3DRS_ZENABLE, 0);
    return w.Result();
}

GEResultEnum RenderDX9::InitDeviceState()
{
    GE_LOG(L"RenderDX9::InitDeviceState()\n");
    if (!device)
        return GE_FAIL;
    GEResultEnum result = PrepareBackBuffer();
    if (result == GE_OK)
        result = SetDefaultStates();
    // The device forgot every state with the reset: the next frame records the
    // whole state block again.
    InvalidateAppliedState();
    return result;
}

GEResultEnum RenderDX9::LostDevice()
{
    GE_LOG(L"RenderDX9::LostDevice()\n");
    DiscardCommands();
    for (Buffer* buffer : buffers)
        buffer->ReleaseDeviceObjects();
    for (Texture* texture : textures)
        texture->ReleaseDeviceObjects();
    for (ShaderImpl* shader : shaders)
        shader->OnDeviceLost();
    SafeRelease(backBuffer);
    return GE_OK;
}

GEResultEnum RenderDX9::ResetDevice()
{
    GE_LOG(L"RenderDX9::ResetDevice()\n");
    NoteDeviceChange();
    if (!device)
        return GE_FAIL;
    FillPresentParameters();
    const HRESULT hr = device->Reset(&presentParams);
    if (hr == D3DERR_DEVICELOST) {
        GE_LOG(L"\tD3DERR_DEVICELOST\n");
        return GE_FAIL;
    }
    if (hr == D3DERR_DRIVERINTERNALERROR) {
        GE_LOG(L"\tD3DERR_DRIVERINTERNALERROR\n");
        return GE_FAIL;
    }
    if (hr == D3DERR_OUTOFVIDEOMEMORY) {
        GE_LOG(L"\tD3DERR_OUTOFVIDEOMEMORY \n");
        return GE_FAIL;
    }
    if (FAILED(hr))
        return GE_FAIL;
    GE_LOG(L"\tD3D_OK\n");

    // A default-pool object that cannot be made again would fail every later frame
    // that uses it: report it rather than carry on as if the reset had worked.
    GEResultEnum restored = GE_OK;
    for (Buffer* buffer : buffers)
        if (buffer->Restore() != GE_OK)
            restored = GE_FAIL;
    for (Texture* texture : textures)
        if (texture->Restore() != GE_OK)
            restored = GE_FAIL;
    if (restored != GE_OK)
        GE_LOG(L"RenderDX9::ResetDevice(): a texture or buffer could not be made again.\n");
    for (ShaderImpl* shader : shaders)
        shader->OnDeviceReset();
    const GEResultEnum result = InitDeviceState();
    return result != GE_OK ? result : restored;
}

GEResultEnum RenderDX9::PrepareSwitchScreenMode()
{
    // Released as on a loss: should the switch's reset fail, the next frames retry
    // it instead of drawing with objects that are gone.
    deviceLost = 1;
    return LostDevice();
}

GEResultEnum RenderDX9::SwitchScreenMode(const RenderInitParam& param)
{
    windowed = param.windowed;
    width = param.width;
    height = param.height;
    screenScaleX = param.screenScaleX;
    screenScaleY = param.screenScaleY;
    screenOffsetX = param.screenOffsetX;
    screenOffsetY = param.screenOffsetY;
    if (param.useDefaultProjection) {
        const GEResultEnum result =
            MakeOrthoProjection(static_cast<float>(width), static_cast<float>(height), &projection);
        if (result != GE_OK)
            return result;
    } else {
        projection = param.projection;
    }
    GEResultEnum result = FillPresentParameters();
    if (result != GE_OK)
        return result;
    result = ResetDevice();
    if (result == GE_OK)
        deviceLost = 0;
    return result;
}

GEResultEnum RenderDX9::CreateTexture(Texture** out)
{
    *out = new (std::nothrow) TextureDX9(this);
    return GE_OK;
}

GEResultEnum RenderDX9::CreateShader(const std::string& vertexText, const std::string& pixelText,
                                     ShaderImpl** out)
{
    auto shader = std::make_unique<ShaderImplDX9>(this);
    const GEResultEnum result = shader->Create(vertexText, pixelText);
    if (result != GE_OK)
        return result;
    *out = shader.release();
    return GE_OK;
}

GEResultEnum RenderDX9::CreateBuiltinShader(const char* vertexText, const char* pixelText, ShaderImpl** out)
{
    return CreateShader(vertexText, pixelText, out);
}

GEResultEnum RenderDX9::CreateGeomShader(ShaderImpl** out)
{
    return CreateBuiltinShader(gVertexShaderGeomText, gPixelShaderGeomText, out);
}

GEResultEnum RenderDX9::CreateTexturedMultShader(ShaderImpl** out)
{
    return CreateBuiltinShader(gVertexShaderTexturedMultText, gPixelShaderTexturedMultText, out);
}

GEResultEnum RenderDX9::CreateTexturedTintShader(ShaderImpl** out)
{
    return CreateBuiltinShader(gVertexShaderTexturedTintText, gPixelShaderTexturedTintText, out);
}

GEResultEnum RenderDX9::CreateVertexBuffer(const VertexFormat& format, u32 count, bool dynamic,
                                           VertexBufferImpl** out)
{
    auto buffer = std::make_unique<VertexBufferImplDX9>(this);
    const GEResultEnum result = buffer->Create(format, count, dynamic ? 1 : 0);
    if (result != GE_OK)
        return result;
    *out = buffer.release();
    return GE_OK;
}

GEResultEnum RenderDX9::CreateIndexBuffer(u32 indexSize, u32 count, bool dynamic, IndexBufferImpl** out)
{
    auto buffer = std::make_unique<IndexBufferImplDX9>(this);
    const GEResultEnum result = buffer->Create(indexSize, count, dynamic ? 1 : 0);
    if (result != GE_OK)
        return result;
    *out = buffer.release();
    return GE_OK;
}

bool RenderDX9::IsWindowWindowed() const
{
    // The engine's window is an app::Window and an app::WindowWin32 at once.
    const auto* win = dynamic_cast<const app::WindowWin32*>(window);
    return win ? win->windowed != 0 : windowed != 0;
}

bool RenderDX9::IsWindowUsable() const
{
    const auto* win = dynamic_cast<const app::WindowWin32*>(window);
    if (!win)
        return true;
    return win->windowed ? !win->minimized : win->active != 0;
}

bool RenderDX9::CheckDevice()
{
    if (!device)
        return false;
    if (!IsWindowUsable()) {
        if (IsWindowWindowed()) {
            // Nothing to release, but a minimised window must not spin a core either.
            Sleep(kIdleSleepMs);
            return false;
        }
        if (!deviceLost) {
            LostDevice();
            deviceLost = 1;
        } else {
            Sleep(kIdleSleepMs);
        }
        return false;
    }

    const HRESULT hr = device->TestCooperativeLevel();
    if (hr == D3DERR_DEVICELOST) {
        if (!deviceLost) {
            LostDevice();
            deviceLost = 1;
        }
        Sleep(kIdleSleepMs);
        return false;
    }
    // A device that reports itself usable after this renderer released its
    // default-pool objects (an inactive full-screen window) still needs them back
    // before anything can be drawn.
    if (hr == D3DERR_DEVICENOTRESET || (hr == D3D_OK && deviceLost)) {
        if (ResetDevice() != GE_FAIL)
            deviceLost = 0;
        return false;
    }
    return hr == D3D_OK;
}

GEResultEnum RenderDX9::DoClear(u32 flags, const float* rgba, float z, u32 stencil)
{
    if (!device)
        return GE_FAIL;
    DWORD d3dFlags = 0;
    if (flags & 1)
        d3dFlags |= D3DCLEAR_TARGET;
    if (flags & 2)
        d3dFlags |= D3DCLEAR_ZBUFFER;
    if (flags & 4)
        d3dFlags |= D3DCLEAR_STENCIL;
    const D3DCOLOR colour = (DWORD(ChannelByte(rgba[3])) << 24) | (DWORD(ChannelByte(rgba[0])) << 16) |
                            (DWORD(ChannelByte(rgba[1])) << 8) | DWORD(ChannelByte(rgba[2]));
    return Check(device->Clear(0, nullptr, d3dFlags, colour, z, stencil));
}

GEResultEnum RenderDX9::DoBeginScene()
{
    if (!device)
        return GE_FAIL;
    return Check(device->BeginScene());
}

GEResultEnum RenderDX9::DoEndScene()
{
    if (!device)
        return GE_FAIL;
    return Check(device->EndScene());
}

GEResultEnum RenderDX9::DoPresent()
{
    if (!device)
        return GE_FAIL;
    // A frame drawn in places tells the copy swap where the picture changed.
    const RGNDATA* region = nullptr;
    const std::vector<FrameDamage::Rect>* places = PresentedDamage();
    if (places && !places->empty()) {
        presentRegion.assign(sizeof(RGNDATAHEADER) + places->size() * sizeof(RECT), 0);
        auto* data = reinterpret_cast<RGNDATA*>(presentRegion.data());
        data->rdh.dwSize = sizeof(RGNDATAHEADER);
        data->rdh.iType = RDH_RECTANGLES;
        data->rdh.nCount = static_cast<DWORD>(places->size());
        data->rdh.nRgnSize = static_cast<DWORD>(places->size() * sizeof(RECT));
        auto* rects = reinterpret_cast<RECT*>(data->Buffer);
        RECT bound{0, 0, 0, 0};
        for (size_t i = 0; i < places->size(); ++i) {
            const FrameDamage::Rect& r = (*places)[i];
            rects[i] = RECT{r.x, r.y, r.x + r.w, r.y + r.h};
            bound = i == 0 ? rects[i]
                           : RECT{std::min(bound.left, rects[i].left), std::min(bound.top, rects[i].top),
                                  std::max(bound.right, rects[i].right), std::max(bound.bottom, rects[i].bottom)};
        }
        data->rdh.rcBound = bound;
        region = data;
    }
    const HRESULT hr = device->Present(nullptr, nullptr, nullptr, region);
    if (hr == D3D_OK)
        return GE_OK;
    GE_LOG(L"mDevice->Present failed\n");
    switch (hr) {
    case D3DERR_DEVICELOST:
        GE_LOG(L"\tD3DERR_DEVICELOST\n");
        break;
    case D3DERR_DRIVERINTERNALERROR:
        GE_LOG(L"\tD3DERR_DRIVERINTERNALERROR\n");
        break;
    case D3DERR_INVALIDCALL:
        GE_LOG(L"\tD3DERR_INVALIDCALL\n");
        break;
    case D3DERR_OUTOFVIDEOMEMORY:
        GE_LOG(L"\tD3DERR_OUTOFVIDEOMEMORY\n");
        break;
    case E_OUTOFMEMORY:
        GE_LOG(L"\tE_OUTOFMEMORY\n");
        break;
    default:
        break;
    }
    return GE_FAIL;
}

GEResultEnum RenderDX9::DoSetRenderTarget(Texture* target)
{
    if (!device)
        return GE_FAIL;
    if (!target)
        return Check(device->SetRenderTarget(0, backBuffer));
    return Check(device->SetRenderTarget(0, static_cast<TextureDX9*>(target)->GetSurface()));
}

GEResultEnum RenderDX9::DoSetShader(ShaderImpl* shader)
{
    if (!device)
        return GE_FAIL;
    auto* program = static_cast<ShaderImplDX9*>(shader);
    if (FAILED(device->SetVertexShader(program ? program->GetVertexShader() : nullptr)))
        return GE_FAIL;
    return Check(device->SetPixelShader(program ? program->GetPixelShader() : nullptr));
}

GEResultEnum RenderDX9::DoSetVertexFormat(u32 formatId)
{
    if (!device)
        return GE_FAIL;
    const VertexFormat* format = VertexFormat::Find(formatId);
    if (!format) {
        GE_LOG(L"RenderDX9: unknown vertex format %u.\n") << formatId;
        return GE_FAIL;
    }
    return Check(device->SetFVF(format->fvf));
}

GEResultEnum RenderDX9::DoSetVertexStream(VertexBufferImpl* buffer)
{
    if (!device)
        return GE_FAIL;
    auto* vertices = static_cast<VertexBufferImplDX9*>(buffer);
    if (!vertices)
        return Check(device->SetStreamSource(0, nullptr, 0, 0));
    return Check(device->SetStreamSource(0, vertices->GetDeviceBuffer(), 0, vertices->GetElementSize()));
}

GEResultEnum RenderDX9::DoSetIndices(IndexBufferImpl* buffer)
{
    if (!device)
        return GE_FAIL;
    auto* indices = static_cast<IndexBufferImplDX9*>(buffer);
    return Check(device->SetIndices(indices ? indices->GetDeviceBuffer() : nullptr));
}

GEResultEnum RenderDX9::DoSetBlendMode(u32 mode)
{
    if (!device)
        return GE_FAIL;
    StateWriter w{device};
    switch (mode) {
    case 0:
        w.Render(D3DRS_ALPHABLENDENABLE, 0)
            .Stage(D3DTSS_COLOROP, D3DTOP_SELECTARG1)
            .Stage(D3DTSS_COLORARG1, D3DTA_TEXTURE)
            .Stage(D3DTSS_ALPHAOP, D3DTOP_SELECTARG1)
            .Stage(D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        break;
    case 1:
    case 2:
        w.Render(D3DRS_ALPHABLENDENABLE, 1)
            .Render(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA)
            .Render(D3DRS_DESTBLEND, mode == 1 ? D3DBLEND_INVSRCALPHA : D3DBLEND_ONE)
            .Stage(D3DTSS_COLOROP, D3DTOP_MODULATE)
            .Stage(D3DTSS_COLORARG1, D3DTA_TEXTURE)
            .Stage(D3DTSS_COLORARG2, D3DTA_DIFFUSE)
            .Stage(D3DTSS_ALPHAOP, D3DTOP_MODULATE)
            .Stage(D3DTSS_ALPHAARG1, D3DTA_TEXTURE)
            .Stage(D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        break;
    default:
        break;
    }
    return w.Result();
}

GEResultEnum RenderDX9::DoEnableScissor(u8 on)
{
    if (!device)
        return GE_FAIL;
    if (!caps.scissorTest)
        return GE_OK;
    return Check(device->SetRenderState(D3DRS_SCISSORTESTENABLE, on != 0));
}

GEResultEnum RenderDX9::DoSetScissorRect(const int* rect)
{
    if (!device)
        return GE_FAIL;
    if (!caps.scissorTest)
        return GE_OK;
    const RECT r{rect[0], rect[1], rect[0] + rect[2], rect[1] + rect[3]};
    return Check(device->SetScissorRect(&r));
}

GEResultEnum RenderDX9::DoSetDepth(u8 test, u8 write)
{
    if (!device)
        return GE_FAIL;
    if (!test)
        return Check(device->SetRenderState(D3DRS_ZENABLE, 0));
    if (FAILED(device->SetRenderState(D3DRS_ZENABLE, 1)))
        return GE_FAIL;
    return Check(device->SetRenderState(D3DRS_ZWRITEENABLE, write != 0));
}

D3DPRIMITIVETYPE RenderDX9::ToPrimitiveType(u32 type)
{
    switch (type) {
    case 0:
        return D3DPT_POINTLIST;
    case 1:
        return D3DPT_LINELIST;
    case 2:
        return D3DPT_LINESTRIP;
    case 4:
        return D3DPT_TRIANGLESTRIP;
    case 5:
        return D3DPT_TRIANGLEFAN;
    default:
        return D3DPT_TRIANGLELIST;
    }
}

GEResultEnum RenderDX9::DoDrawPrimitive(u32 type, u32 startVertex, u32 primitiveCount)
{
    if (!device)
        return GE_FAIL;
    return Check(device->DrawPrimitive(ToPrimitiveType(type), startVertex, primitiveCount));
}

GEResultEnum RenderDX9::DoDrawIndexedPrimitive(u32 type, u32 /*indexSize*/, u32 startIndex,
                                               u32 primitiveCount, u32 minVertexIndex, u32 vertexCount)
{
    if (!device)
        return GE_FAIL;
    return Check(device->DrawIndexedPrimitive(ToPrimitiveType(type), 0, minVertexIndex, vertexCount,
                                              startIndex, primitiveCount));
}

} // namespace render
