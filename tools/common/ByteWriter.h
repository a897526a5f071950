#pragma once
// Appends the fields of a little-endian binary file to a byte vector: the one encoder
// of the writers behind the content tools. Header-only and free of engine code, so the
// platform layer's writers can use it as well.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace tools {

class ByteWriter {
public:
    explicit ByteWriter(std::vector<unsigned char>& out) : mOut(out) {}

    void U8(std::uint8_t value) { mOut.push_back(value); }
    void U32(std::uint32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8)
            mOut.push_back(static_cast<unsigned char>(value >> shift));
    }
    void F32(float value)
    {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        U32(bits);
    }
    // A u32 byte length followed by the bytes.
    void String(const std::string& text)
    {
        U32(static_cast<std::uint32_t>(text.size()));
        mOut.insert(mOut.end(), text.begin(), text.end());
    }
    // Runs of fields of one type, in file order.
    template <class... V> void U32s(V... values) { (U32(values), ...); }
    template <class... V> void F32s(V... values) { (F32(values), ...); }
    // The u32 element count that precedes a list in the file.
    template <class List> void Count(const List& list) { U32(static_cast<std::uint32_t>(list.size())); }
    void Bytes(const void* data, std::size_t size)
    {
        const auto* bytes = static_cast<const unsigned char*>(data);
        mOut.insert(mOut.end(), bytes, bytes + size);
    }

private:
    std::vector<unsigned char>& mOut;
};

} // namespace tools
