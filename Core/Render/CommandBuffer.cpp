#include "Core/Render/CommandBuffer.h"
#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>

namespace render {

// The stream is raw host memory written and read by the same process.
static_assert(std::endian::native == std::endian::little, "the command stream is little-endian");

namespace {

const u8 kNoBytes = 0;

} // namespace

CommandBuffer::CommandBuffer() : base::MemoryStream(&kNoBytes, 0) {}

void CommandBuffer::SetCapacity(u32 size, bool keep)
{
    const u64 grown = static_cast<u64>(this->size) * 3 / 2;
    u64 capacity = size >= grown ? static_cast<u64>(size) + 1024 : grown;
    capacity = std::min<u64>(capacity, std::numeric_limits<u32>::max());
    base::MemoryStream::SetCapacity(static_cast<u32>(capacity), keep);
}

} // namespace render
