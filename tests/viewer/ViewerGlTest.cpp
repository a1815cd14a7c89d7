// The Viewer on an offscreen window with a real Mesa context: created through the shell's window
// path (WM_CREATE, WM_SIZE as in the program), drawn with render, read back with glReadPixels.

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <vector>

#include "AllocationCounter.h"
#include "Motions.h"
#include "OffscreenViewer.h"
#include "TempFile.h"
#include "shell/Application.h"
#include "shell/StartupFile.h"
#include "viewer/Viewer.h"
#include "widgets/Gui.h"
#include "widgets/Slider.h"

namespace {

constexpr int WIDTH = 640;
constexpr int HEIGHT = 480;
using Rgb = std::array<std::uint8_t, 3>;

// Colour of joint k in pre-order is entry k mod 12.
constexpr Rgb PALETTE[12] = {{128, 0, 0},   {255, 0, 0},   {0, 128, 0},   {0, 255, 0},
                             {0, 0, 128},   {0, 0, 255},   {128, 128, 0}, {255, 128, 0},
                             {128, 128, 0}, {128, 255, 0}, {128, 0, 128}, {128, 0, 255}};

constexpr Rgb CLEAR = {153, 153, 153};
constexpr Rgb FLOOR = {64, 64, 64};

class ViewerGl : public OffscreenViewerTest<WIDTH, HEIGHT> {
protected:
    // The frame render presented, bottom row first, RGB.
    std::vector<Rgb> frame() { return renderedBy(viewer); }

    static std::vector<Rgb> renderedBy(Viewer& drawing)
    {
        drawing.render();
        std::vector<std::uint8_t> rgba(std::size_t(WIDTH) * HEIGHT * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, WIDTH, HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        std::vector<Rgb> pixels(std::size_t(WIDTH) * HEIGHT);
        for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = {rgba[4 * i], rgba[4 * i + 1], rgba[4 * i + 2]};
        return pixels;
    }

    // Window coordinates (GL's, origin bottom left) of a world point seen through the camera.
    std::array<int, 2> project(const Point3& p)
    {
        GLdouble modelview[16], projection[16];
        GLint viewport[4];
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        const OrbitCamera& c = viewer.camera;
        gluLookAt(c.eye.x, c.eye.y, c.eye.z, c.center.x, c.center.y, c.center.z, c.up.x, c.up.y, c.up.z);
        glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
        glPopMatrix();
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        GLdouble x, y, z;
        gluProject(p.x, p.y, p.z, modelview, projection, viewport, &x, &y, &z);
        return {int(x), int(y)};
    }

    // Each joint's sphere shows its palette colour, sampled on the front pole so that no
    // neighbouring sphere can cover the sample.
    void expectJointColours(const std::vector<Rgb>& pixels, const std::vector<Point3>& joints, float radius)
    {
        for (std::size_t k = 0; k < joints.size(); ++k) {
            SCOPED_TRACE("joint " + std::to_string(k));
            const std::array<int, 2> xy = project({joints[k].x, joints[k].y, joints[k].z + radius});
            ASSERT_TRUE(xy[0] >= 0 && xy[0] < WIDTH && xy[1] >= 0 && xy[1] < HEIGHT);
            EXPECT_EQ(pixels[std::size_t(xy[1]) * WIDTH + std::size_t(xy[0])], PALETTE[k % 12]);
        }
    }

    static std::size_t countOf(const std::vector<Rgb>& pixels, Rgb colour)
    {
        std::size_t n = 0;
        for (const Rgb& p : pixels) n += p == colour;
        return n;
    }
};

}  // namespace

TEST_F(ViewerGl, CreationSizesTheViewportToTheClientArea)
{
    EXPECT_NE(viewer.glContext, nullptr);
    EXPECT_EQ(viewer.clientWidth, WIDTH);
    EXPECT_EQ(viewer.clientHeight, HEIGHT);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], WIDTH);
    EXPECT_EQ(viewport[3], HEIGHT);
}

TEST_F(ViewerGl, BeforeAnyLoadTheFrameIsUniformGrey)
{
    viewer.lighting = true;  // whatever the flags
    const std::vector<Rgb> pixels = frame();
    EXPECT_EQ(countOf(pixels, CLEAR), pixels.size());
}

TEST_F(ViewerGl, TheFloorGridFollowsShowFloor)
{
    load(walkingRoot(2));  // root at height 10: the floor lies below the camera
    const std::uint32_t list = viewer.scene.floorList;
    EXPECT_GT(countOf(frame(), FLOOR), 1000u);
    viewer.onCommand(10006);  // View, Floor
    EXPECT_EQ(countOf(frame(), FLOOR), 0u);
    viewer.onCommand(10006);
    EXPECT_GT(countOf(frame(), FLOOR), 1000u);
    EXPECT_EQ(viewer.scene.floorList, list);  // shown again without rebuilding
}

