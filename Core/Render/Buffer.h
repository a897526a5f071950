#pragma once
#include "Core/Base/Types.h"

#include <cstddef>

namespace render {

class Render;

// A device vertex or index buffer. It registers with its renderer for as long as
// it lives, so that the renderer can release and recreate default-pool buffers
// around a device loss. The buffer caches hand out its elements between Lock
// and Unlock.
class Buffer {
public:
    explicit Buffer(Render* renderer);
    virtual ~Buffer();
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;

    // Maps the whole buffer discarding its contents; used = 0. Fails when locked.
    virtual GEResultEnum Lock() = 0;
    // Unmaps; used = 0, data = null. Fails when not locked.
    virtual GEResultEnum Unlock() = 0;
    virtual GEResultEnum Restore() = 0;
    virtual GEResultEnum ReleaseDeviceObjects() = 0;
    // True when there is no device buffer or it is not locked.
    virtual bool IsUnavailable() const = 0;

    // Hands out up to `count` elements from the used mark: *pointer = the first,
    // *got = how many. A full buffer gives null and 0. Fails when unavailable.
    // Inline: each sprite takes its vertices and indices through here.
    GEResultEnum Take(u32 count, void** pointer, u32* got)
    {
        // A locked buffer has its device buffer (releasing that unlocks it), so the lock
        // alone tells availability without a virtual call per sprite.
        if (!locked || !data)
            return GE_FAIL;
        if (used >= capacity) {
            *pointer = nullptr;
            *got = 0;
            return GE_OK;
        }
        *pointer = data + static_cast<size_t>(elementSize) * used;
        *got = count < capacity - used ? count : capacity - used;
        used += *got;
        return GE_OK;
    }

    // All `count` elements from the used mark, or null when the buffer is not locked or
    // has less room: a lease takes this first and never a part of itself.
    void* TakeAll(u32 count)
    {
        // used never passes capacity: Take and TakeAll hand out only what is left.
        if (!locked || !data || count > capacity - used)
            return nullptr;
        void* pointer = data + static_cast<size_t>(elementSize) * used;
        used += count;
        return pointer;
    }

    Render* GetRenderer() const { return renderer; }
    u32 GetElementSize() const { return elementSize; }
    u32 GetCapacity() const { return capacity; }
    u32 GetUsed() const { return used; }
    u32 GetFree() const { return used < capacity ? capacity - used : 0; }
    bool IsLocked() const { return locked != 0; }
    // The locked elements, null while unlocked.
    const u8* GetLockedData() const { return data; }

protected:
    Render* renderer;
    u32 elementSize = 0;
    u32 capacity = 0;
    u8 locked = 0;
    u8* data = nullptr;
    u32 used = 0;
};

class VertexFormat;

// A device buffer of vertices of one registered format.
class VertexBufferImpl : public Buffer {
public:
    using Buffer::Buffer;
    virtual GEResultEnum Create(const VertexFormat& format, u32 count, u8 dynamic) = 0;
    u32 GetFormatId() const { return formatId; }

protected:
    u32 formatId = 0;
};

// A device buffer of 16- or 32-bit indices.
class IndexBufferImpl : public Buffer {
public:
    using Buffer::Buffer;
    virtual GEResultEnum Create(u32 indexSize, u32 count, u8 dynamic) = 0;
    u32 GetIndexSize() const { return elementSize; }
};

} // namespace render
