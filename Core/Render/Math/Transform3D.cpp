#include "Core/Render/Math/Transform3D.h"
#include "Core/Render/VertexFormat.h"
#include <cmath>
#include <cstring>

namespace math {

namespace {

constexpr float kNegligible = 0.0002f;

bool Negligible(const Point3& p)
{
    return std::fabs(p.x) <= kNegligible && std::fabs(p.y) <= kNegligible && std::fabs(p.z) <= kNegligible;
}

bool IsZero(const Point3& p)
{
    return p.x == 0.0f && p.y == 0.0f && p.z == 0.0f;
}

} // namespace

void Transform3D::Reset()
{
    dirty = 1;
    matrixMode = rotated = scaled = 0;
    pre = Point3{};
    post = Point3{};
    scale = Point3{1.0f, 1.0f, 1.0f};
    euler = Point3{};
}

Matrix4 Transform3D::EulerMatrix(float ax, float ay, float az)
{
    const double cx = std::cos(double(ax)), sx = std::sin(double(ax));
    const double cy = std::cos(double(ay)), sy = std::sin(double(ay));
    const double cz = std::cos(double(az)), sz = std::sin(double(az));
    Matrix4 e;
    e.m[0][0] = float(cz * cy + sz * sx * sy);
    e.m[0][1] = float(sz * cx);
    e.m[0][2] = float(sz * sx * cy - cz * sy);
    e.m[1][0] = float(cz * sx * sy - sz * cy);
    e.m[1][1] = float(cz * cx);
    e.m[1][2] = float(sz * sy + cz * sx * cy);
    e.m[2][0] = float(cx * sy);
    e.m[2][1] = float(-sx);
    e.m[2][2] = float(cx * cy);
    e.m[3][3] = 1.0f;
    return e;
}

void Transform3D::EnterMatrixMode()
{
    UpdateMatrix();
    matrixMode = 1;
}

void Transform3D::ScaleColumns(float sx, float sy, float sz)
{
    for (auto& row : matrix.m) {
        row[0] *= sx;
        row[1] *= sy;
        row[2] *= sz;
    }
}

void Transform3D::Translate(float x, float y, float z)
{
    if (matrixMode) {
        matrix.m[3][0] += x;
        matrix.m[3][1] += y;
        matrix.m[3][2] += z;
        return;
    }
    dirty = 1;
    Point3& target = (!rotated && !scaled) ? pre : post;
    target.x += x;
    target.y += y;
    target.z += z;
}

void Transform3D::Rotate(float ax, float ay, float az)
{
    if (!matrixMode && !scaled && !rotated) {
        euler.x += ax;
        euler.y += ay;
        euler.z += az;
        dirty = 1;
        rotated = 1;
        return;
    }
    EnterMatrixMode();
    Matrix4::Multiply(matrix, EulerMatrix(ax, ay, az), &matrix);
}

void Transform3D::Scale(float sx, float sy, float sz)
{
    if (!matrixMode && !rotated && IsZero(post) && sx >= 0.0f && sy >= 0.0f && sz >= 0.0f) {
        scale.x *= sx;
        scale.y *= sy;
        scale.z *= sz;
        dirty = 1;
        scaled = 1;
        return;
    }
    EnterMatrixMode();
    ScaleColumns(sx, sy, sz);
}

void Transform3D::Multiply(const Matrix4& m)
{
    EnterMatrixMode();
    Matrix4::Multiply(matrix, m, &matrix);
}

void Transform3D::Append(const Transform3D& child)
{
    if (child.matrixMode) {
        Transform3D current = child;
        current.UpdateMatrix();
        Multiply(current.matrix);
        return;
    }
    if (!IsZero(child.pre))
        Translate(child.pre.x, child.pre.y, child.pre.z);
    if (child.scaled)
        Scale(child.scale.x, child.scale.y, child.scale.z);
    if (child.rotated)
        Rotate(child.euler.x, child.euler.y, child.euler.z);
    if (!IsZero(child.post))
        Translate(child.post.x, child.post.y, child.post.z);
}

void Transform3D::UpdateMatrix()
{
    if (!dirty)
        return;
    dirty = 0;
    matrix = Matrix4::Identity();
    matrix.m[3][0] = pre.x;
    matrix.m[3][1] = pre.y;
    matrix.m[3][2] = pre.z;
    if (scaled)
        ScaleColumns(scale.x, scale.y, scale.z);
    else if (rotated)
        Matrix4::Multiply(matrix, EulerMatrix(euler.x, euler.y, euler.z), &matrix);
    if (!IsZero(post)) {
        matrix.m[3][0] += post.x;
        matrix.m[3][1] += post.y;
        matrix.m[3][2] += post.z;
    }
}

void Transform3D::TransformPoint(Point3* p)
{
    if (matrixMode || rotated) {
        UpdateMatrix();
        const Point3 q = *p;
        const auto& m = matrix.m;
        p->x = q.x * m[0][0] + q.y * m[1][0] + q.z * m[2][0] + m[3][0];
        p->y = q.x * m[0][1] + q.y * m[1][1] + q.z * m[2][1] + m[3][1];
        p->z = q.x * m[0][2] + q.y * m[1][2] + q.z * m[2][2] + m[3][2];
        return;
    }
    if (!Negligible(pre)) {
        p->x += pre.x;
        p->y += pre.y;
        p->z += pre.z;
    }
    if (scaled) {
        p->x *= scale.x;
        p->y *= scale.y;
        p->z *= scale.z;
    }
    if (!Negligible(post)) {
        p->x += post.x;
        p->y += post.y;
        p->z += post.z;
    }
}

GEResultEnum Transform3D::TransformVertices(void* vertices, const render::VertexFormat& format, u32 count)
{
    const u32 components = format.position.components;
    if (components < 2)
        return GE_FAIL;
    // A 2-component position is taken at z = 0 and keeps no z.
    const size_t bytes = (components >= 3 ? 3 : 2) * sizeof(float);
    u8* v = static_cast<u8*>(vertices) + format.position.offset;
    for (u32 i = 0; i < count; ++i, v += format.stride) {
        float xyz[3] = {0.0f, 0.0f, 0.0f};
        std::memcpy(xyz, v, bytes);
        Point3 p{xyz[0], xyz[1], xyz[2]};
        TransformPoint(&p);
        xyz[0] = p.x;
        xyz[1] = p.y;
        xyz[2] = p.z;
        std::memcpy(v, xyz, bytes);
    }
    return GE_OK;
}

} // namespace math
