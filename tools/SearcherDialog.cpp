#include "tools/SearcherDialog.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <utility>

#include "core/CatalogSearch.h"
#include "core/PathUtil.h"
#include "settings/ClassIds.h"
#include "namespace/ComResult.h"
#include "namespace/ProcessObjects.h"
#include "namespace/IconCache.h"
#include "namespace/ShellUtil.h"
#include "resources/CataloomResource.h"
#include "tools/LocationLauncher.h"
#include "settings/SettingsStore.h"

namespace cataloom {
namespace {

constexpr UINT kStoreWidthsMessage = WM_APP + 13;
constexpr DWORD kPumpIntervalMs = 20;
constexpr int kPatternLimit = 259;
constexpr int kLocationLimit = 519;

struct ColumnSpec {
    UINT text;
    int format;
};
constexpr ColumnSpec kColumns[kSearchColumnCount] = {
    {IDS_SEARCH_COLUMN_NAME, LVCFMT_LEFT},
    {IDS_SEARCH_COLUMN_LOCATION, LVCFMT_LEFT},
    {IDS_SEARCH_COLUMN_SIZE, LVCFMT_RIGHT},
    {IDS_SEARCH_COLUMN_TYPE, LVCFMT_LEFT},
    {IDS_SEARCH_COLUMN_MODIFIED, LVCFMT_LEFT},
};

std::string ResourceText(UINT id) {
    char text[256];
    LoadResourceText(id, text, sizeof text);
    return text;
}

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, &text[0], length + 1)));
    return text;
}

// The part of a namespace address below the root: what follows its first
// component (the root's own name).
std::string BelowRoot(const std::string& location) {
    const char* separator = text::FindChar(location.c_str(), '\\');
    return separator != nullptr ? separator + 1 : "";
}

// The desktop's name for an absolute identifier list.
std::string DesktopName(PCIDLIST_ABSOLUTE list, SHGDNF flags) {
    ComPtr<IShellFolder> desktop;
    STRRET name = {};
    char text[2 * MAX_PATH];
    if (FAILED(SHGetDesktopFolder(desktop.Put())) ||
        FAILED(desktop->GetDisplayNameOf(reinterpret_cast<PCUITEMID_CHILD>(list), flags, &name)) ||
        !StrRetToAnsi(&name, reinterpret_cast<PCUIDLIST_RELATIVE>(list), text, sizeof text))
        return "";
    return text;
}

}  // namespace

SearcherDialog::SearcherDialog(const char* location) : location_(location != nullptr ? location : "") {
    char dataRoot[MAX_PATH] = "";
    ProcessObjects::Settings().GetEffectiveDataRoot(dataRoot, sizeof dataRoot);
    dataRoot_ = dataRoot;
    context_.dataRoot = dataRoot_;
    ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.Put()))) return;
    std::wstring name = AnsiToWide(kFolderParsingName);
    PIDLIST_RELATIVE list = nullptr;
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, &name[0], nullptr, &list, nullptr))) return;
    rootList_.Reset(reinterpret_cast<ITEMIDLIST*>(list));
    desktop->BindToObject(list, nullptr, IID_IShellFolder, root_.PutVoid());
    if (location_.empty()) location_ = DesktopName(rootList_.Get(), SHGDN_FORADDRESSBAR);
}

SearcherDialog::~SearcherDialog() {
    // Run has joined the task; a dialog never run has none.
    task_.reset();
}

void SearcherDialog::Run(HWND owner) noexcept {
    DialogBoxParamA(ProcessObjects::Instance(), MAKEINTRESOURCEA(IDD_SEARCHER), owner, Procedure,
                    reinterpret_cast<LPARAM>(this));
    // The window can end while the search runs (its owner was destroyed):
    // the task must not outlive the mailbox it reports to.  It only posts,
    // but other threads may send to this one while it waits.
    if (task_ != nullptr) {
        task_->RequestStop();
        while (!task_->WaitFor(kPumpIntervalMs)) {
            MSG message;
            PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
        task_.reset();
    }
    running_ = false;
}

INT_PTR CALLBACK SearcherDialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<SearcherDialog*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        self->window_ = window;
        if (FAILED(ComFirewall([&] {
                self->Open();
                return S_OK;
            })))
            EndDialog(window, IDCANCEL);
        return FALSE;  // the focus is on the pattern
    }
    auto* self = reinterpret_cast<SearcherDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (self == nullptr) return FALSE;
    INT_PTR result = FALSE;
    // No exception leaves a window procedure; lack of memory drops the step.
    ComFirewall([&] {
        result = self->Handle(message, wParam, lParam);
        return S_OK;
    });
    return result;
}

