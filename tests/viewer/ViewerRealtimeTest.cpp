// Playback paced by the motion's frame time (--realtime), driven by the elapsed times handed to
// tick, as the main loop hands over the times between its clock samples. Frame times and elapsed
// times are binary fractions, so every sum is exact and each boundary falls where it should.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "Motions.h"
#include "TempFile.h"
#include "shell/Application.h"
#include "viewer/Viewer.h"

namespace {

// walkingRoot's motion (frame f puts the root at (f, 10 + f, -f)) with another frame time.
std::string walkingRoot(int frames, const std::string& frameTime)
{
    std::string text = ::walkingRoot(frames);
    const std::string standard = "Frame Time: 0.1\n";
    return text.replace(text.find(standard), standard.size(), "Frame Time: " + frameTime + "\n");
}

// frameIndex after a tick with each of the elapsed times.
std::vector<int> framesAfter(Viewer& viewer, const std::vector<double>& elapsed)
{
    std::vector<int> frames;
    for (double seconds : elapsed) {
        viewer.tick(seconds);
        frames.push_back(viewer.frameIndex);
    }
    return frames;
}

class Realtime : public ::testing::Test {
protected:
    // A playing viewer on a motion of the given frames and frame time, paced in real time.
    void play(int frames, const std::string& frameTime = "0.125", bool realtime = true)
    {
        file = std::make_unique<TempFile>(walkingRoot(frames, frameTime));
        ASSERT_TRUE(viewer.loadFile(file->path()));
        viewer.pacing.realtime = realtime;
        viewer.setPaused(false);
    }

    std::unique_ptr<TempFile> file;
    Viewer viewer;
};

}  // namespace

TEST_F(Realtime, ShowsTheFrameRealTimeHasReachedHoldingOrSkipping)
{
    play(10);
    // 1/16 s: half a frame, held. Another 1/16: the next frame. 5/8: five frames on, skipping four.
    // 1/32 + 3/32: one frame's time in two ticks.
    EXPECT_EQ(framesAfter(viewer, {0.0625, 0.0625, 0.625, 0.03125, 0.09375}), (std::vector<int>{0, 1, 6, 6, 7}));
    // The eye moved with the root over the frames skipped, as if each had been shown.
    EXPECT_EQ(viewer.camera.eye.x, 7.0f);
    EXPECT_EQ(viewer.camera.eye.y, 17.0f);
    EXPECT_EQ(viewer.camera.eye.z, 18.0f);
    EXPECT_EQ(viewer.skeleton->root->local.e[12], 7.0f);
}

TEST_F(Realtime, SkippingPastTheEndWrapsWithLoopOrStopsOnTheLastFrame)
{
    play(10);
    viewer.frameIndex = 8;
    EXPECT_EQ(framesAfter(viewer, {0.5}), (std::vector<int>{2}));  // 8 + 4 frames, wrapped

    viewer.loop = false;
    viewer.frameIndex = 7;
    EXPECT_EQ(framesAfter(viewer, {0.5}), (std::vector<int>{9}));  // the last frame is shown...
    EXPECT_FALSE(viewer.paused);
    EXPECT_EQ(framesAfter(viewer, {0.0625, 0.0625}), (std::vector<int>{9, 9}));  // ...its time out,
    EXPECT_TRUE(viewer.paused);                                                   // then playback stops
}

TEST_F(Realtime, FrameTimesThatCannotPaceFallBackToOneFramePerTick)
{
    for (const char* frameTime : {"0", "-0.5", "1e39", "nan"}) {
        SCOPED_TRACE(frameTime);
        play(10, frameTime);
        EXPECT_EQ(framesAfter(viewer, {0.0, 10.0, 0.001}), (std::vector<int>{1, 2, 3}));
    }
}

TEST_F(Realtime, WithoutTheOptionEveryTickIsOneFrame)
{
    play(10, "0.125", false);
    EXPECT_EQ(framesAfter(viewer, {0.0, 0.0625, 0.625, 1e9}), (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(Realtime, PausingAndSingleStepsRestartTheClockAtTheFrameShown)
{
    play(10);
    viewer.tick(0.0625);
    viewer.setPaused(true);
    EXPECT_EQ(framesAfter(viewer, {5.0}), (std::vector<int>{0}));  // no time passes for a paused motion
    viewer.setPaused(false);
    EXPECT_EQ(framesAfter(viewer, {0.0625, 0.0625}), (std::vector<int>{0, 1}));  // the half frame before is gone

    viewer.tick(0.0625);
    viewer.singleStep = true;
    EXPECT_EQ(framesAfter(viewer, {3.0}), (std::vector<int>{2}));  // one step, whatever the time
    EXPECT_TRUE(viewer.paused);
    viewer.setPaused(false);
    EXPECT_EQ(framesAfter(viewer, {0.0625, 0.0625}), (std::vector<int>{2, 3}));
}

TEST_F(Realtime, ElapsedTimesThatAreNotTimeAreIgnored)
{
    play(10);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    EXPECT_EQ(framesAfter(viewer, {nan, -1.0, infinity, 0.125}), (std::vector<int>{0, 0, 0, 1}));
    viewer.tick(1e300);  // hopelessly far behind: any frame, but a frame of the motion
    EXPECT_GE(viewer.frameIndex, 0);
    EXPECT_LT(viewer.frameIndex, 10);
}

TEST(MainLoopClock, SecondsBetweenSamplesSurviveTheTimersWrap)
{
    EXPECT_DOUBLE_EQ(secondsBetween(1000, 1250), 0.25);
    EXPECT_DOUBLE_EQ(secondsBetween(0xFFFFFFF0u, 0x10u), 0.032);
    EXPECT_DOUBLE_EQ(secondsBetween(7, 7), 0.0);
}
