// Window classes and windows: creation and destruction with the messages of the real calls in
// their order, user data, geometry, showing, default processing and mouse capture. The window's
// pixels and input come from its NativeWindow (FLTK on the display, or an offscreen surface).

#include <algorithm>
#include <vector>

#include "platform/linux/Menu.h"
#include "platform/linux/MessageQueue.h"
#include "platform/linux/NativeWindow.h"
#include "platform/linux/Window.h"

namespace {

struct WindowClass {
    std::u16string name;
    UINT style;
    WNDPROC procedure;
    HICON icon;
};

// The outer size of a display window created with CW_USEDEFAULT.
constexpr int DISPLAY_DEFAULT_WIDTH = 800;
constexpr int DISPLAY_DEFAULT_HEIGHT = 600;

std::vector<WindowClass> windowClasses;
std::vector<HWND> liveWindows;
HWND captureWindow = nullptr;

const WindowClass* findClass(LPCWSTR name)
{
    if (name == nullptr || IS_INTRESOURCE(name)) return nullptr;
    for (const WindowClass& c : windowClasses) {
        if (lstrcmpiW(c.name.c_str(), name) == 0) return &c;
    }
    return nullptr;
}

// The layout of MINMAXINFO: reserved, maximised size, maximised position, minimum and maximum
// tracking sizes. Nothing here reads what the window procedure puts there.
struct MinMaxInfo {
    POINT points[5];
};

void forgetWindow(HWND window)
{
    std::erase(liveWindows, window);
    removeQueuedMessages(window);
    if (window->menu != nullptr) destroyMenu(window->menu);
    delete window;
}

}  // namespace

bool isWindow(HWND window)
{
    return window != nullptr && std::find(liveWindows.begin(), liveWindows.end(), window) != liveWindows.end();
}

void updateWindowGeometry(HWND window, const RECT& windowRect, POINT clientOrigin, int clientWidth, int clientHeight)
{
    const bool resized = clientWidth != window->clientWidth || clientHeight != window->clientHeight;
    window->windowRect = windowRect;
    window->clientOrigin = clientOrigin;
    window->clientWidth = clientWidth;
    window->clientHeight = clientHeight;
    if (resized && window->created && !window->destroying) {
        SendMessageW(window, WM_SIZE, SIZE_RESTORED,
                     MAKELPARAM(static_cast<WORD>(clientWidth), static_cast<WORD>(clientHeight)));
    }
}

ATOM RegisterClassW(const WNDCLASSW* windowClass)
{
    if (windowClass == nullptr || windowClass->lpfnWndProc == nullptr || windowClass->lpszClassName == nullptr ||
        findClass(windowClass->lpszClassName) != nullptr) {
        return 0;
    }
    windowClasses.push_back({windowClass->lpszClassName, windowClass->style, windowClass->lpfnWndProc,
                             windowClass->hIcon});
    return static_cast<ATOM>(0xC000 + windowClasses.size());
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE)
{
    const WindowClass* found = findClass(className);
    if (found == nullptr) return FALSE;
    windowClasses.erase(windowClasses.begin() + (found - windowClasses.data()));
    return TRUE;
}

HWND createWindow(const CREATESTRUCTW& creation, WNDPROC procedure, UINT classStyle, HICON icon,
                  DLGPROC dialogProcedure, const std::function<std::unique_ptr<NativeWindow>(HWND)>& makeNative)
{
    auto* window = new HWND__;
    window->icon = icon;
    window->procedure = procedure;
    window->classStyle = classStyle;
    window->dialogProcedure = dialogProcedure;
    window->style = static_cast<DWORD>(creation.style) & ~WS_VISIBLE;
    window->exStyle = creation.dwExStyle;
    window->parent = creation.hwndParent;
    window->menu = creation.hMenu;  // the window's, destroyed with it, once creation succeeds
    window->title = creation.lpszName != nullptr ? creation.lpszName : u"";
    window->deviceContext.window = window;
    liveWindows.push_back(window);

    // The procedure sees none of this window before WM_NCCREATE but WM_GETMINMAXINFO.
    MinMaxInfo limits{};
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    window->native = makeNative(window);
    CREATESTRUCTW parameters = creation;
    if (window->native == nullptr || !SendMessageW(window, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&parameters))) {
        if (window->native != nullptr) SendMessageW(window, WM_NCDESTROY, 0, 0);
        window->menu = nullptr;  // still the caller's
        forgetWindow(window);
        return nullptr;
    }
    if (SendMessageW(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&parameters)) == -1) {
        DestroyWindow(window);
        return nullptr;
    }
    window->created = true;
    SendMessageW(window, WM_SIZE, SIZE_RESTORED,
                 MAKELPARAM(static_cast<WORD>(window->clientWidth), static_cast<WORD>(window->clientHeight)));
    if (creation.style & WS_VISIBLE) ShowWindow(window, SW_SHOW);
    return window;
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter)
{
    const WindowClass* windowClass = findClass(className);
    if (windowClass == nullptr) return nullptr;
    if (width == CW_USEDEFAULT) {
        if (offscreenWindowsInUse()) offscreenDefaultSize(&width, &height);
        else width = DISPLAY_DEFAULT_WIDTH, height = DISPLAY_DEFAULT_HEIGHT;
    }
    const CREATESTRUCTW creation{parameter, instance, menu, parent, height, width, y, x, static_cast<LONG>(style),
                                 windowName, className, exStyle};
    return createWindow(creation, windowClass->procedure, windowClass->style, windowClass->icon, nullptr,
                        [&](HWND window) {
        return offscreenWindowsInUse() ? createOffscreenWindow(window, x, y, width, height)
                                       : createDisplayWindow(window, x, y, width, height);
    });
}

