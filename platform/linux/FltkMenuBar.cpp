// The menu bar of a display window, drawn by FLTK from the window's HMENU.

#include "platform/linux/FltkMenuBar.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include "platform/linux/FltkBackend.h"
#include "platform/linux/Menu.h"
#include "platform/linux/Utf.h"
#include "platform/linux/Window.h"

namespace {

// Popup items are drawn as Windows draws them: every label after a column for the check mark,
// which holds a tick when the item is checked.
constexpr Fl_Labeltype ITEM_LABEL = FL_FREE_LABELTYPE;
constexpr Fl_Labeltype CHECKED_ITEM_LABEL = static_cast<Fl_Labeltype>(FL_FREE_LABELTYPE + 1);
constexpr int CHECK_COLUMN = 18;

void drawItemLabel(const Fl_Label* label, int x, int y, int width, int height, Fl_Align align)
{
    if (label->type == CHECKED_ITEM_LABEL) {
        const int middle = y + height / 2;
        fl_color(label->color);
        fl_line_style(FL_SOLID, 2);
        fl_line(x + 4, middle, x + 7, middle + 3, x + 13, middle - 4);
        fl_line_style(0);
    }
    Fl_Label plain = *label;
    plain.type = FL_NORMAL_LABEL;
    plain.draw(x + CHECK_COLUMN, y, width - CHECK_COLUMN, height, align);
}

void measureItemLabel(const Fl_Label* label, int& width, int& height)
{
    Fl_Label plain = *label;
    plain.type = FL_NORMAL_LABEL;
    plain.measure(width, height);
    width += CHECK_COLUMN;
}

}  // namespace

MenuBar::MenuBar(HWND window, int width) : Fl_Menu_Bar(0, 0, width, HEIGHT), window(window)
{
    clear_visible_focus();
    Fl::set_labeltype(ITEM_LABEL, drawItemLabel, measureItemLabel);
    Fl::set_labeltype(CHECKED_ITEM_LABEL, drawItemLabel, measureItemLabel);
    rebuild();
}

int MenuBar::handle(int event)
{
    if (window == nullptr) return 0;
    if (takeFileDrop(window, event)) return 1;
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
        if (window == nullptr) return;  // the handler destroyed the window
    }
    rebuild();
}

void MenuBar::rebuild()
{
    labels.clear();
    items.clear();
    const auto flagsOf = [](const MenuItem& item) { return (item.state & MFS_GRAYED) == MFS_GRAYED ? FL_MENU_INACTIVE : 0; };
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
            inner.labeltype_ = (item.state & MFS_CHECKED) ? CHECKED_ITEM_LABEL : ITEM_LABEL;
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
    if (window == nullptr) return;
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(reinterpret_cast<std::uintptr_t>(command)), 0), 0);
}
