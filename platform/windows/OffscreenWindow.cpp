// Offscreen windows: real windows of the program that are never shown. A hidden window's own
// pixels are not guaranteed to be kept (they belong to no part of the screen), so each window draws
// into a framebuffer object of its client size instead, bound in its GL context as soon as the
// window has made one current (at WM_CREATE); GL reads and writes it in place of the window's
// buffers, so glReadPixels reads the last frame drawn, also after SwapBuffers.
//
// The windows are caught as they are created, by a CBT hook of the thread, and subclassed: their
// client area is the whole window (no frame, no menu bar), they are created at the default size
// (min and max tracking size pinned until WM_CREATE; after that any size goes, beyond the screen's
// too), and showing them shows nothing.

#include "platform/win32.h"

#include <GL/glext.h>

#include <map>

namespace {

// The framebuffer-object calls (OpenGL 3.0, or ARB_framebuffer_object), asked of the context.
struct FramebufferCalls {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage;

    // False when the current context has not all of them.
    bool load()
    {
        return find(genFramebuffers, "glGenFramebuffers") && find(deleteFramebuffers, "glDeleteFramebuffers") &&
               find(bindFramebuffer, "glBindFramebuffer") &&
               find(framebufferRenderbuffer, "glFramebufferRenderbuffer") &&
               find(checkFramebufferStatus, "glCheckFramebufferStatus") &&
               find(genRenderbuffers, "glGenRenderbuffers") && find(deleteRenderbuffers, "glDeleteRenderbuffers") &&
               find(bindRenderbuffer, "glBindRenderbuffer") && find(renderbufferStorage, "glRenderbufferStorage");
    }

private:
    template <typename Call>
    static bool find(Call& call, const char* name)
    {
        call = reinterpret_cast<Call>(reinterpret_cast<void*>(wglGetProcAddress(name)));
        return call != nullptr;
    }
};

// An offscreen window: its own procedure, and the framebuffer object it draws into.
struct OffscreenTarget {
    WNDPROC procedure = nullptr;
    bool created = false;     // WM_CREATE has been handled: the size is free from then on
    HGLRC context = nullptr;  // the context the framebuffer object lives in, once there is one
    GLuint framebuffer = 0;
    GLuint colour = 0;
    GLuint depth = 0;
    GLenum depthFormat = 0;  // 0: the window's pixel format has no depth buffer
};

constexpr LONG LARGEST_SIDE = 32767;

int defaultWidth = 0;
int defaultHeight = 0;
HHOOK creationHook = nullptr;
std::map<HWND, OffscreenTarget> targets;
FramebufferCalls fbo;

// The depth (and stencil) buffer of the pixel format the window's context was made for.
GLenum depthFormatOf(HDC dc)
{
    PIXELFORMATDESCRIPTOR format{};
    if (DescribePixelFormat(dc, GetPixelFormat(dc), sizeof format, &format) == 0) return GL_DEPTH_COMPONENT16;
    if (format.cStencilBits > 0) return GL_DEPTH24_STENCIL8;
    if (format.cDepthBits == 0) return 0;
    if (format.cDepthBits <= 16) return GL_DEPTH_COMPONENT16;
    return format.cDepthBits <= 24 ? GL_DEPTH_COMPONENT24 : GL_DEPTH_COMPONENT32;
}

void allocateBuffers(const OffscreenTarget& target, HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    const GLsizei width = client.right > 0 ? client.right : 1, height = client.bottom > 0 ? client.bottom : 1;
    fbo.bindRenderbuffer(GL_RENDERBUFFER, target.colour);
    fbo.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    if (target.depthFormat != 0) {
        fbo.bindRenderbuffer(GL_RENDERBUFFER, target.depth);
        fbo.renderbufferStorage(GL_RENDERBUFFER, target.depthFormat, width, height);
    }
    fbo.bindRenderbuffer(GL_RENDERBUFFER, 0);
}

// Makes the framebuffer object of the window in the current context, once one is current.
void bindFramebuffer(HWND window, OffscreenTarget& target)
{
    const HGLRC context = wglGetCurrentContext();
    if (context == nullptr || target.context != nullptr || !fbo.load()) return;
    target.context = context;
    target.depthFormat = depthFormatOf(wglGetCurrentDC());
    fbo.genFramebuffers(1, &target.framebuffer);
    fbo.genRenderbuffers(1, &target.colour);
    if (target.depthFormat != 0) fbo.genRenderbuffers(1, &target.depth);
    allocateBuffers(target, window);
    fbo.bindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
    fbo.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, target.colour);
    if (target.depthFormat == GL_DEPTH24_STENCIL8) {
        fbo.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, target.depth);
    } else if (target.depthFormat != 0) {
        fbo.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, target.depth);
    }
}

