#pragma once

#include "platform/win32.h"

// A device context (platform-internal): the drawing surface of a window, or the screen when window
// is null, with the GDI objects selected into it.
struct HDC__ {
    HWND window;
    HFONT font;  // selected font, or null
};
