#include "view/FolderView.h"

#include <commctrl.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "core/ItemIdFactory.h"
#include "core/PathUtil.h"
#include "namespace/CatalogFolder.h"
#include "namespace/ComPtr.h"
#include "namespace/ComResult.h"
#include "namespace/FolderObjects.h"
#include "namespace/IconCache.h"
#include "namespace/ProcessObjects.h"
#include "namespace/ShellUtil.h"
#include "namespace/ViewList.h"
#include "settings/SettingsStore.h"
#include "view/ItemDrag.h"
#include "view/ViewColumns.h"

namespace cataloom {
namespace {

using Ids = ItemIdFactory;

constexpr UINT kObjectsText = 44;          // "%d個のオブジェクト"
constexpr UINT kSelectedObjectsText = 45;  // "%d個のオブジェクトを選択"
constexpr UINT kInvalidNameText = 102;     // the file name is not valid
constexpr UINT kRenameFailedText = 152;    // the directory could not be created

// The view's deferred tasks, posted to its own window.
enum : UINT {
    kRefreshMessage = WM_APP + 1,
    kStatusMessage,
    kStoreWidthsMessage,
    kBrowseMessage,
    kEditLabelMessage,  // wParam: the row
    kSettingMessage,
};

constexpr SHCONTF kEnumerationFlags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN;
constexpr ULONG kEnumerationBatch = 256;

PCUITEMID_CHILD AsChild(const ItemId* item) noexcept { return reinterpret_cast<PCUITEMID_CHILD>(item); }

// True when the folder at the absolute list `place` still binds and lists.
bool Lists(const ItemId* place) noexcept {
    ComPtr<IShellFolder> desktop;
    ComPtr<IShellFolder> folder;
    ComPtr<IEnumIDList> items;
    return SUCCEEDED(SHGetDesktopFolder(desktop.Put())) &&
           SUCCEEDED(desktop->BindToObject(reinterpret_cast<PCUIDLIST_RELATIVE>(place), nullptr, IID_IShellFolder,
                                           reinterpret_cast<void**>(folder.Put()))) &&
           folder && SUCCEEDED(folder->EnumObjects(nullptr, kEnumerationFlags, items.Put())) && items;
}

bool RegisterWindowClass(WNDPROC procedure) noexcept {
    HINSTANCE instance = ProcessObjects::Instance();
    WNDCLASSEXA existing = {};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(instance, FolderView::kWindowClass, &existing)) return true;
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_PARENTDC;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = FolderView::kWindowClass;
    return RegisterClassExA(&windowClass) != 0;
}

}  // namespace

FolderView::FolderView(CatalogFolder* folder) noexcept
    : folder_(folder),
      listing_(folder->IsFileSystemLevel() ? Listing::kMedia : Listing::kEntry),
      sortKey_(SortKey::Initial(listing_)) {
    folder_->AddRef();
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
}

FolderView::~FolderView() {
    // A window the browser never destroyed must not outlive the object its
    // procedure points to.
    if (window_ != nullptr) DestroyWindow(window_);
    folder_->Release();
}

void* FolderView::QueryExtra(REFIID iid) noexcept {
    return IsEqualIID(iid, IID_IOleWindow) ? static_cast<IOleWindow*>(this) : nullptr;
}

// ---- IOleWindow and IShellView ----------------------------------------------

STDMETHODIMP FolderView::GetWindow(HWND* out) noexcept {
    if (out == nullptr) return E_POINTER;
    *out = window_;
    return S_OK;
}

STDMETHODIMP FolderView::ContextSensitiveHelp(BOOL) noexcept { return E_UNEXPECTED; }

STDMETHODIMP FolderView::TranslateAccelerator(MSG* message) noexcept {
    return commands_.TranslateAccelerator(message);
}

STDMETHODIMP FolderView::EnableModeless(BOOL) noexcept { return E_NOTIMPL; }

