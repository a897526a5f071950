#include "Framework/Layer/Drawable.h"
#include <cmath>

namespace layer {

bool BoxesEqual(const math::BoundingBox& a, const math::BoundingBox& b)
{
    auto close = [](float x, float y) { return std::fabs(x - y) <= kBoundsTolerance; };
    return close(a.min.x, b.min.x) && close(a.min.y, b.min.y) && close(a.min.z, b.min.z) &&
           close(a.max.x, b.max.x) && close(a.max.y, b.max.y) && close(a.max.z, b.max.z);
}

GEResultEnum Drawable::Draw(render::Graphics*)
{
    return GE_OK;
}

void Drawable::MarkMoved()
{
    transformChanged = true;
    subtreeBoundsValid = false;
}

void Drawable::SetPosition(float x, float y, float z)
{
    position = math::Point3{x, y, z};
    MarkMoved();
}

void Drawable::SetX(float x)
{
    position.x = x;
    MarkMoved();
}

void Drawable::SetY(float y)
{
    position.y = y;
    MarkMoved();
}

void Drawable::SetZ(float z)
{
    position.z = z;
    MarkMoved();
}

void Drawable::SetRotation(float x, float y, float z)
{
    rotation = math::Point3{x, y, z};
    MarkMoved();
}

void Drawable::SetScale(float x, float y, float z)
{
    scale = math::Point3{x, y, z};
    MarkMoved();
}

void Drawable::InvalidateLocalBounds()
{
    localBoundsValid = false;
    subtreeBoundsValid = false;
}

} // namespace layer