TEST_F(ViewerGl, ALitFrameDependsOnlyOnTheViewersState)
{
    load(walkingRoot(2));
    viewer.lighting = true;
    const std::vector<Rgb> first = frame();  // before it, no sphere has left its normal current
    EXPECT_GT(countOf(first, CLEAR), 1000u);
    EXPECT_EQ(frame(), first);
}

TEST_F(ViewerGl, JointSpheresTakeThePaletteInPreOrder)
{
    // Pre-order differs from breadth-first here, and the 13th joint wraps to entry 0.
    const TreeJoint tree{0, 0, 0,
                         {{-6, 3, 0, {{0, 3, 0, {{-3, 0, 0, {}}}}, {-3, 0, 0, {{0, -3, 0, {}}}}}},
                          {6, 3, 0, {{0, 3, 0, {{3, 0, 0, {}}}}, {3, 0, 0, {}}}},
                          {0, -6, 0, {{-4, 0, 0, {{0, -3, 0, {}}}}, {4, 0, 0, {{0, -3, 0, {}}}}}}}};
    load(treeMotion(tree, 0));
    viewer.showFloor = false;
    const std::vector<Point3> joints = treePositions(tree, 0);
    ASSERT_EQ(joints.size(), 15u);
    const std::vector<Rgb> pixels = frame();
    expectJointColours(pixels, joints, 6.7082f / 12);
    EXPECT_GT(countOf(pixels, {255, 255, 255}), 100u);  // the bones
}

TEST_F(ViewerGl, SkeletonsDeeperThanTheMatrixStackDrawInPlace)
{
    GLint stackDepth = 0;
    glGetIntegerv(GL_MAX_MODELVIEW_STACK_DEPTH, &stackDepth);
    // A chain of 40 joints 0.4 apart, turned by the root to run up +y; its last joint has a side
    // branch; the root's last child, drawn after the chain, is the long bone that sizes the spheres.
    TreeJoint last{0.4f, 0, 0, {{0.4f, 0, 0, {}}, {0, 3, 0, {}}}};
    for (int i = 0; i < 39; ++i) last = TreeJoint{0.4f, 0, 0, {last}};
    const TreeJoint tree{0, 0, 0, {last, {-12, 0, 0, {}}}};
    ASSERT_GT(41, stackDepth);
    load(treeMotion(tree, 90));
    viewer.showFloor = false;
    const std::vector<Rgb> pixels = frame();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    GLint used = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &used);
    EXPECT_EQ(used, 1);
    expectJointColours(pixels, treePositions(tree, 90), 1.0f);
}

TEST_F(ViewerGl, TheStartupFileOpensDuringCreation)
{
    DestroyWindow(viewer.hwnd);  // one viewer at a time, as in the program
    TempFile good(walkingRoot(3));
    TempFile refused("HIERARCHY\nROOT Hips\n");
    const struct {
        LPCWSTR path;
        bool loads;
    } cases[] = {{good.path(), true}, {refused.path(), false}, {TEXT("/no/such.bvh"), false}, {nullptr, false}};
    for (const auto& c : cases) {
        startupFilePath = c.path;
        Viewer other;
        ASSERT_TRUE(createMainWindow(other, GetModuleHandleW(nullptr)));  // a refused file is no failure
        ShowWindow(other.hwnd, SW_SHOW);
        EXPECT_EQ(other.motionLoaded(), c.loads);
        EXPECT_EQ(other.scene.floorList != 0, c.loads);
        EXPECT_EQ(other.scene.sphereList != 0, c.loads);
        EXPECT_EQ(countOf(renderedBy(other), FLOOR) > 1000u, c.loads);
        DestroyWindow(other.hwnd);
    }
    startupFilePath = nullptr;
}

TEST_F(ViewerGl, FileExitDestroysTheWindowAndQuits)
{
    EXPECT_EQ(viewer.handleMessage(WM_COMMAND, MAKEWPARAM(10000, 0), 0), 0);
    EXPECT_EQ(viewer.hwnd, nullptr);
    EXPECT_EQ(viewer.glContext, nullptr);
    EXPECT_EQ(viewer.deviceContext, nullptr);
    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_QUIT);
}

TEST_F(ViewerGl, TheMainLoopDispatchesUntilQuitEvenWithMessagesBehindIt)
{
    // Posted in order (PostQuitMessage's WM_QUIT would only come once the queue is empty).
    PostMessageW(viewer.hwnd, WM_KEYDOWN, 'L', 1);
    PostMessageW(viewer.hwnd, WM_QUIT, 0, 0);
    PostMessageW(viewer.hwnd, WM_KEYDOWN, 'C', 1);
    runMainLoop(viewer, LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(103)));
    EXPECT_TRUE(viewer.lighting);
    EXPECT_TRUE(viewer.moveCamera);  // still waiting in the queue
}

