#include "browser/BrowserFrame.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <new>
#include <string>

#include "browser/BrowserMenus.h"
#include "settings/ClassIds.h"
#include "resources/CataloomBrowserResource.h"

namespace cataloom {
namespace {

constexpr int kTreeWidth = 220;
constexpr int kBarHeight = 28;
constexpr int kButtonWidth = 80;
constexpr UINT kOpenPendingMessage = WM_APP + 1;

std::wstring LoadText(HINSTANCE instance, UINT id) {
    wchar_t text[256];
    int length = LoadStringW(instance, id, text, 256);
    return std::wstring(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

ComPtr<IShellFolder> Desktop() {
    ComPtr<IShellFolder> desktop;
    SHGetDesktopFolder(desktop.Put());
    return desktop;
}

TaskMemory<ITEMIDLIST> ParseFromDesktop(const wchar_t* name) {
    ComPtr<IShellFolder> desktop = Desktop();
    PIDLIST_RELATIVE place = nullptr;
    std::wstring copy = name;  // ParseDisplayName takes a writable string
    if (!desktop || FAILED(desktop->ParseDisplayName(nullptr, nullptr, &copy[0], nullptr, &place, nullptr)))
        return TaskMemory<ITEMIDLIST>();
    return TaskMemory<ITEMIDLIST>(place);
}

std::wstring NamespaceRoot() { return std::wstring(kFolderParsingName, kFolderParsingName + sizeof kFolderParsingName - 1); }

// A place as the shell's address bar shows it ("Cataloom\サンプル", "C:\data").
std::wstring AddressName(PCIDLIST_ABSOLUTE place) {
    ComPtr<IShellFolder> desktop = Desktop();
    STRRET name = {};
    wchar_t text[1024] = {};
    if (desktop && SUCCEEDED(desktop->GetDisplayNameOf(place, SHGDN_FORPARSING | SHGDN_FORADDRESSBAR, &name)))
        StrRetToBufW(&name, place, text, 1024);
    return text;
}

// The parsing name of what is typed into the address line: the address
// form of a namespace place starts with the root's address name, which
// stands for the root's parsing name; anything else is a parsing name.
std::wstring TypedParsingName(const wchar_t* typed) {
    const std::wstring text = typed;
    TaskMemory<ITEMIDLIST> root = ParseFromDesktop(NamespaceRoot().c_str());
    const std::wstring shown = root != nullptr ? AddressName(root.Get()) : std::wstring();
    const int length = static_cast<int>(shown.size());
    if (shown.empty() || text.size() < shown.size() ||
        CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, text.c_str(), length, shown.c_str(), length) != CSTR_EQUAL ||
        (text.size() > shown.size() && text[shown.size()] != L'\\'))
        return text;
    return NamespaceRoot() + text.substr(shown.size());
}

// The place's own name, as the folder holding it shows it.
std::wstring PlaceName(PCIDLIST_ABSOLUTE place) {
    ComPtr<IShellFolder> parent;
    PCUITEMID_CHILD last = nullptr;
    STRRET name = {};
    wchar_t text[MAX_PATH] = {};
    if (SUCCEEDED(SHBindToParent(place, IID_IShellFolder, parent.PutVoid(), &last)) &&
        SUCCEEDED(parent->GetDisplayNameOf(last, SHGDN_NORMAL, &name)))
        StrRetToBufW(&name, last, text, MAX_PATH);
    return text;
}

bool RegisterFrameClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, BrowserFrame::kWindowClass, &existing)) return true;
    WNDCLASSEXW frameClass = {};
    frameClass.cbSize = sizeof frameClass;
    frameClass.lpfnWndProc = procedure;
    frameClass.hInstance = instance;
    frameClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_BROWSER));
    frameClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    frameClass.lpszClassName = BrowserFrame::kWindowClass;
    return RegisterClassExW(&frameClass) != 0;
}

}  // namespace

BrowserFrame::BrowserFrame(const BrowserOptions& options, HINSTANCE instance) noexcept
    : options_(options), instance_(instance) {}

BrowserFrame::~BrowserFrame() {
    if (window_ != nullptr) DestroyWindow(window_);
    if (keys_ != nullptr) DestroyAcceleratorTable(keys_);
}

