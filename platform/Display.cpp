// Whether there is a display, and its resolution.

#include "platform/Display.h"

#include <X11/Xlib.h>

#include "platform/NativeWindow.h"
#include "platform/win32.h"

namespace {

constexpr int DEFAULT_DOTS_PER_INCH = 96;

}  // namespace

BOOL VexoDisplayAvailable()
{
    // Opened and closed again: FLTK would end the process on a display it cannot open.
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return FALSE;
    XCloseDisplay(display);
    return TRUE;
}

int displayDotsPerInch()
{
    if (offscreenWindowsInUse()) return DEFAULT_DOTS_PER_INCH;
    const int dotsPerInch = displayBackendDotsPerInch();
    return dotsPerInch > 0 ? dotsPerInch : DEFAULT_DOTS_PER_INCH;
}
