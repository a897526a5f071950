#pragma once
#include "Core/Base/Stream.h"

namespace base {

// A stream over an owned heap buffer whose length is the stream's size.
class MemoryStream : public Stream {
public:
    MemoryStream(const void* data, u32 size);
    ~MemoryStream() override;
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;

    bool IsEof() override;
    u32 GetSize() override;
    u32 Read(void* buffer, u32 count) override;
    u32 Write(const void* buffer, u32 count) override;
    u32 Seek(i32 offset, u32 origin) override;
    virtual void SetCapacity(u32 size, bool keep);

    const u8* Data() const { return buffer; }
    u32 Position() const { return position; }

protected:
    u8* buffer = nullptr;
    u32 position = 0;
    u32 size = 0;
};

} // namespace base
