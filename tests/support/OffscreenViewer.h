#pragma once

// A Viewer on an offscreen window of Width x Height pixels, created and destroyed the way the
// program does it (the shell's window class and createMainWindow, so WM_CREATE sets up GL and
// WM_SIZE the viewport), with the skins and captures guiStartup gives the program.

#include <gtest/gtest.h>

#include <string>

#include "TempFile.h"
#include "shell/Application.h"
#include "viewer/Viewer.h"
#include "widgets/Gui.h"

template <int Width, int Height>
class OffscreenViewerTest : public ::testing::Test {
protected:
    static constexpr int WIDTH = Width;
    static constexpr int HEIGHT = Height;

    static void SetUpTestSuite()
    {
        ASSERT_TRUE(VexoUseOffscreenWindows(Width, Height));
        ASSERT_TRUE(registerWindowClass(MAIN_WINDOW_CLASS, nullptr));
    }
    static void TearDownTestSuite()
    {
        unregisterWindowClass(MAIN_WINDOW_CLASS);
        guiShutdown();
    }

    void SetUp() override
    {
        guiStartup(&viewer);
        ASSERT_TRUE(createMainWindow(viewer, GetModuleHandleW(nullptr)));
        ShowWindow(viewer.hwnd, SW_SHOW);  // as the program does: a main window learns its size here
        while (glGetError() != GL_NO_ERROR) {}  // what making the viewer's font left (see OffscreenGl)
    }

    void TearDown() override
    {
        if (viewer.hwnd != nullptr) DestroyWindow(viewer.hwnd);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {}  // the WM_QUIT that WM_DESTROY posts
    }

    void load(const std::string& bvh)
    {
        TempFile file(bvh);
        ASSERT_TRUE(viewer.loadFile(file.path()));
    }

    Viewer viewer;
};
