// The thread's keyboard state, fed by key messages as they leave the queue.

#include "platform/linux/KeyState.h"

#include <bitset>

namespace {

std::bitset<256> keysDown;

}  // namespace

void recordKeyMessage(const MSG& message)
{
    const bool down = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
    const bool up = message.message == WM_KEYUP || message.message == WM_SYSKEYUP;
    if ((down || up) && message.wParam < keysDown.size()) keysDown[message.wParam] = down;
}

bool isKeyDown(WPARAM virtualKey)
{
    return virtualKey < keysDown.size() && keysDown[virtualKey];
}

void clearKeyState()
{
    keysDown.reset();
}
