#include "Core/Render/Buffer.h"
#include "Core/Render/Render.h"

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

} // namespace render
