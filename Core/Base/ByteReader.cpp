#include "Core/Base/ByteReader.h"
#include <cstring>

namespace base {

bool ByteReader::ReadU32(u32* out)
{
    if (Remaining() < 4)
        return false;
    *out = GetU32LE(data + position);
    position += 4;
    return true;
}

bool ByteReader::ReadF32(float* out)
{
    u32 bits = 0;
    if (!ReadU32(&bits))
        return false;
    std::memcpy(out, &bits, sizeof bits);
    return true;
}

bool ByteReader::ReadString(std::string* out)
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

} // namespace base
