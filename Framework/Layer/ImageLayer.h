#pragma once
// An image placed by its alignment, hit-tested against the texture's opacity mask.
#include "Framework/Layer/Layer.h"
#include <string>

namespace base {
class ImageInfo;
}
namespace file {
class ImageContainer;
}
namespace render {
class Render;
}

namespace render {
class Image;
}

namespace layer {

class ImageLayer : public Layer {
public:
    enum HAlign : int { Left = 0, Right = 1, HCenter = 2 };
    enum VAlign : int { Top = 0, Bottom = 1, VCenter = 2 };

    ImageLayer();
    ~ImageLayer() override;

    // A new layer owning the texture image of `name` (inside `container` when given),
    // standing at the image's x, y; `info` receives the image's record. A load
    // failure is returned and no layer is made.
    static GEResultEnum CreateFromTexture(render::Render* renderer, const std::wstring& name,
                                          file::ImageContainer* container, ImageLayer** out,
                                          base::ImageInfo* info = nullptr);

    // Releases the previous image when the layer owned it.
    void SetImage(render::Image* newImage, bool owns);
    render::Image* GetImage() const { return image; }
    void SetAlign(int h, int v);

    GEResultEnum Draw(render::Graphics* g) override;
    void UpdateBounds() override;
    bool HitTestPoint(const math::Point3& local) override;

    render::Image* image = nullptr;
    bool ownsImage = false;
    int hAlign = Left;
    int vAlign = Top;
};

} // namespace layer