BrowserFrame* BrowserFrame::Create(const BrowserOptions& options, HINSTANCE instance) noexcept {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    auto* frame = new (std::nothrow) BrowserFrame(options, instance);
    if (frame == nullptr) return nullptr;
    if (!RegisterFrameClass(instance, WindowProcedure)) {
        frame->Release();
        return nullptr;
    }
    frame->menuBar_ = BrowserMenus::CreateMenuBar(instance);
    frame->keys_ = BrowserMenus::CreateAccelerators();
    std::wstring title = LoadText(instance, IDS_BROWSER_TITLE);
    HWND window = CreateWindowExW(0, kWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                  CW_USEDEFAULT, CW_USEDEFAULT, options.width, options.height, nullptr, nullptr,
                                  instance, frame);
    if (window == nullptr) {
        if (frame->menuBar_ != nullptr) DestroyMenu(frame->menuBar_);
        frame->Release();
        return nullptr;
    }
    SetMenu(window, frame->menuBar_);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return frame;
}

void* BrowserFrame::QueryExtra(REFIID iid) noexcept {
    return IsEqualIID(iid, IID_IOleWindow) ? static_cast<IOleWindow*>(this) : nullptr;
}

// ---- IOleWindow and IShellBrowser ---------------------------------------------

STDMETHODIMP BrowserFrame::GetWindow(HWND* out) noexcept {
    if (out == nullptr) return E_POINTER;
    *out = window_;
    return window_ != nullptr ? S_OK : E_FAIL;
}

STDMETHODIMP BrowserFrame::ContextSensitiveHelp(BOOL) noexcept { return E_NOTIMPL; }

STDMETHODIMP BrowserFrame::InsertMenusSB(HMENU shared, LPOLEMENUGROUPWIDTHS widths) noexcept {
    if (Refuses()) return E_NOTIMPL;
    return BrowserMenus::AddPopups(instance_, shared, widths) ? S_OK : E_FAIL;
}

STDMETHODIMP BrowserFrame::SetMenuSB(HMENU shared, HOLEMENU, HWND activeObject) noexcept {
    if (Refuses()) return E_NOTIMPL;
    activeObject_ = shared != nullptr ? activeObject : nullptr;
    SetMenu(window_, shared != nullptr ? shared : menuBar_);
    DrawMenuBar(window_);
    return S_OK;
}

STDMETHODIMP BrowserFrame::RemoveMenusSB(HMENU shared) noexcept {
    if (Refuses()) return E_NOTIMPL;
    // The frame must not show a menu that is about to be destroyed.
    if (GetMenu(window_) == shared) SetMenu(window_, menuBar_);
    BrowserMenus::RemovePopups(shared);
    return S_OK;
}

STDMETHODIMP BrowserFrame::SetStatusTextSB(LPCWSTR text) noexcept {
    if (Refuses()) return E_NOTIMPL;
    SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text != nullptr ? text : L""));
    return S_OK;
}

STDMETHODIMP BrowserFrame::EnableModelessSB(BOOL enable) noexcept {
    if (Refuses()) return E_NOTIMPL;
    EnableWindow(window_, enable);
    return S_OK;
}

STDMETHODIMP BrowserFrame::TranslateAcceleratorSB(MSG* message, WORD) noexcept {
    if (Refuses()) return E_NOTIMPL;
    if (message == nullptr) return E_INVALIDARG;
    return keys_ != nullptr && TranslateAcceleratorW(window_, keys_, message) ? S_OK : S_FALSE;
}

STDMETHODIMP BrowserFrame::BrowseObject(PCUIDLIST_RELATIVE place, UINT flags) noexcept {
    if (Refuses() && (flags & SBSP_EXPLOREMODE) != 0) return E_INVALIDARG;
    if ((flags & SBSP_NAVIGATEBACK) != 0) return Back();
    if ((flags & SBSP_NAVIGATEFORWARD) != 0) return E_NOTIMPL;
    if ((flags & SBSP_PARENT) != 0) return Up();
    if ((flags & SBSP_RELATIVE) != 0) {
        TaskMemory<ITEMIDLIST> combined(ILCombine(location_.Get(), place));
        if (combined == nullptr) return E_OUTOFMEMORY;
        return Navigate(combined.Get(), true);
    }
    return Navigate(reinterpret_cast<PCIDLIST_ABSOLUTE>(place), true);
}

