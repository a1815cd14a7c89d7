#pragma once

// OpenGL contexts and pixel formats (platform-internal). A context belongs to the backend that
// made it (GLX on the display, EGL offscreen) and can be current on one window of that backend.

#include "platform/win32.h"

struct PixelFormat {
    int depthBits;
    int stencilBits;
};
// Every format is 8-bit RGBA, double-buffered; they differ in depth and stencil. Index + 1 is the
// number ChoosePixelFormat returns.
inline constexpr PixelFormat PIXEL_FORMATS[] = {{16, 0}, {24, 0}, {24, 8}};
inline constexpr int PIXEL_FORMAT_COUNT = sizeof(PIXEL_FORMATS) / sizeof(PIXEL_FORMATS[0]);
// The number ChoosePixelFormat gives for the descriptor: the first format with at least the depth
// and stencil asked for, or else the deepest.
int closestPixelFormat(const PIXELFORMATDESCRIPTOR& descriptor);

struct HGLRC__ {
    virtual ~HGLRC__() = default;
    // Makes the context current on the window's drawable; false if it cannot draw there.
    virtual bool makeCurrent(HWND window) = 0;
    virtual void releaseCurrent() = 0;
};

// The window the current context draws to, or null.
HWND currentGlWindow();
// Called by a backend after a window's drawable was replaced (shown, resized): a context current
// on that window moves onto the new drawable, keeping its display lists and textures.
void rebindCurrentContext(HWND window);
// Called before a window's drawable goes away: a context current on it is released.
void releaseContextOf(HWND window);