INT_PTR SearcherDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return TRUE;
    case WM_NOTIFY:
        SetWindowLongPtrA(window_, DWLP_MSGRESULT, OnNotify(*reinterpret_cast<const NMHDR*>(lParam)));
        return TRUE;
    case SearchMailbox::kRowsMessage:
        TakeRows();
        ShowProgress();
        return TRUE;
    case SearchMailbox::kFinishedMessage:
        Finish();
        return TRUE;
    case kStoreWidthsMessage:
        StoreColumnWidths();
        return TRUE;
    case WM_SIZE:
        Layout();
        return TRUE;
    case WM_GETMINMAXINFO:
        MinimumSize(*reinterpret_cast<MINMAXINFO*>(lParam));
        return TRUE;
    case WM_DESTROY:
        if (task_ != nullptr) task_->RequestStop();
        mailbox_.Attach(nullptr);
        return FALSE;
    default:
        return FALSE;
    }
}

HWND SearcherDialog::List() const { return GetDlgItem(window_, IDC_SEARCH_RESULTS); }

void SearcherDialog::Open() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    mailbox_.Attach(window_);
    status_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, window_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_SEARCH_STATUS)),
                              ProcessObjects::Instance(), nullptr);
    HWND list = List();
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    std::int32_t widths[kSearchColumnCount];
    std::memcpy(widths, SettingsStore::kDefaultSearcherColumns, sizeof widths);
    ProcessObjects::Settings().GetSearcherColumns(widths, kSearchColumnCount);
    for (int i = 0; i < kSearchColumnCount; ++i) {
        std::string header = ResourceText(kColumns[i].text);
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.fmt = kColumns[i].format;
        column.cx = widths[i];
        column.pszText = &header[0];
        column.iSubItem = i;
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    IconCache& icons = ProcessObjects::Icons();
    ListView_SetImageList(list, icons.LargeList(), LVSIL_NORMAL);
    ListView_SetImageList(list, icons.SmallList(), LVSIL_SMALL);
    SendDlgItemMessageA(window_, IDC_SEARCH_PATTERN, EM_LIMITTEXT, kPatternLimit, 0);
    SendDlgItemMessageA(window_, IDC_SEARCH_LOCATION, EM_LIMITTEXT, kLocationLimit, 0);
    SetDlgItemTextA(window_, IDC_SEARCH_LOCATION, location_.c_str());
    Layout();
    SetFocus(GetDlgItem(window_, IDC_SEARCH_PATTERN));
}

void SearcherDialog::OnCommand(int id) {
    switch (id) {
    case IDOK:
        // Enter on a result opens its location; anywhere else it searches.
        if (GetFocus() == List()) {
            OpenLocation();
        } else if (!running_ && IsWindowEnabled(GetDlgItem(window_, IDOK))) {
            Search();
        }
        break;
    case IDCANCEL:  // the button, Escape and the close box
        StopOrClose();
        break;
    case IDC_SEARCH_BROWSE:
        Browse();
        break;
    default:
        break;
    }
}

void SearcherDialog::StopOrClose() {
    if (running_) {
        task_->RequestStop();
        return;
    }
    EndDialog(window_, IDCANCEL);
}

