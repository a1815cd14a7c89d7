// Contexts for drawing on several threads: each is the context of an offscreen window of its own
// (see OffscreenWindow.cpp), made on the calling thread, which the window's drawing target (a
// framebuffer object bound in the context, or a bitmap) goes with. wglMakeCurrent takes the window's device
// context on any thread, so the context can be lent from thread to thread; the window itself only
// ever sees messages on the thread that made it.

#include "platform/win32.h"

#include <new>

struct VexoOffscreenGl {
    PIXELFORMATDESCRIPTOR format{};
    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC context = nullptr;
};

namespace {

constexpr WCHAR CLASS_NAME[] = L"VexoOffscreenGl";

// At WM_CREATE the context is made and left current, as the viewer does with its own, so that the
// offscreen window binds its drawing target in it.
LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE) {
        auto* gl = static_cast<VexoOffscreenGl*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        gl->dc = VexoGetGlDC(window, &gl->format);  // a bitmap's, where the offscreen windows draw into bitmaps
        if (gl->dc == nullptr) return -1;
        gl->context = wglCreateContext(gl->dc);
        if (gl->context == nullptr) return -1;
        return wglMakeCurrent(gl->dc, gl->context) ? 0 : -1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool registerClass()
{
    WNDCLASSW windowClass{};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = CLASS_NAME;
    return RegisterClassW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void destroy(VexoOffscreenGl* gl)
{
    if (gl->context != nullptr) {
        // The window frees its drawing target in its own context.
        wglMakeCurrent(gl->dc, gl->context);
        if (gl->window != nullptr) DestroyWindow(gl->window);
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(gl->context);
    } else if (gl->window != nullptr) {
        DestroyWindow(gl->window);
    }
    delete gl;
}

}  // namespace

VexoOffscreenGl* VexoCreateOffscreenGl(int width, int height, const PIXELFORMATDESCRIPTOR* format)
{
    if (width <= 0 || height <= 0 || format == nullptr || !registerClass()) return nullptr;
    auto* gl = new (std::nothrow) VexoOffscreenGl;
    if (gl == nullptr) return nullptr;
    gl->format = *format;
    // A top-level window of the program: made offscreen, at the default size until created.
    gl->window = CreateWindowExW(0, CLASS_NAME, L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), gl);
    RECT client{};
    if (gl->window == nullptr || !GetClientRect(gl->window, &client) ||
        ((client.right != width || client.bottom != height) &&
         !SetWindowPos(gl->window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE))) {
        destroy(gl);
        return nullptr;
    }
    wglMakeCurrent(nullptr, nullptr);
    return gl;
}

BOOL VexoMakeOffscreenGlCurrent(VexoOffscreenGl* gl)
{
    if (gl == nullptr) return wglMakeCurrent(nullptr, nullptr);
    return wglMakeCurrent(gl->dc, gl->context);
}

void VexoDeleteOffscreenGl(VexoOffscreenGl* gl)
{
    if (gl != nullptr) destroy(gl);
}
