#include "Core/Render/DX9/VertexBufferImplDX9.h"
#include "Core/Base/Log.h"
#include "Core/Render/DX9/RenderDX9.h"
#include "Core/Render/VertexFormat.h"

namespace render {

VertexBufferImplDX9::VertexBufferImplDX9(RenderDX9* renderer) : VertexBufferImpl(renderer), dx9(renderer) {}

VertexBufferImplDX9::~VertexBufferImplDX9()
{
    if (buffer)
        buffer->Release();
}

GEResultEnum VertexBufferImplDX9::CreateDeviceBuffer()
{
    IDirect3DDevice9* device = dx9 ? dx9->GetDevice() : nullptr;
    if (!device)
        return GE_FAIL;
    const u64 length = u64(elementSize) * capacity;
    if (length == 0 || length > 0xFFFFFFFFu) {
        GE_LOG(L"Vertex buffer of %u vertices of %u bytes cannot be made.\n") << capacity << elementSize;
        return GE_FAIL;
    }
    const DWORD usage = D3DUSAGE_WRITEONLY | (dynamic ? D3DUSAGE_DYNAMIC : 0);
    const D3DPOOL pool = dynamic ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED;
    if (FAILED(device->CreateVertexBuffer(static_cast<UINT>(length), usage, fvf, pool, &buffer, nullptr))) {
        buffer = nullptr;
        return GE_FAIL;
    }
    return GE_OK;
}

GEResultEnum VertexBufferImplDX9::Create(const VertexFormat& format, u32 count, u8 dynamicIn)
{
    if (buffer)
        return GE_FAIL;
    dynamic = dynamicIn;
    capacity = count;
    elementSize = format.stride;
    formatId = format.id;
    fvf = format.fvf;
    return CreateDeviceBuffer();
}

GEResultEnum VertexBufferImplDX9::Lock()
{
    if (!buffer || locked)
        return GE_FAIL;
    void* bits = nullptr;
    if (FAILED(buffer->Lock(0, 0, &bits, D3DLOCK_DISCARD)))
        return GE_FAIL;
    data = static_cast<u8*>(bits);
    locked = 1;
    used = 0;
    return GE_OK;
}

GEResultEnum VertexBufferImplDX9::Unlock()
{
    if (!buffer || !locked)
        return GE_FAIL;
    if (FAILED(buffer->Unlock()))
        return GE_FAIL;
    locked = 0;
    used = 0;
    data = nullptr;
    return GE_OK;
}

GEResultEnum VertexBufferImplDX9::Restore()
{
    if (!dynamic || buffer)
        return GE_OK;
    return CreateDeviceBuffer();
}

GEResultEnum VertexBufferImplDX9::ReleaseDeviceObjects()
{
    if (dynamic && buffer) {
        buffer->Release();
        buffer = nullptr;
        // What was mapped went with the buffer.
        locked = 0;
        used = 0;
        data = nullptr;
    }
    return GE_OK;
}

bool VertexBufferImplDX9::IsUnavailable() const
{
    return !buffer || !locked;
}

} // namespace render