void SearcherDialog::Search() {
    rows_.clear();
    ListView_SetItemCountEx(List(), 0, 0);
    // A setting that names no folder is not searched as if it were empty.
    if (const UINT problem = DataRootSettingProblem()) {
        ShowLibraryMessage(window_, problem, MB_OK | MB_ICONWARNING);
        return;
    }
    SearchRequest request;
    request.pattern = WindowText(GetDlgItem(window_, IDC_SEARCH_PATTERN)).substr(0, kPatternLimit);
    request.matchCase = IsDlgButtonChecked(window_, IDC_SEARCH_MATCH_CASE) == BST_CHECKED;
    location_ = WindowText(GetDlgItem(window_, IDC_SEARCH_LOCATION));
    // A location that cannot be resolved searches nothing and finds 0.
    if (!Resolve(BelowRoot(location_), request)) {
        request.start.clear();
        request.inner.clear();
        request.startIds.Reset();
    }
    context_.location = ItemPath(reinterpret_cast<const ItemId*>(request.startIds.Get()));
    EnableControls(false);
    SetDlgItemTextA(window_, IDCANCEL, ResourceText(IDS_STOP_BUTTON).c_str());
    SetStatus(ResourceText(IDS_SEARCHING));
    mailbox_.Attach(window_);
    task_ = std::make_unique<SearchTask>(std::move(request), mailbox_);
    running_ = task_->Start();
    if (!running_) {
        task_.reset();
        // The controls stay disabled; the button closes the window.
        SetDlgItemTextA(window_, IDCANCEL, ResourceText(IDS_CLOSE_BUTTON).c_str());
        ShowLibraryMessage(window_, IDS_CANNOT_START, MB_OK | MB_ICONERROR);
    }
}

bool SearcherDialog::Resolve(const std::string& below, SearchRequest& request) {
    char start[kMaxPath];
    char inner[kMaxPath];
    if (dataRoot_.empty() ||
        CatalogSearch::ResolveLocation(dataRoot_.c_str(), below.c_str(), start, inner) !=
            CatalogSearch::Location::kFound)
        return false;
    request.start = start;
    request.inner = inner;
    // The start's identifiers come from the namespace on this thread; the
    // task builds the rest from what its walk reads.
    bool root = true;
    for (char c : below) root = root && c == '\\';
    if (root) return true;
    if (!root_) return false;
    std::wstring name = AnsiToWide(below.c_str());
    PIDLIST_RELATIVE list = nullptr;
    if (FAILED(root_->ParseDisplayName(window_, nullptr, &name[0], nullptr, &list, nullptr))) return false;
    request.startIds.Reset(reinterpret_cast<ItemId*>(list));
    return true;
}

void SearcherDialog::TakeRows() {
    std::vector<ItemId*> taken;
    mailbox_.TakeRows(taken);
    if (taken.empty()) return;
    for (ItemId* list : taken) rows_.emplace_back(list);
    ListView_SetItemCountEx(List(), static_cast<int>(rows_.size()), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

void SearcherDialog::ShowProgress() {
    std::string path;
    std::string inner;
    if (!mailbox_.TakeProgress(path, inner) || !running_) return;
    // The path below the data folder, the directory inside a catalogue
    // without the catalogue's name, then the pattern the walk lists.
    std::string text = ResourceText(IDS_SEARCHING);
    const char* below = path::RelativeTo(dataRoot_.c_str(), path.c_str());
    if (below != nullptr) text += std::string("\\") + below;
    const char* separator = text::FindChar(inner.c_str(), '\\');
    if (separator != nullptr) text += separator;
    text += "\\*.*";
    SetStatus(text);
}

void SearcherDialog::Finish() {
    if (task_ == nullptr) return;
    task_->Wait();  // the worker has posted its end and is leaving
    const std::size_t unshown = task_->Unshown();
    task_.reset();
    TakeRows();
    running_ = false;
    EnableControls(true);
    SetDlgItemTextA(window_, IDCANCEL, ResourceText(IDS_CLOSE_BUTTON).c_str());
    const std::string format = ResourceText(IDS_SEARCH_FOUND);
    char text[256];
    std::snprintf(text, sizeof text, format.c_str(), static_cast<int>(rows_.size()));
    std::string status = text;
    // Rows are limited by the system's path length; what they could not
    // show is counted, not dropped silently.
    if (unshown != 0) {
        std::snprintf(text, sizeof text, ResourceText(IDS_SEARCH_UNSHOWN).c_str(), static_cast<int>(unshown));
        status += text;
    }
    SetStatus(status);
}

void SearcherDialog::Browse() {
    BROWSEINFOA info = {};
    info.hwndOwner = window_;
    info.pidlRoot = rootList_.Get();
    char display[MAX_PATH] = "";
    info.pszDisplayName = display;
    TaskMemory<ITEMIDLIST> chosen(reinterpret_cast<ITEMIDLIST*>(SHBrowseForFolderA(&info)));
    if (chosen == nullptr) return;
    std::string name = DesktopName(chosen.Get(), SHGDN_FORADDRESSBAR | SHGDN_FORPARSING);
    if (name.empty()) return;
    location_ = name;
    SetDlgItemTextA(window_, IDC_SEARCH_LOCATION, location_.c_str());
}

void SearcherDialog::OpenLocation() {
    HWND list = List();
    const int focused = ListView_GetNextItem(list, -1, LVNI_FOCUSED | LVNI_SELECTED);
    if (focused < 0 || static_cast<std::size_t>(focused) >= rows_.size()) return;
    TaskMemory<ITEMIDLIST> item(ILCombine(rootList_.Get(), reinterpret_cast<PCUIDLIST_RELATIVE>(
                                                              rows_[static_cast<std::size_t>(focused)].List())));
    if (item != nullptr) OpenItemLocation(window_, item.Get());
}

LRESULT SearcherDialog::OnNotify(const NMHDR& header) {
    HWND list = List();
    if (header.hwndFrom == list) {
        switch (header.code) {
        case LVN_GETDISPINFOA: {
            LVITEMA& item = const_cast<NMLVDISPINFOA&>(reinterpret_cast<const NMLVDISPINFOA&>(header)).item;
            if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= rows_.size()) return 0;
            SearcherRow& row = rows_[static_cast<std::size_t>(item.iItem)];
            if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0)
                text::CopyTruncated(item.pszText, static_cast<std::size_t>(item.cchTextMax),
                                    row.Text(context_, item.iSubItem));
            if ((item.mask & LVIF_IMAGE) != 0) item.iImage = row.Image(context_);
            return 0;
        }
        case NM_DBLCLK:
        case NM_RETURN:
            OpenLocation();
            return 0;
        default:
            return 0;
        }
    }
    // Column widths: Wine sends the list's parent HDN_ENDTRACK but no
    // HDN_ITEMCHANGED.  At HDN_ENDTRACK the width is not applied yet, so the
    // widths are read after it.
    if (header.hwndFrom == ListView_GetHeader(list)) {
        switch (header.code) {
        case HDN_ENDTRACKA:
        case HDN_ENDTRACKW:
        case HDN_ITEMCHANGEDA:
        case HDN_ITEMCHANGEDW:
            PostMessageA(window_, kStoreWidthsMessage, 0, 0);
            return 0;
        default:
            return 0;
        }
    }
    return 0;
}

