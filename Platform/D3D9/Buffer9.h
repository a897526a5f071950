#pragma once
// Vertex and index buffers: a GL buffer with a CPU copy that locks hand out. A
// partial lock sends its range on unlock; after a discard lock nothing is sent until
// draws read the buffer, and then only the bytes they reach, so a frame that fills a
// fraction of a large dynamic buffer uploads that fraction. The first draw after a
// discard sends at once as far as the draws before the discard reached: a frame that
// fills what the last one did goes in one upload, not one per draw.
//
// What a discard lock leaves behind goes to another GL store, so that draws still
// queued keep reading the old contents: a dynamic vertex buffer takes turns over a few
// stores kept for good (no allocation per frame), any other buffer has its one store
// replaced. A dynamic index buffer keeps a copy of what its store holds and sends
// again only indices that changed: quad batches write the same indices every frame.
// Vertices whose four-float position ends in z = 0 and w = 1 (every 2D vertex) may
// travel packed, without those eight bytes, which the driver supplies itself.
#include "Platform/D3D9/DeviceChild.h"

#include <array>
#include <vector>

namespace d3d9 {

// A stream of vertices of `stride` bytes from `offset`, each starting with a
// four-float position, that a draw would have packed.
struct VertexPacking {
    UINT offset = 0;
    UINT stride = 0;
    bool operator==(const VertexPacking&) const = default;
};
// The bytes a packed vertex leaves out: z and w, 8 to 16 bytes into the vertex.
constexpr UINT kPackedOut = 8;

// The storage and lock rules both kinds share.
class BufferStorage {
public:
    enum class Kind { Vertices, Indices };
    BufferStorage(Device9* device, UINT length, DWORD usage, D3DPOOL pool, Kind kind);
    ~BufferStorage();

    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags);
    HRESULT Unlock();
    // A draw is about to read the bytes [begin, end): those the GL store lacks are sent.
    // With `packing` the vertices may go packed (then [begin, end) holds whole vertices
    // of the packing); *packed, when given, tells whether the store holds them packed.
    // Fails when the driver refuses them.
    HRESULT Upload(UINT begin, UINT end, const VertexPacking* packing = nullptr, bool* packed = nullptr);

    GLuint Name() const { return stores_[current_].name; }
    UINT Length() const { return static_cast<UINT>(bytes_.size()); }
    const unsigned char* Bytes() const { return bytes_.data(); }
    DWORD Usage() const { return usage_; }
    D3DPOOL Pool() const { return pool_; }

private:
    struct Store {
        GLuint name = 0;
        UINT size = 0;
    };
    // Where byte `at` of the buffer lies in the store, and the store size that holds
    // the whole buffer.
    UINT StoreOffset(UINT at) const;
    UINT StoreCapacity() const;
    // The next store for the contents since a discard, holding at least `need` bytes.
    void NextStore(UINT need);
    // A larger current store, whose contents are lost.
    void Grow(UINT need);
    // Packs the vertices of [begin, end) into `to`; false when one of them does not end
    // in z = 0 and w = 1.
    bool Pack(UINT begin, UINT end, unsigned char* to);
    // Sends [begin, end) as the store holds it; false (and nothing sent) when the store
    // is packed and a vertex of the range cannot be.
    bool Send(UINT begin, UINT end);
    // Whether the store may hold other bytes than [begin, end) of the buffer.
    bool StoreLacks(UINT begin, UINT end) const;

    Device9* device_;
    DWORD usage_;
    D3DPOOL pool_;
    std::array<Store, 3> stores_{};
    size_t storeCount_ = 1;
    size_t current_ = 0;
    std::vector<unsigned char> bytes_;
    // What the store holds, for a buffer that sends only changed bytes; else empty.
    std::vector<unsigned char> shadow_;
    bool shadowTrusted_ = true; // false once an upload failed: the store may differ
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
    // The store holds the vertices since the discard packed, by `packing_`.
    bool packed_ = false;
    VertexPacking packing_;
    // The end (in store bytes) of what draws reached since the last discard, and that
    // end at the discard before: the size the next fresh store starts with.
    UINT reached_ = 0, reachHint_ = 0;
    // The end (in buffer bytes) of what draws reached since the last discard, and that
    // end at the discard before: what the first draw after a discard sends at once.
    UINT reachedBytes_ = 0, aheadBytes_ = 0;
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
