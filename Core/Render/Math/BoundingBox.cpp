#include "Core/Render/Math/BoundingBox.h"
#include <algorithm>
#include <cfloat>

namespace math {

void BoundingBox::Reset()
{
    min = Point3{FLT_MAX, FLT_MAX, FLT_MAX};
    max = Point3{-FLT_MAX, -FLT_MAX, -FLT_MAX};
}

void BoundingBox::AddPoint(const Point3& p)
{
    min.x = std::min(min.x, p.x);
    min.y = std::min(min.y, p.y);
    min.z = std::min(min.z, p.z);
    max.x = std::max(max.x, p.x);
    max.y = std::max(max.y, p.y);
    max.z = std::max(max.z, p.z);
}

void BoundingBox::GetCorner(int index, Point3* out) const
{
    switch (index) {
    case 0:
        *out = Point3{min.x, min.y, min.z};
        break;
    case 1:
        *out = Point3{min.x, min.y, max.z};
        break;
    case 2:
        *out = Point3{max.x, min.y, max.z};
        break;
    case 3:
        *out = Point3{max.x, min.y, min.z};
        break;
    case 4:
        *out = Point3{max.x, max.y, max.z};
        break;
    case 5:
        *out = Point3{min.x, max.y, max.z};
        break;
    case 6:
        *out = Point3{min.x, max.y, min.z};
        break;
    case 7:
        *out = Point3{max.x, max.y, min.z};
        break;
    default:
        *out = Point3{};
        break;
    }
}

} // namespace math
