#pragma once
#include "Core/Render/DX9/DeviceBufferDX9.h"

namespace render {

// A Direct3D 9 vertex buffer of one registered format.
class VertexBufferImplDX9 : public DeviceBufferDX9<VertexBufferImpl, IDirect3DVertexBuffer9> {
public:
    explicit VertexBufferImplDX9(RenderDX9* renderer);

    GEResultEnum Create(const VertexFormat& format, u32 count, u8 dynamic) override;

    u32 GetFvf() const { return fvf; }

private:
    HRESULT MakeDeviceBuffer(IDirect3DDevice9* device, UINT length, DWORD usage, D3DPOOL pool,
                             IDirect3DVertexBuffer9** out) override;

    u32 fvf = 0;
};

} // namespace render