TEST_F(ViewerGl, AFittedCameraShowsAFigureAlikeInAnyUnitsAndZoomsByItsOwnSteps)
{
    // A figure 16 units tall, and the same in units a hundred times smaller: fitted, both pictures
    // are the same (floor and figure; the far plane moves out with the camera), and W moves the
    // camera by the same fraction of its distance.
    viewer.fit = true;
    std::vector<Rgb> pictures[2];
    double distances[2];
    const float units[2] = {1.0f, 100.0f};
    for (int i = 0; i < 2; ++i) {
        const float u = units[i];
        load(treeMotion({0, 10 * u, 0, {{0, 6 * u, 0, {}}, {3 * u, -10 * u, 0, {}}, {-3 * u, -10 * u, 0, {}}}}, 0));
        const auto distance = [&] {
            const Vec3& e = viewer.camera.eye;
            const Vec3& c = viewer.camera.center;
            return std::hypot(double(e.x - c.x), double(e.y - c.y), double(e.z - c.z));
        };
        distances[i] = distance() / u;
        pictures[i] = frame();
        viewer.onKeyDown('W');
        EXPECT_NEAR(distance() / u, distances[i] * (1 - 1.5 / 25), distances[i] * 1e-5) << u;
    }
    EXPECT_NEAR(distances[1], distances[0], distances[0] * 1e-5);
    for (const Rgb colour : {FLOOR, CLEAR, PALETTE[0]}) {
        const double counted = double(countOf(pictures[0], colour));
        EXPECT_GT(counted, 100.0);
        EXPECT_NEAR(double(countOf(pictures[1], colour)), counted, counted * 0.01);
    }
}

TEST_F(ViewerGl, AHeightOfZeroGivesAOnePixelViewport)
{
    viewer.handleMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(200, 0));
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 200);
    EXPECT_EQ(viewport[3], 1);
    EXPECT_EQ(viewer.clientHeight, 1);
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[5] / projection[0], 200.0, 200.0 * 1e-6);  // aspect ratio width / 1
}

TEST_F(ViewerGl, TheAllocationCounterTellsOursFromTheDriversOwn)
{
    if (!AllocationCounter::available()) GTEST_SKIP() << "malloc cannot be interposed in this build";
    load(walkingRoot(2));
    glCallList(viewer.scene.sphereList);  // the driver compiles its shaders at the first draw
    AllocationCounter counter;
    int* volatile own = new int(1);
    delete own;
    EXPECT_EQ(counter.ours(), 1u);
    EXPECT_EQ(counter.libraries(), 0u);
    glCallList(viewer.scene.sphereList);  // llvmpipe allocates as it draws
    EXPECT_EQ(counter.ours(), 1u);
    EXPECT_GT(counter.libraries(), 0u);
}

TEST_F(ViewerGl, FramesWithTheControlBarTheTextAndADragAllocateNothingOfTheirOwn)
{
    if (!AllocationCounter::available()) GTEST_SKIP() << "malloc cannot be interposed in this build";
    load(walkingRoot(30));
    viewer.lighting = true;
    viewer.setPaused(false);
    ASSERT_NE(viewer.hudFont, nullptr);
    ASSERT_TRUE(viewer.showControls);
    const Slider& slider = *viewer.timelineSlider;
    const int y = static_cast<int>(slider.top) + 8;
    auto frame = [&](int i) {
        // The thumb dragged to and fro across the slider while playback runs.
        const int x = static_cast<int>(slider.left) + (i * 37) % static_cast<int>(slider.right - slider.left);
        viewer.handleMessage(WM_MOUSEMOVE, 0, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
        viewer.tick(0.008);
        viewer.render();
    };
    const int thumbX = static_cast<int>(slider.left + slider.thumbRect().x0) + 2;
    viewer.handleMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(static_cast<WORD>(thumbX), static_cast<WORD>(y)));
    constexpr int FRAMES = 60;
    for (int i = 0; i < 20; ++i) frame(i);  // warm-up: Mesa sets up its state on first use
    const int before = viewer.frameIndex;
    AllocationCounter counter;
    for (int i = 0; i < FRAMES; ++i) frame(i);
    EXPECT_EQ(counter.ours(), 0u);
    EXPECT_NE(viewer.frameIndex, before);
    // What the GL driver allocates while drawing is its own affair; shown for the record.
    std::printf("GL driver allocations per frame: %zu\n", counter.libraries() / FRAMES);
}
