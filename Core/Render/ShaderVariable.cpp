#include "Core/Render/ShaderVariable.h"
#include "Core/Render/ShaderImpl.h"
#include <cstdint>

namespace render {

void ShaderVariable::MarkChanged()
{
    dirty = 1;
    if (owner)
        owner->MarkDirty();
}

GEResultEnum ShaderVariable::WriteAddress(base::Stream& stream, const void* address)
{
    const u64 value = reinterpret_cast<std::uintptr_t>(address);
    return stream.Write(&value, sizeof value) == sizeof value ? GE_OK : GE_FAIL;
}

GEResultEnum ShaderVariable::ReadAddress(base::Stream& stream, void** address)
{
    u64 value = 0;
    if (stream.Read(&value, sizeof value) != sizeof value)
        return GE_FAIL;
    *address = reinterpret_cast<void*>(static_cast<std::uintptr_t>(value));
    return GE_OK;
}

} // namespace render
