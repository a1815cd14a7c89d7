// Device contexts, pixel formats and the WGL context calls, over the window's backend. One context
// is current at a time (one thread); wglMakeCurrent with no context releases it.

#include "platform/linux/GlContext.h"

#include "platform/linux/NativeWindow.h"
#include "platform/linux/Window.h"

namespace {

HGLRC currentContext = nullptr;
HWND currentWindow = nullptr;

// Screen device contexts come from a small fixed cache, as on Windows, so taking one (as text
// measuring does on every frame) allocates nothing.
constexpr int SCREEN_DC_COUNT = 8;
HDC__ screenDeviceContexts[SCREEN_DC_COUNT];
bool screenDeviceContextTaken[SCREEN_DC_COUNT];

int screenDeviceContextIndex(HDC dc)
{
    for (int i = 0; i < SCREEN_DC_COUNT; ++i) {
        if (dc == &screenDeviceContexts[i]) return i;
    }
    return -1;
}

bool isScreenDeviceContext(HDC dc)
{
    return screenDeviceContextIndex(dc) >= 0;
}

HWND windowOf(HDC dc)
{
    if (dc == nullptr || isScreenDeviceContext(dc) || !isWindow(dc->window)) return nullptr;
    return dc->window;
}

}  // namespace

HWND currentGlWindow()
{
    return currentWindow;
}

void rebindCurrentContext(HWND window)
{
    if (currentContext != nullptr && currentWindow == window) currentContext->makeCurrent(window);
}

void releaseContextOf(HWND window)
{
    if (currentContext != nullptr && currentWindow == window) {
        currentContext->releaseCurrent();
        currentContext = nullptr;
        currentWindow = nullptr;
    }
}

HDC GetDC(HWND window)
{
    if (window != nullptr) return isWindow(window) ? &window->deviceContext : nullptr;
    for (int i = 0; i < SCREEN_DC_COUNT; ++i) {
        if (!screenDeviceContextTaken[i]) {
            screenDeviceContextTaken[i] = true;
            screenDeviceContexts[i] = HDC__{nullptr, nullptr};
            return &screenDeviceContexts[i];
        }
    }
    return nullptr;  // all taken: the caller leaked its earlier ones
}

int ReleaseDC(HWND, HDC dc)
{
    const int screen = screenDeviceContextIndex(dc);
    if (screen >= 0) {
        const bool wasTaken = screenDeviceContextTaken[screen];
        screenDeviceContextTaken[screen] = false;
        return wasTaken ? 1 : 0;
    }
    return windowOf(dc) != nullptr ? 1 : 0;
}

int closestPixelFormat(const PIXELFORMATDESCRIPTOR& descriptor)
{
    // The first format with at least the depth and stencil asked for, or else the deepest.
    for (int i = 0; i < PIXEL_FORMAT_COUNT; ++i) {
        if (PIXEL_FORMATS[i].depthBits >= descriptor.cDepthBits && PIXEL_FORMATS[i].stencilBits >= descriptor.cStencilBits) {
            return i + 1;
        }
    }
    return PIXEL_FORMAT_COUNT;
}

int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* descriptor)
{
    if (dc == nullptr || descriptor == nullptr || descriptor->iPixelType != PFD_TYPE_RGBA ||
        !(descriptor->dwFlags & PFD_SUPPORT_OPENGL)) {
        return 0;
    }
    return closestPixelFormat(*descriptor);
}

BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR*)
{
    const HWND window = windowOf(dc);
    if (window == nullptr || format < 1 || format > PIXEL_FORMAT_COUNT) return FALSE;
    // A window's pixel format is set once.
    if (window->pixelFormat != 0) return window->pixelFormat == format;
    window->pixelFormat = format;
    return TRUE;
}

HGLRC wglCreateContext(HDC dc)
{
    const HWND window = windowOf(dc);
    if (window == nullptr || window->pixelFormat == 0) return nullptr;
    return window->native->createGlContext(window->pixelFormat);
}

BOOL wglMakeCurrent(HDC dc, HGLRC context)
{
    if (context == nullptr) {
        if (currentContext != nullptr) currentContext->releaseCurrent();
        currentContext = nullptr;
        currentWindow = nullptr;
        return TRUE;
    }
    const HWND window = windowOf(dc);
    if (window == nullptr || !context->makeCurrent(window)) return FALSE;
    currentContext = context;
    currentWindow = window;
    return TRUE;
}

BOOL wglDeleteContext(HGLRC context)
{
    if (context == nullptr) return FALSE;
    if (context == currentContext) wglMakeCurrent(nullptr, nullptr);
    delete context;
    return TRUE;
}

BOOL SwapBuffers(HDC dc)
{
    const HWND window = windowOf(dc);
    return window != nullptr && window->native->swapBuffers() ? TRUE : FALSE;
}

HDC VexoGetGlDC(HWND window, const PIXELFORMATDESCRIPTOR* format)
{
    const HDC dc = GetDC(window);
    const int index = dc != nullptr ? ChoosePixelFormat(dc, format) : 0;
    if (index == 0 || !SetPixelFormat(dc, index, format)) return nullptr;
    return dc;
}
