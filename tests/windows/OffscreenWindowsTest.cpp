// Offscreen windows on Windows: real windows that are never shown, drawing into framebuffer
// objects or bitmaps of their client size, each way taken in turn (VEXO_OFFSCREEN).

#include <gtest/gtest.h>

#include "OffscreenGl.h"

namespace {

// Larger than the screen (Xvfb's, or a laptop's): a hidden window's own buffers could not hold it.
constexpr int WIDTH = 3000, HEIGHT = 2000;

// The way of drawing named for the windows made while it lives.
struct Drawing {
    explicit Drawing(LPCWSTR way) { SetEnvironmentVariableW(L"VEXO_OFFSCREEN", way); }
    ~Drawing() { SetEnvironmentVariableW(L"VEXO_OFFSCREEN", nullptr); }
};

class OffscreenWindows : public ::testing::TestWithParam<LPCWSTR> {
protected:
    void SetUp() override { ASSERT_TRUE(gl.ok()); }

    void clearTo(float red, float green, float blue)
    {
        glClearColor(red, green, blue, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    Drawing way{GetParam()};
    OffscreenGl gl{WIDTH, HEIGHT};
};

INSTANTIATE_TEST_SUITE_P(EachWay, OffscreenWindows, ::testing::Values(L"framebuffer", L"bitmap"),
                         [](const auto& way) { return way.param[0] == L'b' ? "Bitmap" : "Framebuffer"; });

TEST_P(OffscreenWindows, DrawThroughTheWayNamed)
{
    const bool bitmap = GetParam()[0] == L'b';
    EXPECT_EQ(GetObjectType(gl.deviceContext()), bitmap ? DWORD{OBJ_MEMDC} : DWORD{OBJ_DC});
}

TEST_P(OffscreenWindows, AreNeverShownAndHaveTheirWholeSizeAsClientArea)
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

TEST_P(OffscreenWindows, KeepEveryPixelAlsoAfterTheSwap)
{
    clearTo(1, 0, 0);
    SwapBuffers(gl.deviceContext());
    EXPECT_EQ(gl.pixel(0, 0), 0xFF0000FFu);
    EXPECT_EQ(gl.pixel(WIDTH - 1, HEIGHT - 1), 0xFF0000FFu);
}

TEST_P(OffscreenWindows, ResizeWithTheirWindow)
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

TEST(OffscreenWindowsNamed, OtherwiseAreRefused)
{
    const Drawing unknown(L"pbuffer");
    EXPECT_FALSE(VexoUseOffscreenWindows(64, 64));
}

}  // namespace
