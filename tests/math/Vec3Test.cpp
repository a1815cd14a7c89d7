#include <gtest/gtest.h>

#include "math/Vec3.h"

TEST(Vec3, TransformPointIgnoresTheBottomRow)
{
    Mat4 m = Mat4::translation(1, 2, 3);
    m.e[3] = 5, m.e[7] = 6, m.e[11] = 7, m.e[15] = 9;  // a projective row that must not divide
    Vec3 p{1, 1, 1};
    p.transformPoint(m);
    EXPECT_EQ(p.x, 2);
    EXPECT_EQ(p.y, 3);
    EXPECT_EQ(p.z, 4);
}

TEST(Vec3, TransformPointReadsAllOldComponents)
{
    // A swap of x and y exposes a result stored before all inputs were read.
    Mat4 swap{};
    swap.e[1] = swap.e[4] = swap.e[10] = swap.e[15] = 1;
    Vec3 p{1, 2, 3};
    p.transformPoint(swap);
    EXPECT_EQ(p.x, 2);
    EXPECT_EQ(p.y, 1);
    EXPECT_EQ(p.z, 3);
}

TEST(Vec3, LengthNormalizedAndCross)
{
    EXPECT_EQ((Vec3{3, 4, 0}.length()), 5);
    const Vec3 n = Vec3{0, 0, -8}.normalized();
    EXPECT_EQ(n.z, -1);
    const Vec3 z = Vec3::cross({1, 0, 0}, {0, 1, 0});
    EXPECT_EQ(z.x, 0);
    EXPECT_EQ(z.y, 0);
    EXPECT_EQ(z.z, 1);
    const Vec3 c = Vec3::cross({1, 2, 3}, {4, 5, 6});
    EXPECT_EQ(c.x, -3);
    EXPECT_EQ(c.y, 6);
    EXPECT_EQ(c.z, -3);
}
