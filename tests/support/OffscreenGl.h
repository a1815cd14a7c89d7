#pragma once

// An offscreen window with a current OpenGL context, made through the platform API exactly as the
// viewer makes its own (RegisterClassW, CreateWindowExW, and at WM_CREATE VexoGetGlDC,
// wglCreateContext, wglMakeCurrent), for tests that draw and read the pixels back.
// No display is needed. One at a time per process.
//
//     OffscreenGl gl(64, 32);
//     ASSERT_TRUE(gl.ok());
//     glClear(GL_COLOR_BUFFER_BIT);
//     std::vector<std::uint8_t> pixels = gl.readPixels();  // RGBA, top row first

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/win32.h"

class OffscreenGl {
public:
    OffscreenGl(int width, int height, BYTE depthBits = 16) : depthBits(depthBits)
    {
        if (!VexoUseOffscreenWindows(width, height)) return;
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = windowProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = CLASS_NAME;
        RegisterClassW(&windowClass);
        window = CreateWindowExW(0, CLASS_NAME, TEXT("test"), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0,
                                 nullptr, nullptr, windowClass.hInstance, this);
        if (current) glViewport(0, 0, width, height);
    }

    ~OffscreenGl()
    {
        if (context != nullptr) {
            wglMakeCurrent(nullptr, nullptr);
            wglDeleteContext(context);
        }
        if (window != nullptr) {
            ReleaseDC(window, dc);
            DestroyWindow(window);
        }
        UnregisterClassW(CLASS_NAME, GetModuleHandleW(nullptr));
    }

    OffscreenGl(const OffscreenGl&) = delete;
    OffscreenGl& operator=(const OffscreenGl&) = delete;

    bool ok() const { return current; }

    // Forgets the GL errors raised so far. The platform's glyph lists may leave one behind: under
    // Wine on Mesa, the list of an empty glyph (the space) raises GL_OUT_OF_MEMORY as it is made.
    static void forgetErrors()
    {
        while (glGetError() != GL_NO_ERROR) {}
    }
    HWND hwnd() const { return window; }
    HDC deviceContext() const { return dc; }

    // The client area's pixels as 8-bit RGBA, top row first (GL reads bottom-up).
    std::vector<std::uint8_t> readPixels() const
    {
        RECT client{};
        GetClientRect(window, &client);
        const int width = client.right, height = client.bottom;
        std::vector<std::uint8_t> bottomUp(static_cast<size_t>(width) * height * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
        std::vector<std::uint8_t> topDown(bottomUp.size());
        const size_t stride = static_cast<size_t>(width) * 4;
        for (int y = 0; y < height; ++y) {
            std::copy_n(&bottomUp[(height - 1 - y) * stride], stride, &topDown[y * stride]);
        }
        return topDown;
    }

    // One pixel (x to the right, y downward from the top-left corner) as 0xRRGGBBAA.
    std::uint32_t pixel(int x, int y) const
    {
        RECT client{};
        GetClientRect(window, &client);
        std::uint8_t rgba[4] = {};
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x, client.bottom - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return (std::uint32_t{rgba[0]} << 24) | (rgba[1] << 16) | (rgba[2] << 8) | rgba[3];
    }

private:
    static constexpr const WCHAR* CLASS_NAME = TEXT("VexoOffscreenGlTest");

    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_CREATE) {
            auto* self = static_cast<OffscreenGl*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
            self->makeContext(window);
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    void makeContext(HWND on)
    {
        PIXELFORMATDESCRIPTOR format{};
        format.nSize = sizeof(format);
        format.nVersion = 1;
        format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        format.iPixelType = PFD_TYPE_RGBA;
        format.cColorBits = 32;
        format.cDepthBits = depthBits;
        dc = VexoGetGlDC(on, &format);
        if (dc == nullptr) return;
        context = wglCreateContext(dc);
        current = context != nullptr && wglMakeCurrent(dc, context);
    }

    BYTE depthBits;

    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC context = nullptr;
    bool current = false;
};
