#include "Core/Render/Math/Transform2D.h"
#include "Core/Render/VertexFormat.h"
#include <cmath>
#include <cstring>

namespace math {

namespace {

// Offsets this small are treated as none when applied to vertices.
constexpr float kNegligible = 0.0002f;

bool Negligible(float x, float y)
{
    return std::fabs(x) <= kNegligible && std::fabs(y) <= kNegligible;
}

} // namespace

void Transform2D::Reset()
{
    dirty = 1;
    matrixMode = rotated = scaled = 0;
    preX = preY = postX = postY = 0.0f;
    scaleX = scaleY = 1.0f;
    rotation = 0.0f;
}

void Transform2D::EnterMatrixMode()
{
    UpdateMatrix();
    matrixMode = 1;
}

void Transform2D::Translate(float x, float y)
{
    if (matrixMode) {
        Matrix3::Multiply(Matrix3::Translation(x, y), &matrix, matrix);
        return;
    }
    dirty = 1;
    if (!rotated && !scaled) {
        preX += x;
        preY += y;
    } else {
        postX += x;
        postY += y;
    }
}

void Transform2D::Rotate(float degrees)
{
    const float r = degrees * 3.1415927f / 180.0f;
    if (!matrixMode && !scaled) {
        rotation += r;
        dirty = 1;
        rotated = 1;
        return;
    }
    EnterMatrixMode();
    RotateMatrix(r);
}

void Transform2D::Scale(float sx, float sy)
{
    const bool keepComponents = !matrixMode && !rotated && preX == 0.0f && preY == 0.0f && sy >= 0.0f &&
                                (sx >= 0.0f || scaleX * sx == -1.0f);
    if (keepComponents) {
        scaleX *= sx;
        scaleY *= sy;
        dirty = 1;
        scaled = 1;
        return;
    }
    EnterMatrixMode();
    Matrix3 s;
    s.m[0][0] = sx;
    s.m[1][1] = sy;
    s.m[2][2] = 1.0f;
    Matrix3::Multiply(s, &matrix, matrix);
}

void Transform2D::RotateMatrix(float radians)
{
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    Matrix3 r;
    r.m[0][0] = c;
    r.m[0][1] = s;
    r.m[1][0] = -s;
    r.m[1][1] = c;
    r.m[2][2] = 1.0f;
    Matrix3::Multiply(r, &matrix, matrix);
}

void Transform2D::UpdateMatrix()
{
    if (!dirty)
        return;
    dirty = 0;
    matrix = Matrix3::Translation(preX, preY);
    if (scaled) {
        matrix.m[0][0] = scaleX;
        matrix.m[1][1] = scaleY;
    } else if (rotated) {
        RotateMatrix(rotation);
    }
    if (postX != 0.0f || postY != 0.0f)
        Matrix3::Multiply(Matrix3::Translation(postX, postY), &matrix, matrix);
}

void Transform2D::TransformPoint(float* x, float* y)
{
    if (UsesMatrix()) {
        UpdateMatrix();
        const float px = *x;
        const float py = *y;
        *x = matrix.m[0][0] * px + matrix.m[0][1] * py + matrix.m[0][2];
        *y = matrix.m[1][0] * px + matrix.m[1][1] * py + matrix.m[1][2];
        return;
    }
    if (!Negligible(preX, preY)) {
        *x += preX;
        *y += preY;
    }
    if (scaled) {
        *x *= scaleX;
        *y *= scaleY;
    }
    if (!Negligible(postX, postY)) {
        *x += postX;
        *y += postY;
    }
}

GEResultEnum Transform2D::TransformVertices(void* vertices, const render::VertexFormat& format, u32 count)
{
    if (format.position.components < 2)
        return GE_FAIL;
    u8* p = static_cast<u8*>(vertices) + format.position.offset;
    for (u32 i = 0; i < count; ++i, p += format.stride) {
        float xy[2];
        std::memcpy(xy, p, sizeof xy);
        TransformPoint(&xy[0], &xy[1]);
        std::memcpy(p, xy, sizeof xy);
    }
    return GE_OK;
}

} // namespace math
