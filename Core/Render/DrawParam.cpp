#include "Core/Render/DrawParam.h"
#include "Core/Render/VertexFormat.h"
#include <cstring>

namespace render {

GEResultEnum TranslateVertices(void* vertices, const VertexFormat& format, u32 count, float x, float y)
{
    const u32 components = format.position.components;
    if (components != 3 && components != 4)
        return GE_OK;
    u8* v = static_cast<u8*>(vertices) + format.position.offset;
    for (u32 i = 0; i < count; ++i, v += format.stride) {
        float xy[2];
        std::memcpy(xy, v, sizeof xy);
        xy[0] += x;
        xy[1] += y;
        std::memcpy(v, xy, sizeof xy);
    }
    return GE_OK;
}

} // namespace render
