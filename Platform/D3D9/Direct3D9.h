#pragma once
// IDirect3D9: the one adapter, the desktop's display mode, capabilities and device
// creation. Holds SDL's video subsystem open while it lives.
#include "Platform/D3D9/D3D9.h"

#include <atomic>

namespace d3d9 {

class Direct3D9 final : public IDirect3D9 {
public:
    // Null when SDL's video subsystem cannot start.
    static Direct3D9* Create();

    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override;
    UINT GetAdapterCount() override { return 1; }
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat, DWORD usage,
                              D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override;
    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS9* caps) override;
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow, DWORD behaviorFlags,
                         D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device) override;

    // Filled from the first device's context (the texture size limit needs one).
    void NoteMaxTextureSize(DWORD size) { maxTextureSize_ = size; }
    void FillCaps(D3DCAPS9& caps) const;

private:
    Direct3D9() = default;
    ~Direct3D9() override;

    std::atomic<ULONG> refs_{1};
    DWORD maxTextureSize_ = 2048;
};

} // namespace d3d9
