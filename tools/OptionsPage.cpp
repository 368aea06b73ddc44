#include "tools/OptionsPage.h"

#include <commdlg.h>
#include <shlobj.h>

#include <cstring>

#include "core/PathUtil.h"
#include "core/TaskMemory.h"
#include "settings/ClassIds.h"
#include "namespace/ProcessObjects.h"
#include "namespace/ShellUtil.h"
#include "namespace/ViewList.h"
#include "resources/CataloomResource.h"
#include "settings/SettingsStore.h"

namespace cataloom {
namespace {

constexpr std::size_t kLongestPath = kMaxPath - 1;

COLORREF StoredColour(int id) {
    const SettingsStore& settings = ProcessObjects::Settings();
    return id == IDC_BG_COLOR ? settings.GetBgColor() : settings.GetTextColor();
}

}  // namespace

OptionsPage::OptionsPage(IUnknown* owner) noexcept : SheetPage(owner, IDD_OPTIONS_PAGE, IDS_PRODUCT_NAME) {}

BOOL OptionsPage::OnInit(HWND page) {
    const SettingsStore& settings = ProcessObjects::Settings();
    CheckDlgButton(page, IDC_ROOT_VERB, settings.IsRootDefaultVerb() ? BST_CHECKED : BST_UNCHECKED);
    // A longer path could not be stored whole: the box takes no more.
    SendDlgItemMessageA(page, IDC_DATA_FOLDER, EM_LIMITTEXT, kLongestPath, 0);
    // The folder the namespace really uses, also when the setting is empty.
    char folder[kMaxPath] = {};
    settings.GetEffectiveDataRoot(folder, sizeof folder);
    SetDlgItemTextA(page, IDC_DATA_FOLDER, folder);
    SetFocus(GetDlgItem(page, IDC_DATA_FOLDER));
    return FALSE;
}

INT_PTR OptionsPage::OnMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        // Typing marks the page changed; the text set when it opens does not
        // (setting a text clears the edit's modified flag).
        if (LOWORD(wParam) == IDC_DATA_FOLDER && HIWORD(wParam) == EN_CHANGE) {
            if (SendDlgItemMessageA(page, IDC_DATA_FOLDER, EM_GETMODIFY, 0, 0) != 0) MarkChanged(page);
            return TRUE;
        }
        if (HIWORD(wParam) != BN_CLICKED) return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_BROWSE_FOLDER:
            BrowseForFolder(page);
            return TRUE;
        case IDC_BG_COLOR:
        case IDC_TEXT_COLOR:
            ChooseColour(page, LOWORD(wParam));
            return TRUE;
        case IDC_ROOT_VERB:
            MarkChanged(page);
            return TRUE;
        default:
            return FALSE;
        }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID != IDC_BG_COLOR && item->CtlID != IDC_TEXT_COLOR) return FALSE;
        HBRUSH brush = CreateSolidBrush(StoredColour(static_cast<int>(item->CtlID)));
        FillRect(item->hDC, &item->rcItem, brush);
        DeleteObject(brush);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

void OptionsPage::BrowseForFolder(HWND page) noexcept {
    BROWSEINFOA browse = {};
    browse.hwndOwner = page;
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    TaskMemory<ITEMIDLIST> chosen(SHBrowseForFolderA(&browse));
    char folder[kMaxPath] = {};
    if (chosen == nullptr || !SHGetPathFromIDListA(chosen.Get(), folder)) return;
    SetDlgItemTextA(page, IDC_DATA_FOLDER, folder);
    MarkChanged(page);
}

void OptionsPage::ChooseColour(HWND page, int id) noexcept {
    COLORREF custom[16] = {};
    CHOOSECOLORA choose = {};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = page;
    choose.rgbResult = StoredColour(id);
    choose.lpCustColors = custom;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
    if (!ChooseColorA(&choose)) return;
    SettingsStore& settings = ProcessObjects::Settings();
    if (id == IDC_BG_COLOR) {
        settings.SetBgColor(choose.rgbResult);
    } else {
        settings.SetTextColor(choose.rgbResult);
    }
    InvalidateRect(GetDlgItem(page, id), nullptr, TRUE);
}

bool OptionsPage::AcceptDataFolder(HWND page, const char* typed) noexcept {
    if (typed[0] == '\0') {
        ShowLibraryMessage(page, IDS_DATA_FOLDER_REQUIRED, MB_OK | MB_ICONWARNING);
        return false;
    }
    // A double-byte path of 259 characters is longer than 259 bytes.
    switch (SettingsStore::CheckDataRoot(typed)) {
    case SettingsStore::DataRootProblem::kTooLong:
        ShowLibraryMessage(page, IDS_DATA_FOLDER_TOO_LONG, MB_OK | MB_ICONWARNING);
        return false;
    case SettingsStore::DataRootProblem::kNotFull:
        ShowLibraryMessage(page, IDS_DATA_FOLDER_NOT_FULL, MB_OK | MB_ICONWARNING);
        return false;
    case SettingsStore::DataRootProblem::kNone:
        break;
    }
    // "C:\data\" names the folder "C:\data"; a root keeps its backslash ("Q:" gets one).
    char folder[kMaxPath];
    text::CopyTruncated(folder, sizeof folder, typed);
    if (path::IsRoot(folder)) path::AddBackslash(folder);
    else path::RemoveBackslash(folder);
    std::uint32_t attributes = 0;
    if (!platform::GetAttributes(folder, attributes)) {
        if (ShowLibraryMessage(page, IDS_DATA_FOLDER_MISSING, MB_YESNOCANCEL | MB_ICONWARNING) != IDYES) return false;
        if (!CreateDirectoryA(folder, nullptr)) {
            ShowLibraryMessage(page, IDS_DATA_FOLDER_NOT_CREATED, MB_OK | MB_ICONWARNING);
            return false;
        }
        return true;
    }
    if ((attributes & platform::kAttrDirectory) == 0) {
        ShowLibraryMessage(page, IDS_DATA_FOLDER_NOT_DIRECTORY, MB_OK | MB_ICONWARNING);
        return false;
    }
    return true;
}

bool OptionsPage::OnApply(HWND page) {
    // Room for more than the box allows, so that nothing is cut silently.
    char typed[4 * kMaxPath] = {};
    GetDlgItemTextA(page, IDC_DATA_FOLDER, typed, sizeof typed);
    if (!AcceptDataFolder(page, typed)) return false;

    SettingsStore& settings = ProcessObjects::Settings();
    settings.SetDataRoot(typed);
    settings.SetRootDefaultVerb(IsDlgButtonChecked(page, IDC_ROOT_VERB) == BST_CHECKED);
    // The namespace now shows another folder: the shell rebuilds it, and
    // every open view lists its folder again.
    NotifyShellPath(SHCNE_RMDIR, kFolderParsingName);
    NotifyShellPath(SHCNE_MKDIR, kFolderParsingName);
    FlushShellNotifications();
    ProcessObjects::Views().Notify(0, nullptr, nullptr, nullptr);
    return true;
}

}  // namespace cataloom