STDMETHODIMP FolderView::UIActivate(UINT state) noexcept {
    if (state == uiState_) return S_OK;
    // Stored first: focusing the list reports back through NM_SETFOCUS.
    uiState_ = state;
    if (state == SVUIA_ACTIVATE_FOCUS) browser_.ViewActivated(this);
    menus_.Rebuild(browser_, state, listing_, window_);
    if (state == SVUIA_ACTIVATE_FOCUS) FocusList();
    return S_OK;
}

STDMETHODIMP FolderView::Refresh() noexcept {
    return ComFirewall([&] {
        RefreshList();
        return S_OK;
    });
}

STDMETHODIMP FolderView::CreateViewWindow(IShellView*, LPCFOLDERSETTINGS settings, IShellBrowser* browser,
                                          RECT* rect, HWND* out) noexcept {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (settings == nullptr || browser == nullptr || rect == nullptr) return E_INVALIDARG;
    if (window_ != nullptr) return E_UNEXPECTED;
    if (!RegisterWindowClass(WindowProcedure)) return E_FAIL;
    viewMode_ = settings->ViewMode;
    folderFlags_ = settings->fFlags;
    browser_.Attach(browser);
    parent_ = browser_.Window();
    CreateWindowExA(WS_EX_CONTROLPARENT, kWindowClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, rect->left,
                    rect->top, rect->right - rect->left, rect->bottom - rect->top, parent_, nullptr,
                    ProcessObjects::Instance(), this);
    if (window_ == nullptr) {
        browser_.Detach();
        return E_FAIL;
    }
    editing_ = false;
    *out = window_;
    return S_OK;
}

STDMETHODIMP FolderView::DestroyViewWindow() noexcept {
    UIActivate(SVUIA_DEACTIVATE);
    menus_.Remove(browser_);
    list_.DeleteAll();
    if (window_ != nullptr) DestroyWindow(window_);
    browser_.Detach();
    return S_OK;
}

STDMETHODIMP FolderView::GetCurrentInfo(LPFOLDERSETTINGS out) noexcept {
    if (out == nullptr) return E_POINTER;
    out->ViewMode = viewMode_;
    out->fFlags = folderFlags_;
    return S_OK;
}

STDMETHODIMP FolderView::AddPropertySheetPages(DWORD, LPFNSVADDPROPSHEETPAGE add, LPARAM parameter) noexcept {
    if (add == nullptr) return E_INVALIDARG;
    // The folder's own sheet extension (no items) adds the options page; it
    // comes from the layer that installed it, which this one does not include.
    ComPtr<IShellPropSheetExt> sheet;
    HRESULT hr = CreateFolderObject(folder_, nullptr, 0, nullptr, IID_IShellPropSheetExt, sheet.PutVoid());
    if (FAILED(hr)) return hr;
    return sheet->AddPages(add, parameter);
}

STDMETHODIMP FolderView::SaveViewState() noexcept {
    return S_OK;  // widths are stored as they change, modes as they are chosen
}

STDMETHODIMP FolderView::SelectItem(PCUITEMID_CHILD item, SVSIF flags) noexcept {
    const int index = FindItem(AsItemId(item));
    if (index < 0) return E_FAIL;
    if (flags == SVSI_DESELECT) {
        list_.SetState(index, 0, LVIS_SELECTED);
        return S_OK;
    }
    if ((flags & SVSI_DESELECTOTHERS) != 0) list_.SetState(-1, 0, LVIS_SELECTED);
    if ((flags & SVSI_ENSUREVISIBLE) != 0) SendMessageA(list_.Window(), LVM_ENSUREVISIBLE, index, FALSE);
    if ((flags & SVSI_SELECT) != 0) list_.SetState(index, LVIS_SELECTED, LVIS_SELECTED);
    if ((flags & SVSI_FOCUSED) != 0) list_.SetState(index, LVIS_FOCUSED, LVIS_FOCUSED);
    if ((flags & SVSI_EDIT) == SVSI_EDIT) {
        SetFocus(list_.Window());
        SendMessageA(list_.Window(), LVM_EDITLABELA, index, 0);
    }
    return S_OK;
}

