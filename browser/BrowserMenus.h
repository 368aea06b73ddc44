// The browser's menus: its own menu bar, and the File, Edit, View and Help
// popups it puts into a view's shared menu (InsertMenusSB) under the
// identifiers views look for (FCIDM_MENU_FILE, ...; the View popup holds
// FCIDM_MENU_VIEW_SEP_OPTIONS, where views insert their entries).
#pragma once

#include <windows.h>
#include <shlobj.h>

namespace cataloom {

// The browser's own commands, in the range browsers keep for themselves.
enum BrowserCommand : UINT {
    kCommandClose = FCIDM_BROWSERFIRST + 1,
    kCommandBack,
    kCommandUp,
    kCommandRefresh,
    kCommandAbout,
};

class BrowserMenus {
public:
    // A menu bar holding the four popups; null when it cannot be made.
    static HMENU CreateMenuBar(HINSTANCE instance) noexcept;
    // Appends the four popups to a view's shared menu and fills in the
    // widths of the File, View and Help groups.
    static bool AddPopups(HINSTANCE instance, HMENU shared, OLEMENUGROUPWIDTHS* widths) noexcept;
    // Removes and destroys the popups AddPopups put into `shared`.
    static void RemovePopups(HMENU shared) noexcept;
    // The accelerators of the browser's commands (Alt+Left, Backspace, F5).
    static HACCEL CreateAccelerators() noexcept;
    // True for the browser's own commands; the rest belong to the view.
    static bool IsBrowserCommand(UINT id) noexcept { return id >= FCIDM_BROWSERFIRST && id <= FCIDM_BROWSERLAST; }
};

}  // namespace cataloom
