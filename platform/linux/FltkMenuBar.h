#pragma once

// A window's menu bar on the display (platform-internal): an FLTK menu bar drawn from the
// window's HMENU. Before a popup opens the window gets WM_INITMENUPOPUP for each popup of the bar,
// and the bar is drawn afresh from the model, so check marks follow the application's state (drawn
// in a column before the labels, as Windows draws them); a
// chosen item is posted as WM_COMMAND. "&" marks the mnemonic: Alt and the letter open the popup.

#include <FL/Fl_Menu_Bar.H>

#include <string>
#include <vector>

#include "platform/win32.h"

class MenuBar : public Fl_Menu_Bar {
public:
    static constexpr int HEIGHT = 25;

    MenuBar(HWND window, int width);
    int handle(int event) override;
    // From now on the bar serves no window (it waits for FLTK to delete it).
    void detach() { window = nullptr; }

private:
    static void itemChosen(Fl_Widget* widget, void* command);
    bool opensPopup(int event);
    void preparePopups();
    void rebuild();

    HWND window;
    std::vector<std::string> labels;  // kept alive for the items
    std::vector<Fl_Menu_Item> items;
};
