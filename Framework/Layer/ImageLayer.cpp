#include "Framework/Layer/ImageLayer.h"
#include "Core/Render/Graphics.h"
#include "Core/Base/ImageInfo.h"
#include "Core/Render/Image.h"
#include "Core/Render/Render.h"
#include "Core/Render/Texture.h"
#include "Framework/Layer/DrawScope.h"

namespace layer {

ImageLayer::ImageLayer()
{
    hasLocalBounds = true;
    localBoundsValid = false;
}

ImageLayer::~ImageLayer()
{
    if (ownsImage)
        delete image;
}

GEResultEnum ImageLayer::CreateFromTexture(render::Render* renderer, const std::wstring& name,
                                           file::ImageContainer* container, ImageLayer** out, base::ImageInfo* info)
{
    if (!renderer || !out)
        return GE_FAIL;
    render::Image* loaded = nullptr;
    base::ImageInfo record;
    if (GEResultEnum result = renderer->LoadTexture(name, container, &loaded, &record))
        return result;
    auto* made = new ImageLayer;
    made->SetImage(loaded, true);
    if (made->position.x != record.x)
        made->SetX(record.x);
    if (made->position.y != record.y)
        made->SetY(record.y);
    if (info)
        *info = record;
    *out = made;
    return GE_OK;
}

void ImageLayer::SetImage(render::Image* newImage, bool owns)
{
    if (ownsImage && image != newImage)
        delete image;
    image = newImage;
    ownsImage = owns;
    InvalidateLocalBounds();
}

void ImageLayer::SetAlign(int h, int v)
{
    hAlign = h;
    vAlign = v;
    InvalidateLocalBounds();
}

GEResultEnum ImageLayer::Draw(render::Graphics* g)
{
    if (!g || !image)
        return GE_OK;
    DrawScope scope(g, *this, secondBlend);
    g->DrawImage(image).SetAlign(u32(hAlign), u32(vAlign));
    return GE_OK;
}

void ImageLayer::UpdateBounds()
{
    localBounds.Reset();
    if (!image)
        return;
    const float w = float(image->GetWidth());
    const float h = float(image->GetHeight());
    float x0 = 0.0f, y0 = 0.0f;
    if (hAlign == Right)
        x0 = -w;
    else if (hAlign == HCenter)
        x0 = -w / 2;
    if (vAlign == Bottom)
        y0 = -h;
    else if (vAlign == VCenter)
        y0 = -h / 2;
    localBounds.min = math::Point3{x0, y0, 0.0f};
    localBounds.max = math::Point3{x0 + w, y0 + h, 0.0f};
}

bool ImageLayer::HitTestPoint(const math::Point3& local)
{
    if (!image || !image->GetTexture())
        return false;
    const int w = image->GetWidth();
    const int h = image->GetHeight();
    float x = local.x;
    float y = local.y;
    if (hAlign == Right)
        x += float(w);
    else if (hAlign == HCenter)
        x += float(w) * 0.5f;
    if (vAlign == Bottom)
        y += float(h);
    else if (vAlign == VCenter)
        y += float(h) * 0.5f;
    int ix = int(x + 0.5f);
    int iy = int(y + 0.5f);
    if (ix < 0 || ix >= w || iy < 0 || iy >= h)
        return false;
    if (image->IsInAtlas()) {
        ix = int(float(ix) * image->GetScaleX() + float(image->GetOffsetX()) + 0.5f);
        iy = int(float(iy) * image->GetScaleY() + float(image->GetOffsetY()) + 0.5f);
    }
    return image->GetTexture()->IsOpaqueAt(ix, iy);
}

} // namespace layer
