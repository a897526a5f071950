#include "Core/Render/DX9/IndexBufferImplDX9.h"
#include "Core/Render/DX9/RenderDX9.h"

namespace render {

IndexBufferImplDX9::IndexBufferImplDX9(RenderDX9* renderer)
    : DeviceBufferDX9(renderer, L"Index buffer of %u indices of %u bytes cannot be made.\n")
{
}

GEResultEnum IndexBufferImplDX9::Create(u32 indexSize, u32 count, u8 dynamic)
{
    // Anything but 4 is a 16-bit buffer, and its elements are 2 bytes apart.
    return CreateSized(indexSize == 4 ? 4 : 2, count, dynamic);
}

HRESULT IndexBufferImplDX9::MakeDeviceBuffer(IDirect3DDevice9* device, UINT length, DWORD usage, D3DPOOL pool,
                                             IDirect3DIndexBuffer9** out)
{
    const D3DFORMAT format = elementSize == 4 ? D3DFMT_INDEX32 : D3DFMT_INDEX16;
    return device->CreateIndexBuffer(length, usage, format, pool, out, nullptr);
}

} // namespace render