STDMETHODIMP BrowserFrame::GetViewStateStream(DWORD, IStream** out) noexcept {
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;  // view states are not kept
}

STDMETHODIMP BrowserFrame::GetControlWindow(UINT id, HWND* out) noexcept {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (Refuses()) return E_NOTIMPL;
    switch (id) {
    case FCW_STATUS: *out = status_; break;
    case FCW_TREE: *out = tree_.Window(); break;
    default: return E_FAIL;  // no toolbar or progress bar
    }
    return *out != nullptr ? S_OK : E_FAIL;
}

STDMETHODIMP BrowserFrame::SendControlMsg(UINT id, UINT message, WPARAM wParam, LPARAM lParam,
                                          LRESULT* result) noexcept {
    if (result != nullptr) *result = 0;
    HWND control = nullptr;
    HRESULT hr = GetControlWindow(id, &control);
    if (FAILED(hr)) return hr;
    LRESULT answer = SendMessageW(control, message, wParam, lParam);
    if (result != nullptr) *result = answer;
    return S_OK;
}

STDMETHODIMP BrowserFrame::QueryActiveShellView(IShellView** out) noexcept {
    if (out == nullptr) return E_POINTER;
    *out = view_.Get();
    if (*out == nullptr) return E_FAIL;
    (*out)->AddRef();
    return S_OK;
}

STDMETHODIMP BrowserFrame::OnViewWindowActive(IShellView*) noexcept { return Refuses() ? E_NOTIMPL : S_OK; }

STDMETHODIMP BrowserFrame::SetToolbarItems(LPTBBUTTONSB, UINT, UINT) noexcept { return E_NOTIMPL; }

// ---- Navigation --------------------------------------------------------------

HRESULT BrowserFrame::OpenParsingName(const wchar_t* name) noexcept {
    if (name == nullptr) return E_POINTER;
    TaskMemory<ITEMIDLIST> place = ParseFromDesktop(TypedParsingName(name).c_str());
    if (place == nullptr) return E_INVALIDARG;
    return Navigate(place.Get(), true);
}

HRESULT BrowserFrame::ShowItem(const wchar_t* name) noexcept {
    if (name == nullptr) return E_POINTER;
    TaskMemory<ITEMIDLIST> item = ParseFromDesktop(name);
    if (item == nullptr || ILIsEmpty(item.Get())) return E_INVALIDARG;
    TaskMemory<ITEMIDLIST> holder(ILClone(item.Get()));
    if (holder == nullptr) return E_OUTOFMEMORY;
    ILRemoveLastID(holder.Get());
    HRESULT hr = Navigate(holder.Get(), true);
    if (FAILED(hr)) return hr;
    if (!view_) return E_FAIL;
    return view_->SelectItem(ILFindLastID(item.Get()),
                             SVSI_SELECT | SVSI_FOCUSED | SVSI_ENSUREVISIBLE | SVSI_DESELECTOTHERS);
}

HRESULT BrowserFrame::Back() noexcept {
    TaskMemory<ITEMIDLIST> place = history_.Pop();
    if (place == nullptr) return E_FAIL;
    HRESULT hr = Navigate(place.Get(), false);
    if (FAILED(hr)) history_.Push(std::move(place));
    return hr;
}

HRESULT BrowserFrame::Up() noexcept {
    if (location_ == nullptr || ILIsEmpty(location_.Get())) return E_FAIL;
    TaskMemory<ITEMIDLIST> parent(ILClone(location_.Get()));
    if (parent == nullptr) return E_OUTOFMEMORY;
    ILRemoveLastID(parent.Get());
    return Navigate(parent.Get(), true);
}

