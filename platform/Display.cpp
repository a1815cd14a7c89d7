// The display's resolution.

#include "platform/Display.h"

#include "platform/NativeWindow.h"
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
