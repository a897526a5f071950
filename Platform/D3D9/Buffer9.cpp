#include "Platform/D3D9/Buffer9.h"

#include <algorithm>
#include <cstring>

namespace d3d9 {

BufferStorage::BufferStorage(Device9* device, UINT length, DWORD usage, D3DPOOL pool, Kind kind)
    : device_(device), usage_(usage), pool_(pool), bytes_(length, 0)
{
    if (usage & D3DUSAGE_DYNAMIC) {
        if (kind == Kind::Vertices)
            storeCount_ = stores_.size();
        else
            shadow_.assign(length, 0);
    }
    const GlApi& gl = device_->Gl();
    device_->MakeCurrent();
    gl.GenBuffers(1, &stores_[0].name);
    // The copy-write target leaves the vertex array's index binding alone.
    gl.BindBuffer(GL_COPY_WRITE_BUFFER, stores_[0].name);
    gl.BufferData(GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(length), bytes_.data(),
                  (usage & D3DUSAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
    stores_[0].size = length;
    if (pool_ == D3DPOOL_DEFAULT)
        device_->CountDefaultPool(1);
}

BufferStorage::~BufferStorage()
{
    device_->MakeCurrent();
    for (Store& store : stores_)
        if (store.name)
            device_->Gl().DeleteBuffers(1, &store.name);
    if (pool_ == D3DPOOL_DEFAULT)
        device_->CountDefaultPool(-1);
}

HRESULT BufferStorage::Lock(UINT offset, UINT size, void** data, DWORD flags)
{
    if (HRESULT hr = device_->TakeFailure(D3D9TestCall::LockBuffer); FAILED(hr))
        return hr;
    if (!data || offset > bytes_.size())
        return D3DERR_INVALIDCALL;
    if (size == 0)
        size = static_cast<UINT>(bytes_.size()) - offset;
    if (size > bytes_.size() - offset)
        return D3DERR_INVALIDCALL;
    if (locks_ == 0) {
        dirtyBegin_ = offset;
        dirtyEnd_ = offset + size;
        discard_ = false;
        readOnly_ = true;
    } else {
        dirtyBegin_ = std::min(dirtyBegin_, offset);
        dirtyEnd_ = std::max(dirtyEnd_, offset + size);
    }
    discard_ = discard_ || (flags & D3DLOCK_DISCARD);
    readOnly_ = readOnly_ && (flags & D3DLOCK_READONLY);
    ++locks_;
    *data = bytes_.data() + offset;
    return D3D_OK;
}

HRESULT BufferStorage::Unlock()
{
    if (HRESULT hr = device_->TakeFailure(D3D9TestCall::UnlockBuffer); FAILED(hr))
        return hr;
    if (locks_ == 0)
        return D3DERR_INVALIDCALL;
    if (--locks_ > 0 || readOnly_)
        return D3D_OK;
    if (discard_) {
        // The draws that read the buffer send what they reach.
        stale_ = true;
        renew_ = true;
        sentBegin_ = sentEnd_ = 0;
        reachHint_ = reached_;
        reached_ = 0;
        aheadBytes_ = reachedBytes_;
        reachedBytes_ = 0;
        return D3D_OK;
    }
    UINT begin = dirtyBegin_, end = dirtyEnd_;
    if (stale_) {
        if (packed_ && !renew_) {
            // Bytes as they are do not fit a packed store: the next draw starts another.
            renew_ = true;
            sentBegin_ = sentEnd_ = 0;
            return D3D_OK;
        }
        // Bytes not sent yet go with the draws that reach them; only those already
        // in the GL store are sent again.
        begin = std::max(begin, sentBegin_);
        end = std::min(end, sentEnd_);
    }
    if (end <= begin)
        return D3D_OK;
    device_->BeginGlWork();
    Send(begin, end);
    return device_->GlWorkResult("Unlock");
}

HRESULT BufferStorage::Upload(UINT begin, UINT end, const VertexPacking* packing, bool* packed)
{
    end = std::min(end, Length());
    // Most draws of a frame read what the store holds already, in its layout: they need
    // no GL call at all.
    const bool sameLayout = !shadow_.empty() || !packed_ || (packing && *packing == packing_);
    if (stale_ && !renew_ && begin >= sentBegin_ && end <= sentEnd_ && sameLayout) {
        if (shadow_.empty()) {
            reachedBytes_ = std::max(reachedBytes_, end);
            reached_ = std::max(reached_, StoreOffset(end));
        }
        if (packed)
            *packed = packed_;
        return D3D_OK;
    }
    HRESULT hr = D3D_OK;
    if (stale_ && begin < end) {
        bool glWork = true;
        if (!shadow_.empty()) {
            if (renew_) {
                renew_ = false;
                sentBegin_ = sentEnd_ = begin;
            }
            // The sent range stays one piece: a gap between it and the new range goes too.
            // Only bytes the store lacks go, and a frame like the last needs no GL at all.
            const bool low = begin < sentBegin_ && StoreLacks(begin, sentBegin_);
            const bool high = end > sentEnd_ && StoreLacks(sentEnd_, end);
            glWork = low || high;
            if (glWork) {
                device_->BeginGlWork();
                if (low)
                    Send(begin, sentBegin_);
                if (high)
                    Send(sentEnd_, end);
            }
        } else {
            device_->BeginGlWork();
            auto aligned = [packing](UINT at) {
                return at >= packing->offset && (at - packing->offset) % packing->stride == 0;
            };
            const bool canPack =
                packing && storeCount_ > 1 && packing->stride >= 16 && aligned(begin) && aligned(end);
            reachedBytes_ = std::max(reachedBytes_, end);
            // What to send now: the first draw since the discard sends as far as the draws
            // of the contents before reached, so that a frame like the last goes in one
            // upload rather than one per draw. The caller wrote the buffer before drawing
            // it; bytes it changes later are sent again by their unlock.
            UINT sendEnd = end;
            if (renew_) {
                renew_ = false;
                if (aheadBytes_ > end && (!canPack || aligned(aheadBytes_)))
                    sendEnd = std::min(aheadBytes_, Length());
                packed_ = canPack;
                if (canPack)
                    packing_ = *packing;
                NextStore(StoreOffset(sendEnd));
                sentBegin_ = sentEnd_ = begin;
            } else if (packed_ && !(canPack && *packing == packing_)) {
                // Another layout reads the store: from here on it holds the bytes as they are.
                packed_ = false;
                sentBegin_ = sentEnd_ = begin;
            }
            if (StoreOffset(sendEnd) > stores_[current_].size) {
                Grow(StoreOffset(sendEnd));
                sentBegin_ = sentEnd_ = begin;
            }
            bool sent = (begin >= sentBegin_ || Send(begin, sentBegin_)) &&
                        (sendEnd <= sentEnd_ || Send(sentEnd_, sendEnd));
            if (!sent && sendEnd > end) {
                // Only a vertex beyond this draw may have refused packing: nothing went, and
                // this draw's own vertices may still go packed.
                sendEnd = end;
                sent = Send(begin, end);
            }
            if (!sent) {
                // A vertex that cannot go packed: from here on the store holds the bytes as
                // they are, and only what this draw reaches goes now.
                packed_ = false;
                sendEnd = end;
                sentBegin_ = sentEnd_ = begin;
                if (end > stores_[current_].size)
                    Grow(end);
                Send(begin, end);
            }
            reached_ = std::max(reached_, StoreOffset(end));
            end = sendEnd;
        }
        sentBegin_ = std::min(sentBegin_, begin);
        sentEnd_ = std::max(sentEnd_, end);
        if (!packed_ && sentBegin_ == 0 && sentEnd_ == Length())
            stale_ = false;
        if (glWork)
            hr = device_->GlWorkResult("Buffer upload for a draw");
        if (FAILED(hr)) {
            // Nothing of the store is known good: the next draw makes it again.
            stale_ = renew_ = true;
            sentBegin_ = sentEnd_ = 0;
            shadowTrusted_ = false;
        }
    }
    if (packed)
        *packed = stale_ && packed_;
    return hr;
}

UINT BufferStorage::StoreOffset(UINT at) const
{
    if (!packed_)
        return at;
    return (at - packing_.offset) / packing_.stride * (packing_.stride - kPackedOut);
}

UINT BufferStorage::StoreCapacity() const
{
    return packed_ ? StoreOffset(packing_.offset +
                                 (Length() - packing_.offset) / packing_.stride * packing_.stride)
                   : Length();
}

void BufferStorage::NextStore(UINT need)
{
    // A fresh store lets the driver keep drawing from the old one meanwhile. It holds
    // what the last contents' draws reached, not the whole buffer (whose size would be
    // allocated every time), and grows when draws reach further.
    current_ = (current_ + 1) % storeCount_;
    Store& store = stores_[current_];
    const GlApi& gl = device_->Gl();
    if (!store.name)
        gl.GenBuffers(1, &store.name);
    // One store is replaced each time; a store taking its turn is kept when it is big enough.
    if (storeCount_ > 1 && need <= store.size)
        return;
    store.size = std::min(StoreCapacity(), std::max(need, reachHint_));
    gl.BindBuffer(GL_COPY_WRITE_BUFFER, store.name);
    gl.BufferData(GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(store.size), nullptr, GL_DYNAMIC_DRAW);
}

void BufferStorage::Grow(UINT need)
{
    Store& store = stores_[current_];
    store.size = static_cast<UINT>(
        std::min<uint64_t>(StoreCapacity(), std::max<uint64_t>(need, 2 * uint64_t(store.size))));
    const GlApi& gl = device_->Gl();
    gl.BindBuffer(GL_COPY_WRITE_BUFFER, store.name);
    gl.BufferData(GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(store.size), nullptr, GL_DYNAMIC_DRAW);
}

bool BufferStorage::Pack(UINT begin, UINT end, unsigned char* to)
{
    const UINT stride = packing_.stride, kept = stride - kPackedOut;
    const size_t count = (end - begin) / stride;
    const unsigned char* from = bytes_.data() + begin;
    // z = 0.0f in the low word, w = 1.0f in the high one: what a two-float position reads as.
    constexpr uint64_t kZeroOne = uint64_t(0x3F800000u) << 32;
    uint64_t zw = 0;
    if (stride == 32) {
        // The common 2D vertex, with copies of a fixed size.
        for (size_t i = 0; i < count; ++i, from += 32, to += 24) {
            // The store was last written a frame ago: its lines are asked for well
            // before they are written, or every line would stall the copy.
            __builtin_prefetch(to + 2048, 1, 3);
            std::memcpy(&zw, from + 8, 8);
            if (zw != kZeroOne)
                return false;
            std::memcpy(to, from, 8);
            std::memcpy(to + 8, from + 16, 16);
        }
        return true;
    }
    for (size_t i = 0; i < count; ++i, from += stride, to += kept) {
        std::memcpy(&zw, from + 8, 8);
        if (zw != kZeroOne)
            return false;
        std::memcpy(to, from, 8);
        std::memcpy(to + 8, from + 16, stride - 16);
    }
    return true;
}

bool BufferStorage::Send(UINT begin, UINT end)
{
    const GlApi& gl = device_->Gl();
    gl.BindBuffer(GL_COPY_WRITE_BUFFER, Name());
    UINT size = end - begin;
    if (packed_) {
        // Packed straight into the store: no copy of the frame's vertices on the way.
        const UINT at = StoreOffset(begin);
        size = StoreOffset(end) - at;
        void* store =
            gl.MapBufferRange(GL_COPY_WRITE_BUFFER, static_cast<GLintptr>(at), static_cast<GLsizeiptr>(size),
                              GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT);
        if (!store)
            return false;
        const bool whole = Pack(begin, end, static_cast<unsigned char*>(store));
        // A refused vertex leaves the range half written: the caller sends it again unpacked.
        if (!gl.UnmapBuffer(GL_COPY_WRITE_BUFFER) || !whole)
            return false;
    } else {
        gl.BufferSubData(GL_COPY_WRITE_BUFFER, static_cast<GLintptr>(begin), static_cast<GLsizeiptr>(size),
                         bytes_.data() + begin);
    }
    if (!shadow_.empty())
        std::memcpy(shadow_.data() + begin, bytes_.data() + begin, end - begin);
    device_->CountUpload(size);
    return true;
}

bool BufferStorage::StoreLacks(UINT begin, UINT end) const
{
    return !shadowTrusted_ || std::memcmp(bytes_.data() + begin, shadow_.data() + begin, end - begin) != 0;
}

namespace {

bool ValidPool(D3DPOOL pool, DWORD usage)
{
    if (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_MANAGED)
        return false;
    return !((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED);
}

} // namespace

HRESULT VertexBuffer9::Create(Device9* device, UINT length, DWORD usage, DWORD /*fvf*/, D3DPOOL pool,
                              VertexBuffer9** out)
{
    if (!out || length == 0 || !ValidPool(pool, usage))
        return D3DERR_INVALIDCALL;
    device->BeginGlWork();
    auto* buffer = new VertexBuffer9(device, length, usage, pool);
    if (const HRESULT hr = device->GlWorkResult("CreateVertexBuffer"); FAILED(hr)) {
        buffer->Release();
        return hr;
    }
    *out = buffer;
    return D3D_OK;
}

VertexBuffer9::VertexBuffer9(Device9* device, UINT length, DWORD usage, D3DPOOL pool)
    : DeviceChild(device), storage_(device, length, usage, pool, BufferStorage::Kind::Vertices)
{
}

VertexBuffer9::~VertexBuffer9()
{
    device_->Forget(this);
}

HRESULT VertexBuffer9::Lock(UINT offset, UINT size, void** data, DWORD flags)
{
    return storage_.Lock(offset, size, data, flags);
}

HRESULT VertexBuffer9::Unlock()
{
    return storage_.Unlock();
}

HRESULT IndexBuffer9::Create(Device9* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                             IndexBuffer9** out)
{
    if (!out || length == 0 || !ValidPool(pool, usage) ||
        (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32))
        return D3DERR_INVALIDCALL;
    device->BeginGlWork();
    auto* buffer = new IndexBuffer9(device, length, usage, format, pool);
    if (const HRESULT hr = device->GlWorkResult("CreateIndexBuffer"); FAILED(hr)) {
        buffer->Release();
        return hr;
    }
    *out = buffer;
    return D3D_OK;
}

IndexBuffer9::IndexBuffer9(Device9* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : DeviceChild(device), storage_(device, length, usage, pool, BufferStorage::Kind::Indices),
      format_(format)
{
}

IndexBuffer9::~IndexBuffer9()
{
    device_->Forget(this);
}

HRESULT IndexBuffer9::Lock(UINT offset, UINT size, void** data, DWORD flags)
{
    return storage_.Lock(offset, size, data, flags);
}

HRESULT IndexBuffer9::Unlock()
{
    return storage_.Unlock();
}

} // namespace d3d9
