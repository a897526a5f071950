#pragma once
#include "Core/Render/Buffer.h"
#include "Platform/D3D9/D3D9.h"

namespace render {

class RenderDX9;

// A Direct3D 9 index buffer of 16-bit indices, or 32-bit ones for an index size of 4;
// pools as for vertex buffers.
class IndexBufferImplDX9 : public IndexBufferImpl {
public:
    explicit IndexBufferImplDX9(RenderDX9* renderer);
    ~IndexBufferImplDX9() override;

    GEResultEnum Create(u32 indexSize, u32 count, u8 dynamic) override;
    GEResultEnum Lock() override;
    GEResultEnum Unlock() override;
    GEResultEnum Restore() override;
    GEResultEnum ReleaseDeviceObjects() override;
    bool IsUnavailable() const override;

    IDirect3DIndexBuffer9* GetDeviceBuffer() const { return buffer; }
    bool IsDynamic() const { return dynamic != 0; }

private:
    GEResultEnum CreateDeviceBuffer();

    RenderDX9* dx9;
    IDirect3DIndexBuffer9* buffer = nullptr;
    u8 dynamic = 0;
};

} // namespace render
