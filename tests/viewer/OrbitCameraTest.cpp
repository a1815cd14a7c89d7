#include <gtest/gtest.h>

#include <numbers>

#include "viewer/OrbitCamera.h"

namespace {

constexpr float STEP = OrbitCamera::ANGLE_STEP;
constexpr float TOLERANCE = 2e-5f;

void expectNear(const Vec3& actual, const Vec3& expected, float tolerance = TOLERANCE)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

}  // namespace

TEST(OrbitCamera, TurnsByOneStepToTheKnownPositions)
{
    struct Case {
        const char* name;
        void (OrbitCamera::*turn)(float);
        float angle;
        Vec3 eye;
        Vec3 up;
    };
    const Case cases[] = {
        {"yaw +step", &OrbitCamera::yaw, STEP, {-0.49009f, 5, 4.97592f}, {0, 1, 0}},
        {"yaw -step", &OrbitCamera::yaw, -STEP, {0.49009f, 5, 4.97592f}, {0, 1, 0}},
        {"pitch +step", &OrbitCamera::pitch, STEP, {0, 5.49009f, 4.97592f}, {0, 0.99518f, -0.09802f}},
        {"pitch -step", &OrbitCamera::pitch, -STEP, {0, 4.50991f, 4.97592f}, {0, 0.99518f, 0.09802f}},
        {"pitch +pi/2", &OrbitCamera::pitch, std::numbers::pi_v<float> / 2, {0, 10, 0}, {0, 0, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OrbitCamera camera;
        (camera.*c.turn)(c.angle);
        expectNear(camera.eye, c.eye);
        expectNear(camera.up, c.up);
        expectNear(camera.center, {0, 5, 0}, 0);
    }
}

TEST(OrbitCamera, SixtyFourYawStepsComeFullCircleAtTheSameHeight)
{
    OrbitCamera camera;
    camera.center = {2, 1, -3};
    camera.eye = {4, 7, 1};
    for (int i = 0; i < 64; ++i) {
        camera.yaw(STEP);
        EXPECT_NEAR(camera.eye.y, 7, 1e-5f);
        const float dx = camera.eye.x - 2, dz = camera.eye.z + 3;
        EXPECT_NEAR(dx * dx + dz * dz, 20, 1e-3f);  // distance from the vertical axis kept
    }
    expectNear(camera.eye, {4, 7, 1}, 1e-4f);
    expectNear(camera.up, {0, 1, 0}, 1e-5f);
}

TEST(OrbitCamera, PitchCarriesTheCameraOverTheTop)
{
    OrbitCamera camera;
    for (int i = 0; i < 32; ++i) camera.pitch(STEP);  // half a turn: behind and upside down
    expectNear(camera.eye, {0, 5, -5}, 1e-4f);
    expectNear(camera.up, {0, -1, 0}, 1e-4f);
}

TEST(OrbitCamera, ZoomMovesAlongTheViewAndThroughTheCenter)
{
    OrbitCamera camera;
    camera.zoom(OrbitCamera::ZOOM_STEP);
    expectNear(camera.eye, {0, 5, 3.5f}, 0);
    for (int i = 0; i < 3; ++i) camera.zoom(OrbitCamera::ZOOM_STEP);
    expectNear(camera.eye, {0, 5, -1}, 0);  // past the center, now looking toward +z
    camera.zoom(-OrbitCamera::ZOOM_STEP);
    expectNear(camera.eye, {0, 5, -2.5f}, 0);  // backing away keeps going away from the center
}

TEST(OrbitCamera, PitchAndZoomIgnoreAnEyeAtTheCenter)
{
    OrbitCamera camera;
    camera.eye = camera.center;
    camera.up = {0.5f, 1, 0};
    camera.pitch(STEP);
    camera.zoom(OrbitCamera::ZOOM_STEP);
    expectNear(camera.eye, {0, 5, 0}, 0);
    expectNear(camera.up, {0.5f, 1, 0}, 0);
    camera.yaw(STEP);  // a turn about the vertical line through the center still turns up
    expectNear(camera.eye, {0, 5, 0}, 0);
    EXPECT_NE(camera.up.x, 0.5f);
}

TEST(OrbitCamera, FrameAndFollow)
{
    OrbitCamera camera;
    camera.yaw(STEP);
    const Vec3 turnedUp = camera.up;
    camera.pitch(STEP);
    const Vec3 pitchedUp = camera.up;
    camera.frame({1, 2, 3});
    expectNear(camera.eye, {1, 2, 28}, 0);
    expectNear(camera.center, {1, 2, 3}, 0);
    expectNear(camera.up, pitchedUp, 0);  // the framing keeps whatever turn up has
    EXPECT_NE(pitchedUp.z, turnedUp.z);

    camera.follow({1, 2, 3}, {2, 2, 3});
    expectNear(camera.eye, {2, 2, 28}, 0);
    expectNear(camera.center, {1, 2, 3}, 0);
}
