#pragma once

// Double clicks as Windows makes them (platform-internal). A press becomes its button's double-click
// message when the window's class asks for them (CS_DBLCLKS) and it follows a press of the same
// button, in the same window with the same keys held, less than the double-click time later and
// less than half the double-click rectangle away on either axis. The press that completes a double
// click starts no new one: a third quick press is a plain press again, a fourth a double click.

#include "platform/win32.h"

class DoubleClicks {
public:
    // Windows' defaults (GetDoubleClickTime, SM_CXDOUBLECLK and SM_CYDOUBLECLK).
    static constexpr DWORD TIME_MILLISECONDS = 500;
    static constexpr int RECTANGLE_WIDTH = 4;
    static constexpr int RECTANGLE_HEIGHT = 4;

    // The message a press posts: downMessage (a button's WM_*BUTTONDOWN) or that button's
    // double-click message. keys is the message's wParam, point in screen pixels, time in milliseconds of the input
    // device's clock (it may wrap).
    UINT press(HWND window, bool classWantsDoubleClicks, UINT downMessage, WPARAM keys, POINT point, DWORD time);

private:
    struct Press {
        HWND window = nullptr;
        UINT message = 0;  // 0: no press to pair with
        WPARAM keys = 0;
        POINT point{};
        DWORD time = 0;
    };
    Press last;
};
