#pragma once

namespace math {

// Three floats: a 3-D point or vector.
struct Point3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// Four floats; as a colour x, y, z, w hold r, g, b, a in 0..1.
struct Point4 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;
};

} // namespace math
