#pragma once
#include "Core/Base/Types.h"
#include "Core/Render/Math/Matrix4.h"
#include "Core/Render/Math/Point4.h"

namespace render {
class VertexFormat;
}

namespace math {

// A lazy 3-D transform carried by layers and drawing contexts. Component form:
// p' = ((p + pre) x scale) x R(euler) + post; anything else goes to matrix mode.
class Transform3D {
public:
    Transform3D() { Reset(); }

    void Reset();
    void Translate(float x, float y, float z);
    void Rotate(float ax, float ay, float az);
    void Scale(float sx, float sy, float sz);
    void Append(const Transform3D& child);
    void Multiply(const Matrix4& m);
    void UpdateMatrix();

    // Maps one point as a row vector.
    void TransformPoint(Point3* p);
    // Maps the position element (x, y and, when present, z) of `count` vertices
    // laid out by `format`; fails when the position has fewer than two components.
    GEResultEnum TransformVertices(void* vertices, const render::VertexFormat& format, u32 count);

    // The Euler rotation matrix E(ax, ay, az), radians.
    static Matrix4 EulerMatrix(float ax, float ay, float az);

    bool IsMatrixMode() const { return matrixMode != 0; }
    bool IsRotated() const { return rotated != 0; }
    bool IsScaled() const { return scaled != 0; }
    const Point3& Pre() const { return pre; }
    const Point3& Post() const { return post; }
    const Point3& GetScale() const { return scale; }
    const Point3& Euler() const { return euler; }
    const Matrix4& GetMatrix() const { return matrix; }

private:
    void EnterMatrixMode();
    void ScaleColumns(float sx, float sy, float sz);

    u8 matrixMode = 0;
    u8 rotated = 0;
    u8 scaled = 0;
    Point3 pre;
    Point3 post;
    Point3 scale{1.0f, 1.0f, 1.0f};
    Point3 euler;
    Matrix4 matrix;
    u8 dirty = 1;
};

} // namespace math
