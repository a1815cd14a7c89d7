// OpenGL on offscreen windows: the context is current from creation on, draws and reads back,
// and keeps its display lists across a resize.

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include "OffscreenGl.h"

namespace {

TEST(OffscreenGlTest, ClearsAndReadsBackTopRowFirst)
{
    OffscreenGl gl(64, 32);
    ASSERT_TRUE(gl.ok());
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    // Paint the top rows green with a scissor, in GL's bottom-up coordinates.
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 30, 64, 2);
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    ASSERT_TRUE(SwapBuffers(gl.deviceContext()));

    const std::vector<std::uint8_t> pixels = gl.readPixels();
    ASSERT_EQ(pixels.size(), 64u * 32 * 4);
    EXPECT_EQ(pixels[1], 255) << "row 0 is the top: green";
    EXPECT_EQ(pixels[(31 * 64) * 4], 255) << "the bottom row is red";
    EXPECT_EQ(gl.pixel(10, 0), 0x00FF00FFu);
    EXPECT_EQ(gl.pixel(10, 31), 0xFF0000FFu);
}

TEST(OffscreenGlTest, FixedFunctionDrawingAndGluWork)
{
    OffscreenGl gl(32, 32);
    ASSERT_TRUE(gl.ok());
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, 32, 0, 32);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3ub(0, 0, 255);
    glRecti(8, 8, 24, 24);
    EXPECT_EQ(gl.pixel(16, 16), 0x0000FFFFu);
    EXPECT_EQ(gl.pixel(2, 2), 0x000000FFu);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(OffscreenGlTest, DisplayListsSurviveAResizeAndTheNewSizeIsDrawn)
{
    OffscreenGl gl(16, 16);
    ASSERT_TRUE(gl.ok());
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEndList();

    ASSERT_TRUE(SetWindowPos(gl.hwnd(), nullptr, 0, 0, 48, 40, SWP_NOMOVE));
    glViewport(0, 0, 48, 40);
    EXPECT_TRUE(glIsList(list));
    glCallList(list);
    EXPECT_EQ(gl.pixel(47, 39), 0x0000FFFFu) << "the far corner of the larger surface";
    EXPECT_EQ(gl.readPixels().size(), 48u * 40 * 4);
    glDeleteLists(list, 1);
}

TEST(OffscreenGlTest, PixelFormatsFollowTheRequest)
{
    ASSERT_TRUE(VexoUseOffscreenWindows(8, 8));
    HDC screen = GetDC(nullptr);
    PIXELFORMATDESCRIPTOR format{};
    format.dwFlags = PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER | PFD_DRAW_TO_WINDOW;
    format.iPixelType = PFD_TYPE_RGBA;
    const BYTE depths[] = {0, 16, 24, 32};
    const int chosen[] = {1, 1, 2, 3};
    for (int i = 0; i < 4; ++i) {
        format.cDepthBits = depths[i];
        EXPECT_EQ(ChoosePixelFormat(screen, &format), chosen[i]) << int{depths[i]};
    }
    format.dwFlags = PFD_DRAW_TO_WINDOW;
    EXPECT_EQ(ChoosePixelFormat(screen, &format), 0) << "OpenGL support is required";
    EXPECT_FALSE(SetPixelFormat(screen, 1, &format)) << "the screen has no pixel format to set";
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
}

TEST(OffscreenGlTest, ContextCanBeReleasedAndMadeCurrentAgain)
{
    OffscreenGl gl(8, 8, 24);
    ASSERT_TRUE(gl.ok());
    EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr));
    EXPECT_EQ(wglCreateContext(nullptr), nullptr);
    HGLRC second = wglCreateContext(gl.deviceContext());
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(wglMakeCurrent(gl.deviceContext(), second));
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(gl.pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_TRUE(wglDeleteContext(second));
}

}  // namespace