BOOL DestroyWindow(HWND window)
{
    if (!isWindow(window) || window->destroying) return FALSE;
    window->destroying = true;
    if (captureWindow == window) ReleaseCapture();
    window->native->show(false);
    window->visible = false;
    SendMessageW(window, WM_DESTROY, 0, 0);
    // Owned windows go with their owner, after it has been told.
    for (HWND owned : std::vector<HWND>(liveWindows)) {
        if (owned->parent == window) DestroyWindow(owned);
    }
    SendMessageW(window, WM_NCDESTROY, 0, 0);
    window->native.reset();
    forgetWindow(window);
    return TRUE;
}

BOOL ShowWindow(HWND window, int command)
{
    if (!isWindow(window)) return FALSE;
    const BOOL wasVisible = window->visible ? TRUE : FALSE;
    window->visible = command != SW_HIDE;
    window->native->show(window->visible);
    return wasVisible;
}

LRESULT DefWindowProcW(HWND window, UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_NCCREATE: return TRUE;
    case WM_CLOSE: DestroyWindow(window); return 0;
    default: return 0;
    }
}

LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value)
{
    if (!isWindow(window) || index != GWLP_USERDATA) return 0;
    const LONG_PTR previous = window->userData;
    window->userData = value;
    return previous;
}

LONG_PTR GetWindowLongPtrW(HWND window, int index)
{
    if (!isWindow(window) || index != GWLP_USERDATA) return 0;
    return window->userData;
}

BOOL GetClientRect(HWND window, RECT* rect)
{
    if (!isWindow(window) || rect == nullptr) return FALSE;
    *rect = RECT{0, 0, window->clientWidth, window->clientHeight};
    return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* rect)
{
    if (!isWindow(window) || rect == nullptr) return FALSE;
    *rect = window->windowRect;
    return TRUE;
}

BOOL ClientToScreen(HWND window, POINT* point)
{
    if (!isWindow(window) || point == nullptr) return FALSE;
    point->x += window->clientOrigin.x;
    point->y += window->clientOrigin.y;
    return TRUE;
}

HWND GetParent(HWND window)
{
    return isWindow(window) ? window->parent : nullptr;
}

BOOL SetWindowPos(HWND window, HWND, int x, int y, int width, int height, UINT flags)
{
    if (!isWindow(window)) return FALSE;
    const RECT& now = window->windowRect;
    if (flags & SWP_NOMOVE) x = now.left, y = now.top;
    if (flags & SWP_NOSIZE) width = now.right - now.left, height = now.bottom - now.top;
    window->native->moveResize(x, y, std::max(width, 0), std::max(height, 0));
    return TRUE;
}

HWND SetCapture(HWND window)
{
    const HWND previous = captureWindow;
    if (!isWindow(window) || previous == window) return previous;
    captureWindow = window;
    if (isWindow(previous)) {
        previous->native->captureChanged(false);
        SendMessageW(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window));
    }
    window->native->captureChanged(true);
    return previous;
}

HWND GetCapture()
{
    return captureWindow;
}

BOOL ReleaseCapture()
{
    const HWND previous = captureWindow;
    captureWindow = nullptr;
    if (isWindow(previous)) {
        previous->native->captureChanged(false);
        SendMessageW(previous, WM_CAPTURECHANGED, 0, 0);
    }
    return TRUE;
}
