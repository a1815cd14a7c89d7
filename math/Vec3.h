#pragma once

#include "math/Mat4.h"

// A point or a direction in single precision.
struct Vec3 {
    float x, y, z;

    // This point becomes m*p with w = 1; row 3 of m is ignored (no projective divide).
    void transformPoint(const Mat4& m);

    float length() const;

    // Each component divided by the length; the caller guarantees a nonzero length.
    Vec3 normalized() const;

    static Vec3 cross(const Vec3& a, const Vec3& b);
};
