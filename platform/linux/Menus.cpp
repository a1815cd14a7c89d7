// Menus loaded from menu resources (the standard menu template) and the item queries and check
// marks of the real calls. The model is plain data; the display backend draws it.

#include "platform/linux/Menu.h"

#include <algorithm>
#include <cstddef>

namespace {

// Reads the items of one menu level from the template, up to the item flagged MF_END.
bool readItems(const BYTE*& at, const BYTE* end, HMENU menu)
{
    const auto word = [&](WORD* value) {
        if (end - at < 2) return false;
        *value = static_cast<WORD>(at[0] | (at[1] << 8));
        at += 2;
        return true;
    };
    for (;;) {
        WORD flags = 0, id = 0, unit = 0;
        if (!word(&flags)) return false;
        if (!(flags & MF_POPUP) && !word(&id)) return false;
        MenuItem item;
        item.id = id;
        item.state = flags & (MF_CHECKED | MFS_GRAYED);
        for (;;) {
            if (!word(&unit)) return false;
            if (unit == 0) break;
            item.text += static_cast<char16_t>(unit);
        }
        if (flags & MF_POPUP) {
            item.submenu = new HMENU__;
            menu->items.push_back(std::move(item));
            if (!readItems(at, end, menu->items.back().submenu)) return false;
        } else {
            menu->items.push_back(std::move(item));
        }
        if (flags & MF_END) return true;
    }
}

// The item at a position, or with a command identifier anywhere in the menu and its popups.
MenuItem* findItem(HMENU menu, UINT item, bool byPosition)
{
    if (menu == nullptr) return nullptr;
    if (byPosition) return item < menu->items.size() ? &menu->items[item] : nullptr;
    for (MenuItem& candidate : menu->items) {
        if (candidate.submenu == nullptr && candidate.id == item) return &candidate;
        if (MenuItem* inner = findItem(candidate.submenu, item, false)) return inner;
    }
    return nullptr;
}

}  // namespace

void destroyMenu(HMENU menu)
{
    if (menu == nullptr) return;
    for (MenuItem& item : menu->items) destroyMenu(item.submenu);
    delete menu;
}

HMENU LoadMenuW(HINSTANCE instance, LPCWSTR name)
{
    const HRSRC resource = FindResourceW(instance, name, RT_MENU);
    if (resource == nullptr) return nullptr;
    const BYTE* at = static_cast<const BYTE*>(LockResource(LoadResource(instance, resource)));
    const BYTE* end = at + SizeofResource(instance, resource);
    if (end - at < 4) return nullptr;
    at += 4;  // version and header size
    auto* menu = new HMENU__;
    if (!readItems(at, end, menu)) {
        destroyMenu(menu);
        return nullptr;
    }
    return menu;
}

BOOL DestroyMenu(HMENU menu)
{
    if (menu == nullptr) return FALSE;
    destroyMenu(menu);
    return TRUE;
}

int GetMenuItemCount(HMENU menu)
{
    return menu == nullptr ? -1 : static_cast<int>(menu->items.size());
}

BOOL GetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFOW* info)
{
    if (info == nullptr || info->cbSize < offsetof(MENUITEMINFOW, hbmpItem)) return FALSE;
    const MenuItem* found = findItem(menu, item, byPosition != FALSE);
    if (found == nullptr) return FALSE;
    if (info->fMask & MIIM_ID) info->wID = found->id;
    if (info->fMask & MIIM_STATE) info->fState = found->state;
    if (info->fMask & MIIM_SUBMENU) info->hSubMenu = found->submenu;
    if (info->fMask & MIIM_FTYPE) info->fType = 0;  // MFT_STRING
    if (info->fMask & MIIM_STRING) {
        // Copies as much as fits (cch includes the terminator) and reports the text's length.
        const UINT length = static_cast<UINT>(found->text.size());
        if (info->dwTypeData != nullptr && info->cch > 0) {
            const UINT copied = std::min(length, info->cch - 1);
            found->text.copy(info->dwTypeData, copied);
            info->dwTypeData[copied] = 0;
        }
        info->cch = length;
    }
    return TRUE;
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags)
{
    MenuItem* found = findItem(menu, item, (flags & MF_BYPOSITION) != 0);
    if (found == nullptr) return static_cast<DWORD>(-1);
    const DWORD previous = found->state & MFS_CHECKED;
    found->state = (found->state & ~MFS_CHECKED) | (flags & MF_CHECKED);
    return previous;
}
