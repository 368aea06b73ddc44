#include "view/BrowserLink.h"

#include <commctrl.h>

#include "namespace/ShellUtil.h"

namespace cataloom {

void BrowserLink::Attach(IShellBrowser* browser) noexcept {
    browser_.Reset();
    if (browser == nullptr) return;
    browser->AddRef();
    *browser_.Put() = browser;
}

HWND BrowserLink::Window() const noexcept {
    HWND window = nullptr;
    if (!browser_ || FAILED(browser_->GetWindow(&window))) return nullptr;
    return window;
}

bool BrowserLink::HasControl(UINT id) const noexcept {
    HWND control = nullptr;
    return browser_ && SUCCEEDED(browser_->GetControlWindow(id, &control)) && control != nullptr;
}

void BrowserLink::ShowStatus(const char* text) const noexcept {
    if (!HasControl(FCW_STATUS)) return;
    int parts[1] = {-1};
    LRESULT result = 0;
    browser_->SendControlMsg(FCW_STATUS, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(parts), &result);
    browser_->SendControlMsg(FCW_STATUS, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text), &result);
}

void BrowserLink::ViewActivated(IShellView* view) const noexcept {
    if (browser_) browser_->OnViewWindowActive(view);  // refused by Wine's browser: nothing depends on it
}

HRESULT BrowserLink::Browse(const ItemId* absolute, UINT flags) const noexcept {
    if (!browser_) return E_FAIL;
    auto place = reinterpret_cast<PCUIDLIST_RELATIVE>(absolute);
    HRESULT hr = browser_->BrowseObject(place, flags);
    // Wine's browser refuses explore mode (E_INVALIDARG): open instead.
    if (FAILED(hr) && (flags & SBSP_EXPLOREMODE) != 0)
        hr = browser_->BrowseObject(place, (flags & ~SBSP_EXPLOREMODE) | SBSP_OPENMODE);
    return hr;
}

HRESULT BrowserLink::InsertMenus(HMENU menu, OLEMENUGROUPWIDTHS* widths) const noexcept {
    if (!browser_) return E_FAIL;
    return browser_->InsertMenusSB(menu, widths);  // refused by Wine's browser
}

void BrowserLink::SetMenu(HMENU menu, HWND window) const noexcept {
    if (browser_) browser_->SetMenuSB(menu, nullptr, window);
}

void BrowserLink::RemoveMenus(HMENU menu) const noexcept {
    if (browser_) browser_->RemoveMenusSB(menu);
}

}  // namespace cataloom
