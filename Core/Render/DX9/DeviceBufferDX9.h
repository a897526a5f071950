#pragma once
#include "Core/Render/Buffer.h"
#include "Platform/D3D9/D3D9.h"

namespace render {

class RenderDX9;

// The life cycle the Direct3D 9 vertex and index buffers share: static buffers live
// in the managed pool and survive a device loss, dynamic ones live in the default
// pool, are released on loss and made again after the reset. `Base` is the engine's
// buffer interface, `DeviceBuffer` the Direct3D buffer behind it.
template <class Base, class DeviceBuffer> class DeviceBufferDX9 : public Base {
public:
    ~DeviceBufferDX9() override;

    GEResultEnum Lock() override;
    GEResultEnum Unlock() override;
    GEResultEnum Restore() override;
    GEResultEnum ReleaseDeviceObjects() override;
    bool IsUnavailable() const override;

    DeviceBuffer* GetDeviceBuffer() const { return buffer; }
    bool IsDynamic() const { return dynamic != 0; }

protected:
    // `sizeError` is the log pattern for a size no buffer can have; it takes the
    // element count and the element size.
    DeviceBufferDX9(RenderDX9* renderer, const wchar_t* sizeError);

    // Makes the device buffer of `count` elements of `size` bytes. Fails while one exists.
    GEResultEnum CreateSized(u32 size, u32 count, u8 dynamicIn);

private:
    GEResultEnum CreateDeviceBuffer();
    virtual HRESULT MakeDeviceBuffer(IDirect3DDevice9* device, UINT length, DWORD usage, D3DPOOL pool,
                                     DeviceBuffer** out) = 0;

    RenderDX9* dx9;
    const wchar_t* sizeError;
    DeviceBuffer* buffer = nullptr;
    u8 dynamic = 0;
};

extern template class DeviceBufferDX9<VertexBufferImpl, IDirect3DVertexBuffer9>;
extern template class DeviceBufferDX9<IndexBufferImpl, IDirect3DIndexBuffer9>;

} // namespace render
