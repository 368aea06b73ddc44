// The command numbers of the folder view and its item menu, and the menu
// entries built from them.  The same numbers serve as the view's menu and
// accelerator identifiers and as the item menu's offsets from the first
// identifier its caller gives; each is its menu text's string id minus 69.
#pragma once

#include <windows.h>

namespace cataloom {

enum ViewCommand : UINT {
    kCommandExplore = 1,
    kCommandOpen = 2,
    kCommandRename = 3,
    kCommandDelete = 4,
    kCommandSeparator = 5,
    kCommandNewCategory = 6,
    kCommandEditCategory = 7,
    kCommandProperties = 8,
    kCommandAbout = 9,
    kCommandViewMenu = 10,
    kCommandLargeIcons = 11,
    kCommandSmallIcons = 12,
    kCommandList = 13,
    kCommandDetails = 14,
    kCommandSelectAll = 15,
    kCommandInvertSelection = 16,
    kCommandSearch = 17,
};

// The string id of a command's menu text.
constexpr UINT MenuTextOf(UINT command) noexcept { return command + 69; }

// Inserts, by position, a string entry with the command's text, identifier
// `id`, state `state` (MFS_DEFAULT, MFS_GRAYED, ...) and, when given, a
// submenu.  False when the menu refused it.
bool InsertCommandEntry(HMENU menu, UINT position, UINT command, UINT id, UINT state = MFS_ENABLED,
                        HMENU submenu = nullptr) noexcept;
// Inserts a separator by position.
bool InsertSeparatorEntry(HMENU menu, UINT position, UINT id) noexcept;
// Removes leading, trailing and doubled separators; nothing for an invalid
// or empty menu.
void TidyPopup(HMENU menu) noexcept;
// The popup of the entry with identifier `command`; null when none.
HMENU SubMenuOf(HMENU menu, UINT command) noexcept;

}  // namespace cataloom
