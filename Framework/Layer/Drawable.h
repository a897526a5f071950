#pragma once
// The drawable part of every layer: transform components, opacity, colour and the
// three levels of bounds that the hit walk reads.
#include "Core/Base/Types.h"
#include "Core/Render/Math/BoundingBox.h"
#include "Core/Render/Math/Point4.h"
#include "Core/Render/Math/Transform3D.h"

namespace render {
class Graphics;
}

namespace layer {

// Positions and bounds are compared with this tolerance.
constexpr float kBoundsTolerance = 0.0002f;

// Boxes are equal when every component differs by at most the tolerance.
bool BoxesEqual(const math::BoundingBox& a, const math::BoundingBox& b);

class Drawable {
public:
    Drawable() = default;
    Drawable(const Drawable&) = delete;
    Drawable& operator=(const Drawable&) = delete;
    virtual ~Drawable() = default;

    // Draws the layer itself (not its children); nothing in a bare layer.
    virtual GEResultEnum Draw(render::Graphics* g);

    // Each setter marks the transform changed and the subtree bounds invalid.
    void SetPosition(float x, float y, float z);
    void SetX(float x);
    void SetY(float y);
    void SetZ(float z);
    void SetRotation(float x, float y, float z);
    void SetScale(float x, float y, float z);
    // Content of the layer changed: its own extent must be measured again.
    void InvalidateLocalBounds();
    void InvalidateSubtreeBounds() { subtreeBoundsValid = false; }

    math::Point3 position;
    math::Point3 rotation;
    math::Point3 scale{1.0f, 1.0f, 1.0f};
    float opacity = 1.0f;
    bool visible = true;
    bool hitEnabled = true;
    bool transformChanged = false;
    bool tint = false;
    math::Point4 color{1.0f, 1.0f, 1.0f, 1.0f};
    float tintAmount = 0.0f;
    bool secondBlend = false;
    math::Transform3D transform;
    bool hasLocalBounds = false;
    bool localBoundsValid = true;
    math::BoundingBox localBounds;
    math::BoundingBox subtreeBounds;
    bool subtreeBoundsValid = true;
    math::BoundingBox parentBounds;

protected:
    void MarkMoved();
};

} // namespace layer