STDMETHODIMP FolderView::GetItemObject(UINT which, REFIID iid, void** out) noexcept {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return ComFirewall([&]() -> HRESULT {
        switch (which & SVGIO_TYPE_MASK) {
        case SVGIO_BACKGROUND:
            return folder_->CreateViewObject(window_, iid, out);
        case SVGIO_SELECTION:
        case SVGIO_ALLVIEW: {
            std::vector<const ItemId*> items = list_.Collect((which & SVGIO_TYPE_MASK) == SVGIO_SELECTION);
            if (items.empty()) return E_FAIL;
            return folder_->GetUIObjectOf(window_, static_cast<UINT>(items.size()),
                                          reinterpret_cast<PCUITEMID_CHILD_ARRAY>(items.data()), iid, nullptr, out);
        }
        default:
            return E_INVALIDARG;
        }
    });
}

// ---- Operations ------------------------------------------------------------

int FolderView::FindItem(const ItemId* item) const noexcept { return list_.Find(folder_, item); }

int FolderView::AddItem(const ItemId* item) noexcept {
    if (list_.Window() == nullptr || item == nullptr) return -1;
    int index = list_.Append(ProcessObjects::ItemIds().Copy(item));
    Post(kStatusMessage, statusPending_);
    return index;
}

void FolderView::RemoveItem(const ItemId* item) noexcept {
    const int index = FindItem(item);
    if (index < 0) return;
    list_.Delete(index);
    Post(kStatusMessage, statusPending_);
}

void FolderView::UpdateItem(const ItemId* item) noexcept {
    const int index = FindItem(item);
    if (index >= 0) list_.Redraw(index);
}

void FolderView::RenameItem(const ItemId* oldItem, const ItemId* newItem) noexcept {
    const int index = FindItem(oldItem);
    if (index < 0 || newItem == nullptr) return;
    // The new copy first: when it cannot be made the row keeps the old one.
    ItemId* copy = ProcessObjects::ItemIds().Copy(newItem);
    if (copy == nullptr || !list_.Replace(index, copy)) return;
    // An open label edit keeps its text; the row shows the new name after it.
    if (!editing_) list_.Redraw(index);
}

void FolderView::RefreshList() noexcept {
    if (list_.Window() == nullptr) return;
    // Deleting the rows under a notification of the list would pull them
    // from under the list's own code.
    if (notifying_ > 0) {
        Post(kRefreshMessage, refreshPending_);
        return;
    }
    list_.DeleteAll();
    // A directory gone from a re-captured catalogue lists nothing: rather
    // than an empty list, the browser goes up to what still exists.
    if (!Fill() && folder_->IsCatalogueLevel()) LeaveVanishedFolder();
}

void FolderView::LeaveVanishedFolder() noexcept {
    TaskMemory<ItemId> place(FolderIdentifier());
    if (place == nullptr) return;
    while (!Ids::IsEnd(place.Get())) {
        const_cast<ItemId*>(Ids::Last(place.Get()))->size = 0;
        if (Ids::IsEnd(place.Get())) return;  // never up to the desktop
        if (Lists(place.Get())) {
            BrowseTo(place.Get(), SBSP_SAMEBROWSER | SBSP_ABSOLUTE);
            return;
        }
    }
}

ItemId* FolderView::FolderIdentifier() const noexcept { return ProcessObjects::ItemIds().Copy(folder_->IdList()); }

ItemId* FolderView::ItemIdentifier(const ItemId* item) const noexcept { return folder_->ChildIdList(item); }

HRESULT FolderView::BrowseTo(const ItemId* absolute, UINT flags) noexcept {
    if (!browser_.Attached() || window_ == nullptr) return E_FAIL;
    TaskMemory<ItemId> target(ProcessObjects::ItemIds().Copy(absolute));
    if (target == nullptr) return E_OUTOFMEMORY;
    pendingBrowse_ = std::move(target);
    pendingBrowseFlags_ = flags;
    return PostMessageA(window_, kBrowseMessage, 0, 0) ? S_OK : E_FAIL;
}

