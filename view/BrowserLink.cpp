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
    return browser_->BrowseObject(reinterpret_cast<PCUIDLIST_RELATIVE>(absolute), flags);
}

}  // namespace cataloom
