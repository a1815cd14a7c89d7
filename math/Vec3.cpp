#include "math/Vec3.h"

#include <cmath>

void Vec3::transformPoint(const Mat4& m)
{
    const float px = x, py = y, pz = z;
    x = m.e[0] * px + m.e[4] * py + m.e[8] * pz + m.e[12];
    y = m.e[1] * px + m.e[5] * py + m.e[9] * pz + m.e[13];
    z = m.e[2] * px + m.e[6] * py + m.e[10] * pz + m.e[14];
}

float Vec3::length() const
{
    return std::sqrt(x * x + y * y + z * z);
}

Vec3 Vec3::normalized() const
{
    const float len = length();
    return {x / len, y / len, z / len};
}

Vec3 Vec3::cross(const Vec3& a, const Vec3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
