#include "tools/SheetPage.h"

#include "namespace/ProcessObjects.h"
#include "namespace/ShellUtil.h"
#include "resources/CataloomResource.h"

namespace cataloom {

SheetPage::SheetPage(IUnknown* owner, UINT templateId, UINT titleId) noexcept
    : owner_(owner), templateId_(templateId), titleId_(titleId) {}

HPROPSHEETPAGE SheetPage::Create() noexcept {
    PROPSHEETPAGEA page = {};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_USETITLE | PSP_USECALLBACK;
    page.hInstance = ProcessObjects::Instance();
    page.pszTemplate = MAKEINTRESOURCEA(templateId_);
    page.pszTitle = MAKEINTRESOURCEA(titleId_);
    page.pfnDlgProc = DialogProc;
    page.lParam = reinterpret_cast<LPARAM>(this);
    page.pfnCallback = Callback;
    return CreatePropertySheetPageA(&page);
}

void SheetPage::MarkChanged(HWND page) noexcept { PropSheet_Changed(GetParent(page), page); }

UINT CALLBACK SheetPage::Callback(HWND, UINT message, PROPSHEETPAGEA* sheetPage) {
    auto* self = reinterpret_cast<SheetPage*>(sheetPage->lParam);
    // The release may end the owner and with it this page object: nothing
    // of `self` is touched after it.
    if (message == PSPCB_ADDREF) self->owner_->AddRef();
    if (message == PSPCB_RELEASE) self->owner_->Release();
    return 1;
}

INT_PTR CALLBACK SheetPage::DialogProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    // No exception crosses into the dialog manager: without memory for its
    // texts a page shows less, and an apply is refused.
    try {
        if (message == WM_INITDIALOG) {
            auto* self = reinterpret_cast<SheetPage*>(reinterpret_cast<PROPSHEETPAGEA*>(lParam)->lParam);
            SetWindowLongPtrA(page, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
            return self->OnInit(page);
        }
        auto* self = reinterpret_cast<SheetPage*>(GetWindowLongPtrA(page, GWLP_USERDATA));
        if (self == nullptr) return FALSE;
        if (message == WM_NOTIFY) return self->OnNotify(page, *reinterpret_cast<const NMHDR*>(lParam));
        return self->OnMessage(page, message, wParam, lParam);
    } catch (...) {
        if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == PSN_APPLY) {
            SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_INVALID_NOCHANGEPAGE);
            return TRUE;
        }
        return FALSE;
    }
}

INT_PTR SheetPage::OnNotify(HWND page, const NMHDR& header) {
    switch (header.code) {
    case PSN_APPLY:
        // A notification's answer goes through DWLP_MSGRESULT.
        SetWindowLongPtrA(page, DWLP_MSGRESULT, OnApply(page) ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE);
        return TRUE;
    case PSN_RESET:
        return TRUE;
    default:
        return OnMessage(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
    }
}

}  // namespace cataloom
