// One page of a property sheet.  The sheet holds a reference on the page's
// owner (the property sheet extension that made it) for as long as the page
// lives: comctl32 calls the page callback with PSPCB_ADDREF when the page is
// created and with PSPCB_RELEASE when it is destroyed, also when a sheet
// refuses the page.  The owner keeps the page object.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <unknwn.h>

namespace cataloom {

class SheetPage {
public:
    SheetPage(IUnknown* owner, UINT templateId, UINT titleId) noexcept;
    virtual ~SheetPage() = default;
    SheetPage(const SheetPage&) = delete;
    SheetPage& operator=(const SheetPage&) = delete;

    // A new page for a sheet; null when comctl32 cannot make one.
    HPROPSHEETPAGE Create() noexcept;

protected:
    // WM_INITDIALOG: TRUE lets the dialog manager place the focus.
    virtual BOOL OnInit(HWND page) = 0;
    // PSN_APPLY: false refuses, so the sheet stays open on this page.
    virtual bool OnApply(HWND) { return true; }
    // Any other message; the dialog procedure's result.
    virtual INT_PTR OnMessage(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

    // Enables the sheet's Apply button.
    static void MarkChanged(HWND page) noexcept;

private:
    static INT_PTR CALLBACK DialogProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
    static UINT CALLBACK Callback(HWND window, UINT message, PROPSHEETPAGEA* sheetPage);
    INT_PTR OnNotify(HWND page, const NMHDR& header);

    IUnknown* owner_;
    UINT templateId_;
    UINT titleId_;
};

}  // namespace cataloom
