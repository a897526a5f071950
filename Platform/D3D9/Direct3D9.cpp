#include "Platform/D3D9/Direct3D9.h"
#include "Platform/D3D9/D3D9TestHooks.h"
#include "Platform/D3D9/Device9.h"

#include <SDL.h>

D3D9TestAdapter& D3D9Test_Adapter()
{
    static D3D9TestAdapter adapter;
    return adapter;
}

IDirect3D9* Direct3DCreate9(UINT sdkVersion)
{
    if (sdkVersion != D3D_SDK_VERSION)
        return nullptr;
    return d3d9::Direct3D9::Create();
}

namespace d3d9 {

Direct3D9* Direct3D9::Create()
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return nullptr;
    return new Direct3D9();
}

Direct3D9::~Direct3D9()
{
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

ULONG Direct3D9::Release()
{
    const ULONG left = --refs_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT Direct3D9::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode)
{
    if (adapter != 0 || !mode)
        return D3DERR_INVALIDCALL;
    if (FAILED(D3D9Test_Adapter().failDisplayMode))
        return D3D9Test_Adapter().failDisplayMode;
    SDL_DisplayMode desktop{};
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0)
        return D3DERR_NOTAVAILABLE;
    mode->Width = static_cast<UINT>(desktop.w);
    mode->Height = static_cast<UINT>(desktop.h);
    mode->RefreshRate = static_cast<UINT>(desktop.refresh_rate);
    mode->Format = D3DFMT_X8R8G8B8;
    return D3D_OK;
}

HRESULT Direct3D9::CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT /*adapterFormat*/,
                                     DWORD usage, D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat)
{
    if (adapter != 0 || deviceType != D3DDEVTYPE_HAL)
        return D3DERR_INVALIDCALL;
    if (D3D9Test_Adapter().unsupportedFormats.count(checkFormat))
        return D3DERR_NOTAVAILABLE;
    if (resourceType != D3DRTYPE_TEXTURE && resourceType != D3DRTYPE_SURFACE)
        return D3DERR_NOTAVAILABLE;
    const bool colour = checkFormat == D3DFMT_A8R8G8B8 || checkFormat == D3DFMT_X8R8G8B8;
    // DXT2 and DXT4 (premultiplied) are sampled like DXT3 and DXT5.
    const bool dxt = checkFormat == D3DFMT_DXT1 || checkFormat == D3DFMT_DXT2 || checkFormat == D3DFMT_DXT3 ||
                     checkFormat == D3DFMT_DXT4 || checkFormat == D3DFMT_DXT5;
    if ((usage & D3DUSAGE_RENDERTARGET) && !colour)
        return D3DERR_NOTAVAILABLE;
    return colour || dxt ? D3D_OK : D3DERR_NOTAVAILABLE;
}

void Direct3D9::FillCaps(D3DCAPS9& caps) const
{
    caps = {};
    caps.DeviceType = D3DDEVTYPE_HAL;
    caps.AdapterOrdinal = 0;
    caps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    caps.RasterCaps = D3DPRASTERCAPS_SCISSORTEST;
    caps.TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR |
                             D3DPTFILTERCAPS_MIPFPOINT | D3DPTFILTERCAPS_MIPFLINEAR |
                             D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
    caps.MaxTextureWidth = maxTextureSize_;
    caps.MaxTextureHeight = maxTextureSize_;
    caps.MaxTextureBlendStages = 8;
    caps.MaxSimultaneousTextures = 8;
    caps.MaxPrimitiveCount = 0x00FFFFFF;
    caps.MaxVertexIndex = 0x00FFFFFF;
    caps.MaxStreams = 1;
    caps.VertexShaderVersion = D3DVS_VERSION(3, 0);
    caps.MaxVertexShaderConst = 256;
    caps.PixelShaderVersion = D3DPS_VERSION(3, 0);
    caps.NumSimultaneousRTs = 1;
    if (D3D9Test_Adapter().editCaps)
        D3D9Test_Adapter().editCaps(caps);
}

HRESULT Direct3D9::GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS9* caps)
{
    if (adapter != 0 || deviceType != D3DDEVTYPE_HAL || !caps)
        return D3DERR_INVALIDCALL;
    if (FAILED(D3D9Test_Adapter().failDeviceCaps))
        return D3D9Test_Adapter().failDeviceCaps;
    FillCaps(*caps);
    return D3D_OK;
}

HRESULT Direct3D9::CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow, DWORD behaviorFlags,
                                D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    *device = nullptr;
    if (adapter != 0 || deviceType != D3DDEVTYPE_HAL || !params)
        return D3DERR_INVALIDCALL;
    D3D9TestAdapter& hooks = D3D9Test_Adapter();
    if ((behaviorFlags & D3DCREATE_HARDWARE_VERTEXPROCESSING) && hooks.failHardwareDevices > 0) {
        --hooks.failHardwareDevices;
        return D3DERR_NOTAVAILABLE;
    }
    if ((behaviorFlags & D3DCREATE_SOFTWARE_VERTEXPROCESSING) && hooks.failSoftwareDevices > 0) {
        --hooks.failSoftwareDevices;
        return D3DERR_NOTAVAILABLE;
    }
    Device9* created = nullptr;
    const HRESULT hr =
        Device9::Create(this, params->hDeviceWindow ? params->hDeviceWindow : focusWindow, *params, &created);
    if (SUCCEEDED(hr))
        *device = created;
    return hr;
}

} // namespace d3d9
