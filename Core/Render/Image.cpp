#include "Core/Render/Image.h"
#include "Core/Render/Texture.h"

namespace render {

Image::Image(Texture* ownTexture) : texture(ownTexture)
{
    if (texture) {
        width = static_cast<int>(texture->GetWidth());
        height = static_cast<int>(texture->GetHeight());
    }
}

Image::Image(const resource::ResourceHandle<resource::ResourceTexture>& handle)
{
    Bind(handle);
}

Image::~Image()
{
    if (!resource)
        delete texture;
    texture = nullptr;
    resource.Reset();
}

bool Image::IsInAtlas() const
{
    return resource && resource->inAtlas;
}

void Image::Bind(const resource::ResourceHandle<resource::ResourceTexture>& handle)
{
    if (!resource)
        delete texture;
    texture = nullptr;
    resource = handle;
    width = height = offsetX = offsetY = 0;
    scaleX = scaleY = 1.0f;
    if (!resource)
        return;
    width = static_cast<int>(resource->width);
    height = static_cast<int>(resource->height);
    const resource::ResourceTexture* root = resource.Get();
    if (resource->inAtlas && resource->GetAtlas())
        root = resource->GetAtlas().Get();
    texture = root->GetTexture();
    if (!texture)
        return;
    const float w = static_cast<float>(texture->GetWidth());
    const float h = static_cast<float>(texture->GetHeight());
    offsetX = static_cast<int>(resource->u * w + 0.5f);
    offsetY = static_cast<int>(resource->v * h + 0.5f);
    // An empty atlas rectangle would divide by zero; such an image keeps scale 1.
    if (resource->du * w != 0.0f)
        scaleX = static_cast<float>(width) / (resource->du * w);
    if (resource->dv * h != 0.0f)
        scaleY = static_cast<float>(height) / (resource->dv * h);
}

} // namespace render
