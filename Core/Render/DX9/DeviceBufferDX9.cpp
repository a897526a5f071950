#include "Core/Render/DX9/DeviceBufferDX9.h"
#include "Core/Base/Log.h"
#include "Core/Render/DX9/RenderDX9.h"

namespace render {

template <class Base, class DeviceBuffer>
DeviceBufferDX9<Base, DeviceBuffer>::DeviceBufferDX9(RenderDX9* renderer, const wchar_t* sizeError)
    : Base(renderer), dx9(renderer), sizeError(sizeError)
{
}

template <class Base, class DeviceBuffer> DeviceBufferDX9<Base, DeviceBuffer>::~DeviceBufferDX9()
{
    if (buffer)
        buffer->Release();
}

template <class Base, class DeviceBuffer>
GEResultEnum DeviceBufferDX9<Base, DeviceBuffer>::CreateSized(u32 size, u32 count, u8 dynamicIn)
{
    if (buffer)
        return GE_FAIL;
    dynamic = dynamicIn;
    this->capacity = count;
    this->elementSize = size;
    return CreateDeviceBuffer();
}

template <class Base, class DeviceBuffer>
GEResultEnum DeviceBufferDX9<Base, DeviceBuffer>::CreateDeviceBuffer()
{
    IDirect3DDevice9* device = dx9 ? dx9->GetDevice() : nullptr;
    if (!device)
        return GE_FAIL;
    const u64 length = u64(this->elementSize) * this->capacity;
    if (length == 0 || length > 0xFFFFFFFFu) {
        GE_LOG(sizeError) << this->capacity << this->elementSize;
        return GE_FAIL;
    }
    const DWORD usage = D3DUSAGE_WRITEONLY | (dynamic ? D3DUSAGE_DYNAMIC : 0);
    const D3DPOOL pool = dynamic ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED;
    if (FAILED(MakeDeviceBuffer(device, static_cast<UINT>(length), usage, pool, &buffer))) {
        buffer = nullptr;
        return GE_FAIL;
    }
    return GE_OK;
}

template <class Base, class DeviceBuffer> GEResultEnum DeviceBufferDX9<Base, DeviceBuffer>::Lock()
{
    if (!buffer || this->locked)
        return GE_FAIL;
    void* bits = nullptr;
    if (FAILED(buffer->Lock(0, 0, &bits, D3DLOCK_DISCARD)))
        return GE_FAIL;
    this->data = static_cast<u8*>(bits);
    this->locked = 1;
    this->used = 0;
    return GE_OK;
}

template <class Base, class DeviceBuffer> GEResultEnum DeviceBufferDX9<Base, DeviceBuffer>::Unlock()
{
    if (!buffer || !this->locked)
        return GE_FAIL;
    if (FAILED(buffer->Unlock()))
        return GE_FAIL;
    this->locked = 0;
    this->used = 0;
    this->data = nullptr;
    return GE_OK;
}

template <class Base, class DeviceBuffer> GEResultEnum DeviceBufferDX9<Base, DeviceBuffer>::Restore()
{
    if (!dynamic || buffer)
        return GE_OK;
    return CreateDeviceBuffer();
}

template <class Base, class DeviceBuffer>
GEResultEnum DeviceBufferDX9<Base, DeviceBuffer>::ReleaseDeviceObjects()
{
    if (dynamic && buffer) {
        buffer->Release();
        buffer = nullptr;
        // What was mapped went with the buffer.
        this->locked = 0;
        this->used = 0;
        this->data = nullptr;
    }
    return GE_OK;
}

template <class Base, class DeviceBuffer> bool DeviceBufferDX9<Base, DeviceBuffer>::IsUnavailable() const
{
    return !buffer || !this->locked;
}

template class DeviceBufferDX9<VertexBufferImpl, IDirect3DVertexBuffer9>;
template class DeviceBufferDX9<IndexBufferImpl, IDirect3DIndexBuffer9>;

} // namespace render
