#include "Core/Render/Buffer.h"
#include "Core/Render/Render.h"
#include <algorithm>

namespace render {

Buffer::Buffer(Render* renderer) : renderer(renderer)
{
    if (renderer)
        renderer->RegisterBuffer(this);
}

Buffer::~Buffer()
{
    if (renderer)
        renderer->UnregisterBuffer(this);
}

GEResultEnum Buffer::Take(u32 count, void** pointer, u32* got)
{
    if (IsUnavailable())
        return GE_FAIL;
    if (used >= capacity) {
        *pointer = nullptr;
        *got = 0;
        return GE_OK;
    }
    *pointer = data + static_cast<size_t>(elementSize) * used;
    *got = std::min(count, capacity - used);
    used += *got;
    return GE_OK;
}

} // namespace render
