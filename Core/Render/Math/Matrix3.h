#pragma once

namespace math {

// Row-major 3x3 floats for 2-D transforms; points are column vectors
// (x' = m[0][0] x + m[0][1] y + m[0][2]).
struct Matrix3 {
    float m[3][3] = {};

    static Matrix3 Identity();
    static Matrix3 Translation(float x, float y);
    // out = a x b; `out` may alias either operand.
    static void Multiply(const Matrix3& a, Matrix3* out, const Matrix3& b);
};

} // namespace math
