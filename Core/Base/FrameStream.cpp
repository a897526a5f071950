#include "Core/Base/FrameStream.h"

#include "Core/Base/Log.h"

#include <algorithm>

namespace base {

namespace {

// Seek takes a signed 32-bit offset, while a pack file may reach 4 GiB: a target past
// 2 GiB is reached in steps. False when the inner stream does not land on it.
bool SeekInnerTo(Stream* inner, u64 target)
{
    constexpr u64 kStep = 0x7FFFFFFFu;
    if (target > 0xFFFFFFFFu)
        return false;
    u64 at = inner->Seek(static_cast<i32>(std::min(target, kStep)), SeekBegin);
    while (at < target && at >= kStep) {
        const u64 step = std::min(target - at, kStep);
        const u64 next = inner->Seek(static_cast<i32>(step), SeekCurrent);
        if (next != at + step)
            return false;
        at = next;
    }
    return at == target;
}

} // namespace

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
    // A seek that lands elsewhere (an inner stream shorter than the window) must not
    // serve bytes from the wrong place.
    if (!SeekInnerTo(inner, target)) {
        GE_LOG(L"Stream: cannot reach offset %u of a window of %u bytes at %u\n")
            << position << size << start;
        return 0;
    }
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
