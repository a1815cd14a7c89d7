// OpenGL contexts of display windows, on GLX. FLTK makes contexts only for shown windows, but the
// application's context must be current from WM_CREATE on, before the window is shown: so the
// context is made here, current first on a small unmapped helper window of the pixel format's
// visual, and moved onto the client area's X window (created with the same visual) once it exists.
// The context, with its display lists and textures, stays the same throughout.

#include <GL/glx.h>

#include <FL/x.H>

#include <map>

#include "platform/linux/FltkBackend.h"
#include "platform/linux/GlContext.h"
#include "platform/linux/Window.h"

namespace {

// The visual of each pixel format, chosen once and kept for the process. Its XVisualInfo is Xlib's
// memory: freed when the table goes at exit (the helper windows and colormaps go with the display).
struct VisualTable : std::map<int, GlVisual> {
    ~VisualTable()
    {
        for (auto& entry : *this) XFree(entry.second.info);
    }
};
VisualTable visuals;

class GlxContext : public HGLRC__ {
public:
    GlxContext(int pixelFormat, GLXContext context) : pixelFormat(pixelFormat), context(context) {}
    ~GlxContext() override { glXDestroyContext(fl_display, context); }

    bool makeCurrent(HWND window) override
    {
        auto* target = dynamic_cast<DisplayWindow*>(window->native.get());
        if (target == nullptr || window->pixelFormat != pixelFormat) return false;
        const ::Window drawable = target->glDrawable();
        return glXMakeCurrent(fl_display, drawable != 0 ? drawable : glVisualFor(pixelFormat)->helperWindow, context);
    }

    void releaseCurrent() override { glXMakeCurrent(fl_display, None, nullptr); }

private:
    int pixelFormat;
    GLXContext context;
};

}  // namespace

const GlVisual* glVisualFor(int pixelFormat)
{
    const auto known = visuals.find(pixelFormat);
    if (known != visuals.end()) return &known->second;
    if (pixelFormat < 1 || pixelFormat > PIXEL_FORMAT_COUNT || !openDisplay()) return nullptr;

    const PixelFormat& format = PIXEL_FORMATS[pixelFormat - 1];
    int attributes[] = {GLX_RGBA,       GLX_DOUBLEBUFFER, GLX_RED_SIZE,     8, GLX_GREEN_SIZE, 8,
                        GLX_BLUE_SIZE,  8,                GLX_DEPTH_SIZE,   format.depthBits,
                        GLX_STENCIL_SIZE, format.stencilBits, None};
    XVisualInfo* info = glXChooseVisual(fl_display, fl_screen, attributes);
    if (info == nullptr) return nullptr;
    const ::Window root = RootWindow(fl_display, fl_screen);
    XSetWindowAttributes windowAttributes{};
    windowAttributes.colormap = XCreateColormap(fl_display, root, info->visual, AllocNone);
    windowAttributes.border_pixel = 0;
    const ::Window helper = XCreateWindow(fl_display, root, 0, 0, 1, 1, 0, info->depth, InputOutput, info->visual,
                                          CWColormap | CWBorderPixel, &windowAttributes);
    return &(visuals[pixelFormat] = GlVisual{info, windowAttributes.colormap, helper});
}

HGLRC createGlxContext(int pixelFormat)
{
    const GlVisual* visual = glVisualFor(pixelFormat);
    if (visual == nullptr) return nullptr;
    const GLXContext context = glXCreateContext(fl_display, visual->info, nullptr, True);
    return context == nullptr ? nullptr : new GlxContext(pixelFormat, context);
}

void swapGlxBuffers(::Window drawable)
{
    glXSwapBuffers(fl_display, drawable);
}
