#include <gtest/gtest.h>

#include "LoadBvh.h"
#include "math/Vec3.h"
#include "motion/Pose.h"

namespace {

// A single joint with the given channels and offset, owned by the test.
struct OneJoint {
    Joint* joint = Joint::create();

    OneJoint(std::initializer_list<ChannelKind> kinds, float ox = 0, float oy = 0, float oz = 0)
    {
        joint->allocChannels(static_cast<std::int32_t>(kinds.size()));
        int i = 0;
        for (ChannelKind kind : kinds) joint->channels[i++].kind = kind;
        joint->offset[0] = ox, joint->offset[1] = oy, joint->offset[2] = oz;
    }
    ~OneJoint() { Joint::free(joint); }

    Vec3 map(Vec3 p) const
    {
        p.transformPoint(joint->local);
        return p;
    }
};

void expectNear(const Vec3& v, float x, float y, float z)
{
    EXPECT_NEAR(v.x, x, 1e-5f);
    EXPECT_NEAR(v.y, y, 1e-5f);
    EXPECT_NEAR(v.z, z, 1e-5f);
}

}  // namespace

TEST(Pose, PositionChannelsAddToTheOffset)
{
    OneJoint j({Xposition, Yposition, Zposition, Xposition}, 10, 0, 0);
    const float values[] = {1, 2, 3, 4};
    EXPECT_EQ(evaluatePose(j.joint, values), values + 4);
    expectNear(j.map({0, 0, 0}), 15, 2, 3);
    expectNear(j.map({1, 0, 0}), 16, 2, 3);  // no rotation part
}

TEST(Pose, RotationsAreRightHandedAndTheLastListedActsFirst)
{
    OneJoint z({Zrotation});
    const float ninety[] = {90};
    evaluatePose(z.joint, ninety);
    expectNear(z.map({1, 0, 0}), 0, 1, 0);

    OneJoint zxy({Zrotation, Xrotation, Yrotation});
    const float values[] = {90, 90, 0};
    evaluatePose(zxy.joint, values);
    expectNear(zxy.map({0, 0, 1}), 1, 0, 0);  // Rx gives (0,-1,0), then Rz gives (1,0,0)
}

TEST(Pose, MoreThanThreeRotationsAreAllApplied)
{
    OneJoint j({Zrotation, Zrotation, Zrotation, Zrotation, Zrotation});
    const float values[] = {30, 30, 30, 0, 90};
    evaluatePose(j.joint, values);
    expectNear(j.map({1, 0, 0}), -1, 0, 0);  // 180 degrees in all
}

TEST(Pose, UnrecognizedChannelsConsumeTheirValueOnly)
{
    OneJoint j({Zrotation, Unrecognized, Xrotation});
    const float values[] = {90, 1234, 90};
    EXPECT_EQ(evaluatePose(j.joint, values), values + 3);
    expectNear(j.map({0, 0, 1}), 1, 0, 0);
}

TEST(Pose, ATreeConsumesItsRowInFileOrder)
{
    const LoadResult r = loadBvh("HIERARCHY\nROOT r\n{\nOFFSET 0 0 0\nCHANNELS 2 Xposition Yposition\n"
                                 "JOINT a\n{\nOFFSET 0 1 0\nCHANNELS 3 Zrotation Xrotation Yrotation\n"
                                 "End Site\n{\nOFFSET 0 2 0\n}\n}\n}\nMOTION\nFrames: 1\nFrame Time: 1\n5 6 90 0 0\n");
    ASSERT_TRUE(r.ok()) << r.reason;
    Skeleton& s = *r.skeleton;
    EXPECT_EQ(evaluatePose(s.root, s.frameValues(0)), s.values + 5);

    // World position of the end site: root (5,6) + a's offset (0,1) + Rz(90) applied to (0,2).
    Mat4 world = s.root->local;
    const Joint* a = s.root->firstChild;
    matMul(world, a->local, world);
    matMul(world, a->firstChild->local, world);
    EXPECT_NEAR(world.e[12], 5 - 2, 1e-5f);
    EXPECT_NEAR(world.e[13], 6 + 1, 1e-5f);
    EXPECT_NEAR(world.e[14], 0, 1e-5f);
    EXPECT_EQ(a->firstChild->local.e[13], 2);  // an end site is its offset alone
}

TEST(Pose, NullValuesGiveTheRestPose)
{
    OneJoint j({Xposition, Zrotation}, 1, 2, 3);
    const float values[] = {7, 45};
    evaluatePose(j.joint, values);
    EXPECT_EQ(evaluatePose(j.joint, nullptr), nullptr);
    const Mat4 expected = Mat4::translation(1, 2, 3);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(j.joint->local.e[i], expected.e[i]) << i;
}

TEST(Pose, LongestBoneLooksBelowTheJointOnly)
{
    const LoadResult r = loadBvh("HIERARCHY\nROOT r\n{\nOFFSET 100 100 100\nCHANNELS 0\n"
                                 "JOINT a\n{\nOFFSET 3 4 0\nCHANNELS 0\n"
                                 "JOINT b\n{\nOFFSET 0 6 0\nCHANNELS 0\n}\n}\n"
                                 "JOINT c\n{\nOFFSET 0 0 -5.5\nCHANNELS 0\n}\n}\nMOTION\nFrames: 0\nFrame Time: 1\n");
    ASSERT_TRUE(r.ok()) << r.reason;
    EXPECT_EQ(longestBone(r.skeleton->root), 6.0f);
    EXPECT_EQ(longestBone(r.skeleton->root->lastChild), 0.0f);
}