// Deletes the framebuffer object while its context is current; with the context gone, so is it.
void releaseFramebuffer(OffscreenTarget& target)
{
    if (target.context != nullptr && wglGetCurrentContext() == target.context) {
        fbo.bindFramebuffer(GL_FRAMEBUFFER, 0);
        fbo.deleteFramebuffers(1, &target.framebuffer);
        fbo.deleteRenderbuffers(1, &target.colour);
        if (target.depth != 0) fbo.deleteRenderbuffers(1, &target.depth);
    }
    target = OffscreenTarget{target.procedure, target.created};
}

LRESULT CALLBACK offscreenProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    OffscreenTarget& target = targets[window];
    switch (message) {
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = target.created ? POINT{0, 0} : POINT{defaultWidth, defaultHeight};
        info->ptMaxTrackSize = target.created ? POINT{LARGEST_SIDE, LARGEST_SIDE} : POINT{defaultWidth, defaultHeight};
        return 0;
    }
    case WM_NCCALCSIZE:
        return 0;  // the client area is the whole window
    case WM_WINDOWPOSCHANGING:
        reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_SHOWWINDOW;
        reinterpret_cast<WINDOWPOS*>(lParam)->flags |= SWP_NOACTIVATE;
        break;
    case WM_DESTROY:
        releaseFramebuffer(target);
        break;
    }
    const LRESULT result = CallWindowProcW(target.procedure, window, message, wParam, lParam);
    // The window's own procedure may have destroyed it meanwhile.
    const auto still = targets.find(window);
    if (message == WM_NCDESTROY) {
        if (still != targets.end()) targets.erase(still);
    } else if (still != targets.end()) {
        OffscreenTarget& after = still->second;
        if (message == WM_CREATE) {
            after.created = true;
            bindFramebuffer(window, after);
        } else if (message == WM_SIZE && after.context != nullptr && wglGetCurrentContext() == after.context) {
            allocateBuffers(after, window);
        }
    }
    return result;
}

// Subclasses the program's top-level windows (not dialogs or popups) as they are created.
LRESULT CALLBACK creationProcedure(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        const CREATESTRUCTW* create = reinterpret_cast<const CBT_CREATEWNDW*>(lParam)->lpcs;
        const HWND window = reinterpret_cast<HWND>(wParam);
        if ((create->style & (WS_CHILD | WS_POPUP)) == 0 && create->hInstance == GetModuleHandleW(nullptr)) {
            targets[window].procedure = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(offscreenProcedure)));
        }
    }
    return CallNextHookEx(creationHook, code, wParam, lParam);
}

// Whether an OpenGL context of the kind windows make has framebuffer objects: tried once on a
// window of its own.
bool framebuffersAvailable()
{
    static const bool available = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"VexoOffscreenProbe";
        RegisterClassW(&windowClass);
        const HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr,
                                            nullptr, windowClass.hInstance, nullptr);
        bool found = false;
        if (window != nullptr) {
            const HDC dc = GetDC(window);
            PIXELFORMATDESCRIPTOR format{};
            format.nSize = sizeof format;
            format.nVersion = 1;
            format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
            format.cColorBits = 32;
            format.cDepthBits = 16;
            const int index = ChoosePixelFormat(dc, &format);
            const HGLRC context = index != 0 && SetPixelFormat(dc, index, &format) ? wglCreateContext(dc) : nullptr;
            if (context != nullptr) {
                if (wglMakeCurrent(dc, context)) found = FramebufferCalls().load();
                wglMakeCurrent(nullptr, nullptr);
                wglDeleteContext(context);
            }
            ReleaseDC(window, dc);
            DestroyWindow(window);
        }
        UnregisterClassW(windowClass.lpszClassName, windowClass.hInstance);
        return found;
    }();
    return available;
}

}  // namespace

BOOL VexoUseOffscreenWindows(int width, int height)
{
    if (!framebuffersAvailable()) return FALSE;
    defaultWidth = width;
    defaultHeight = height;
    if (creationHook == nullptr) {
        creationHook = SetWindowsHookExW(WH_CBT, creationProcedure, nullptr, GetCurrentThreadId());
    }
    return creationHook != nullptr;
}
