#include <gtest/gtest.h>

#include <cmath>

#include "math/Vec3.h"

namespace {

constexpr float QUARTER_TURN = 1.5707963267948966f;

Vec3 apply(const Mat4& m, Vec3 p)
{
    p.transformPoint(m);
    return p;
}

void expectNear(const Vec3& actual, float x, float y, float z)
{
    EXPECT_NEAR(actual.x, x, 1e-6f);
    EXPECT_NEAR(actual.y, y, 1e-6f);
    EXPECT_NEAR(actual.z, z, 1e-6f);
}

Mat4 sample(float seed)
{
    Mat4 m;
    for (int i = 0; i < 16; ++i) m.e[i] = seed + float(i) * 0.25f - float(i % 3);
    return m;
}

}  // namespace

TEST(Mat4, TranslationSitsInElementsTwelveToFourteen)
{
    const Mat4 t = Mat4::translation(1, 2, 3);
    EXPECT_EQ(t.e[12], 1);
    EXPECT_EQ(t.e[13], 2);
    EXPECT_EQ(t.e[14], 3);
    expectNear(apply(t, {0, 0, 0}), 1, 2, 3);
}

TEST(Mat4, ProductAppliesFirstArgumentFirst)
{
    Mat4 out;
    matMul(out, Mat4::translation(1, 0, 0), Mat4::axisAngle(0, 0, 1, -QUARTER_TURN));
    expectNear(apply(out, {0, 0, 0}), 0, 1, 0);  // moved to (1,0,0), then turned onto +y

    Mat4 m = Mat4::translation(1, 0, 0);
    m.mulAssign(Mat4::axisAngle(0, 0, 1, -QUARTER_TURN));
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m.e[i], out.e[i]);
}

TEST(Mat4, ProductMayWriteOverEitherInput)
{
    const Mat4 a = sample(1.5f), b = sample(-2.0f);
    Mat4 expected;
    matMul(expected, a, b);
    Mat4 intoA = a, intoB = b;
    matMul(intoA, intoA, b);
    matMul(intoB, a, intoB);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(intoA.e[i], expected.e[i]);
        EXPECT_EQ(intoB.e[i], expected.e[i]);
    }
}

TEST(Mat4, AxisAngleTurnsByMinusTheAngle)
{
    expectNear(apply(Mat4::axisAngle(0, 0, 1, QUARTER_TURN), {1, 0, 0}), 0, -1, 0);
    expectNear(apply(Mat4::axisAngle(1, 0, 0, QUARTER_TURN), {0, 1, 0}), 0, 0, -1);
    expectNear(apply(Mat4::axisAngle(1, 0, 0, -QUARTER_TURN), {0, 1, 0}), 0, 0, 1);
}

TEST(Mat4, AxisAngleOfZeroIsTheIdentity)
{
    const float s = std::sqrt(1.0f / 3.0f);
    for (const Vec3 axis : {Vec3{1, 0, 0}, Vec3{0, 1, 0}, Vec3{0, 0, 1}, Vec3{s, s, s}}) {
        const Mat4 m = Mat4::axisAngle(axis.x, axis.y, axis.z, 0.0f);
        const Mat4 identity = Mat4::identity();
        for (int i = 0; i < 16; ++i) EXPECT_NEAR(m.e[i], identity.e[i], 1e-7f);
    }
}
