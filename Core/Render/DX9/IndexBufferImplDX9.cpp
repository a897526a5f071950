#include "Core/Render/DX9/IndexBufferImplDX9.h"
#include "Core/Base/Log.h"
#include "Core/Render/DX9/RenderDX9.h"

namespace render {

IndexBufferImplDX9::IndexBufferImplDX9(RenderDX9* renderer) : IndexBufferImpl(renderer), dx9(renderer) {}

IndexBufferImplDX9::~IndexBufferImplDX9()
{
    if (buffer)
        buffer->Release();
}

GEResultEnum IndexBufferImplDX9::CreateDeviceBuffer()
{
    IDirect3DDevice9* device = dx9 ? dx9->GetDevice() : nullptr;
    if (!device)
        return GE_FAIL;
    const u64 length = u64(elementSize) * capacity;
    if (length == 0 || length > 0xFFFFFFFFu) {
        GE_LOG(L"Index buffer of %u indices of %u bytes cannot be made.\n") << capacity << elementSize;
        return GE_FAIL;
    }
    const DWORD usage = D3DUSAGE_WRITEONLY | (dynamic ? D3DUSAGE_DYNAMIC : 0);
    const D3DFORMAT format = elementSize == 4 ? D3DFMT_INDEX32 : D3DFMT_INDEX16;
    const D3DPOOL pool = dynamic ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED;
    if (FAILED(device->CreateIndexBuffer(static_cast<UINT>(length), usage, format, pool, &buffer, nullptr))) {
        buffer = nullptr;
        return GE_FAIL;
    }
    return GE_OK;
}

GEResultEnum IndexBufferImplDX9::Create(u32 indexSize, u32 count, u8 dynamicIn)
{
    if (buffer)
        return GE_FAIL;
    dynamic = dynamicIn;
    capacity = count;
    // Anything but 4 is a 16-bit buffer, and its elements are 2 bytes apart.
    elementSize = indexSize == 4 ? 4 : 2;
    return CreateDeviceBuffer();
}

GEResultEnum IndexBufferImplDX9::Lock()
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

GEResultEnum IndexBufferImplDX9::Unlock()
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

GEResultEnum IndexBufferImplDX9::Restore()
{
    if (!dynamic || buffer)
        return GE_OK;
    return CreateDeviceBuffer();
}

GEResultEnum IndexBufferImplDX9::ReleaseDeviceObjects()
{
    if (dynamic && buffer) {
        buffer->Release();
        buffer = nullptr;
        locked = 0;
        used = 0;
        data = nullptr;
    }
    return GE_OK;
}

bool IndexBufferImplDX9::IsUnavailable() const
{
    return !buffer || !locked;
}

} // namespace render
