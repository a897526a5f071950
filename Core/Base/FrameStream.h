#pragma once
#include "Core/Base/Stream.h"

namespace base {

// A read-only window of fixed offset and size over another stream.
class FrameStream : public Stream {
public:
    FrameStream(Stream* inner, bool ownsInner, u32 start, u32 size);
    ~FrameStream() override;
    FrameStream(const FrameStream&) = delete;
    FrameStream& operator=(const FrameStream&) = delete;

    bool IsEof() override;
    u32 GetSize() override;
    u32 Read(void* buffer, u32 count) override;
    u32 Write(const void* buffer, u32 count) override; // refused: returns 0
    u32 Seek(i32 offset, u32 origin) override;

private:
    Stream* inner;
    u8 ownsInner;
    u32 start;
    u32 position = 0;
    u32 size;
};

class FrameStreamCreator : public StreamCreator {
public:
    FrameStreamCreator(StreamCreator* inner, bool ownsInner, u32 start, u32 size);
    ~FrameStreamCreator() override;
    FrameStreamCreator(const FrameStreamCreator&) = delete;
    FrameStreamCreator& operator=(const FrameStreamCreator&) = delete;
    i32 Create(Stream** out) override;

private:
    StreamCreator* inner;
    u8 ownsInner;
    u32 start;
    u32 size;
};

} // namespace base
