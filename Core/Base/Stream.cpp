#include "Core/Base/Stream.h"

#include <algorithm>
#include <vector>

namespace base {

u32 ClampedSeek(u32 position, u32 size, i32 offset, u32 origin)
{
    i64 target = position;
    if (origin == SeekBegin)
        target = offset;
    else if (origin == SeekCurrent)
        target = static_cast<i64>(position) + offset;
    else if (origin == SeekEnd)
        target = static_cast<i64>(size) + offset;
    if (target < 0)
        return 0;
    if (target > static_cast<i64>(size))
        return size;
    return static_cast<u32>(target);
}

bool Stream::IsEof()
{
    return false;
}

bool Stream::WriteU32(const u32* value)
{
    return Write(value, 4) < 4;
}

bool Stream::CopyFrom(Stream& source, u32 count)
{
    constexpr u32 kChunk = 0x100000;
    u32 remaining = 0;
    if (count == 0xFFFFFFFFu) {
        remaining = source.GetSize();
        source.Seek(0, SeekBegin);
    } else {
        const u32 size = source.GetSize();
        const u32 position = source.Seek(0, SeekCurrent);
        const u32 available = position < size ? size - position : 0;
        remaining = std::min(count, available);
    }

    u32 chunk = std::min(remaining, kChunk);
    std::vector<u8> buffer(chunk);
    while (remaining != 0) {
        const u32 got = source.Read(buffer.data(), std::min(chunk, remaining));
        // A source that delivers less than it announced would otherwise keep us here forever.
        if (got == 0)
            return false;
        if (Write(buffer.data(), got) != got)
            return false;
        remaining -= got;
    }
    return true;
}

} // namespace base
