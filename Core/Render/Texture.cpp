#include "Core/Render/Texture.h"
#include "Core/Render/Render.h"

namespace render {

Texture::Texture(Render* renderer) : renderer(renderer)
{
    if (renderer)
        renderer->RegisterTexture(this);
}

Texture::~Texture()
{
    if (renderer)
        renderer->UnregisterTexture(this);
}

} // namespace render
