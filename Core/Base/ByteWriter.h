#pragma once
// Little-endian fields of the engine's own binary files, appended to a byte vector: the
// writing side of ByteReader, used by the writers of particle files, animation data and
// mesh libraries. Header-only, so the platform layer and the tools use it without
// linking the engine.
#include "Core/Base/Types.h"
#include <cstring>
#include <string>
#include <vector>

namespace base {

class ByteWriter {
public:
    explicit ByteWriter(std::vector<u8>& out) : mOut(out) {}

    void U8(u8 value) { mOut.push_back(value); }
    void U32(u32 value)
    {
        for (int shift = 0; shift < 32; shift += 8)
            mOut.push_back(static_cast<u8>(value >> shift));
    }
    void F32(float value)
    {
        u32 bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        U32(bits);
    }
    // A u32 byte length followed by the bytes (ByteReader::ReadString).
    void String(const std::string& text)
    {
        U32(static_cast<u32>(text.size()));
        mOut.insert(mOut.end(), text.begin(), text.end());
    }
    // Runs of fields of one type, in file order.
    template <class... V> void U32s(V... values) { (U32(values), ...); }
    template <class... V> void F32s(V... values) { (F32(values), ...); }
    // The u32 element count that precedes a list in the file.
    template <class List> void Count(const List& list) { U32(static_cast<u32>(list.size())); }
    void Bytes(const void* data, size_t size)
    {
        const auto* bytes = static_cast<const u8*>(data);
        mOut.insert(mOut.end(), bytes, bytes + size);
    }

private:
    std::vector<u8>& mOut;
};

} // namespace base
