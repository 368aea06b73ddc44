#include "view/ViewCommand.h"

#include "namespace/ShellUtil.h"

namespace cataloom {
namespace {

bool IsSeparator(HMENU menu, int position) noexcept {
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE;
    return GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &item) && (item.fType & MFT_SEPARATOR) != 0;
}

}  // namespace

bool InsertCommandEntry(HMENU menu, UINT position, UINT command, UINT id, UINT state, HMENU submenu) noexcept {
    char text[128];
    LoadResourceText(MenuTextOf(command), text, sizeof text);
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE | (submenu != nullptr ? MIIM_SUBMENU : 0);
    item.fType = MFT_STRING;
    item.fState = state;
    item.wID = id;
    item.hSubMenu = submenu;
    item.dwTypeData = text;
    return InsertMenuItemA(menu, position, TRUE, &item) != FALSE;
}

bool InsertSeparatorEntry(HMENU menu, UINT position, UINT id) noexcept {
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_TYPE;
    item.fType = MFT_SEPARATOR;
    item.wID = id;
    return InsertMenuItemA(menu, position, TRUE, &item) != FALSE;
}

void TidyPopup(HMENU menu) noexcept {
    if (menu == nullptr || !IsMenu(menu)) return;
    while (GetMenuItemCount(menu) > 0 && IsSeparator(menu, 0)) DeleteMenu(menu, 0, MF_BYPOSITION);
    for (int last = GetMenuItemCount(menu) - 1; last >= 0 && IsSeparator(menu, last); --last)
        DeleteMenu(menu, static_cast<UINT>(last), MF_BYPOSITION);
    for (int i = 1; i < GetMenuItemCount(menu);) {
        if (IsSeparator(menu, i) && IsSeparator(menu, i - 1)) {
            DeleteMenu(menu, static_cast<UINT>(i), MF_BYPOSITION);
        } else {
            ++i;
        }
    }
}

HMENU SubMenuOf(HMENU menu, UINT command) noexcept {
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_SUBMENU;
    if (menu == nullptr || !GetMenuItemInfoA(menu, command, FALSE, &item)) return nullptr;
    return item.hSubMenu;
}

}  // namespace cataloom
