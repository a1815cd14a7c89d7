#include "platform/linux/DoubleClicks.h"

#include <cstdlib>

UINT DoubleClicks::press(HWND window, bool classWantsDoubleClicks, UINT downMessage, WPARAM keys, POINT point,
                         DWORD time)
{
    const bool pairs = classWantsDoubleClicks && downMessage == last.message && window == last.window &&
                       keys == last.keys && DWORD(time - last.time) < TIME_MILLISECONDS &&
                       std::abs(point.x - last.point.x) < RECTANGLE_WIDTH / 2 &&
                       std::abs(point.y - last.point.y) < RECTANGLE_HEIGHT / 2;
    if (pairs) {
        last.message = 0;
        return downMessage + (WM_LBUTTONDBLCLK - WM_LBUTTONDOWN);  // the same step for every button
    }
    last = Press{window, downMessage, keys, point, time};
    return downMessage;
}
