#pragma once
// A big-endian reader over the bytes of one block. Reads past the end deliver zeros
// and mark the cursor overrun, so loops driven by counts from the file stop there.
#include "Core/Base/Types.h"
#include <string>
#include <vector>

class PsdCursor {
public:
    PsdCursor(const u8* data, u32 size) : data(data), size(size) {}

    u32 Position() const { return position; }
    u32 Size() const { return size; }
    u32 Remaining() const { return position < size ? size - position : 0; }
    bool Overrun() const { return overrun; }
    const u8* Data() const { return data; }
    const u8* Here() const { return data + (position < size ? position : size); }

    // Copies up to `count` bytes; the rest of `dest` is zeroed. Returns bytes copied.
    u32 Bytes(void* dest, u32 count);
    void Skip(u64 count);
    void SeekTo(u32 offset);
    u8 U8();
    u16 U16();
    u32 U32();
    i32 I32() { return static_cast<i32>(U32()); }
    double Double();
    // A colour record: u16 space and four u16 components, as 0xAARRGGBB.
    u32 Color();
    // A blend key after its "8BIM" signature (checked by the caller).
    u32 BlendKey();
    // A descriptor key: u32 length then that many characters, or a four-character
    // code when the length is 0. Longer keys than `maxLength` are consumed whole and
    // kept cut to `maxLength` characters.
    std::string Key(u32 maxLength = 255);
    // u32 count of UTF-16 units and the units.
    std::wstring Unicode();

private:
    bool Take(u64 count);

    const u8* data;
    u32 size;
    u32 position = 0;
    bool overrun = false;
};
