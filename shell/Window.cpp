#include "shell/Window.h"

bool Window::create(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU menu, HINSTANCE instance)
{
    return CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menu, instance, this) !=
           nullptr;
}

LRESULT Window::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) hwnd = nullptr;
    return result;
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* object;
    if (message == WM_NCCREATE) {
        object = static_cast<Window*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (object == nullptr) return 0;  // nothing to serve it: the creation fails
        object->hwnd = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    } else {
        object = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (object == nullptr) return 0;
    return object->handleMessage(message, wParam, lParam);
}
