#pragma once
// Random-access byte streams: every byte the engine reads or writes passes through
// base::Stream. Opening is deferred through base::StreamCreator.
#include "Core/Base/Types.h"

namespace base {

enum SeekOrigin : u32 {
    SeekBegin = 0,
    SeekCurrent = 1,
    SeekEnd = 2,
};

class Stream {
public:
    virtual bool IsEof();
    virtual u32 GetSize() = 0;
    virtual ~Stream() = default;
    virtual u32 Read(void* buffer, u32 count) = 0;
    virtual u32 Write(const void* buffer, u32 count) = 0;
    virtual u32 Seek(i32 offset, u32 origin) = 0;

    // Writes the four bytes at `value`; true (failure) when fewer were written.
    bool WriteU32(const u32* value);
    // Copies `count` bytes (0xFFFFFFFF: the whole source from its start) from the
    // source's position. False when the source ran short or a write fell short.
    bool CopyFrom(Stream& source, u32 count);
};

// The seek of streams over a known size: origin 0 from the start, 1 from `position`,
// 2 from the end (size + offset), any other keeps `position`; the result is clamped
// to [0, size].
u32 ClampedSeek(u32 position, u32 size, i32 offset, u32 origin);

// A deferred opener: each Create opens a fresh stream owned by the caller.
class StreamCreator {
public:
    virtual ~StreamCreator() = default;
    // 0: the stream was opened and stored in *out; non-zero: failure, *out untouched.
    virtual i32 Create(Stream** out) = 0;
};

} // namespace base
