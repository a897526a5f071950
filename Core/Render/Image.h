#pragma once
// What drawing code holds of a texture: the texture resource (shared), the device
// texture it draws from (the atlas's when the image is an atlas member), its size
// and where it sits inside that texture.
#include "Core/Base/Types.h"
#include "Core/Resource/ResourceHandle.h"
#include "Core/Resource/ResourceTexture.h"

namespace render {

class Texture;

class Image {
public:
    Image() = default;
    // An image over a texture of its own, which it deletes.
    explicit Image(Texture* ownTexture);
    // An image of a texture resource (loaded or not); see Bind.
    explicit Image(const resource::ResourceHandle<resource::ResourceTexture>& resource);
    virtual ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    // Takes a reference on `resource`: size from its record (truncated), texture and
    // offset from the atlas it lives in, or its own texture.
    void Bind(const resource::ResourceHandle<resource::ResourceTexture>& resource);

    resource::ResourceTexture* GetResource() const { return resource.Get(); }
    Texture* GetTexture() const { return texture; }
    int GetWidth() const { return width; }
    int GetHeight() const { return height; }
    int GetOffsetX() const { return offsetX; }
    int GetOffsetY() const { return offsetY; }
    float GetScaleX() const { return scaleX; }
    float GetScaleY() const { return scaleY; }
    // True when the resource is a sub-rectangle of an atlas texture.
    bool IsInAtlas() const;

protected:
    resource::ResourceHandle<resource::ResourceTexture> resource;
    Texture* texture = nullptr; // owned only while no resource is held
    int width = 0;
    int height = 0;
    int offsetX = 0;
    int offsetY = 0;
    float scaleX = 1.0f;
    float scaleY = 1.0f;
};

} // namespace render
