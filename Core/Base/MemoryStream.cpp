#include "Core/Base/MemoryStream.h"

#include <algorithm>
#include <cstring>

namespace base {

MemoryStream::MemoryStream(const void* data, u32 size)
{
    buffer = new u8[size]();
    this->size = size;
    if (data && size)
        std::memcpy(buffer, data, size);
    position = 0;
}

MemoryStream::~MemoryStream()
{
    delete[] buffer;
}

bool MemoryStream::IsEof()
{
    return position == size;
}

u32 MemoryStream::GetSize()
{
    return size;
}

u32 MemoryStream::Read(void* out, u32 count)
{
    const u32 n = std::min(size - position, count);
    if (n == 0)
        return 0;
    std::memcpy(out, buffer + position, n);
    position += n;
    return n;
}

u32 MemoryStream::Write(const void* data, u32 count)
{
    if (count == 0)
        return 0;
    if (count > size - position) {
        // The stream cannot outgrow 32-bit positions; write nothing rather than wrap.
        if (count > 0xFFFFFFFFu - position)
            return 0;
        SetCapacity(position + count, true);
        if (count > size - position)
            return 0;
    }
    std::memcpy(buffer + position, data, count);
    position += count;
    return count;
}

u32 MemoryStream::Seek(i32 offset, u32 origin)
{
    position = ClampedSeek(position, size, offset, origin);
    return position;
}

void MemoryStream::SetCapacity(u32 newSize, bool keep)
{
    u8* fresh = new u8[newSize]();
    if (keep && buffer)
        std::memcpy(fresh, buffer, std::min(size, newSize));
    delete[] buffer;
    buffer = fresh;
    size = newSize;
    if (position > size)
        position = size;
}

} // namespace base
