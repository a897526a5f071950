#pragma once

namespace math {

// Row-major 4x4 floats; points are row vectors (p' = p x M), so the translation
// sits in m[3][0..2] (elements 12, 13, 14).
struct Matrix4 {
    float m[4][4] = {};

    static Matrix4 Identity();
    // out = a x b; `out` may alias either operand.
    static void Multiply(const Matrix4& a, const Matrix4& b, Matrix4* out);

    float& operator[](int element) { return m[element / 4][element % 4]; }
    float operator[](int element) const { return m[element / 4][element % 4]; }
    bool operator==(const Matrix4&) const = default;
};

} // namespace math
