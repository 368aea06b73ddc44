#include "platform/win32/MenuItems.h"

namespace cataloom::menu {
namespace {

MENUITEMINFOA Blank(UINT mask) {
    MENUITEMINFOA item{};
    item.cbSize = sizeof(item);
    item.fMask = mask;
    return item;
}

bool IsSeparator(HMENU menu, int position) {
    MENUITEMINFOA item = Blank(MIIM_FTYPE);
    return GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &item) && (item.fType & MFT_SEPARATOR);
}

}  // namespace

MENUITEMINFOA StringItem(UINT id, const char* text, UINT state) {
    MENUITEMINFOA item = Blank(MIIM_STATE | MIIM_ID | MIIM_TYPE);
    item.fType = MFT_STRING;
    item.fState = state;
    item.wID = id;
    item.dwTypeData = const_cast<char*>(text);
    return item;
}

MENUITEMINFOA SeparatorItem(UINT id) {
    MENUITEMINFOA item = Blank(MIIM_ID | MIIM_TYPE);
    item.fType = MFT_SEPARATOR;
    item.wID = id;
    return item;
}

MENUITEMINFOA SubmenuItem(UINT id, const char* text, HMENU submenu, UINT state) {
    MENUITEMINFOA item = StringItem(id, text, state);
    item.fMask |= MIIM_SUBMENU;
    item.hSubMenu = submenu;
    return item;
}

void TidySeparators(HMENU menu) {
    if (menu == nullptr) return;
    bool previousWasSeparator = true;  // a separator at the start goes too
    for (int i = 0; i < GetMenuItemCount(menu);) {
        bool separator = IsSeparator(menu, i);
        if (separator && previousWasSeparator) {
            DeleteMenu(menu, static_cast<UINT>(i), MF_BYPOSITION);
            continue;
        }
        previousWasSeparator = separator;
        ++i;
    }
    int last = GetMenuItemCount(menu) - 1;
    if (last >= 0 && IsSeparator(menu, last)) DeleteMenu(menu, static_cast<UINT>(last), MF_BYPOSITION);
}

}  // namespace cataloom::menu
