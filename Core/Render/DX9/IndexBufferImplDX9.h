#pragma once
#include "Core/Render/DX9/DeviceBufferDX9.h"

namespace render {

// A Direct3D 9 index buffer of 16-bit indices, or 32-bit ones for an index size of 4;
// pools as for vertex buffers.
class IndexBufferImplDX9 : public DeviceBufferDX9<IndexBufferImpl, IDirect3DIndexBuffer9> {
public:
    explicit IndexBufferImplDX9(RenderDX9* renderer);

    GEResultEnum Create(u32 indexSize, u32 count, u8 dynamic) override;

private:
    HRESULT MakeDeviceBuffer(IDirect3DDevice9* device, UINT length, DWORD usage, D3DPOOL pool,
                             IDirect3DIndexBuffer9** out) override;
};

} // namespace render
