// Offscreen windows: real windows of the program that are never shown. A hidden window's own
// pixels are not guaranteed to be kept (they belong to no part of the screen), so each window draws
// elsewhere, in one of two ways chosen for all of them when offscreen windows are asked for:
// - a framebuffer object of its client size, bound in its GL context as soon as the window has made
//   one current (at WM_CREATE); GL reads and writes it in place of the window's buffers. Needs
//   OpenGL 3.0 or ARB_framebuffer_object, which a display driver gives;
// - a bitmap of its client size (a DIB section in a memory device context), which VexoGetGlDC hands
//   out in place of the window's own device context. Windows' own OpenGL 1.1 draws into it, so it
//   works where there is no display driver (virtual machines without 3D, remote sessions).
// Either way glReadPixels reads the last frame drawn, also after SwapBuffers.
//
// The windows are caught as they are created, by a CBT hook of the thread, and subclassed: their
// client area is the whole window (no frame, no menu bar), they are created at the default size
// (min and max tracking size pinned until WM_CREATE; after that any size goes, beyond the screen's
// too), and showing them shows nothing.

#include "platform/win32.h"

#include <GL/glext.h>

#include <map>
#include <string_view>

namespace {

enum class Drawing { Framebuffer, Bitmap };

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

    // False when the current context does not offer them: a driver may hand out entry points for
    // calls its contexts do not support, so the version or the extension is asked first.
    bool load()
    {
        return offered() && find(genFramebuffers, "glGenFramebuffers") &&
               find(deleteFramebuffers, "glDeleteFramebuffers") && find(bindFramebuffer, "glBindFramebuffer") &&
               find(framebufferRenderbuffer, "glFramebufferRenderbuffer") &&
               find(checkFramebufferStatus, "glCheckFramebufferStatus") &&
               find(genRenderbuffers, "glGenRenderbuffers") && find(deleteRenderbuffers, "glDeleteRenderbuffers") &&
               find(bindRenderbuffer, "glBindRenderbuffer") && find(renderbufferStorage, "glRenderbufferStorage");
    }

private:
    static bool offered()
    {
        const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        if (version == nullptr) return false;
        if (version[0] >= '3' && version[0] <= '9' && version[1] == '.') return true;
        const auto* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
        if (extensions == nullptr) return false;
        // A whole name of the space-separated list, not the start of a longer one.
        constexpr std::string_view name = "GL_ARB_framebuffer_object";
        for (std::string_view rest = extensions; !rest.empty();) {
            const size_t end = rest.find(' ');
            if (rest.substr(0, end) == name) return true;
            rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        }
        return false;
    }

    template <typename Call>
    static bool find(Call& call, const char* name)
    {
        call = reinterpret_cast<Call>(reinterpret_cast<void*>(wglGetProcAddress(name)));
        return call != nullptr;
    }
};

// An offscreen window: its own procedure, and what it draws into.
struct OffscreenTarget {
    WNDPROC procedure = nullptr;
    bool created = false;     // WM_CREATE has been handled: the size is free from then on
    // Framebuffer drawing
    HGLRC context = nullptr;  // the context the framebuffer object lives in, once there is one
    GLuint framebuffer = 0;
    GLuint colour = 0;
    GLuint depth = 0;
    GLenum depthFormat = 0;  // 0: the window's pixel format has no depth buffer
    // Bitmap drawing
    HDC memory = nullptr;        // the device context VexoGetGlDC handed out, holding the bitmap
    HBITMAP bitmap = nullptr;
    HGDIOBJ firstBitmap = nullptr;  // what the memory device context held when it was made
    SIZE bitmapSize{};
};

constexpr LONG LARGEST_SIDE = 32767;

Drawing drawing = Drawing::Framebuffer;
int defaultWidth = 0;
int defaultHeight = 0;
HHOOK creationHook = nullptr;
std::map<HWND, OffscreenTarget> targets;
FramebufferCalls fbo;

SIZE clientSize(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    return {client.right > 0 ? client.right : 1, client.bottom > 0 ? client.bottom : 1};
}

