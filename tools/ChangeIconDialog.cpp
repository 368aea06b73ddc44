#include "tools/ChangeIconDialog.h"

#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <string>

#include "namespace/ProcessObjects.h"
#include "platform/Platform.h"
#include "resources/CataloomResource.h"
#include "tools/PageTexts.h"

namespace cataloom {
namespace {

// A file may claim any number of icons; the list shows this many at most,
// so that no file can use up the process's icon handles.
constexpr UINT kMostIcons = 1000;

}  // namespace

ChangeIconDialog::ChangeIconDialog(const char* file, bool largeIcons) noexcept : large_(largeIcons) {
    text::CopyTruncated(file_, sizeof file_, file);
}

INT_PTR ChangeIconDialog::Run(HWND owner) noexcept {
    INT_PTR result = DialogBoxParamA(ProcessObjects::Instance(), MAKEINTRESOURCEA(IDD_CHANGE_ICON), owner,
                                     DialogProc, reinterpret_cast<LPARAM>(this));
    dialog_ = nullptr;
    list_ = nullptr;
    icons_.clear();
    return result == IDOK ? IDOK : IDCANCEL;
}

INT_PTR CALLBACK ChangeIconDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == WM_INITDIALOG) {
            auto* self = reinterpret_cast<ChangeIconDialog*>(lParam);
            SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
            self->OnInit(dialog);
            return FALSE;  // the list has the focus
        }
        // WM_MEASUREITEM comes before WM_INITDIALOG: the list's sizes are
        // set there instead.
        auto* self = reinterpret_cast<ChangeIconDialog*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
        return self != nullptr ? self->OnMessage(message, wParam, lParam) : FALSE;
    } catch (...) {
        return FALSE;  // without memory the list stays as it was
    }
}

void ChangeIconDialog::OnInit(HWND dialog) {
    dialog_ = dialog;
    list_ = GetDlgItem(dialog, IDC_ICON_LIST);
    SendDlgItemMessageA(dialog, IDC_ICON_FILE, EM_LIMITTEXT, kMaxPath - 1, 0);
    const int width = GetSystemMetrics(large_ ? SM_CXICON : SM_CXSMICON) + 2;
    const int height = GetSystemMetrics(large_ ? SM_CYICON : SM_CYSMICON) + 2;
    SendMessageA(list_, LB_SETITEMHEIGHT, 0, height);
    SendMessageA(list_, LB_SETCOLUMNWIDTH, width, 0);
    DragAcceptFiles(dialog, TRUE);
    char initial[kMaxPath];
    text::CopyTruncated(initial, sizeof initial, file_);
    Load(initial);
}

void ChangeIconDialog::Load(const char* file) {
    SendMessageA(list_, LB_RESETCONTENT, 0, 0);
    icons_.clear();
    char used[kMaxPath];
    text::CopyTruncated(used, sizeof used, file);
    UINT count = ExtractIconExA(used, -1, nullptr, nullptr, 0);
    if (count == 0 || count == UINT_MAX) {
        UINT length = GetSystemDirectoryA(used, sizeof used);
        if (length == 0 || length >= sizeof used || !path::Append(used, "shell32.dll")) used[0] = '\0';
        count = ExtractIconExA(used, -1, nullptr, nullptr, 0);
        if (count == UINT_MAX) count = 0;
    }
    text::CopyTruncated(file_, sizeof file_, used);
    SetDlgItemTextA(dialog_, IDC_ICON_FILE, file_);

    // One at a time: asked for several at once, Wine's ExtractIconExA
    // returns their number but fills only the first handle.
    count = std::min(count, kMostIcons);
    icons_.reserve(count);
    for (UINT i = 0; i < count; ++i) {
        HICON icon = nullptr;
        ExtractIconExA(used, static_cast<int>(i), large_ ? &icon : nullptr, large_ ? nullptr : &icon, 1);
        if (icon == nullptr) {
            icons_.clear();  // a failed extraction leaves the list empty
            break;
        }
        icons_.emplace_back(icon);
    }
    for (const OwnedIcon& icon : icons_)
        SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(icon.Get()));
    SendMessageA(list_, LB_SETCURSEL, 0, 0);
    SetFocus(list_);
}

INT_PTR ChangeIconDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DRAWITEM:
        if (wParam != IDC_ICON_LIST) return FALSE;
        Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_DROPFILES: {
        auto drop = reinterpret_cast<HDROP>(wParam);
        char file[kMaxPath] = {};
        bool dropped = DragQueryFileA(drop, 0, file, sizeof file) > 0;
        DragFinish(drop);
        if (dropped) Load(file);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_ICON_BROWSE:
            if (HIWORD(wParam) == BN_CLICKED) Browse();
            return TRUE;
        case IDC_ICON_LIST:
            if (HIWORD(wParam) == LBN_DBLCLK) Accept();
            return TRUE;
        case IDOK:
            Accept();
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog_, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

void ChangeIconDialog::Draw(const DRAWITEMSTRUCT& item) const {
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    HBRUSH background = selected ? GetSysColorBrush(COLOR_HIGHLIGHT) : CreateSolidBrush(GetBkColor(item.hDC));
    FillRect(item.hDC, &item.rcItem, background);
    if (!selected) DeleteObject(background);
    if ((item.itemAction & ODA_FOCUS) != 0) DrawFocusRect(item.hDC, &item.rcItem);
    if (item.itemID == static_cast<UINT>(-1) || item.itemData == 0) return;
    const int width = GetSystemMetrics(large_ ? SM_CXICON : SM_CXSMICON);
    const int height = GetSystemMetrics(large_ ? SM_CYICON : SM_CYSMICON);
    DrawIconEx(item.hDC, item.rcItem.left + 1, item.rcItem.top + 1, reinterpret_cast<HICON>(item.itemData), width,
               height, 0, nullptr, DI_NORMAL);
}

void ChangeIconDialog::Browse() {
    // "Icon file|*.EXE;*.DLL;*.ICO|...": the bars separate the parts.
    std::string filter = LoadText(IDS_ICON_FILTER);
    std::replace(filter.begin(), filter.end(), '|', '\0');
    char file[kMaxPath] = {};
    GetDlgItemTextA(dialog_, IDC_ICON_FILE, file, sizeof file);
    OPENFILENAMEA open = {};
    open.lStructSize = sizeof open;
    open.hwndOwner = dialog_;
    open.lpstrFilter = filter.c_str();
    open.lpstrFile = file;
    open.nMaxFile = sizeof file;
    open.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    if (GetOpenFileNameA(&open)) Load(file);
}

void ChangeIconDialog::Accept() {
    char typed[kMaxPath] = {};
    GetDlgItemTextA(dialog_, IDC_ICON_FILE, typed, sizeof typed);
    // A name typed but not loaded yet is loaded first and shown: the index
    // the user then picks belongs to the file returned.
    if (platform::CompareNoCase(typed, file_) != 0) {
        Load(typed);
        return;
    }
    const LRESULT selected = SendMessageA(list_, LB_GETCURSEL, 0, 0);
    index_ = selected == LB_ERR ? 0 : static_cast<int>(selected);
    EndDialog(dialog_, IDOK);
}

}  // namespace cataloom
