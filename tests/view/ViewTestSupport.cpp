#include "tests/view/ViewTestSupport.h"

#include <commctrl.h>

#include <cstdint>

#include <gtest/gtest.h>

#include "view/ViewLayer.h"

namespace cataloom::test {
namespace {

// The folders this program serves hand out the view layer's view.
class ViewLayerEnvironment : public ::testing::Environment {
public:
    void SetUp() override { InstallViewLayer(); }
    void TearDown() override { UninstallViewLayer(); }
};
const bool kEnvironmentRegistered = (::testing::AddGlobalTestEnvironment(new ViewLayerEnvironment), true);

struct DescendantSearch {
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchDescendant(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<DescendantSearch*>(parameter);
    if (ClassOf(window) != search->className) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        PumpMessages();
        if (done()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

HWND FindDescendant(HWND parent, const char* className) {
    DescendantSearch search{className, nullptr};
    EnumChildWindows(parent, MatchDescendant, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string ClassOf(HWND window) {
    char name[128] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

int ColumnCount(HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    return static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
}

std::vector<HeaderColumn> Headers(HWND list) {
    std::vector<HeaderColumn> headers;
    for (int i = 0; i < ColumnCount(list); ++i) {
        char text[128] = {};
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
        column.pszText = text;
        column.cchTextMax = sizeof text;
        SendMessageA(list, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
        headers.push_back({text, column.fmt & LVCFMT_JUSTIFYMASK, column.cx});
    }
    return headers;
}

std::string CellText(HWND list, int row, int column) {
    char text[520] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

std::vector<std::vector<std::string>> Rows(HWND list) {
    std::vector<std::vector<std::string>> rows;
    const int columns = ColumnCount(list);
    for (int row = 0; row < ItemCount(list); ++row) {
        rows.emplace_back();
        for (int column = 0; column < columns; ++column) rows.back().push_back(CellText(list, row, column));
    }
    return rows;
}

std::vector<std::string> ColumnTexts(HWND list, int column) {
    std::vector<std::string> texts;
    for (int row = 0; row < ItemCount(list); ++row) texts.push_back(CellText(list, row, column));
    return texts;
}

int ItemCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

std::vector<int> RowsWithState(HWND list, UINT state) {
    std::vector<int> rows;
    for (int row = 0; row < ItemCount(list); ++row)
        if (SendMessageA(list, LVM_GETITEMSTATE, row, state) & state) rows.push_back(row);
    return rows;
}

int RowImage(HWND list, int row) {
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
}

void ClickColumn(HWND list, int column) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    RECT area = {};
    SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&area));
    LPARAM point = MAKELPARAM((area.left + area.right) / 2, (area.top + area.bottom) / 2);
    SendMessageA(header, WM_MOUSEMOVE, 0, point);
    SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageA(header, WM_LBUTTONUP, 0, point);
}

HWND StartLabelEdit(HWND list, int row) {
    return reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, row, 0));
}

void EnterLabel(HWND edit, const std::string& text) {
    SetWindowTextA(edit, text.c_str());
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
}

HWND LabelEditor(HWND list) { return reinterpret_cast<HWND>(SendMessageA(list, LVM_GETEDITCONTROL, 0, 0)); }

void DragColumnDivider(HWND list, int column, int dx) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    RECT area = {};
    SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&area));
    const int y = (area.top + area.bottom) / 2;
    SendMessageA(header, WM_MOUSEMOVE, 0, MAKELPARAM(area.right - 1, y));
    SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(area.right - 1, y));
    SendMessageA(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(area.right - 1 + dx, y));
    SendMessageA(header, WM_LBUTTONUP, 0, MAKELPARAM(area.right - 1 + dx, y));
}

std::vector<int> StoredWidths(const char* valueName) {
    std::vector<int> widths;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Quillmoor\\Cataloom", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return widths;
    std::int32_t values[16] = {};
    DWORD size = sizeof values;
    DWORD type = 0;
    if (RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(values), &size) == ERROR_SUCCESS &&
        type == REG_BINARY)
        widths.assign(values, values + size / sizeof values[0]);
    RegCloseKey(key);
    return widths;
}

void DoubleClickRow(HWND list, int row) {
    RECT area = {};
    area.left = LVIR_LABEL;
    SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&area));
    const LPARAM point = MAKELPARAM(area.left + 4, (area.top + area.bottom) / 2);
    // Posted: the list's button-down handling waits for the button-up in its queue.
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageA(list, WM_LBUTTONUP, 0, point);
    PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
    PostMessageA(list, WM_LBUTTONUP, 0, point);
}

std::string StatusText(HWND statusBar) {
    char text[256] = {};
    SendMessageA(statusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

const char* HostName(HostKind kind) {
    switch (kind) {
    case HostKind::kExplorer: return "ExplorerBrowser";
    case HostKind::kBrowser: return "CataloomBrowser";
    default: return "CataloomBrowserLikeWine";
    }
}

HWND ViewHost::View() const { return FindDescendant(Window(), "CataloomNameSpaceView"); }

HWND ViewHost::List() const {
    HWND view = View();
    return view != nullptr ? GetDlgItem(view, 2000) : nullptr;
}

std::unique_ptr<ViewHost> MakeHost(HostKind kind) {
    if (kind == HostKind::kExplorer) return std::make_unique<ExplorerHost>();
    return std::make_unique<BrowserHost>(kind == HostKind::kWineLikeBrowser);
}

BrowserHost::BrowserHost(bool likeWine, UINT viewMode) {
    BrowserOptions options;
    options.likeWine = likeWine;
    options.viewMode = viewMode;
    frame_ = BrowserFrame::Create(options, GetModuleHandleA(nullptr));
}

BrowserHost::~BrowserHost() { Close(); }

void BrowserHost::Close() {
    if (frame_ == nullptr) return;
    frame_->Close();
    frame_->Release();
    frame_ = nullptr;
    PumpMessages();
}

HRESULT BrowserHost::Browse(const ITEMIDLIST* absolute) {
    return frame_ != nullptr ? frame_->BrowseObject(absolute, SBSP_SAMEBROWSER | SBSP_ABSOLUTE) : E_FAIL;
}

HWND BrowserHost::Window() const { return frame_ != nullptr ? frame_->Window() : nullptr; }

IShellBrowser* BrowserHost::Browser() const { return frame_; }

ComPtr<IShellView> BrowserHost::CurrentView() const {
    ComPtr<IShellView> view;
    if (frame_ != nullptr) frame_->QueryActiveShellView(view.Put());
    return view;
}

}  // namespace cataloom::test
