// The menu bar of a display window, drawn by FLTK from the window's HMENU.

#include "platform/FltkMenuBar.h"

#include <FL/Fl.H>

#include "platform/Menu.h"
#include "platform/Utf.h"
#include "platform/Window.h"

MenuBar::MenuBar(HWND window, int width) : Fl_Menu_Bar(0, 0, width, HEIGHT), window(window)
{
    clear_visible_focus();
    rebuild();
}

int MenuBar::handle(int event)
{
    if (opensPopup(event)) preparePopups();
    return Fl_Menu_Bar::handle(event);
}

// A click on the bar, or Alt with the mnemonic of one of its popups.
bool MenuBar::opensPopup(int event)
{
    if (event == FL_PUSH) return true;
    if (event != FL_SHORTCUT || menu() == nullptr) return false;
    const Fl_Menu_Item* found = menu()->find_shortcut(nullptr, true);
    return found != nullptr && found->submenu();
}

// Every popup of the bar is announced, since FLTK opens its neighbours without telling us.
void MenuBar::preparePopups()
{
    const HMENU bar = window->menu;
    for (size_t position = 0; position < bar->items.size(); ++position) {
        const HMENU popup = bar->items[position].submenu;
        if (popup == nullptr) continue;
        SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup),
                     MAKELPARAM(static_cast<WORD>(position), FALSE));
        if (!isWindow(window)) return;  // the handler destroyed the window
    }
    rebuild();
}

// Checked items are drawn with FLTK's check box; the others with none, as Windows draws them.
void MenuBar::rebuild()
{
    labels.clear();
    items.clear();
    const auto flagsOf = [](const MenuItem& item) {
        int flags = (item.state & MFS_CHECKED) ? FL_MENU_TOGGLE | FL_MENU_VALUE : 0;
        if ((item.state & MFS_GRAYED) != 0) flags |= FL_MENU_INACTIVE;
        return flags;
    };
    // Labels first: the items point into them, so the vector must not grow afterwards.
    for (const MenuItem& popup : window->menu->items) {
        labels.push_back(utf16ToUtf8(popup.text));
        if (popup.submenu == nullptr) continue;
        for (const MenuItem& item : popup.submenu->items) labels.push_back(utf16ToUtf8(item.text));
    }
    size_t label = 0;
    for (const MenuItem& popup : window->menu->items) {
        Fl_Menu_Item entry{};
        entry.text = labels[label++].c_str();
        if (popup.submenu == nullptr) {
            entry.callback_ = itemChosen;
            entry.user_data_ = reinterpret_cast<void*>(static_cast<std::uintptr_t>(popup.id));
            entry.flags = flagsOf(popup);
            items.push_back(entry);
            continue;
        }
        entry.flags = FL_SUBMENU | flagsOf(popup);
        items.push_back(entry);
        for (const MenuItem& item : popup.submenu->items) {
            Fl_Menu_Item inner{};
            inner.text = labels[label++].c_str();
            inner.callback_ = itemChosen;
            inner.user_data_ = reinterpret_cast<void*>(static_cast<std::uintptr_t>(item.id));
            inner.flags = flagsOf(item);
            items.push_back(inner);
        }
        items.push_back(Fl_Menu_Item{});  // end of the popup
    }
    items.push_back(Fl_Menu_Item{});  // end of the bar
    menu(items.data());
    redraw();
}

void MenuBar::itemChosen(Fl_Widget* widget, void* command)
{
    const HWND window = static_cast<MenuBar*>(widget)->window;
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(reinterpret_cast<std::uintptr_t>(command)), 0), 0);
}
