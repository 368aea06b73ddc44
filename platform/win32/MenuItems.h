// Menu-item descriptions for InsertMenuItemA, and a tidy-up of separators
// after items were added or removed.
#pragma once

#include <windows.h>

namespace cataloom::menu {

// A plain string item: state, id and type set.
MENUITEMINFOA StringItem(UINT id, const char* text, UINT state = 0);
// A separator: id and type set.
MENUITEMINFOA SeparatorItem(UINT id);
// A string item that opens `submenu`: state, id, submenu and type set.
MENUITEMINFOA SubmenuItem(UINT id, const char* text, HMENU submenu, UINT state = 0);
// Removes separators at the start and the end of the menu and every separator
// that directly follows another one.
void TidySeparators(HMENU menu);

}  // namespace cataloom::menu
