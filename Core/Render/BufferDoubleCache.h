#pragma once
#include "Core/Base/Types.h"
#include "Core/Render/Buffer.h"
#include "Core/Render/IndexBuffer.h"
#include "Core/Render/Render.h"
#include "Core/Render/VertexBuffer.h"
#include "Core/Render/VertexFormat.h"
#include <algorithm>
#include <memory>
#include <vector>

namespace render {

// What a lease hands out: `count` elements from `start` inside `buffer`.
template <class B> struct BufferLease {
    u32 start = 0;
    u32 count = 0;
    B* buffer = nullptr;
};

// Per-frame leasing of elements from a set of device buffers.
class BufferDoubleCacheBase {
public:
    virtual ~BufferDoubleCacheBase() = default;
    // 1 when the frame has begun already.
    virtual GEResultEnum BeginFrame() = 0;
    // Unlocks every locked buffer; 1 when an unlock failed or no frame had begun.
    virtual GEResultEnum EndFrame() = 0;
};

// The cache of one element type: a main buffer and extra buffers of the lease
// limit (or of a larger extra capacity), made when the main buffer (and every
// earlier extra) is too full. Each
// buffer is locked at its first lease of a frame, discarding the last frame's
// contents, so every frame fills them again from element 0. A lease never
// straddles two buffers.
//
// Leasing only ever used the first of each buffer pair, so each slot keeps one
// buffer.
template <class B> class BufferDoubleCache : public BufferDoubleCacheBase {
public:
    using Element = typename B::Element;
    using LeaseType = BufferLease<B>;

    BufferDoubleCache(Render* render, u32 leaseLimit, u32 extraCapacity = 0)
        : render(render), leaseLimit(leaseLimit), extraCapacity(std::max(leaseLimit, extraCapacity))
    {
    }

    // A cache whose main buffer holds `capacity` elements and whose extra buffers hold
    // `extraCapacity` (at least the lease limit).
    static GEResultEnum Create(Render* render, u32 capacity, u32 leaseLimit,
                               std::unique_ptr<BufferDoubleCache>& out, u32 extraCapacity = 0)
    {
        auto cache = std::make_unique<BufferDoubleCache>(render, leaseLimit, extraCapacity);
        const GEResultEnum result = B::Create(render, capacity, cache->main);
        if (result != GE_OK)
            return result;
        out = std::move(cache);
        return GE_OK;
    }

    GEResultEnum BeginFrame() override
    {
        if (inFrame)
            return GE_FAIL;
        inFrame = 1;
        skipExtras = 0;
        skipBelow = 0;
        filling = nullptr;
        return GE_OK;
    }

    GEResultEnum EndFrame() override
    {
        GEResultEnum result = Unlock(*main);
        for (auto& extra : extras)
            if (Unlock(*extra) != GE_OK)
                result = GE_FAIL;
        skipExtras = 0;
        skipBelow = 0;
        filling = nullptr;
        if (!inFrame)
            return GE_FAIL;
        inFrame = 0;
        return result;
    }

    // `count` elements for writing through *write; 1 when outside a frame, when no
    // buffer had room and `count` exceeds the lease limit, or on a device failure.
    GEResultEnum Lease(u32 count, Element** write, LeaseType* out)
    {
        // The buffer of the last lease, while it has room and this lease is no smaller:
        // the buffers before it had too little for that one, so first fit picks it again.
        // Inline, apart from the search: every sprite leases here. There is a last lease
        // only within a frame.
        if (filling && count >= fillingBelow) {
            Buffer* device = filling->GetDevice();
            const u32 start = device->GetUsed();
            if (void* pointer = device->TakeAll(count)) {
                *out = LeaseType{start, count, filling};
                *write = static_cast<Element*>(pointer);
                return GE_OK;
            }
        }
        return Choose(count, write, out);
    }

    bool IsInFrame() const { return inFrame != 0; }
    u32 GetLeaseLimit() const { return leaseLimit; }
    B* GetMainBuffer() const { return main.get(); }
    size_t GetExtraCount() const { return extras.size(); }
    B* GetExtraBuffer(size_t i) const { return extras[i].get(); }

private:
    // First fit over the main buffer and the extras, making an extra when none has room.
    GEResultEnum Choose(u32 count, Element** write, LeaseType* out)
    {
        if (!inFrame)
            return GE_FAIL;
        B* chosen = nullptr;
        if (main->GetDevice()->GetFree() >= count) {
            chosen = main.get();
        } else {
            // First fit over the extras. Room only shrinks within a frame, so the
            // extras that had too little for an earlier lease of at most `count`
            // still have too little and are skipped: a frame of equal leases no
            // longer rescans every filled extra for each lease.
            size_t i = count >= skipBelow ? skipExtras : 0;
            for (; i < extras.size(); ++i) {
                if (extras[i]->GetDevice()->GetFree() >= count) {
                    chosen = extras[i].get();
                    break;
                }
            }
            skipExtras = i;
            skipBelow = count;
        }
        if (!chosen) {
            if (count > leaseLimit)
                return GE_FAIL;
            std::unique_ptr<B> extra;
            const GEResultEnum result = B::Create(render, extraCapacity, extra);
            if (result != GE_OK)
                return result;
            extras.push_back(std::move(extra));
            chosen = extras.back().get();
        }
        Buffer* device = chosen->GetDevice();
        if (!device->IsLocked()) {
            const GEResultEnum result = device->Lock();
            if (result != GE_OK)
                return result;
        }
        filling = chosen;
        fillingBelow = count;
        return TakeFrom(chosen, count, write, out);
    }

    static GEResultEnum TakeFrom(B* chosen, u32 count, Element** write, LeaseType* out)
    {
        Buffer* device = chosen->GetDevice();
        const u32 start = device->GetUsed();
        void* pointer = nullptr;
        u32 got = 0;
        const GEResultEnum result = device->Take(count, &pointer, &got);
        if (result != GE_OK)
            return result;
        *out = LeaseType{start, count, chosen};
        *write = static_cast<Element*>(pointer);
        return got < count ? GE_FAIL : GE_OK;
    }

    static GEResultEnum Unlock(B& buffer)
    {
        Buffer* device = buffer.GetDevice();
        if (!device->IsLocked())
            return GE_OK;
        return device->Unlock();
    }

    Render* render;
    u8 inFrame = 0;
    std::unique_ptr<B> main;
    u32 leaseLimit;
    u32 extraCapacity;
    std::vector<std::unique_ptr<B>> extras;
    // Every extra before index skipExtras has fewer than skipBelow free elements.
    size_t skipExtras = 0;
    u32 skipBelow = 0;
    // The buffer the last lease of the frame came from, and that lease's size.
    B* filling = nullptr;
    u32 fillingBelow = 0;
};

// Makes the cache of one vertex format; InitRender asks each registered format's
// creator.
class BufferDoubleCacheCreator {
public:
    virtual ~BufferDoubleCacheCreator() = default;
    // capacity 0: the format's buffer capacity; limit 0: its lease limit.
    virtual GEResultEnum Create(Render* render, u32 capacity, u32 limit,
                                std::unique_ptr<BufferDoubleCacheBase>& out) = 0;
};

template <class V> class BufferDoubleCacheCreatorConcrete : public BufferDoubleCacheCreator {
public:
    GEResultEnum Create(Render* render, u32 capacity, u32 limit,
                        std::unique_ptr<BufferDoubleCacheBase>& out) override
    {
        const VertexFormat& format = V::Format();
        std::unique_ptr<BufferDoubleCache<VertexBuffer<V>>> cache;
        // Extras as large as the main buffer: a frame of many sprites then fills a few
        // buffers, each one upload and a break in the batch, rather than dozens.
        const u32 size = capacity ? capacity : format.bufferCapacity;
        const GEResultEnum result = BufferDoubleCache<VertexBuffer<V>>::Create(
            render, size, limit ? limit : format.leaseLimit, cache, size);
        if (result != GE_OK)
            return result;
        out = std::move(cache);
        return GE_OK;
    }
};

// The renderer's cache of vertices of type V, or null when the format has none
// (or the renderer is not initialised).
template <class V> BufferDoubleCache<VertexBuffer<V>>* GetVertexCache(Render& render)
{
    // The built-in layouts know their id without asking their descriptor.
    u32 id = 0;
    if constexpr (requires { V::kFormatId; })
        id = V::kFormatId;
    else
        id = V::Format().id;
    return static_cast<BufferDoubleCache<VertexBuffer<V>>*>(render.GetVertexCache(id));
}

} // namespace render
