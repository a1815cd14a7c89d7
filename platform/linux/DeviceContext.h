#pragma once

#include "platform/win32.h"

// A device context (platform-internal): the drawing surface of a window, the screen when window is
// null, or a bitmap in memory; with the GDI objects selected into it.
struct HDC__ {
    HWND window;
    HFONT font;                 // selected font, or null
    bool memory = false;        // made by CreateCompatibleDC
    HBITMAP bitmap = nullptr;   // selected into a memory device context, or null
    COLORREF textColour = 0;    // black, as a new device context's
    int backgroundMode = OPAQUE;
};
