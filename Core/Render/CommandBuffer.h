#pragma once
#include "Core/Base/MemoryStream.h"
#include "Core/Base/Types.h"

#include <cstdint>
#include <cstring>

namespace render {

// Codes of the recorded command stream. Each code is a u32 followed by its
// operands, little-endian and packed. Object operands are 64-bit addresses.
enum class Command : u32 {
    Clear = 0,           // u32 flags, 4 floats rgba, float z, u32 stencil
    BeginScene = 1,      //
    EndScene = 2,        //
    Present = 3,         //
    SetRenderTarget = 4, // u64 texture
    SetBackBuffer = 5,   //
    SetShader = 6,       // u64 shader program
    ShaderVariables = 7, // u64 shader program, u8 n, n x (u8 index, value)
    SetVertexFormat = 8, // u32 format id
    SetVertexStream = 9, // u64 vertex buffer
    SetIndices = 10,     // u64 index buffer
    SetBlendMode = 11,   // u32 mode
    EnableScissor = 12,  // u8 on
    SetScissorRect = 13, // 4 x i32 x, y, w, h in device pixels
    SetDepth = 14,       // u8 test, then u8 write only when test is non-zero
    Unused = 15,         // skipped on replay, like every code above End
    Draw = 16,           // u32 type, u32 start vertex, u32 primitive count
    DrawIndexed = 17,    // u32 type, u32 index size, u32 start index, u32 count, u32 min vertex, u32 span
    End = 18,            //
};

// The in-memory stream that a frame's device operations are recorded into and
// replayed from. It is reused every frame; the end code delimits the frame, so
// it never shrinks and grows by half its size (or to need + 1024) when full.
class CommandBuffer : public base::MemoryStream {
public:
    CommandBuffer();

    void SetCapacity(u32 size, bool keep) override;

    // Writers: true when every byte was written.
    bool PutCode(Command code) { return PutU32(static_cast<u32>(code)); }
    bool PutU32(u32 value) { return PutBytes(&value, sizeof value); }
    bool PutI32(i32 value) { return PutBytes(&value, sizeof value); }
    bool PutU8(u8 value) { return PutBytes(&value, sizeof value); }
    bool PutFloat(float value) { return PutBytes(&value, sizeof value); }
    bool PutAddress(const void* object)
    {
        const u64 value = reinterpret_cast<std::uintptr_t>(object);
        return PutBytes(&value, sizeof value);
    }
    // Inline while the bytes fit, as every command's operands are written and read one by
    // one; growing, and a read cut short, go through the stream.
    bool PutBytes(const void* bytes, u32 count)
    {
        if (count <= size - position) {
            std::memcpy(buffer + position, bytes, count);
            position += count;
            return true;
        }
        return Write(bytes, count) == count;
    }

    // Readers: true when every byte was there.
    bool GetU32(u32* value) { return GetBytes(value, sizeof *value); }
    bool GetI32(i32* value) { return GetBytes(value, sizeof *value); }
    bool GetU8(u8* value) { return GetBytes(value, sizeof *value); }
    bool GetFloat(float* value) { return GetBytes(value, sizeof *value); }
    bool GetAddress(void** object)
    {
        u64 value = 0;
        if (!GetBytes(&value, sizeof value))
            return false;
        *object = reinterpret_cast<void*>(static_cast<std::uintptr_t>(value));
        return true;
    }
    bool GetBytes(void* bytes, u32 count)
    {
        if (count <= size - position) {
            std::memcpy(bytes, buffer + position, count);
            position += count;
            return true;
        }
        return Read(bytes, count) == count;
    }

    // Back to the start: what was recorded is dropped.
    bool Rewind() { return Seek(0, base::SeekBegin) == 0; }
};

} // namespace render
