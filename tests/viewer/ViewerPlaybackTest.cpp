// Playback state machine, loading and the camera's framing and following, without a window or GL.

#include <gtest/gtest.h>

#include <vector>

#include "Motions.h"
#include "TempFile.h"
#include "viewer/Viewer.h"

namespace {

Vec3 rootOf(const Viewer& viewer)
{
    const Mat4& local = viewer.skeleton->root->local;
    return {local.e[12], local.e[13], local.e[14]};
}

// frameIndex after each of n ticks.
std::vector<int> tickFrames(Viewer& viewer, int n)
{
    std::vector<int> frames;
    for (int i = 0; i < n; ++i) {
        viewer.tick(0.008);
        frames.push_back(viewer.frameIndex);
    }
    return frames;
}

void expectSame(const Vec3& a, const Vec3& b)
{
    EXPECT_EQ(a.x, b.x);
    EXPECT_EQ(a.y, b.y);
    EXPECT_EQ(a.z, b.z);
}

}  // namespace

TEST(ViewerPlayback, WithoutAMotionNothingPlays)
{
    Viewer viewer;
    viewer.setPaused(false);
    viewer.onKeyDown(VK_SPACE);
    EXPECT_TRUE(viewer.paused);
    EXPECT_EQ(tickFrames(viewer, 3), (std::vector<int>{0, 0, 0}));
    EXPECT_FALSE(viewer.motionLoaded());
}

TEST(ViewerPlayback, PlaysOneFramePerTickWrappingOrStopping)
{
    TempFile three(walkingRoot(3));
    Viewer viewer;
    ASSERT_TRUE(viewer.loadFile(three.path()));
    EXPECT_TRUE(viewer.paused);  // a fresh viewer starts paused
    EXPECT_EQ(tickFrames(viewer, 2), (std::vector<int>{0, 0}));

    viewer.onKeyDown(VK_SPACE);
    EXPECT_FALSE(viewer.paused);
    EXPECT_EQ(tickFrames(viewer, 5), (std::vector<int>{1, 2, 0, 1, 2}));
    expectSame(rootOf(viewer), {2, 12, -2});

    viewer.onCommand(10003);  // View, Loop: off
    viewer.frameIndex = 0;
    EXPECT_EQ(tickFrames(viewer, 4), (std::vector<int>{1, 2, 2, 2}));
    EXPECT_TRUE(viewer.paused);
    expectSame(rootOf(viewer), {2, 12, -2});
}