void SearcherDialog::StoreColumnWidths() {
    std::int32_t widths[kSearchColumnCount];
    for (int i = 0; i < kSearchColumnCount; ++i) widths[i] = ListView_GetColumnWidth(List(), i);
    ProcessObjects::Settings().SetSearcherColumns(widths, kSearchColumnCount);
}

void SearcherDialog::Layout() {
    RECT client;
    RECT panel;
    GetClientRect(window_, &client);
    GetWindowRect(GetDlgItem(window_, IDC_SEARCH_PANEL), &panel);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&panel), 2);
    int statusHeight = 0;
    if (status_ != nullptr) {
        SendMessageA(status_, WM_SIZE, 0, 0);
        RECT bar;
        GetWindowRect(status_, &bar);
        statusHeight = bar.bottom - bar.top;
    }
    const int top = panel.bottom - panel.top;
    const int height = client.bottom - top - statusHeight;
    MoveWindow(List(), 0, top, client.right, height > 0 ? height : 0, TRUE);
}

void SearcherDialog::MinimumSize(MINMAXINFO& info) const {
    RECT panel;
    GetWindowRect(GetDlgItem(window_, IDC_SEARCH_PANEL), &panel);
    RECT frame = {0, 0, panel.right - panel.left, panel.bottom - panel.top};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(window_, GWL_STYLE)), TRUE,
                       static_cast<DWORD>(GetWindowLongPtrA(window_, GWL_EXSTYLE)));
    info.ptMinTrackSize.x = frame.right - frame.left;
    info.ptMinTrackSize.y = frame.bottom - frame.top;
}

void SearcherDialog::EnableControls(bool enable) {
    for (int id : {IDOK, IDC_SEARCH_BROWSE, IDC_SEARCH_PATTERN, IDC_SEARCH_LOCATION})
        EnableWindow(GetDlgItem(window_, id), enable ? TRUE : FALSE);
    if (enable) SetFocus(GetDlgItem(window_, IDC_SEARCH_PATTERN));
}

void SearcherDialog::SetStatus(const std::string& text) {
    if (status_ != nullptr) SendMessageA(status_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace cataloom
