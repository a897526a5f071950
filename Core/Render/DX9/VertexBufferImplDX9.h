#pragma once
#include "Core/Render/Buffer.h"
#include "Platform/D3D9/D3D9.h"

namespace render {

class RenderDX9;

// A Direct3D 9 vertex buffer: static ones live in the managed pool, dynamic ones in
// the default pool, released on device loss and made again after the reset.
class VertexBufferImplDX9 : public VertexBufferImpl {
public:
    explicit VertexBufferImplDX9(RenderDX9* renderer);
    ~VertexBufferImplDX9() override;

    GEResultEnum Create(const VertexFormat& format, u32 count, u8 dynamic) override;
    GEResultEnum Lock() override;
    GEResultEnum Unlock() override;
    GEResultEnum Restore() override;
    GEResultEnum ReleaseDeviceObjects() override;
    bool IsUnavailable() const override;

    IDirect3DVertexBuffer9* GetDeviceBuffer() const { return buffer; }
    bool IsDynamic() const { return dynamic != 0; }
    u32 GetFvf() const { return fvf; }

private:
    GEResultEnum CreateDeviceBuffer();

    RenderDX9* dx9;
    IDirect3DVertexBuffer9* buffer = nullptr;
    u8 dynamic = 0;
    u32 fvf = 0;
};

} // namespace render