TEST(ViewerPlayback, SingleStepAdvancesOneFrameAndPauses)
{
    TempFile three(walkingRoot(3));
    struct Case {
        const char* name;
        bool loop;
        bool playing;
        int from;
        int expected;
    };
    const Case cases[] = {
        {"paused, middle", true, false, 0, 1},
        {"playing, middle", true, true, 1, 2},
        {"last frame, loop", true, false, 2, 0},
        {"last frame, no loop", false, false, 2, 2},
        {"last frame while playing, no loop", false, true, 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Viewer viewer;
        ASSERT_TRUE(viewer.loadFile(three.path()));
        viewer.loop = c.loop;
        viewer.setPaused(!c.playing);
        viewer.frameIndex = c.from;
        viewer.onKeyDown('X');
        viewer.tick(0.008);
        EXPECT_EQ(viewer.frameIndex, c.expected);
        EXPECT_TRUE(viewer.paused);
        EXPECT_FALSE(viewer.singleStep);
        EXPECT_EQ(rootOf(viewer).x, static_cast<float>(c.expected));
        viewer.tick(0.008);
        EXPECT_EQ(viewer.frameIndex, c.expected);  // and stays paused there
    }
}

TEST(ViewerPlayback, StepRequestedBeforeALoadFiresAtTheFirstTickAfterIt)
{
    TempFile two(walkingRoot(2));
    Viewer viewer;
    viewer.onKeyDown('X');
    viewer.tick(0.008);
    EXPECT_TRUE(viewer.singleStep);  // kept: nothing to step yet
    ASSERT_TRUE(viewer.loadFile(two.path()));
    EXPECT_EQ(viewer.frameIndex, 0);
    viewer.tick(0.008);
    EXPECT_EQ(viewer.frameIndex, 1);
    EXPECT_TRUE(viewer.paused);
}

TEST(ViewerPlayback, ALoadShowsTheFirstFrameAndKeepsPlaybackAndFlags)
{
    TempFile four(walkingRoot(4));
    TempFile two(walkingRoot(2));
    Viewer viewer;
    ASSERT_TRUE(viewer.loadFile(four.path()));
    viewer.setPaused(false);
    tickFrames(viewer, 3);
    ASSERT_EQ(viewer.frameIndex, 3);
    viewer.loop = false;
    viewer.showFloor = false;
    viewer.camera.pitch(OrbitCamera::ANGLE_STEP);
    const Vec3 up = viewer.camera.up;

    ASSERT_TRUE(viewer.loadFile(two.path()));
    EXPECT_EQ(viewer.skeleton->frameCount, 2);
    EXPECT_EQ(viewer.frameIndex, 0);  // frame 3 does not exist in the new motion
    expectSame(rootOf(viewer), {0, 10, 0});
    EXPECT_FALSE(viewer.paused);
    EXPECT_FALSE(viewer.loop);
    EXPECT_FALSE(viewer.showFloor);
    expectSame(viewer.camera.up, up);
    expectSame(viewer.camera.center, {0, 10, 0});
    expectSame(viewer.camera.eye, {0, 10, 25});
    EXPECT_EQ(tickFrames(viewer, 2), (std::vector<int>{1, 1}));  // playing, stops on the last frame
}

TEST(ViewerPlayback, AFailedLoadChangesNothing)
{
    TempFile good(walkingRoot(3));
    TempFile refused("HIERARCHY\nROOT Hips\n{\nOFFSET 0 0\n");
    Viewer viewer;
    EXPECT_FALSE(viewer.loadFile(refused.path()));
    EXPECT_FALSE(viewer.motionLoaded());

    ASSERT_TRUE(viewer.loadFile(good.path()));
    viewer.setPaused(false);
    tickFrames(viewer, 2);
    viewer.camera.yaw(0.3f);
    const Skeleton* shown = viewer.skeleton;
    const OrbitCamera camera = viewer.camera;
    for (LPCWSTR path : {refused.path(), TEXT("/no/such/file.bvh")}) {
        EXPECT_FALSE(viewer.loadFile(path));
        EXPECT_EQ(viewer.skeleton, shown);
        EXPECT_EQ(viewer.frameIndex, 2);
        EXPECT_FALSE(viewer.paused);
        expectSame(rootOf(viewer), {2, 12, -2});
        expectSame(viewer.camera.eye, camera.eye);
        expectSame(viewer.camera.up, camera.up);
        expectSame(viewer.camera.center, camera.center);
    }
}

TEST(ViewerPlayback, AMotionWithoutFramesShowsTheRestPoseAndNeverAdvances)
{
    TempFile none(walkingRoot(0));
    Viewer viewer;
    ASSERT_TRUE(viewer.loadFile(none.path()));
    expectSame(rootOf(viewer), {0, 0, 0});
    expectSame(viewer.camera.eye, {0, 0, 25});
    viewer.setPaused(false);
    EXPECT_EQ(tickFrames(viewer, 3), (std::vector<int>{0, 0, 0}));
    viewer.loop = false;
    viewer.onKeyDown('X');
    EXPECT_EQ(tickFrames(viewer, 2), (std::vector<int>{0, 0}));
    expectSame(rootOf(viewer), {0, 0, 0});
}

TEST(ViewerPlayback, AMotionWithoutFramesUsesUpAStepAndStopsPlaying)
{
    TempFile none(walkingRoot(0));
    TempFile three(walkingRoot(3));
    for (const bool loop : {true, false}) {
        Viewer viewer;
        viewer.loop = loop;
        ASSERT_TRUE(viewer.loadFile(none.path()));
        viewer.onKeyDown('X');
        viewer.tick(0.008);
        EXPECT_FALSE(viewer.singleStep) << "loop " << loop;
        ASSERT_TRUE(viewer.loadFile(three.path()));
        viewer.tick(0.008);
        EXPECT_EQ(viewer.frameIndex, 0) << "the step pressed before was not carried to the next motion";

        ASSERT_TRUE(viewer.loadFile(none.path()));
        viewer.setPaused(false);
        viewer.tick(0.008);
        EXPECT_TRUE(viewer.paused) << "nothing plays, so playback stops (loop " << loop << ")";
    }
}

TEST(ViewerPlayback, TheEyeFollowsTheRootOnlyWithMoveCamera)
{
    TempFile three(walkingRoot(3));
    Viewer viewer;
    ASSERT_TRUE(viewer.loadFile(three.path()));
    viewer.setPaused(false);
    viewer.tick(0.008);  // root (0,10,0) -> (1,11,-1)
    expectSame(viewer.camera.eye, {1, 11, 24});
    expectSame(viewer.camera.center, {0, 10, 0});

    viewer.onKeyDown('C');
    EXPECT_FALSE(viewer.moveCamera);
    const OrbitCamera before = viewer.camera;
    viewer.tick(0.008);
    expectSame(viewer.camera.eye, before.eye);
    expectSame(viewer.camera.center, before.center);
    expectSame(viewer.camera.up, before.up);
}
