#pragma once
// An invisible rectangle that only takes pointer events; every frame's layer is one.
#include "Framework/Layer/Layer.h"

namespace layer {

struct Rect {
    float x = 0.0f, y = 0.0f, w = 0.0f, h = 0.0f;
};

class RectHitLayer : public Layer {
public:
    RectHitLayer();
    explicit RectHitLayer(const Rect& rect);

    void SetRect(const Rect& newRect);
    const Rect& GetRect() const { return rect; }

    void UpdateBounds() override;
    bool HitTestPoint(const math::Point3& local) override;

private:
    Rect rect;
};

} // namespace layer
