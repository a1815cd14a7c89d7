#pragma once

// The backend side of a window (platform-internal): an FLTK window on the X display, or an
// offscreen EGL surface. The window calls of win32.h keep the state; a NativeWindow realises it.

#include <memory>

#include "platform/linux/DialogTemplate.h"
#include "platform/win32.h"

class NativeWindow {
public:
    virtual ~NativeWindow() = default;

    virtual void show(bool visible) = 0;
    // Moves and sizes the outer rectangle (screen pixels); the backend reports the geometry that
    // results through updateWindowGeometry.
    virtual void moveResize(int x, int y, int width, int height) = 0;
    // A GL context for the window's drawable in the given pixel format (1-based), or null.
    virtual HGLRC createGlContext(int pixelFormat) = 0;
    virtual bool swapBuffers() = 0;
    // Mouse capture taken (true) or given up (false) by this window.
    virtual void captureChanged(bool held) = 0;
};

// The two backends. Offscreen windows need no display; display windows need an X display and are
// FLTK windows. Both create the native window hidden; the geometry is reported before they return.
// An x of CW_USEDEFAULT leaves the position to the backend.
bool offscreenWindowsInUse();
std::unique_ptr<NativeWindow> createOffscreenWindow(HWND window, int x, int y, int width, int height);
std::unique_ptr<NativeWindow> createDisplayWindow(HWND window, int x, int y, int width, int height);

// Dialogs from a template: the client size in pixels is given; the backend adds the controls.
std::unique_ptr<NativeWindow> createOffscreenDialog(HWND dialog, int clientWidth, int clientHeight);
std::unique_ptr<NativeWindow> createDisplayDialog(HWND dialog, const DialogTemplate& dialogTemplate);

// Waits until the display has events (modal loops that have nothing to do); returns at once
// when no display is in use.
void waitForDisplayEvents();

// The client size of an offscreen window created with CW_USEDEFAULT.
void offscreenDefaultSize(int* width, int* height);