HRESULT BrowserFrame::Navigate(PCIDLIST_ABSOLUTE place, bool remember) noexcept {
    if (window_ == nullptr) return E_FAIL;
    TaskMemory<ITEMIDLIST> location(ILClone(place));
    ComPtr<IShellFolder> desktop = Desktop();
    if (location == nullptr || !desktop) return E_OUTOFMEMORY;
    ComPtr<IShellFolder> folder;
    HRESULT hr = S_OK;
    if (ILIsEmpty(place)) {
        folder = std::move(desktop);
    } else {
        hr = desktop->BindToObject(place, nullptr, IID_IShellFolder, folder.PutVoid());
        if (FAILED(hr)) return hr;
    }
    ComPtr<IShellView> view;
    hr = folder->CreateViewObject(window_, IID_IShellView, view.PutVoid());
    if (FAILED(hr)) return hr;
    FOLDERSETTINGS settings = {options_.viewMode, 0};
    RECT area = ViewArea();
    HWND viewWindow = nullptr;
    // Emptied before the new view writes its own text while it is created.
    SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L""));
    hr = view->CreateViewWindow(view_.Get(), &settings, this, &area, &viewWindow);
    if (FAILED(hr)) return hr;

    CloseView();
    if (remember && location_ != nullptr) history_.Push(std::move(location_));
    location_ = std::move(location);
    folder_ = std::move(folder);
    view_ = std::move(view);
    viewWindow_ = viewWindow;
    ShowLocation();
    // Wine's browser never activates its view: the view's list, once it has
    // the focus, does that.
    if (Refuses()) {
        SetFocus(viewWindow_);
    } else {
        view_->UIActivate(SVUIA_ACTIVATE_FOCUS);
    }
    return S_OK;
}

void BrowserFrame::CloseView() noexcept {
    if (!view_) return;
    ComPtr<IShellView> view = std::move(view_);
    if (!Refuses()) view->UIActivate(SVUIA_DEACTIVATE);
    view->DestroyViewWindow();
    viewWindow_ = nullptr;
    activeObject_ = nullptr;
    if (!Refuses()) SetMenu(window_, menuBar_);
}

void BrowserFrame::ShowLocation() {
    SetWindowTextW(address_, AddressName(location_.Get()).c_str());
    std::wstring title = PlaceName(location_.Get()) + L" - " + LoadText(instance_, IDS_BROWSER_TITLE);
    SetWindowTextW(window_, title.c_str());
    EnableWindow(back_, !history_.Empty());
    EnableWindow(up_, !ILIsEmpty(location_.Get()));
    tree_.Select(location_.Get());
}

bool BrowserFrame::TranslateKey(MSG* message) noexcept {
    if (message == nullptr || message->message < WM_KEYFIRST || message->message > WM_KEYLAST) return false;
    if (view_ && view_->TranslateAccelerator(message) == S_OK) return true;
    // Keys typed into an edit control (the address, a label) are its own.
    wchar_t className[16] = {};
    GetClassNameW(GetFocus(), className, 16);
    if (lstrcmpiW(className, L"Edit") == 0) return false;
    return keys_ != nullptr && TranslateAcceleratorW(window_, keys_, message) != 0;
}

void BrowserFrame::Close() noexcept {
    if (window_ != nullptr) DestroyWindow(window_);
}

// ---- Window ------------------------------------------------------------------

LRESULT CALLBACK BrowserFrame::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* frame = static_cast<BrowserFrame*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(frame));
        frame->window_ = window;
        frame->AddRef();  // the window's, dropped with the window
        return DefWindowProcW(window, message, wParam, lParam);
    }
    auto* frame = reinterpret_cast<BrowserFrame*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (frame == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        frame->window_ = nullptr;
        frame->Release();  // the window's reference
        return DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        return frame->Handle(message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

LRESULT CALLBACK BrowserFrame::AddressProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                UINT_PTR, DWORD_PTR data) {
    if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        auto* frame = reinterpret_cast<BrowserFrame*>(data);
        wchar_t name[1024] = {};
        GetWindowTextW(window, name, 1024);
        if (FAILED(frame->OpenParsingName(name))) MessageBeep(MB_ICONWARNING);
        return 0;
    }
    if (message == WM_CHAR && wParam == L'\r') return 0;  // no beep for the Enter taken above
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT BrowserFrame::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return CreateControls() ? 0 : -1;
    case WM_SIZE:
        SendMessageW(status_, WM_SIZE, 0, 0);
        Layout();
        return 0;
    case WM_SETFOCUS:
        if (viewWindow_ != nullptr) SetFocus(viewWindow_);
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_INITMENUPOPUP:
        // The view marks its own entries in the shared menu.
        if (activeObject_ != nullptr) SendMessageW(activeObject_, message, wParam, lParam);
        return 0;
    case WM_NOTIFY: {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        return header.hwndFrom == tree_.Window() ? tree_.OnNotify(header) : 0;
    }
    case kOpenPendingMessage: {
        TaskMemory<ITEMIDLIST> place = std::move(pendingPlace_);
        if (place != nullptr) Navigate(place.Get(), true);
        return 0;
    }
    case WM_DESTROY:
        CloseView();
        tree_.RefuseDrops();
        TreeView_DeleteAllItems(tree_.Window());
        if (GetMenu(window_) != menuBar_) DestroyMenu(menuBar_);  // not destroyed with the window
        menuBar_ = nullptr;
        if (options_.quitOnClose) PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window_, message, wParam, lParam);
    }
}