// ---- Framebuffer objects ----------------------------------------------------------------------

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

// Storage for the buffers at the window's client size.
void allocateBuffers(const OffscreenTarget& target, HWND window)
{
    const SIZE size = clientSize(window);
    fbo.bindRenderbuffer(GL_RENDERBUFFER, target.colour);
    fbo.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, size.cx, size.cy);
    if (target.depthFormat != 0) {
        fbo.bindRenderbuffer(GL_RENDERBUFFER, target.depth);
        fbo.renderbufferStorage(GL_RENDERBUFFER, target.depthFormat, size.cx, size.cy);
    }
    fbo.bindRenderbuffer(GL_RENDERBUFFER, 0);
}

// Makes the framebuffer object of the window in the current context, once one is current. False
// when it is not complete (a size beyond what the driver allows, for one): it would give blank
// pictures.
bool bindFramebuffer(HWND window, OffscreenTarget& target)
{
    const HGLRC context = wglGetCurrentContext();
    if (context == nullptr || target.context != nullptr) return true;
    if (!fbo.load()) return false;
    target.context = context;
    target.depthFormat = depthFormatOf(wglGetCurrentDC());
    fbo.genFramebuffers(1, &target.framebuffer);
    fbo.genRenderbuffers(1, &target.colour);
    if (target.depthFormat != 0) fbo.genRenderbuffers(1, &target.depth);
    // A renderbuffer exists once bound, which the storage does: only then can it be attached.
    allocateBuffers(target, window);
    fbo.bindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
    fbo.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, target.colour);
    if (target.depthFormat == GL_DEPTH24_STENCIL8) {
        fbo.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, target.depth);
    } else if (target.depthFormat != 0) {
        fbo.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, target.depth);
    }
    return fbo.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
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
    target.context = nullptr;
    target.framebuffer = target.colour = target.depth = 0;
}

