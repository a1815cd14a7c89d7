// The display's resolution.

#include "platform/linux/Display.h"

#include "platform/linux/NativeWindow.h"
#include "platform/win32.h"

namespace {

constexpr int DEFAULT_DOTS_PER_INCH = 96;

}  // namespace

int displayDotsPerInch()
{
    if (offscreenWindowsInUse()) return DEFAULT_DOTS_PER_INCH;
    const int dotsPerInch = displayBackendDotsPerInch();
    return dotsPerInch > 0 ? dotsPerInch : DEFAULT_DOTS_PER_INCH;
}
