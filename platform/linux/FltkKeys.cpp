// Keys of the display as key messages: FLTK's key codes become Windows virtual-key codes, and a
// key already down when it is pressed again (the keyboard's auto-repeat) gives another key-down
// with the previous-state bit set, as on Windows.

#include <FL/Fl.H>

#include <bitset>
#include <utility>

#include "platform/linux/FltkBackend.h"

namespace {

constexpr WPARAM VK_PAUSE = 0x13, VK_CAPITAL = 0x14, VK_NUMLOCK = 0x90, VK_SCROLL = 0x91, VK_MULTIPLY = 0x6A,
                 VK_ADD = 0x6B, VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F, VK_NUMPAD0 = 0x60,
                 VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD,
                 VK_OEM_PERIOD = 0xBE, VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB, VK_OEM_5 = 0xDC,
                 VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE;

// Which virtual keys are down, as the display reported them (for the auto-repeat bit).
std::bitset<256> keysDown;

WPARAM punctuationKey(int key)
{
    switch (key) {
    case ';': return VK_OEM_1;
    case '=': return VK_OEM_PLUS;
    case ',': return VK_OEM_COMMA;
    case '-': return VK_OEM_MINUS;
    case '.': return VK_OEM_PERIOD;
    case '/': return VK_OEM_2;
    case '`': return VK_OEM_3;
    case '[': return VK_OEM_4;
    case '\\': return VK_OEM_5;
    case ']': return VK_OEM_6;
    case '\'': return VK_OEM_7;
    default: return 0;
    }
}

}  // namespace

WPARAM virtualKeyOf(int key)
{
    if (key >= 'a' && key <= 'z') return static_cast<WPARAM>(key - 'a' + 'A');
    if (key >= '0' && key <= '9') return static_cast<WPARAM>(key);
    if (key == ' ') return VK_SPACE;
    if (key >= FL_F + 1 && key <= FL_F + 24) return VK_F1 + static_cast<WPARAM>(key - FL_F - 1);
    if (key >= FL_KP + '0' && key <= FL_KP + '9') return VK_NUMPAD0 + static_cast<WPARAM>(key - FL_KP - '0');
    switch (key) {
    case FL_BackSpace: return VK_BACK;
    case FL_Tab: return VK_TAB;
    case FL_Enter:
    case FL_KP_Enter: return VK_RETURN;
    case FL_Pause: return VK_PAUSE;
    case FL_Caps_Lock: return VK_CAPITAL;
    case FL_Escape: return VK_ESCAPE;
    case FL_Page_Up: return VK_PRIOR;
    case FL_Page_Down: return VK_NEXT;
    case FL_End: return VK_END;
    case FL_Home: return VK_HOME;
    case FL_Left: return VK_LEFT;
    case FL_Up: return VK_UP;
    case FL_Right: return VK_RIGHT;
    case FL_Down: return VK_DOWN;
    case FL_Insert: return VK_INSERT;
    case FL_Delete: return VK_DELETE;
    case FL_Shift_L:
    case FL_Shift_R: return VK_SHIFT;
    case FL_Control_L:
    case FL_Control_R: return VK_CONTROL;
    case FL_Alt_L:
    case FL_Alt_R: return VK_MENU;
    case FL_Num_Lock: return VK_NUMLOCK;
    case FL_Scroll_Lock: return VK_SCROLL;
    case FL_KP + '*': return VK_MULTIPLY;
    case FL_KP + '+': return VK_ADD;
    case FL_KP + '-': return VK_SUBTRACT;
    case FL_KP + '.': return VK_DECIMAL;
    case FL_KP + '/': return VK_DIVIDE;
    default: return punctuationKey(key);
    }
}

// A modifier released or pressed while another window had the keyboard (an open menu takes the
// Alt key's release) is put right before the key that finds it so, for accelerators to see the
// modifiers the key was pressed with.
void reconcileModifiers(HWND window, WPARAM key)
{
    static const std::pair<WPARAM, int> modifiers[] = {{VK_SHIFT, FL_SHIFT}, {VK_CONTROL, FL_CTRL}, {VK_MENU, FL_ALT}};
    for (const auto& [modifier, state] : modifiers) {
        if (key == modifier) continue;  // its own event reports the state from before it
        const bool held = Fl::event_state(state) != 0;
        if (held == keysDown[modifier]) continue;
        keysDown[modifier] = held;
        const UINT message = modifier == VK_MENU ? (held ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (held ? WM_KEYDOWN : WM_KEYUP);
        PostMessageW(window, message, modifier, held ? 1 : static_cast<LPARAM>(0xC0000001u));
    }
}

// lParam of a key message: repeat count 1, the context bit 29 while Alt is held, bit 30 when the
// key was already down, bit 31 on release.
void postKeyMessage(HWND window, int fltkEvent)
{
    const WPARAM key = virtualKeyOf(Fl::event_key());
    if (key == 0) return;
    reconcileModifiers(window, key);
    const bool releasing = fltkEvent == FL_KEYUP;
    const bool alt = Fl::event_state(FL_ALT) != 0 && key != VK_MENU;
    const bool wasDown = keysDown[key];
    keysDown[key] = !releasing;
    const LPARAM lParam = 1 | (alt ? 1 << 29 : 0) | ((wasDown || releasing) ? 1 << 30 : 0) |
                          (releasing ? static_cast<LPARAM>(1u << 31) : 0);
    const UINT message = alt || key == VK_MENU ? (releasing ? WM_SYSKEYUP : WM_SYSKEYDOWN)
                                               : (releasing ? WM_KEYUP : WM_KEYDOWN);
    PostMessageW(window, message, key, lParam);
}