FolderView* FolderView::FromWindow(HWND window) noexcept {
    if (window == nullptr) return nullptr;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId()) return nullptr;
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    // Another module's view class of the same name keeps another kind of object.
    if (lstrcmpiA(name, kWindowClass) != 0 ||
        reinterpret_cast<HINSTANCE>(GetClassLongPtrA(window, GCLP_HMODULE)) != ProcessObjects::Instance())
        return nullptr;
    auto* view = reinterpret_cast<FolderView*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (view != nullptr) view->AddRef();
    return view;
}

HRESULT FolderView::StartRename(const ItemId* item) noexcept { return SelectItem(AsChild(item), SVSI_EDIT); }

void FolderView::SetViewMode(int modeIndex) noexcept {
    struct Mode {
        UINT mode;
        DWORD style;
    };
    static constexpr Mode kModes[] = {
        {FVM_ICON, LVS_ICON}, {FVM_DETAILS, LVS_REPORT}, {FVM_SMALLICON, LVS_SMALLICON}, {FVM_LIST, LVS_LIST}};
    const Mode& chosen = modeIndex >= 0 && modeIndex < 4 ? kModes[modeIndex] : kModes[1];
    if (HWND list = list_.Window()) {
        const LONG_PTR style = GetWindowLongPtrA(list, GWL_STYLE);
        SetWindowLongPtrA(list, GWL_STYLE, (style & ~static_cast<LONG_PTR>(LVS_TYPEMASK)) | chosen.style);
    }
    viewMode_ = chosen.mode;
    ProcessObjects::Settings().SetDefViewMode(chosen.mode);
}

// ---- Window ----------------------------------------------------------------

