// The sample motion shipped with the program: it loads, and the figure walks on the floor.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "LoadBvh.h"
#include "motion/Pose.h"
#include "resources/WideText.h"

namespace {

struct Extent {
    float lowest = 1e9f;
    float highest = -1e9f;
};

// World heights of every joint and end site of the pose last evaluated.
void measure(const Joint* joint, const Mat4& parentWorld, Extent& extent)
{
    Mat4 world;
    matMul(world, joint->local, parentWorld);
    extent.lowest = std::min(extent.lowest, world.e[13]);
    extent.highest = std::max(extent.highest, world.e[13]);
    for (const Joint* child = joint->firstChild; child != nullptr; child = child->nextSibling) {
        measure(child, world, extent);
    }
}

}  // namespace

TEST(SampleMotion, WalkStaysOnTheFloorAndMovesForward)
{
    const std::filesystem::path path = std::filesystem::path(VEXO_SAMPLES_DIR) / "walk.bvh";
    const LoadResult r = loadBvhFile(widePath(path).c_str());
    ASSERT_TRUE(r.ok()) << r.line << ": " << r.reason;
    Skeleton& s = *r.skeleton;
    EXPECT_EQ(s.channelsPerFrame, 6 + 20 * 3);
    EXPECT_EQ(s.frameCount, 240);

    float lastZ = -1.0f;
    for (std::int32_t f = 0; f < s.frameCount; ++f) {
        evaluatePose(s.root, s.frameValues(f));
        Extent extent;
        measure(s.root, Mat4::identity(), extent);
        // Some foot point stands on the floor; nothing sinks through it; the head stays at a person's
        // height (the file is in decimetres).
        ASSERT_GE(extent.lowest, -0.001f) << "frame " << f + 1;
        ASSERT_LE(extent.lowest, 0.85f) << "frame " << f + 1;
        ASSERT_GT(extent.highest, 16.0f) << "frame " << f + 1;
        ASSERT_LT(extent.highest, 18.5f) << "frame " << f + 1;
        const float z = s.root->local.e[14];
        ASSERT_GT(z, lastZ) << "the root must advance along +z at frame " << f + 1;
        lastZ = z;
    }
    EXPECT_GT(lastZ, 50.0f);  // about a metre a second for 8 seconds
}
