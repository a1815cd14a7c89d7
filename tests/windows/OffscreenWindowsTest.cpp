// Offscreen windows on Windows: real windows that are never shown, drawing into framebuffer
// objects of their client size.

#include <gtest/gtest.h>

#include "OffscreenGl.h"

namespace {

// Larger than the screen (Xvfb's, or a laptop's): a hidden window's own buffers could not hold it.
constexpr int WIDTH = 3000, HEIGHT = 2000;

class OffscreenWindows : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(gl.ok()); }

    void clearTo(float red, float green, float blue)
    {
        glClearColor(red, green, blue, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    OffscreenGl gl{WIDTH, HEIGHT};
};

TEST_F(OffscreenWindows, AreNeverShownAndHaveTheirWholeSizeAsClientArea)
{
    ShowWindow(gl.hwnd(), SW_SHOW);
    EXPECT_FALSE(IsWindowVisible(gl.hwnd()));
    RECT client{}, outer{};
    GetClientRect(gl.hwnd(), &client);
    GetWindowRect(gl.hwnd(), &outer);
    EXPECT_EQ(client.right, WIDTH);
    EXPECT_EQ(client.bottom, HEIGHT);
    EXPECT_EQ(outer.right - outer.left, WIDTH) << "no frame, no menu bar";
}

TEST_F(OffscreenWindows, KeepEveryPixelAlsoAfterTheSwap)
{
    clearTo(1, 0, 0);
    SwapBuffers(gl.deviceContext());
    EXPECT_EQ(gl.pixel(0, 0), 0xFF0000FFu);
    EXPECT_EQ(gl.pixel(WIDTH - 1, HEIGHT - 1), 0xFF0000FFu);
}

TEST_F(OffscreenWindows, ResizeWithTheirWindow)
{
    SetWindowPos(gl.hwnd(), nullptr, 0, 0, 40, 30, SWP_NOMOVE | SWP_NOZORDER);
    RECT client{};
    GetClientRect(gl.hwnd(), &client);
    EXPECT_EQ(client.right, 40);
    EXPECT_EQ(client.bottom, 30);
    glViewport(0, 0, 40, 30);
    clearTo(0, 0, 1);
    const std::vector<std::uint8_t> pixels = gl.readPixels();
    ASSERT_EQ(pixels.size(), 40u * 30u * 4u);
    EXPECT_EQ(pixels[0], 0);
    EXPECT_EQ(pixels[2], 255);
    EXPECT_EQ(pixels[pixels.size() - 2], 255);
}

}  // namespace
