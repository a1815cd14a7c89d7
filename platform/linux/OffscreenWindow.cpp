// Offscreen windows: no display at all. Each window that draws gets an EGL pbuffer of its client
// size on Mesa's surfaceless platform; its contexts are desktop OpenGL (a compatibility profile,
// so fixed-function GL, GLU and display lists work). A pbuffer has one buffer: SwapBuffers leaves
// the frame in place, so glReadPixels reads the last frame drawn. Resizing replaces the pbuffer;
// the context current on it moves to the new one. Contexts without a window are a pbuffer and a
// context of the same configuration, which EGL lets any thread make current.

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <algorithm>
#include <cstdlib>
#include <new>

#include "platform/linux/FontConfiguration.h"
#include "platform/linux/GlContext.h"
#include "platform/linux/NativeWindow.h"
#include "platform/linux/Window.h"

namespace {

bool offscreen = false;
int defaultWidth = 0;
int defaultHeight = 0;
EGLDisplay eglDisplay = EGL_NO_DISPLAY;

void terminateEgl()
{
    eglTerminate(eglDisplay);
    eglReleaseThread();
}

bool initialiseEgl()
{
    if (eglDisplay != EGL_NO_DISPLAY) return true;
    EGLDisplay display = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) return false;
    if (!eglBindAPI(EGL_OPENGL_API)) {
        eglTerminate(display);
        return false;
    }
    eglDisplay = display;
    std::atexit(terminateEgl);
    return true;
}

EGLConfig chooseConfig(int pixelFormat)
{
    const PixelFormat& format = PIXEL_FORMATS[pixelFormat - 1];
    const EGLint attributes[] = {EGL_SURFACE_TYPE,    EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                 EGL_RED_SIZE,        8,               EGL_GREEN_SIZE,      8,
                                 EGL_BLUE_SIZE,       8,               EGL_ALPHA_SIZE,      8,
                                 EGL_DEPTH_SIZE,      format.depthBits, EGL_STENCIL_SIZE,   format.stencilBits,
                                 EGL_NONE};
    // EGL lists the smallest depth buffer first, while glXChooseVisual prefers the largest: take the
    // largest too, so that offscreen pictures resolve depth exactly as the windows on a display do.
    EGLConfig configs[64];
    EGLint count = 0;
    if (!eglChooseConfig(eglDisplay, attributes, configs, 64, &count) || count == 0) return nullptr;
    EGLConfig deepest = configs[0];
    EGLint deepestBits = -1;
    for (EGLint i = 0; i < count; ++i) {
        EGLint bits = 0;
        eglGetConfigAttrib(eglDisplay, configs[i], EGL_DEPTH_SIZE, &bits);
        if (bits > deepestBits) deepest = configs[i], deepestBits = bits;
    }
    return deepest;
}

class OffscreenWindow : public NativeWindow {
public:
    OffscreenWindow(HWND window, int x, int y, int width, int height) : window(window)
    {
        if (x == CW_USEDEFAULT) x = y = 0;
        reportGeometry(x, y, width, height);
    }

    ~OffscreenWindow() override
    {
        releaseContextOf(window);
        if (surface != EGL_NO_SURFACE) eglDestroySurface(eglDisplay, surface);
    }

    void show(bool) override {}

    void moveResize(int x, int y, int width, int height) override
    {
        // The new pbuffer is in place before WM_SIZE, so its handler can set the viewport.
        if (surface != EGL_NO_SURFACE && (width != window->clientWidth || height != window->clientHeight)) {
            const EGLSurface old = surface;
            surface = createSurface(config, width, height);
            rebindCurrentContext(window);
            eglDestroySurface(eglDisplay, old);
        }
        reportGeometry(x, y, width, height);
    }

    HGLRC createGlContext(int pixelFormat) override;

    bool swapBuffers() override { return surface != EGL_NO_SURFACE && eglSwapBuffers(eglDisplay, surface); }

    void captureChanged(bool) override {}

    // The window's pbuffer, made on first use in the configuration of the first context drawn.
    EGLSurface surfaceFor(EGLConfig contextConfig)
    {
        if (surface == EGL_NO_SURFACE) {
            config = contextConfig;
            surface = createSurface(config, window->clientWidth, window->clientHeight);
        }
        return config == contextConfig ? surface : EGL_NO_SURFACE;
    }

private:
    // Offscreen there is no frame: the outer rectangle is the client area.
    void reportGeometry(int x, int y, int width, int height)
    {
        updateWindowGeometry(window, RECT{x, y, x + width, y + height}, POINT{x, y}, width, height);
    }

