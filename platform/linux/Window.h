#pragma once

// A window (platform-internal): the record an HWND points to, shared by the window calls, the
// message queue, the GL context calls, dialogs and the backends that realise windows.

#include <functional>
#include <memory>
#include <string>

#include "platform/linux/DeviceContext.h"
#include "platform/win32.h"

class NativeWindow;

struct HWND__ {
    WNDPROC procedure = nullptr;
    UINT classStyle = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr;
    HMENU menu = nullptr;  // destroyed with the window
    std::u16string title;
    HICON icon = nullptr;  // the class's
    LONG_PTR userData = 0;

    // Geometry in screen pixels: the outer rectangle (menu bar and frame included) and the client
    // area, which for a window with a menu bar is the OpenGL area below it.
    RECT windowRect{};
    POINT clientOrigin{};
    int clientWidth = 0;
    int clientHeight = 0;

    bool visible = false;
    bool created = false;  // WM_CREATE has succeeded: geometry changes now send WM_SIZE
    bool destroying = false;
    int pixelFormat = 0;  // 1-based, 0 until SetPixelFormat
    HDC__ deviceContext{};
    std::unique_ptr<NativeWindow> native;

    // Dialogs only: the dialog procedure and how the dialog ended.
    DLGPROC dialogProcedure = nullptr;
    int defaultCommand = IDOK;  // what Enter sends: the default push button's id
    bool dialogEnded = false;
    INT_PTR dialogResult = 0;
};

// Creates a window of the given procedure, class style and icon from the creation parameters, with its
// native side made by makeNative, sending the creation messages of CreateWindowExW; null when
// that fails. Dialogs set their dialog procedure before the first message.
HWND createWindow(const CREATESTRUCTW& creation, WNDPROC procedure, UINT classStyle, HICON icon,
                  DLGPROC dialogProcedure, const std::function<std::unique_ptr<NativeWindow>(HWND)>& makeNative);

// Whether window is a live window (created and not yet destroyed).
bool isWindow(HWND window);

// Records the geometry a backend reports for a window and sends WM_SIZE when the client size
// changed.
void updateWindowGeometry(HWND window, const RECT& windowRect, POINT clientOrigin, int clientWidth, int clientHeight);
