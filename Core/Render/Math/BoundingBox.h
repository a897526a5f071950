#pragma once
#include "Core/Render/Math/Point4.h"

namespace math {

// Axis-aligned box; the empty box has min = +FLT_MAX and max = -FLT_MAX, so that
// the first point added sets both.
struct BoundingBox {
    Point3 min;
    Point3 max;

    BoundingBox() { Reset(); }
    void Reset();
    bool IsEmpty() const { return min.x > max.x || min.y > max.y || min.z > max.z; }
    void AddPoint(const Point3& p);
    // Corners 0..7 in the engine's fixed order; any other index gives (0, 0, 0).
    void GetCorner(int index, Point3* out) const;
};

} // namespace math