LRESULT CALLBACK FolderView::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* view = static_cast<FolderView*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
        view->window_ = window;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    auto* view = reinterpret_cast<FolderView*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (view == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        view->OnDestroyed();
        return DefWindowProcA(window, message, wParam, lParam);
    }
    // No exception may leave through the system's dispatching.
    try {
        return view->Handle(message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

LRESULT FolderView::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return OnCreate();
    case WM_DESTROY:
        dropTarget_.Revoke();
        list_.DeleteAll();
        return 0;
    case WM_SIZE:
        MoveWindow(list_.Window(), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        SendMessageA(list_.Window(), LVM_ARRANGE, LVA_DEFAULT, 0);
        return 0;
    case WM_SETFOCUS:
        FocusList();
        return 0;
    case WM_KILLFOCUS:
        return 0;
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND:
        commands_.OnCommand(LOWORD(wParam));
        return 0;
    case WM_CONTEXTMENU:
        commands_.OnContextMenu(lParam);
        return 0;
    case WM_INITMENUPOPUP:
        ViewMenus::MarkViewMode(reinterpret_cast<HMENU>(wParam), HIWORD(lParam) != 0, viewMode_);
        return 0;
    case kRefreshMessage:
        refreshPending_ = false;
        RefreshList();
        return 0;
    case kStatusMessage:
        statusPending_ = false;
        UpdateStatus();
        return 0;
    case kSettingMessage:
        if (const UINT problem = DataRootSettingProblem()) ShowLibraryMessage(window_, problem, MB_OK | MB_ICONWARNING);
        return 0;
    case kStoreWidthsMessage:
        widthsPending_ = false;
        ViewColumns::Store(list_.Window(), Ids::KindOfLast(folder_->IdList()));
        return 0;
    case kBrowseMessage:
        OnBrowse();
        return 0;
    case kEditLabelMessage:
        if (static_cast<int>(wParam) < list_.Count()) {
            SetFocus(list_.Window());
            SendMessageA(list_.Window(), LVM_EDITLABELA, wParam, 0);
        }
        return 0;
    default:
        return DefWindowProcA(window_, message, wParam, lParam);
    }
}

LRESULT FolderView::OnCreate() {
    if (!ProcessObjects::Views().Add(&listed_)) return -1;
    // Creation goes on without a list or columns: the view stays empty.
    if (CreateList()) commands_.WatchKeys(list_.Window());
    if (list_.Window() != nullptr && ViewColumns::Insert(list_.Window(), listing_)) {
        IconCache& icons = ProcessObjects::Icons();
        SendMessageA(list_.Window(), LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(icons.LargeList()));
        SendMessageA(list_.Window(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(icons.SmallList()));
        Fill();
    }
    if (listing_ == Listing::kMedia) dropTarget_.Register(window_, list_, folder_);
    // An unusable data folder setting lists nothing: the view says why once
    // it is shown (not inside the browser's navigation).
    if (folder_->IsTop() && folder_->IsFileSystemLevel() && DataRootSettingProblem() != 0)
        PostMessageA(window_, kSettingMessage, 0, 0);
    return 0;
}

void FolderView::OnDestroyed() noexcept {
    ProcessObjects::Views().Remove(&listed_);
    list_.Forget();
    window_ = nullptr;
}

bool FolderView::CreateList() {
    if (!list_.Create(window_, ListStyle())) return false;
    const SettingsStore& settings = ProcessObjects::Settings();
    const COLORREF background = settings.GetBgColor();
    SendMessageA(list_.Window(), LVM_SETBKCOLOR, 0, static_cast<LPARAM>(background));
    SendMessageA(list_.Window(), LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(background));
    SendMessageA(list_.Window(), LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(settings.GetTextColor()));
    return true;
}

DWORD FolderView::ListStyle() noexcept {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_TABSTOP | LVS_SHAREIMAGELISTS;
    // Entries inside a catalogue cannot be renamed.
    if (listing_ == Listing::kMedia) style |= LVS_EDITLABELS;
    // A stored mode wins over the browser's, and is what the view reports.
    const DWORD stored = ProcessObjects::Settings().GetDefViewMode();
    if (stored >= FVM_ICON && stored <= FVM_DETAILS) viewMode_ = stored;
    switch (viewMode_) {
    case FVM_ICON: style |= LVS_ICON; break;
    case FVM_SMALLICON: style |= LVS_SMALLICON; break;
    case FVM_LIST: style |= LVS_LIST; break;
    default: style |= LVS_REPORT; break;
    }
    if ((folderFlags_ & FWF_AUTOARRANGE) != 0) style |= LVS_AUTOARRANGE;
    if ((folderFlags_ & FWF_ALIGNLEFT) != 0) style |= LVS_ALIGNLEFT;
    return style;
}

bool FolderView::Fill() {
    std::vector<TaskMemory<ItemId>> items;
    ComPtr<IEnumIDList> enumerator;
    const bool listed = SUCCEEDED(folder_->EnumObjects(window_, kEnumerationFlags, enumerator.Put())) && enumerator;
    if (listed) {
        PITEMID_CHILD batch[kEnumerationBatch];
        ULONG fetched = 0;
        while (SUCCEEDED(enumerator->Next(kEnumerationBatch, batch, &fetched)) && fetched > 0) {
            ULONG taken = 0;
            try {
                for (; taken < fetched; ++taken) items.emplace_back(reinterpret_cast<ItemId*>(batch[taken]));
            } catch (...) {
                for (; taken < fetched; ++taken) CoTaskMemFree(batch[taken]);
                throw;
            }
        }
    }
    // The view orders its rows itself, through the folder's CompareIDs.  A
    // stable sort: items the folder cannot tell apart keep the folder's order.
    // Catalogues keep their entry lists in name order, which is often the
    // view's order already: then n - 1 comparisons replace n log n.
    const LPARAM parameter = sortKey_.Parameter();
    auto before = [&](const TaskMemory<ItemId>& a, const TaskMemory<ItemId>& b) {
        return OrderOf(folder_->CompareIDs(parameter, AsIdList(a.Get()), AsIdList(b.Get()))) < 0;
    };
    if (!std::is_sorted(items.begin(), items.end(), before)) std::stable_sort(items.begin(), items.end(), before);
    list_.Assign(std::move(items));
    HWND list = list_.Window();
    InvalidateRect(list, nullptr, TRUE);
    UpdateWindow(list);
    UpdateStatus();
    return listed;
}

// ---- Notifications ---------------------------------------------------------

LRESULT FolderView::OnNotify(const NMHDR& header) {
    HWND list = list_.Window();
    if (list == nullptr) return 0;
    struct Depth {
        explicit Depth(int& depth) : depth_(depth) { ++depth_; }
        ~Depth() { --depth_; }
        int& depth_;
    } inside(notifying_);
    if (header.hwndFrom == list) return OnListNotify(header);
    if (header.hwndFrom != reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0))) return 0;
    switch (header.code) {
    case HDN_ENDTRACKA:
    case HDN_ENDTRACKW:
    case HDN_ITEMCHANGEDA:
    case HDN_ITEMCHANGEDW:
        // Wine's list forwards only HDN_ENDTRACK to its parent, never
        // HDN_ITEMCHANGED: both store the widths, once the header has taken
        // the new one.
        Post(kStoreWidthsMessage, widthsPending_);
        return 0;
    default:
        return 0;
    }
}

