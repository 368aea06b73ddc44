// The view's entries in the browser's shared menu: built into the File,
// Edit, View and Help popups the browser inserts while the view is active,
// taken out again when it changes state, and the view mode's radio mark
// set on every popup that opens.
#pragma once

#include <windows.h>

#include "namespace/ItemColumns.h"
#include "view/BrowserLink.h"

namespace cataloom {

class ViewMenus {
public:
    ViewMenus() noexcept = default;
    ~ViewMenus();
    ViewMenus(const ViewMenus&) = delete;
    ViewMenus& operator=(const ViewMenus&) = delete;

    // Takes the merged menu out of the browser and, for an active state
    // (SVUIA_ACTIVATE_NOFOCUS or SVUIA_ACTIVATE_FOCUS), merges a new one
    // whose commands go to `window`.  A browser that refuses the shared menu
    // gets none.
    void Rebuild(const BrowserLink& browser, UINT state, Listing listing, HWND window) noexcept;
    void Remove(const BrowserLink& browser) noexcept;

    // WM_INITMENUPOPUP: the radio mark of `viewMode` on the view mode
    // entries of `popup`; nothing for the window menu.
    static void MarkViewMode(HMENU popup, bool windowMenu, UINT viewMode) noexcept;

private:
    void Fill(Listing listing) noexcept;

    HMENU menu_ = nullptr;
};

}  // namespace cataloom
