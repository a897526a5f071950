#pragma once
#include "Core/Base/Types.h"
#include "Core/Render/Math/Matrix3.h"

namespace render {
class VertexFormat;
}

namespace math {

// A lazy 2-D transform. In component mode it keeps p' = ((p + pre) x scale),
// rotated, + post, and builds its matrix only when needed; operations that cannot
// be expressed by the components switch it for good to matrix mode.
class Transform2D {
public:
    Transform2D() = default;

    void Reset();
    void Translate(float x, float y);
    void Rotate(float degrees);
    void Scale(float sx, float sy);
    void UpdateMatrix();
    void RotateMatrix(float radians);

    // Maps one point (x and y only).
    void TransformPoint(float* x, float* y);
    // Maps the x and y of the position element of `count` vertices laid out by
    // `format`; fails when the position has fewer than two components.
    GEResultEnum TransformVertices(void* vertices, const render::VertexFormat& format, u32 count);

    bool IsMatrixMode() const { return matrixMode != 0; }
    bool IsRotated() const { return rotated != 0; }
    bool IsScaled() const { return scaled != 0; }
    float PreX() const { return preX; }
    float PreY() const { return preY; }
    float PostX() const { return postX; }
    float PostY() const { return postY; }
    float ScaleX() const { return scaleX; }
    float ScaleY() const { return scaleY; }
    float Rotation() const { return rotation; }
    const Matrix3& GetMatrix() const { return matrix; }

private:
    void EnterMatrixMode();
    bool UsesMatrix() const { return matrixMode || rotated; }

    Matrix3 matrix;
    u8 dirty = 1;
    u8 matrixMode = 0;
    u8 rotated = 0;
    u8 scaled = 0;
    float preX = 0.0f, preY = 0.0f;
    float postX = 0.0f, postY = 0.0f;
    float scaleX = 1.0f, scaleY = 1.0f;
    float rotation = 0.0f;
};

} // namespace math