LRESULT FolderView::OnListNotify(const NMHDR& header) {
    switch (header.code) {
    case LVN_GETDISPINFOA:
        OnGetDispInfo(*reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(&header)));
        return 0;
    case LVN_COLUMNCLICK: {
        const int column = reinterpret_cast<const NMLISTVIEW&>(header).iSubItem;
        sortKey_ = sortKey_.Clicked(ItemColumns::Column(listing_, static_cast<std::size_t>(column)).code);
        RefreshList();
        return 0;
    }
    case LVN_ITEMCHANGED: {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if ((change.uChanged & LVIF_STATE) != 0 && ((change.uNewState ^ change.uOldState) & LVIS_SELECTED) != 0)
            Post(kStatusMessage, statusPending_);
        return 0;
    }
    case LVN_ODSTATECHANGED:  // a range of rows changed state at once
        Post(kStatusMessage, statusPending_);
        return 0;
    case LVN_BEGINLABELEDITA:
        return OnBeginLabelEdit(reinterpret_cast<const NMLVDISPINFOA&>(header));
    case LVN_ENDLABELEDITA:
        return OnEndLabelEdit(reinterpret_cast<const NMLVDISPINFOA&>(header));
    case LVN_BEGINDRAG:
        if (listing_ == Listing::kMedia) ItemDrag::Run(*this, list_, window_);
        return 0;
    case NM_DBLCLK:
    case NM_RETURN:
        Activate();
        return 0;
    case NM_CLICK:
        UpdateStatus();
        return 0;
    case NM_SETFOCUS:
        // Wine's browser never calls UIActivate: the list's focus drives it.
        UIActivate(SVUIA_ACTIVATE_FOCUS);
        return 0;
    case NM_KILLFOCUS:
        if (uiState_ != SVUIA_DEACTIVATE) UIActivate(SVUIA_ACTIVATE_NOFOCUS);
        return 0;
    default:
        return 0;
    }
}

void FolderView::OnGetDispInfo(NMLVDISPINFOA& info) {
    LVITEMA& row = info.item;
    const ItemId* item = list_.ItemAt(row.iItem);
    if ((row.mask & LVIF_TEXT) != 0 && row.pszText != nullptr && row.cchTextMax > 0) {
        row.pszText[0] = '\0';
        if (item != nullptr && row.iSubItem == 0) {
            STRRET name = {};
            if (SUCCEEDED(folder_->GetDisplayNameOf(AsChild(item), SHGDN_INFOLDER, &name)))
                StrRetToAnsi(&name, AsIdList(item), row.pszText, static_cast<std::size_t>(row.cchTextMax));
        } else if (item != nullptr) {
            ItemColumns::Text(listing_, static_cast<std::size_t>(row.iSubItem), item, row.pszText,
                              static_cast<std::size_t>(row.cchTextMax));
        }
    }
    if ((row.mask & LVIF_IMAGE) != 0) row.iImage = item != nullptr ? IconIndex(item) : I_IMAGENONE;
    if ((row.mask & LVIF_STATE) != 0) row.state |= dropTarget_.RowState(row.iItem) & row.stateMask;
}

