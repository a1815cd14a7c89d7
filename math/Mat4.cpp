#include "math/Mat4.h"

#include <cmath>

Mat4 Mat4::identity()
{
    Mat4 m{};
    m.e[0] = m.e[5] = m.e[10] = m.e[15] = 1.0f;
    return m;
}

Mat4 Mat4::translation(float x, float y, float z)
{
    Mat4 m = identity();
    m.e[12] = x;
    m.e[13] = y;
    m.e[14] = z;
    return m;
}

Mat4 Mat4::axisAngle(float x, float y, float z, float angle)
{
    const float cosA = static_cast<float>(std::cos(static_cast<double>(angle)));
    const float sinA = static_cast<float>(std::sin(static_cast<double>(angle)));
    const float t = 1.0f - cosA;
    Mat4 m{};
    m.e[0] = x * x + cosA * (1.0f - x * x);
    m.e[1] = t * x * y - sinA * z;
    m.e[2] = t * x * z + sinA * y;
    m.e[4] = t * x * y + sinA * z;
    m.e[5] = y * y + cosA * (1.0f - y * y);
    m.e[6] = t * y * z - sinA * x;
    m.e[8] = t * x * z - sinA * y;
    m.e[9] = t * y * z + sinA * x;
    m.e[10] = z * z + cosA * (1.0f - z * z);
    m.e[15] = 1.0f;
    return m;
}

void Mat4::mulAssign(const Mat4& n)
{
    matMul(*this, *this, n);
}

void matMul(Mat4& out, const Mat4& a, const Mat4& b)
{
    Mat4 r;  // computed whole before storing, so out may be a or b
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.e[4 * i + j] = a.e[4 * i] * b.e[j] + a.e[4 * i + 1] * b.e[4 + j] +
                             a.e[4 * i + 2] * b.e[8 + j] + a.e[4 * i + 3] * b.e[12 + j];
        }
    }
    out = r;
}
