// The view's hold on the browser that hosts it.  Browsers differ in what they
// offer (Wine's answers E_NOTIMPL to menus, controls, status texts and view
// activation): every call here tolerates a refusal.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "core/ItemId.h"
#include "namespace/ComPtr.h"

namespace cataloom {

class BrowserLink {
public:
    // Keeps a reference on `browser`.
    void Attach(IShellBrowser* browser) noexcept;
    void Detach() noexcept { browser_.Reset(); }
    bool Attached() const noexcept { return static_cast<bool>(browser_); }

    // The browser's window, the parent of the view's window; null if refused.
    HWND Window() const noexcept;
    // True when the browser has the control window `id` (FCW_STATUS, FCW_TREE).
    bool HasControl(UINT id) const noexcept;
    // Puts `text` as the only part of the browser's status bar, if it has one.
    void ShowStatus(const char* text) const noexcept;
    // Tells the browser that `view` is the active view.
    void ViewActivated(IShellView* view) const noexcept;
    // The browser's BrowseObject; E_FAIL without a browser.  A refused
    // explore mode is tried again in open mode.
    HRESULT Browse(const ItemId* absolute, UINT flags) const noexcept;
    // The shared menu: the browser's popups into `menu`, the menu shown with
    // commands going to `window` (null menu: the browser's own again), the
    // browser's popups taken out.
    HRESULT InsertMenus(HMENU menu, OLEMENUGROUPWIDTHS* widths) const noexcept;
    void SetMenu(HMENU menu, HWND window) const noexcept;
    void RemoveMenus(HMENU menu) const noexcept;

private:
    ComPtr<IShellBrowser> browser_;
};

}  // namespace cataloom