int FolderView::IconIndex(const ItemId* item) {
    ComPtr<IExtractIconA> extractor;
    PCUITEMID_CHILD child = AsChild(item);
    if (FAILED(folder_->GetUIObjectOf(window_, 1, &child, IID_IExtractIconA, nullptr, extractor.PutVoid())))
        return I_IMAGENONE;
    int index = I_IMAGENONE;
    UINT flags = 0;
    if (FAILED(extractor->GetIconLocation(GIL_FORSHELL, nullptr, 0, &index, &flags))) return I_IMAGENONE;
    return index;
}

LRESULT FolderView::OnBeginLabelEdit(const NMLVDISPINFOA& info) {
    const ItemId* item = list_.ItemAt(info.item.iItem);
    PCUITEMID_CHILD child = AsChild(item);
    SFGAOF attributes = SFGAO_CANRENAME;
    if (item == nullptr || FAILED(folder_->GetAttributesOf(1, &child, &attributes)) ||
        (attributes & SFGAO_CANRENAME) == 0)
        return TRUE;  // refused
    editing_ = true;
    return FALSE;
}

LRESULT FolderView::OnEndLabelEdit(const NMLVDISPINFOA& info) {
    editing_ = false;
    const char* text = info.item.pszText;
    if (text == nullptr) return FALSE;  // cancelled
    const int index = info.item.iItem;
    // The folder's own name rule: it steps over double-byte characters, so a
    // trail byte equal to a backslash (表, ソ, 能) is no separator.
    UINT problem = path::IsPlainName(text) ? 0 : kInvalidNameText;
    if (problem == 0) {
        // A copy: the rename reaches every view, this one included, and each
        // replaces the row's identifier while the folder still reads it.
        TaskMemory<ItemId> item(ProcessObjects::ItemIds().Copy(list_.ItemAt(index)));
        std::wstring name = AnsiToWide(text);
        if (item == nullptr || FAILED(folder_->SetNameOf(nullptr, AsChild(item.Get()), name.c_str(), SHGDN_NORMAL,
                                                         nullptr)))
            problem = kRenameFailedText;
    }
    if (problem == 0) return TRUE;
    ShowLibraryMessage(window_, problem, MB_OK | MB_ICONWARNING);
    // The list is still ending this edit: the new one starts after it.
    PostMessageA(window_, kEditLabelMessage, static_cast<WPARAM>(index), 0);
    return FALSE;
}

void FolderView::Activate() {
    // The selection's menu decides: open for folders, properties for files.
    if (list_.ItemAt(list_.Next(-1, LVNI_FOCUSED | LVNI_SELECTED)) != nullptr) commands_.RunDefault();
}

void FolderView::OnBrowse() {
    TaskMemory<ItemId> target = std::move(pendingBrowse_);
    if (target == nullptr) return;
    // The browser destroys this view on the way: it lives until the call ends.
    AddRef();
    browser_.Browse(target.Get(), pendingBrowseFlags_);
    Release();
}

void FolderView::FocusList() noexcept {
    HWND list = list_.Window();
    if (list == nullptr) return;
    if (GetFocus() != list) SetFocus(list);
    list_.EnsureFocusedItem();
}

void FolderView::UpdateStatus() {
    if (list_.Window() == nullptr) return;
    const int selected = list_.SelectedCount();
    char format[64];
    char text[128];
    LoadResourceText(selected > 0 ? kSelectedObjectsText : kObjectsText, format, sizeof format);
    wsprintfA(text, format, selected > 0 ? selected : list_.Count());
    browser_.ShowStatus(text);
}

void FolderView::Post(UINT message, bool& pending) noexcept {
    if (pending || window_ == nullptr) return;
    pending = PostMessageA(window_, message, 0, 0) != FALSE;
}

}  // namespace cataloom
