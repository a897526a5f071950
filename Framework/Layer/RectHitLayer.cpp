#include "Framework/Layer/RectHitLayer.h"

namespace layer {

RectHitLayer::RectHitLayer()
{
    hasLocalBounds = true;
    localBoundsValid = false;
}

RectHitLayer::RectHitLayer(const Rect& rect) : RectHitLayer()
{
    this->rect = rect;
}

void RectHitLayer::SetRect(const Rect& newRect)
{
    rect = newRect;
    InvalidateLocalBounds();
}

void RectHitLayer::UpdateBounds()
{
    localBounds.min = math::Point3{rect.x, rect.y, 0.0f};
    localBounds.max = math::Point3{rect.x + rect.w, rect.y + rect.h, 0.0f};
}

bool RectHitLayer::HitTestPoint(const math::Point3&)
{
    return true;
}

} // namespace layer
