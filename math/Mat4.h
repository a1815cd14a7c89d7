#pragma once

// A 4x4 single-precision matrix in the element order OpenGL takes: element 4*column + row.
// Read as the mathematical matrix M(row r, column c) = e[4c + r], points are column vectors and a
// point p transforms as M*p; the translation of an affine transform sits in e[12], e[13], e[14].
// A Mat4 is handed to OpenGL as the address of e[0], without transposition.
struct Mat4 {
    float e[16];

    static Mat4 identity();
    static Mat4 translation(float x, float y, float z);

    // Rotation about the unit axis (x, y, z) by the angle in radians. Note the sign: applied to a
    // point it turns by -angle (right-hand rule); callers wanting a right-handed turn pass -angle.
    static Mat4 axisAngle(float x, float y, float z, float angle);

    // This matrix now applies n after what it applied before (this = N * This).
    void mulAssign(const Mat4& n);
};

// out = B * A: transforming a point by out applies a first, then b. out may alias a or b.
void matMul(Mat4& out, const Mat4& a, const Mat4& b);
