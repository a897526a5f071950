#pragma once
// Reads the little-endian fields of the engine's own binary files from a block held in
// memory. Every read is checked against the bytes that remain; a short read leaves the
// output untouched and returns false, so callers can stop at the first one.
#include "Core/Base/Types.h"
#include <cstddef>
#include <cstring>
#include <string>

namespace lightwave {

class ByteCursor {
public:
    ByteCursor(const u8* data, size_t size) : data(data), size(data ? size : 0) {}

    size_t Remaining() const { return size - position; }
    size_t Position() const { return position; }

    bool ReadU32(u32* out)
    {
        if (Remaining() < 4)
            return false;
        const u8* p = data + position;
        *out = u32(p[0]) | u32(p[1]) << 8 | u32(p[2]) << 16 | u32(p[3]) << 24;
        position += 4;
        return true;
    }

    bool ReadF32(float* out)
    {
        u32 bits = 0;
        if (!ReadU32(&bits))
            return false;
        std::memcpy(out, &bits, sizeof bits);
        return true;
    }

    // A u32 byte length followed by that many bytes.
    bool ReadString(std::string* out)
    {
        const size_t start = position;
        u32 length = 0;
        if (!ReadU32(&length))
            return false;
        if (Remaining() < length) {
            position = start;
            return false;
        }
        out->assign(reinterpret_cast<const char*>(data + position), length);
        position += length;
        return true;
    }

    // Whether `count` records of `recordSize` bytes each still fit; guards every count
    // read from a file before anything is allocated for it.
    bool Fits(u64 count, u64 recordSize) const
    {
        return recordSize == 0 || count <= Remaining() / recordSize;
    }

private:
    const u8* data;
    size_t size;
    size_t position = 0;
};

} // namespace lightwave