    static EGLSurface createSurface(EGLConfig config, int width, int height)
    {
        const EGLint attributes[] = {EGL_WIDTH, std::max(width, 1), EGL_HEIGHT, std::max(height, 1), EGL_NONE};
        return eglCreatePbufferSurface(eglDisplay, config, attributes);
    }

    HWND window;
    EGLConfig config = nullptr;
    EGLSurface surface = EGL_NO_SURFACE;
};

class EglContext : public HGLRC__ {
public:
    EglContext(EGLConfig config, EGLContext context) : config(config), context(context) {}
    ~EglContext() override { eglDestroyContext(eglDisplay, context); }

    bool makeCurrent(HWND window) override
    {
        auto* target = dynamic_cast<OffscreenWindow*>(window->native.get());
        if (target == nullptr) return false;
        const EGLSurface surface = target->surfaceFor(config);
        return surface != EGL_NO_SURFACE && eglMakeCurrent(eglDisplay, surface, surface, context);
    }

    void releaseCurrent() override { eglMakeCurrent(eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT); }

private:
    EGLConfig config;
    EGLContext context;
};

HGLRC OffscreenWindow::createGlContext(int pixelFormat)
{
    const EGLConfig contextConfig = chooseConfig(pixelFormat);
    if (contextConfig == nullptr) return nullptr;
    const EGLContext context = eglCreateContext(eglDisplay, contextConfig, EGL_NO_CONTEXT, nullptr);
    if (context == EGL_NO_CONTEXT) return nullptr;
    return new EglContext(contextConfig, context);
}

}  // namespace

// ---- Contexts without a window, for drawing on several threads -------------------------------------

struct VexoOffscreenGl {
    EGLSurface surface;
    EGLContext context;
};

VexoOffscreenGl* VexoCreateOffscreenGl(int width, int height, const PIXELFORMATDESCRIPTOR* format)
{
    if (eglDisplay == EGL_NO_DISPLAY || width <= 0 || height <= 0 || format == nullptr) return nullptr;
    const EGLConfig config = chooseConfig(closestPixelFormat(*format));
    if (config == nullptr) return nullptr;
    const EGLint attributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    const EGLSurface surface = eglCreatePbufferSurface(eglDisplay, config, attributes);
    if (surface == EGL_NO_SURFACE) return nullptr;
    const EGLContext context = eglCreateContext(eglDisplay, config, EGL_NO_CONTEXT, nullptr);
    if (context == EGL_NO_CONTEXT) {
        eglDestroySurface(eglDisplay, surface);
        return nullptr;
    }
    return new (std::nothrow) VexoOffscreenGl{surface, context};
}

BOOL VexoMakeOffscreenGlCurrent(VexoOffscreenGl* gl)
{
    // EGL keeps the current context per thread, so this touches no window's.
    if (gl == nullptr) return eglMakeCurrent(eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    return eglMakeCurrent(eglDisplay, gl->surface, gl->surface, gl->context);
}

void VexoDeleteOffscreenGl(VexoOffscreenGl* gl)
{
    if (gl == nullptr) return;
    eglDestroyContext(eglDisplay, gl->context);
    eglDestroySurface(eglDisplay, gl->surface);
    delete gl;
}

bool offscreenWindowsInUse()
{
    return offscreen;
}

void offscreenDefaultSize(int* width, int* height)
{
    *width = defaultWidth;
    *height = defaultHeight;
}

BOOL VexoUseOffscreenWindows(int width, int height)
{
    if (width <= 0 || height <= 0) return FALSE;
    preloadFontConfiguration(false);  // while OpenGL starts up
    if (!initialiseEgl()) return FALSE;
    offscreen = true;
    defaultWidth = width;
    defaultHeight = height;
    return TRUE;
}

std::unique_ptr<NativeWindow> createOffscreenWindow(HWND window, int x, int y, int width, int height)
{
    return std::make_unique<OffscreenWindow>(window, x, y, width, height);
}

std::unique_ptr<NativeWindow> createOffscreenDialog(HWND dialog, int clientWidth, int clientHeight)
{
    return std::make_unique<OffscreenWindow>(dialog, 0, 0, clientWidth, clientHeight);
}
