#pragma once
#include "Core/Base/Types.h"
#include "Core/Render/PendingImage.h"

#include <memory>

namespace render {

class Render;
class ImageData;

// A device texture: made from a decoded image, as a render target, or as a
// dynamic texture the CPU writes. It registers with its renderer for as long as
// it lives, so that default-pool textures can be released and recreated around
// a device loss.
class Texture {
public:
    explicit Texture(Render* renderer);
    virtual ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    virtual GEResultEnum CreateFromImage(ImageData& image) = 0;
    virtual GEResultEnum CreateRenderTarget(u32 w, u32 h) = 0;
    virtual GEResultEnum CreateDynamic(u32 w, u32 h) = 0;
    // Opacity-mask test for hit tests; false outside the texture.
    virtual bool IsOpaqueAt(int x, int y) = 0;
    virtual GEResultEnum Restore() = 0;
    virtual GEResultEnum ReleaseDeviceObjects() = 0;
    virtual GEResultEnum Lock(u32* words, u32* pitch, void** bits) = 0;
    virtual GEResultEnum Unlock() = 0;

    Render* GetRenderer() const { return renderer; }
    u32 GetWidth() const { return width; }
    u32 GetHeight() const { return height; }

    // A texture of that size whose image is decoded (CreateFromImage) only when it is
    // first used; until then it holds nothing.
    void Defer(u32 w, u32 h, std::unique_ptr<PendingImage> image);
    bool IsPending() const { return pending != nullptr; }
    // Decodes a deferred image now. One that fails to decode leaves the texture fully
    // transparent, so that it draws nothing and is hit nowhere (logged).
    GEResultEnum Decode();

protected:
    Render* renderer;
    u32 width = 0;
    u32 height = 0;
    u32 reserved = 0;
    std::unique_ptr<PendingImage> pending;
};

} // namespace render
