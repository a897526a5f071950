#include "Core/Render/DX9/VertexBufferImplDX9.h"
#include "Core/Render/DX9/RenderDX9.h"
#include "Core/Render/VertexFormat.h"

namespace render {

VertexBufferImplDX9::VertexBufferImplDX9(RenderDX9* renderer)
    : DeviceBufferDX9(renderer, L"Vertex buffer of %u vertices of %u bytes cannot be made.\n")
{
}

GEResultEnum VertexBufferImplDX9::Create(const VertexFormat& format, u32 count, u8 dynamic)
{
    // A buffer that exists keeps its format.
    if (GetDeviceBuffer())
        return GE_FAIL;
    formatId = format.id;
    fvf = format.fvf;
    return CreateSized(format.stride, count, dynamic);
}

HRESULT VertexBufferImplDX9::MakeDeviceBuffer(IDirect3DDevice9* device, UINT length, DWORD usage,
                                              D3DPOOL pool, IDirect3DVertexBuffer9** out)
{
    return device->CreateVertexBuffer(length, usage, fvf, pool, out, nullptr);
}

} // namespace render
