#include "setup/SetupWizard.h"

#include <commctrl.h>
#include <prsht.h>

#include "resources/TarnwickSetupResource.h"

namespace cataloom {

namespace {
constexpr char kMessageCaption[] = "Tarnwick Setup";
constexpr UINT_PTR kWorkTimer = 1;
constexpr UINT kWorkDelayMs = 300;
// Posted by a page to itself to set the wizard title again.
constexpr UINT kRetitleMessage = WM_APP + 1;

SetupWizard* WizardOf(HWND page) { return reinterpret_cast<SetupWizard*>(GetWindowLongPtrA(page, DWLP_USER)); }

// Keeps the wizard pointer from the page's creation parameter.
SetupWizard* Attach(HWND page, LPARAM lParam) {
    auto* sheetPage = reinterpret_cast<PROPSHEETPAGEA*>(lParam);
    SetWindowLongPtrA(page, DWLP_USER, sheetPage->lParam);
    return reinterpret_cast<SetupWizard*>(sheetPage->lParam);
}

// Wine's sheet writes its own caption (empty: neither header nor pages have
// one) after the first page's WM_INITDIALOG and on every page change; each
// page sets the wizard title again once it is shown.
void KeepTitle(HWND page) { PostMessageA(page, kRetitleMessage, 0, 0); }

INT_PTR Retitle(HWND page) {
    WizardOf(page)->SetTitle(GetParent(page));
    return TRUE;
}

// A notification's answer goes through DWLP_MSGRESULT.
INT_PTR Answer(HWND page, LONG_PTR result) {
    SetWindowLongPtrA(page, DWLP_MSGRESULT, result);
    return TRUE;
}

// The notification's code for WM_NOTIFY; 0 (no page notification) otherwise.
UINT NotifyCode(UINT message, LPARAM lParam) {
    return message == WM_NOTIFY ? reinterpret_cast<NMHDR*>(lParam)->code : 0;
}

// What the pages the user leaves by a button share: `init` fills the page
// when it is created, the title is kept, `buttons` show while it is active
// and Cancel is allowed.
INT_PTR ButtonPage(HWND page, UINT message, LPARAM lParam, void (SetupWizard::*init)(HWND) const, DWORD buttons) {
    if (message == WM_INITDIALOG) {
        (Attach(page, lParam)->*init)(page);
        return TRUE;
    }
    if (message == kRetitleMessage) return Retitle(page);
    switch (NotifyCode(message, lParam)) {
    case PSN_SETACTIVE:
        KeepTitle(page);
        PropSheet_SetWizButtons(GetParent(page), buttons);
        return Answer(page, 0);
    case PSN_QUERYCANCEL:
        return Answer(page, FALSE);
    default:
        return FALSE;
    }
}

// No C++ exception may unwind through the system's dialog code: one that
// reaches a page procedure leaves the message unhandled.
template <DLGPROC procedure>
INT_PTR CALLBACK Guarded(HWND page, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        return procedure(page, message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

void CentreOnDesktop(HWND window) {
    RECT own = {};
    RECT desktop = {};
    GetWindowRect(window, &own);
    GetWindowRect(GetDesktopWindow(), &desktop);
    const int x = desktop.left + ((desktop.right - desktop.left) - (own.right - own.left)) / 2;
    const int y = desktop.top + ((desktop.bottom - desktop.top) - (own.bottom - own.top)) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
}  // namespace

SetupWizard::SetupWizard(HINSTANCE instance, const SetupInfo& info)
    : instance_(instance), info_(info), caption_(info.Caption()) {}

std::string SetupWizard::Text(UINT id) const {
    char text[512] = {};
    LoadStringA(instance_, id, text, sizeof text);
    return text;
}

std::string SetupWizard::CaptionText(UINT id) const { return caption_ + Text(id); }

void SetupWizard::Run() {
    PROPSHEETPAGEA pages[3] = {};
    const struct {
        UINT templateId;
        DLGPROC procedure;
    } layout[3] = {{IDD_PAGE_CHOOSE, Guarded<ChoosePage>},
                   {IDD_PAGE_WORKING, Guarded<WorkingPage>},
                   {IDD_PAGE_DONE, Guarded<DonePage>}};
    HPROPSHEETPAGE handles[3] = {};
    for (int i = 0; i < 3; ++i) {
        pages[i].dwSize = sizeof pages[i];
        pages[i].hInstance = instance_;
        pages[i].pszTemplate = MAKEINTRESOURCEA(layout[i].templateId);
        pages[i].pfnDlgProc = layout[i].procedure;
        pages[i].lParam = reinterpret_cast<LPARAM>(this);
        handles[i] = CreatePropertySheetPageA(&pages[i]);
        if (handles[i] == nullptr) {
            for (int j = 0; j < i; ++j) DestroyPropertySheetPage(handles[j]);
            return;
        }
    }
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_WIZARD | PSH_USEICONID;
    header.hInstance = instance_;
    header.pszIcon = MAKEINTRESOURCEA(IDI_SETUP);
    header.nPages = 3;
    header.nStartPage = 0;
    header.phpage = handles;
    PropertySheetA(&header);
}

void SetupWizard::InitChoosePage(HWND page) const {
    HWND sheet = GetParent(page);
    CentreOnDesktop(sheet);
    SetTitle(sheet);
    SetDlgItemTextA(page, IDC_HEADING, CaptionText(IDS_HEADING).c_str());
    SetDlgItemTextA(page, IDC_REGISTER, CaptionText(IDS_REGISTER).c_str());
    SetDlgItemTextA(page, IDC_UNREGISTER, CaptionText(IDS_UNREGISTER).c_str());
    SetDlgItemTextA(page, IDC_VERSION, Text(IDS_VERSION).c_str());
    CheckRadioButton(page, IDC_REGISTER, IDC_UNREGISTER, IDC_REGISTER);
}

void SetupWizard::SetTitle(HWND sheet) const { PropSheet_SetTitle(sheet, 0, CaptionText(IDS_TITLE).c_str()); }

bool SetupWizard::TakeChoice(HWND page) {
    if (IsDlgButtonChecked(page, IDC_REGISTER) == BST_CHECKED) {
        mode_ = SetupMode::kRegister;
        return true;
    }
    if (IsDlgButtonChecked(page, IDC_UNREGISTER) != BST_CHECKED) return false;
    const int answer = MessageBoxA(GetParent(page), Text(IDS_CONFIRM_UNINSTALL).c_str(), kMessageCaption,
                                   MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer != IDYES) return false;
    mode_ = SetupMode::kUnregister;
    return true;
}

void SetupWizard::InitDonePage(HWND page) const {
    ShowWindow(GetDlgItem(page, IDC_UNINSTALL_NOTE), mode_ == SetupMode::kUnregister ? SW_SHOW : SW_HIDE);
    if (failed_.empty()) return;
    // Say which libraries failed instead of reporting success.
    std::string text = Text(IDS_SERVERS_FAILED);
    for (const std::string& name : failed_) text += "\r\n" + name;
    SetDlgItemTextA(page, IDC_DONE_TEXT, text.c_str());
}

INT_PTR CALLBACK SetupWizard::ChoosePage(HWND page, UINT message, WPARAM, LPARAM lParam) {
    // -1 keeps the wizard on this page.
    if (NotifyCode(message, lParam) == PSN_WIZNEXT) return Answer(page, WizardOf(page)->TakeChoice(page) ? 0 : -1);
    return ButtonPage(page, message, lParam, &SetupWizard::InitChoosePage, PSWIZB_NEXT);
}

INT_PTR CALLBACK SetupWizard::WorkingPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        Attach(page, lParam);
        return TRUE;
    case kRetitleMessage:
        return Retitle(page);
    case WM_TIMER: {
        if (wParam != kWorkTimer) return FALSE;
        KillTimer(page, kWorkTimer);
        SetupWizard* wizard = WizardOf(page);
        wizard->failed_ = RunServers(wizard->info_.Servers(), wizard->mode_);
        PropSheet_PressButton(GetParent(page), PSBTN_NEXT);
        return TRUE;
    }
    case WM_NOTIFY:
        switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE:
            KeepTitle(page);
            PropSheet_SetWizButtons(GetParent(page), 0);
            // The page shows itself before the work starts.
            SetTimer(page, kWorkTimer, kWorkDelayMs, nullptr);
            return Answer(page, 0);
        case PSN_QUERYCANCEL:
            return Answer(page, TRUE);
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK SetupWizard::DonePage(HWND page, UINT message, WPARAM, LPARAM lParam) {
    if (NotifyCode(message, lParam) == PSN_WIZFINISH) return Answer(page, 0);
    return ButtonPage(page, message, lParam, &SetupWizard::InitDonePage, PSWIZB_FINISH);
}

}  // namespace cataloom
