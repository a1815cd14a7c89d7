// Device contexts, pixel formats and the WGL context calls, over the window's backend. One context
// is current at a time (one thread); wglMakeCurrent with no context releases it.

#include "platform/GlContext.h"

#include <algorithm>
#include <vector>

#include "platform/NativeWindow.h"
#include "platform/Window.h"

namespace {

HGLRC currentContext = nullptr;
HWND currentWindow = nullptr;
std::vector<HDC> screenDeviceContexts;

bool isScreenDeviceContext(HDC dc)
{
    return std::find(screenDeviceContexts.begin(), screenDeviceContexts.end(), dc) != screenDeviceContexts.end();
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
    if (window == nullptr) {
        screenDeviceContexts.push_back(new HDC__{nullptr, nullptr});
        return screenDeviceContexts.back();
    }
    return isWindow(window) ? &window->deviceContext : nullptr;
}

int ReleaseDC(HWND, HDC dc)
{
    if (isScreenDeviceContext(dc)) {
        std::erase(screenDeviceContexts, dc);
        delete dc;
        return 1;
    }
    return windowOf(dc) != nullptr ? 1 : 0;
}

int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* descriptor)
{
    if (dc == nullptr || descriptor == nullptr || descriptor->iPixelType != PFD_TYPE_RGBA ||
        !(descriptor->dwFlags & PFD_SUPPORT_OPENGL)) {
        return 0;
    }
    // The first format with at least the depth and stencil asked for, or else the deepest.
    for (int i = 0; i < PIXEL_FORMAT_COUNT; ++i) {
        if (PIXEL_FORMATS[i].depthBits >= descriptor->cDepthBits &&
            PIXEL_FORMATS[i].stencilBits >= descriptor->cStencilBits) {
            return i + 1;
        }
    }
    return PIXEL_FORMAT_COUNT;
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