bool BrowserFrame::CreateControls() {
    auto child = [&](const wchar_t* className, const wchar_t* text, DWORD style, int id, DWORD exStyle = 0) {
        return CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, window_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    };
    back_ = child(L"BUTTON", LoadText(instance_, IDS_BUTTON_BACK).c_str(), WS_TABSTOP | BS_PUSHBUTTON, kBackId);
    up_ = child(L"BUTTON", LoadText(instance_, IDS_BUTTON_UP).c_str(), WS_TABSTOP | BS_PUSHBUTTON, kUpId);
    address_ = child(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, kAddressId, WS_EX_CLIENTEDGE);
    status_ = child(STATUSCLASSNAMEW, L"", SBARS_SIZEGRIP, kStatusId);
    if (back_ == nullptr || up_ == nullptr || address_ == nullptr || status_ == nullptr) return false;
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (HWND control : {back_, up_, address_}) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    SetWindowSubclass(address_, AddressProcedure, 1, reinterpret_cast<DWORD_PTR>(this));
    TaskMemory<ITEMIDLIST> root = ParseFromDesktop(NamespaceRoot().c_str());
    if (root == nullptr) return false;
    const bool created = tree_.Create(window_, kTreeId, root.Get(), [this](PCIDLIST_ABSOLUTE place) {
        // Opened after the tree's notification: the old view goes on the way.
        pendingPlace_.Reset(ILClone(place));
        PostMessageW(window_, kOpenPendingMessage, 0, 0);
    });
    // Without OLE on this thread the tree simply takes no drops.
    if (created) tree_.AcceptDrops();
    return created;
}

RECT BrowserFrame::ViewArea() const {
    RECT client = {};
    RECT status = {};
    GetClientRect(window_, &client);
    GetWindowRect(status_, &status);
    const int statusHeight = status.bottom - status.top;
    RECT area = {kTreeWidth, kBarHeight, client.right, client.bottom - statusHeight};
    if (area.right < area.left) area.right = area.left;
    if (area.bottom < area.top) area.bottom = area.top;
    return area;
}

void BrowserFrame::Layout() {
    RECT client = {};
    GetClientRect(window_, &client);
    const RECT area = ViewArea();
    MoveWindow(back_, 2, 2, kButtonWidth, kBarHeight - 4, TRUE);
    MoveWindow(up_, 4 + kButtonWidth, 2, kButtonWidth, kBarHeight - 4, TRUE);
    const int addressLeft = 6 + 2 * kButtonWidth;
    MoveWindow(address_, addressLeft, 2, client.right - addressLeft - 2, kBarHeight - 4, TRUE);
    MoveWindow(tree_.Window(), 0, area.top, kTreeWidth, area.bottom - area.top, TRUE);
    if (viewWindow_ != nullptr)
        MoveWindow(viewWindow_, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
}

void BrowserFrame::OnCommand(UINT id, HWND control) {
    if (control == nullptr && !BrowserMenus::IsBrowserCommand(id)) {
        // A view's entry of the shared menu.
        HWND target = activeObject_ != nullptr ? activeObject_ : viewWindow_;
        if (target != nullptr) SendMessageW(target, WM_COMMAND, id, 0);
        return;
    }
    switch (id) {
    case kBackId:
    case kCommandBack:
        Back();
        break;
    case kUpId:
    case kCommandUp:
        Up();
        break;
    case kCommandRefresh:
        if (view_) view_->Refresh();
        break;
    case kCommandClose:
        Close();
        break;
    case kCommandAbout:
        MessageBoxW(window_, LoadText(instance_, IDS_ABOUT_TEXT).c_str(), LoadText(instance_, IDS_BROWSER_TITLE).c_str(),
                    MB_OK | MB_ICONINFORMATION);
        break;
    default:
        break;
    }
}

}  // namespace cataloom
