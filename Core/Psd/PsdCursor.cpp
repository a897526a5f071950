#include "Core/Psd/PsdCursor.h"

#include "Core/Psd/PsdDocument.h"
#include "Core/Psd/PsdReader.h"
#include <cstring>

bool PsdCursor::Take(u64 count)
{
    if (count > Remaining()) {
        position = size;
        overrun = true;
        return false;
    }
    return true;
}

u32 PsdCursor::Bytes(void* dest, u32 count)
{
    const u32 n = count < Remaining() ? count : Remaining();
    if (n)
        std::memcpy(dest, data + position, n);
    if (n < count) {
        std::memset(static_cast<u8*>(dest) + n, 0, count - n);
        overrun = true;
    }
    position += n;
    return n;
}

void PsdCursor::Skip(u64 count)
{
    if (Take(count))
        position += static_cast<u32>(count);
}

void PsdCursor::SeekTo(u32 offset)
{
    if (offset > size) {
        position = size;
        overrun = true;
    } else {
        position = offset;
    }
}

u8 PsdCursor::U8()
{
    if (!Take(1))
        return 0;
    return data[position++];
}

u16 PsdCursor::U16()
{
    if (!Take(2))
        return 0;
    const u16 v = PsdGetU16(data + position);
    position += 2;
    return v;
}

u32 PsdCursor::U32()
{
    if (!Take(4))
        return 0;
    const u32 v = PsdGetU32(data + position);
    position += 4;
    return v;
}

double PsdCursor::Double()
{
    if (!Take(8))
        return 0.0;
    const double v = PsdGetDouble(data + position);
    position += 8;
    return v;
}

u32 PsdCursor::Color()
{
    const i16 space = static_cast<i16>(U16());
    u16 raw[4];
    for (u16& c : raw)
        c = U16();
    return PsdColorRecordToArgb(space, raw);
}

u32 PsdCursor::BlendKey()
{
    if (Remaining() < 4) {
        Skip(4);
        return PSD_BLEND_NORMAL;
    }
    return PsdBlendModeFromKey(U32());
}

std::string PsdCursor::Key(u32 maxLength)
{
    u32 length = U32();
    if (length == 0)
        length = 4;
    std::string key;
    const u32 kept = length < maxLength ? length : maxLength;
    const u32 available = kept < Remaining() ? kept : Remaining();
    key.assign(reinterpret_cast<const char*>(Here()), available);
    Skip(length);
    return key;
}

std::wstring PsdCursor::Unicode()
{
    const u32 count = U32();
    std::wstring text;
    if (u64(count) * 2 > Remaining()) {
        Skip(u64(count) * 2);
        return text;
    }
    text.reserve(count);
    std::vector<u8> bytes(Here(), Here() + count * 2);
    Skip(u64(count) * 2);
    text = PsdUtf16ToWide(bytes);
    // Descriptor strings carry a terminating zero unit.
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return text;
}
