#pragma once

#include "platform/win32.h"

// Binds one native top-level window to an object, so that every message of that window arrives at
// the object's handleMessage. The object is attached from WM_NCCREATE (hwnd set, its address in
// the window's user data) until WM_NCDESTROY (hwnd back to null after the default processing).
class Window {
public:
    Window() = default;
    // Does not destroy the native window: it is expected to be gone already.
    virtual ~Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // CreateWindowExW with this object as the creation parameter. True when the window exists; its
    // handle is then in hwnd (stored by windowProcedure during creation).
    bool create(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y, int width,
                int height, HWND parent, HMENU menu, HINSTANCE instance);

    // Default processing: DefWindowProcW. After WM_NCDESTROY the object no longer names the window.
    virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd = nullptr;
};

// The window procedure of every class whose windows are bound to objects. Messages that arrive
// before WM_NCCREATE (such as WM_GETMINMAXINFO) have no object yet and are answered with 0.
LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
