// The thread's message queue: posted messages and the input the display backend turns into
// messages, in the order they happened, behind PeekMessageW; sent messages go straight to the
// window procedure, as on Windows.

#include "platform/linux/MessageQueue.h"

#include <algorithm>
#include <deque>

#include "platform/linux/KeyState.h"
#include "platform/linux/Window.h"

namespace {

std::deque<MSG> queue;
EventPump eventPump = nullptr;

bool matches(const MSG& message, HWND window, UINT filterMin, UINT filterMax)
{
    if (window != nullptr && message.hwnd != window) return false;
    if (filterMin == 0 && filterMax == 0) return true;
    return message.message >= filterMin && message.message <= filterMax;
}

// The character a key types on a US keyboard, given the shift state at the time of the message;
// 0 for keys that type none.
WCHAR typedCharacter(WPARAM key)
{
    const bool shift = isKeyDown(VK_SHIFT);
    if (key >= 'A' && key <= 'Z') return static_cast<WCHAR>(shift ? key : key + ('a' - 'A'));
    if (key >= '0' && key <= '9' && !shift) return static_cast<WCHAR>(key);
    switch (key) {
    case VK_SPACE: return u' ';
    case VK_RETURN: return u'\r';
    case VK_BACK: return u'\b';
    case VK_TAB: return u'\t';
    case VK_ESCAPE: return 0x1B;
    default: return 0;
    }
}

}  // namespace

void removeQueuedMessages(HWND window)
{
    std::erase_if(queue, [window](const MSG& message) { return message.hwnd == window; });
}

void setEventPump(EventPump pump)
{
    eventPump = pump;
}

BOOL PeekMessageW(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    if (eventPump != nullptr) eventPump();
    const auto found = std::find_if(queue.begin(), queue.end(), [&](const MSG& queued) {
        return matches(queued, window, filterMin, filterMax);
    });
    if (found == queue.end()) return FALSE;
    *message = *found;
    if (removeFlags & PM_REMOVE) {
        queue.erase(found);
        recordKeyMessage(*message);
    }
    return TRUE;
}

BOOL TranslateMessage(const MSG* message)
{
    if (message == nullptr || (message->message != WM_KEYDOWN && message->message != WM_SYSKEYDOWN)) return FALSE;
    // Ctrl and Alt combinations type no character here.
    if (isKeyDown(VK_CONTROL) || isKeyDown(VK_MENU)) return FALSE;
    const WCHAR character = typedCharacter(message->wParam);
    if (character == 0) return FALSE;
    // The character is the next message taken, ahead of anything queued since.
    queue.push_front(MSG{message->hwnd, WM_CHAR, character, message->lParam, message->time, message->pt});
    return TRUE;
}

LRESULT DispatchMessageW(const MSG* message)
{
    if (message == nullptr || !isWindow(message->hwnd)) return 0;
    return message->hwnd->procedure(message->hwnd, message->message, message->wParam, message->lParam);
}

BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window != nullptr && !isWindow(window)) return FALSE;
    queue.push_back(MSG{window, message, wParam, lParam, timeGetTime(), POINT{}});
    return TRUE;
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!isWindow(window)) return 0;
    return window->procedure(window, message, wParam, lParam);
}

void PostQuitMessage(int exitCode)
{
    queue.push_back(MSG{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0, timeGetTime(), POINT{}});
}
