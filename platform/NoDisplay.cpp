// Display windows before the FLTK backend exists: none can be made; offscreen windows work.

#include "platform/NativeWindow.h"

std::unique_ptr<NativeWindow> createDisplayWindow(HWND, int, int, int, int)
{
    return nullptr;
}

std::unique_ptr<NativeWindow> createDisplayDialog(HWND, const DialogTemplate&)
{
    return nullptr;
}

void waitForDisplayEvents() {}

int displayBackendDotsPerInch()
{
    return 0;
}
