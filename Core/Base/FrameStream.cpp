#include "Core/Base/FrameStream.h"

#include <algorithm>

namespace base {

FrameStream::FrameStream(Stream* inner, bool ownsInner, u32 start, u32 size)
    : inner(inner), ownsInner(ownsInner ? 1 : 0), start(start), size(size)
{
}

FrameStream::~FrameStream()
{
    if (ownsInner)
        delete inner;
}

bool FrameStream::IsEof()
{
    return position == size;
}

u32 FrameStream::GetSize()
{
    return size;
}

u32 FrameStream::Read(void* buffer, u32 count)
{
    const u32 n = std::min(size - position, count);
    if (n == 0 || !inner)
        return 0;
    const u64 target = static_cast<u64>(start) + position;
    // Seek takes a signed offset: a window beyond 2 GiB cannot be reached, and a seek
    // that lands elsewhere (an inner stream shorter than the window) must not serve
    // bytes from the wrong place.
    if (target > 0x7FFFFFFFu || inner->Seek(static_cast<i32>(target), SeekBegin) != target)
        return 0;
    const u32 got = inner->Read(buffer, n);
    position += got;
    return got;
}

u32 FrameStream::Write(const void*, u32)
{
    return 0;
}

u32 FrameStream::Seek(i32 offset, u32 origin)
{
    position = ClampedSeek(position, size, offset, origin);
    return position;
}

FrameStreamCreator::FrameStreamCreator(StreamCreator* inner, bool ownsInner, u32 start, u32 size)
    : inner(inner), ownsInner(ownsInner ? 1 : 0), start(start), size(size)
{
}

FrameStreamCreator::~FrameStreamCreator()
{
    if (ownsInner)
        delete inner;
}

i32 FrameStreamCreator::Create(Stream** out)
{
    if (!inner)
        return 1;
    Stream* stream = nullptr;
    const i32 result = inner->Create(&stream);
    if (result != 0)
        return result;
    *out = new FrameStream(stream, true, start, size);
    return 0;
}

} // namespace base
