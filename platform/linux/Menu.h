#pragma once

// Menus (platform-internal): what an HMENU points to. A menu bar is a menu whose items are popups;
// the display backend draws it from this model whenever it opens.

#include <string>
#include <vector>

#include "platform/win32.h"

constexpr UINT MFS_GRAYED = 0x0003;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_END = 0x0080;

struct MenuItem {
    std::u16string text;  // with '&' before the mnemonic
    UINT id = 0;
    UINT state = 0;           // MFS_CHECKED, MFS_GRAYED
    HMENU submenu = nullptr;  // owned
};

struct HMENU__ {
    std::vector<MenuItem> items;
};

// Destroys a menu and its popups.
void destroyMenu(HMENU menu);
