#include "Platform/D3D9/Buffer9.h"

#include <algorithm>

namespace d3d9 {

BufferStorage::BufferStorage(Device9* device, UINT length, DWORD usage, D3DPOOL pool)
    : device_(device), usage_(usage), pool_(pool), bytes_(length, 0), storeSize_(length)
{
    const GlApi& gl = device_->Gl();
    device_->MakeCurrent();
    gl.GenBuffers(1, &name_);
    // The copy-write target leaves the vertex array's index binding alone.
    gl.BindBuffer(GL_COPY_WRITE_BUFFER, name_);
    gl.BufferData(GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(length), bytes_.data(),
                  (usage & D3DUSAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
    if (pool_ == D3DPOOL_DEFAULT)
        device_->CountDefaultPool(1);
}

BufferStorage::~BufferStorage()
{
    device_->MakeCurrent();
    device_->Gl().DeleteBuffers(1, &name_);
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
        return D3D_OK;
    }
    UINT begin = dirtyBegin_, end = dirtyEnd_;
    if (stale_) {
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

HRESULT BufferStorage::Upload(UINT begin, UINT end)
{
    end = std::min(end, Length());
    if (!stale_ || begin >= end)
        return D3D_OK;
    device_->BeginGlWork();
    const GlApi& gl = device_->Gl();
    if (renew_ || end > storeSize_) {
        // A fresh store lets the driver keep drawing from the old one meanwhile. It
        // holds what the last frame's draws reached, not the whole buffer (whose size
        // would be allocated every frame), and grows when draws reach further.
        const uint64_t want = renew_ ? reachHint_ : 2 * uint64_t(storeSize_);
        storeSize_ = static_cast<UINT>(std::min<uint64_t>(Length(), std::max<uint64_t>(end, want)));
        gl.BindBuffer(GL_COPY_WRITE_BUFFER, name_);
        gl.BufferData(GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(storeSize_), nullptr, GL_DYNAMIC_DRAW);
        renew_ = false;
        sentBegin_ = sentEnd_ = begin;
    }
    reached_ = std::max(reached_, end);
    // The sent range stays one piece: a gap between it and the new range goes too.
    if (begin < sentBegin_)
        Send(begin, sentBegin_);
    if (end > sentEnd_)
        Send(sentEnd_, end);
    sentBegin_ = std::min(sentBegin_, begin);
    sentEnd_ = std::max(sentEnd_, end);
    if (sentBegin_ == 0 && sentEnd_ == Length())
        stale_ = false;
    const HRESULT hr = device_->GlWorkResult("Buffer upload for a draw");
    if (FAILED(hr)) {
        // Nothing of the store is known good: the next draw makes it again.
        stale_ = renew_ = true;
        sentBegin_ = sentEnd_ = 0;
    }
    return hr;
}

void BufferStorage::Send(UINT begin, UINT end)
{
    const GlApi& gl = device_->Gl();
    gl.BindBuffer(GL_COPY_WRITE_BUFFER, name_);
    gl.BufferSubData(GL_COPY_WRITE_BUFFER, static_cast<GLintptr>(begin), static_cast<GLsizeiptr>(end - begin),
                     bytes_.data() + begin);
    device_->CountUpload(end - begin);
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
    : DeviceChild(device), storage_(device, length, usage, pool)
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
    : DeviceChild(device), storage_(device, length, usage, pool), format_(format)
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
