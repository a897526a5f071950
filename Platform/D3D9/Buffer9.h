#pragma once
// Vertex and index buffers: a GL buffer with a CPU copy that locks hand out and
// unlocks upload. The copy also lets draws check indices against the vertex data.
#include "Platform/D3D9/DeviceChild.h"

#include <vector>

namespace d3d9 {

// The storage and lock rules both kinds share.
class BufferStorage {
public:
    BufferStorage(Device9* device, UINT length, DWORD usage, D3DPOOL pool);
    ~BufferStorage();

    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags);
    HRESULT Unlock();

    GLuint Name() const { return name_; }
    UINT Length() const { return static_cast<UINT>(bytes_.size()); }
    const unsigned char* Bytes() const { return bytes_.data(); }
    DWORD Usage() const { return usage_; }
    D3DPOOL Pool() const { return pool_; }

private:
    Device9* device_;
    DWORD usage_;
    D3DPOOL pool_;
    GLuint name_ = 0;
    std::vector<unsigned char> bytes_;
    int locks_ = 0;
    bool discard_ = false;
    bool readOnly_ = true;
    UINT dirtyBegin_ = 0, dirtyEnd_ = 0;
};

class VertexBuffer9 final : public DeviceChild<IDirect3DVertexBuffer9> {
public:
    static HRESULT Create(Device9* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                          VertexBuffer9** out);

    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT Unlock() override;
    const BufferStorage& Storage() const { return storage_; }

private:
    VertexBuffer9(Device9* device, UINT length, DWORD usage, D3DPOOL pool);
    ~VertexBuffer9() override;

    BufferStorage storage_;
};

class IndexBuffer9 final : public DeviceChild<IDirect3DIndexBuffer9> {
public:
    static HRESULT Create(Device9* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IndexBuffer9** out);

    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT Unlock() override;
    const BufferStorage& Storage() const { return storage_; }
    UINT IndexSize() const { return format_ == D3DFMT_INDEX32 ? 4 : 2; }

private:
    IndexBuffer9(Device9* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    ~IndexBuffer9() override;

    BufferStorage storage_;
    D3DFORMAT format_;
};

} // namespace d3d9
