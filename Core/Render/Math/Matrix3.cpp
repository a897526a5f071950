#include "Core/Render/Math/Matrix3.h"

namespace math {

Matrix3 Matrix3::Identity()
{
    Matrix3 r;
    r.m[0][0] = r.m[1][1] = r.m[2][2] = 1.0f;
    return r;
}

Matrix3 Matrix3::Translation(float x, float y)
{
    Matrix3 r = Identity();
    r.m[0][2] = x;
    r.m[1][2] = y;
    return r;
}

void Matrix3::Multiply(const Matrix3& a, Matrix3* out, const Matrix3& b)
{
    Matrix3 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j];
    *out = r;
}

} // namespace math