// Whether an OpenGL context of the kind windows make has framebuffer objects, and a complete one
// of the formats the windows use: tried once on a window of its own.
bool framebuffersAvailable()
{
    static const bool available = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"VexoOffscreenProbe";
        RegisterClassW(&windowClass);
        const HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 16, 16, nullptr,
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
                if (wglMakeCurrent(dc, context)) {
                    OffscreenTarget probe;
                    found = bindFramebuffer(window, probe);
                    if (probe.context != nullptr) releaseFramebuffer(probe);
                }
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

// ---- Bitmaps ----------------------------------------------------------------------------------

// A 32-bit bottom-up DIB section (the layout Windows' OpenGL draws into) of the window's client
// size, selected into its memory device context in place of the one before. False when there is
// no memory for it; the bitmap before stays.
bool selectBitmap(HWND window, OffscreenTarget& target)
{
    const SIZE size = clientSize(window);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(target.memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr) return false;
    const HGDIOBJ before = SelectObject(target.memory, bitmap);
    if (target.bitmap == nullptr) {
        target.firstBitmap = before;
    } else {
        DeleteObject(target.bitmap);
    }
    target.bitmap = bitmap;
    target.bitmapSize = size;
    return true;
}

// The window's memory device context with its bitmap, and the bitmap variant of the pixel format
// asked for; false when it cannot be made.
bool makeBitmapTarget(HWND window, OffscreenTarget& target, const PIXELFORMATDESCRIPTOR& asked)
{
    target.memory = CreateCompatibleDC(nullptr);
    if (target.memory == nullptr || !selectBitmap(window, target)) return false;
    PIXELFORMATDESCRIPTOR format = asked;
    format.dwFlags = (asked.dwFlags & ~(PFD_DRAW_TO_WINDOW | PFD_DOUBLEBUFFER)) | PFD_DRAW_TO_BITMAP | PFD_SUPPORT_GDI;
    format.cColorBits = 32;
    const int index = ChoosePixelFormat(target.memory, &format);
    PIXELFORMATDESCRIPTOR chosen{};
    return index != 0 && DescribePixelFormat(target.memory, index, sizeof chosen, &chosen) != 0 &&
           (chosen.dwFlags & PFD_DRAW_TO_BITMAP) != 0 && SetPixelFormat(target.memory, index, &format);
}

void releaseBitmap(OffscreenTarget& target)
{
    if (target.memory == nullptr) return;
    if (wglGetCurrentDC() == target.memory) wglMakeCurrent(nullptr, nullptr);
    if (target.bitmap != nullptr) {
        SelectObject(target.memory, target.firstBitmap);
        DeleteObject(target.bitmap);
    }
    DeleteDC(target.memory);
    target.memory = nullptr;
    target.bitmap = nullptr;
}

// A new bitmap of the new client size. A context current on it draws into the new one once made
// current again.
void resizeBitmap(HWND window, OffscreenTarget& target)
{
    const SIZE size = clientSize(window);
    if (target.bitmap == nullptr || (size.cx == target.bitmapSize.cx && size.cy == target.bitmapSize.cy)) return;
    if (!selectBitmap(window, target)) return;
    if (wglGetCurrentDC() == target.memory) wglMakeCurrent(target.memory, wglGetCurrentContext());
}

// ---- The windows ------------------------------------------------------------------------------

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
    LRESULT result = CallWindowProcW(target.procedure, window, message, wParam, lParam);
    // The window's own procedure may have destroyed it meanwhile.
    const auto still = targets.find(window);
    if (message == WM_NCDESTROY) {
        if (still != targets.end()) {
            releaseBitmap(still->second);
            targets.erase(still);
        }
    } else if (still != targets.end()) {
        OffscreenTarget& after = still->second;
        if (message == WM_CREATE) {
            after.created = true;
            // A framebuffer that cannot be complete fails the creation rather than give blank pictures.
            if (result == 0 && drawing == Drawing::Framebuffer && !bindFramebuffer(window, after)) result = -1;
        } else if (message == WM_SIZE && after.context != nullptr && wglGetCurrentContext() == after.context) {
            allocateBuffers(after, window);
        } else if (message == WM_SIZE) {
            resizeBitmap(window, after);
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

// The way of drawing that VEXO_OFFSCREEN names ("framebuffer", "bitmap"); unset or empty, the
// framebuffer where there is one. False when the one named is not available.
bool chooseDrawing()
{
    WCHAR named[16] = {};
    const DWORD length = GetEnvironmentVariableW(L"VEXO_OFFSCREEN", named, 16);
    if (length == 0 || length >= 16) {
        drawing = framebuffersAvailable() ? Drawing::Framebuffer : Drawing::Bitmap;
        return length == 0;
    }
    if (lstrcmpiW(named, L"bitmap") == 0) {
        drawing = Drawing::Bitmap;
        return true;
    }
    drawing = Drawing::Framebuffer;
    return lstrcmpiW(named, L"framebuffer") == 0 && framebuffersAvailable();
}

}  // namespace

BOOL VexoUseOffscreenWindows(int width, int height)
{
    if (!chooseDrawing()) return FALSE;
    defaultWidth = width;
    defaultHeight = height;
    if (creationHook == nullptr) {
        creationHook = SetWindowsHookExW(WH_CBT, creationProcedure, nullptr, GetCurrentThreadId());
    }
    return creationHook != nullptr;
}

HDC VexoGetGlDC(HWND window, const PIXELFORMATDESCRIPTOR* format)
{
    const auto target = targets.find(window);
    if (target != targets.end() && drawing == Drawing::Bitmap) {
        if (target->second.memory == nullptr && !makeBitmapTarget(window, target->second, *format)) {
            releaseBitmap(target->second);
            return nullptr;
        }
        return target->second.memory;
    }
    const HDC dc = GetDC(window);
    const int index = dc != nullptr ? ChoosePixelFormat(dc, format) : 0;
    if (index == 0 || !SetPixelFormat(dc, index, format)) {
        if (dc != nullptr) ReleaseDC(window, dc);
        return nullptr;
    }
    return dc;
}
