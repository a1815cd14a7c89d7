// Accelerator tables: the resource's entries (fFlags, key, command, padding; the last entry has
// 0x80 in fFlags) are used in place, and TranslateAcceleratorW matches key messages against them
// with the modifier state of the thread's keyboard at the time of the message.

#include "platform/linux/KeyState.h"
#include "platform/linux/Window.h"

namespace {

constexpr WORD LAST_ENTRY = 0x80;

struct AcceleratorEntry {
    WORD flags;
    WORD key;
    WORD command;
    WORD padding;
};
static_assert(sizeof(AcceleratorEntry) == 8);

bool modifiersMatch(WORD flags)
{
    return ((flags & FCONTROL) != 0) == isKeyDown(VK_CONTROL) && ((flags & FSHIFT) != 0) == isKeyDown(VK_SHIFT) &&
           ((flags & FALT) != 0) == isKeyDown(VK_MENU);
}

// Virtual-key entries match key-down messages; character entries match the characters typed.
bool entryMatches(const AcceleratorEntry& entry, const MSG& message)
{
    const bool keyDown = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
    if (entry.flags & FVIRTKEY) return keyDown && message.wParam == entry.key && modifiersMatch(entry.flags);
    const bool alt = isKeyDown(VK_MENU);
    return message.message == WM_CHAR && message.wParam == entry.key && ((entry.flags & FALT) != 0) == alt;
}

}  // namespace

HACCEL LoadAcceleratorsW(HINSTANCE instance, LPCWSTR name)
{
    const HRSRC resource = FindResourceW(instance, name, RT_ACCELERATOR);
    if (resource == nullptr || SizeofResource(instance, resource) < sizeof(AcceleratorEntry)) return nullptr;
    return static_cast<HACCEL>(LockResource(LoadResource(instance, resource)));
}

int TranslateAcceleratorW(HWND window, HACCEL table, MSG* message)
{
    if (!isWindow(window) || table == nullptr || message == nullptr) return 0;
    const auto* entry = reinterpret_cast<const AcceleratorEntry*>(table);
    for (;; ++entry) {
        if (entryMatches(*entry, *message)) {
            SendMessageW(window, WM_COMMAND, MAKEWPARAM(entry->command, 1), 0);
            return 1;
        }
        if (entry->flags & LAST_ENTRY) return 0;
    }
}
