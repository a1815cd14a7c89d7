#pragma once

// The display backend's shared parts (platform-internal): FLTK 1.3 on X11, with GLX for OpenGL.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "platform/linux/NativeWindow.h"
#include "platform/win32.h"

class Fl_RGB_Image;

// Opens FLTK's connection to the X display once and from then on lets PeekMessageW turn FLTK's
// events into messages. False when there is no display.
bool openDisplay();

// A window of the display whose client area is an X window OpenGL can draw to.
class DisplayWindow : public NativeWindow {
public:
    // The client area's X window, or 0 while the window has not been shown.
    virtual ::Window glDrawable() const = 0;
};

// The visual and colormap of a pixel format, and a small unmapped window of that visual on which
// a context can be current before the real window exists.
struct GlVisual {
    XVisualInfo* info;
    Colormap colormap;
    ::Window helperWindow;
};
const GlVisual* glVisualFor(int pixelFormat);
HGLRC createGlxContext(int pixelFormat);
void swapGlxBuffers(::Window drawable);

// The FLTK image of an icon, made once per icon; null for none.
Fl_RGB_Image* fltkImageOf(HICON icon);

// Keyboard: the virtual-key code of an FLTK key (0 for keys without one), and the key messages of
// the FLTK event in progress (FL_KEYBOARD or FL_KEYUP) posted to a window.
WPARAM virtualKeyOf(int fltkKey);
void postKeyMessage(HWND window, int fltkEvent);

// Files dragged over any part of a window that accepts them, the menu bar included, as on Windows:
// FLTK's drag-and-drop event in progress taken, and the drop, once its data arrives (FL_PASTE),
// posted as WM_DROPFILES. False for any other event and for a window that takes no files.
bool takeFileDrop(HWND window, int fltkEvent);
