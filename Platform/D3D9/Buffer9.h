#pragma once
// Vertex and index buffers: a GL buffer with a CPU copy that locks hand out. A
// partial lock sends its range on unlock; after a discard lock nothing is sent until
// draws read the buffer, and then only the bytes they reach, so a frame that fills a
// fraction of a large dynamic buffer uploads that fraction.
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
    // A draw is about to read the bytes [begin, end): those the GL store lacks are sent.
    // Fails when the driver refuses them.
    HRESULT Upload(UINT begin, UINT end);

    GLuint Name() const { return name_; }
    UINT Length() const { return static_cast<UINT>(bytes_.size()); }
    const unsigned char* Bytes() const { return bytes_.data(); }
    DWORD Usage() const { return usage_; }
    D3DPOOL Pool() const { return pool_; }

private:
    void Send(UINT begin, UINT end);

    Device9* device_;
    DWORD usage_;
    D3DPOOL pool_;
    GLuint name_ = 0;
    std::vector<unsigned char> bytes_;
    int locks_ = 0;
    bool discard_ = false;
    bool readOnly_ = true;
    UINT dirtyBegin_ = 0, dirtyEnd_ = 0;
    // Since the last discard unlock the CPU copy is the buffer's content and the GL
    // store holds only [sentBegin_, sentEnd_) of it; `renew_`: the store still holds the
    // contents from before the discard and is replaced at the first upload.
    bool stale_ = false;
    bool renew_ = false;
    UINT sentBegin_ = 0, sentEnd_ = 0;
    // The GL store's size, the end of what draws reached since the last discard, and
    // that end at the discard before: the size the next fresh store starts with.
    UINT storeSize_;
    UINT reached_ = 0, reachHint_ = 0;
};

class VertexBuffer9 final : public DeviceChild<IDirect3DVertexBuffer9> {
public:
    static HRESULT Create(Device9* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                          VertexBuffer9** out);

    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT Unlock() override;
    const BufferStorage& Storage() const { return storage_; }
    BufferStorage& Storage() { return storage_; }

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
    BufferStorage& Storage() { return storage_; }
    UINT IndexSize() const { return format_ == D3DFMT_INDEX32 ? 4 : 2; }

private:
    IndexBuffer9(Device9* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    ~IndexBuffer9() override;

    BufferStorage storage_;
    D3DFORMAT format_;
};

} // namespace d3d9
