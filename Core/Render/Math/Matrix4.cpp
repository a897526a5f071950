#include "Core/Render/Math/Matrix4.h"

namespace math {

Matrix4 Matrix4::Identity()
{
    Matrix4 r;
    r.m[0][0] = r.m[1][1] = r.m[2][2] = r.m[3][3] = 1.0f;
    return r;
}

void Matrix4::Multiply(const Matrix4& a, const Matrix4& b, Matrix4* out)
{
    Matrix4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] =
                a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
    *out = r;
}

} // namespace math
