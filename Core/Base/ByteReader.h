#pragma once
// Little-endian fields of the engine's own binary files (archive index, animation data,
// mesh libraries): loads and stores of single values, and a reader over a block held in
// memory. Every read of the reader is checked against the bytes that remain; a short
// read leaves the output untouched and returns false, so callers can stop at the first.
#include "Core/Base/Types.h"
#include <cstddef>
#include <string>

namespace base {

inline u16 GetU16LE(const u8* p)
{
    return static_cast<u16>(p[0] | p[1] << 8);
}

inline u32 GetU32LE(const u8* p)
{
    return static_cast<u32>(p[0]) | static_cast<u32>(p[1]) << 8 | static_cast<u32>(p[2]) << 16 |
           static_cast<u32>(p[3]) << 24;
}

inline void PutU16LE(u8* p, u16 value)
{
    p[0] = static_cast<u8>(value);
    p[1] = static_cast<u8>(value >> 8);
}

inline void PutU32LE(u8* p, u32 value)
{
    p[0] = static_cast<u8>(value);
    p[1] = static_cast<u8>(value >> 8);
    p[2] = static_cast<u8>(value >> 16);
    p[3] = static_cast<u8>(value >> 24);
}

class ByteReader {
public:
    ByteReader(const u8* data, size_t size) : data(data), size(data ? size : 0) {}

    size_t Remaining() const { return size - position; }
    size_t Position() const { return position; }

    bool ReadU32(u32* out);
    bool ReadF32(float* out);
    // A u32 byte length followed by that many bytes; a short one consumes nothing.
    bool ReadString(std::string* out);

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

} // namespace base
