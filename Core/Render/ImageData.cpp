#include "Core/Render/ImageData.h"

namespace render {

u32 ImageData::GetDataSize()
{
    if (width <= 0 || height <= 0)
        return 0;
    return static_cast<u32>(width) * static_cast<u32>(height) * 4u;
}

} // namespace render
