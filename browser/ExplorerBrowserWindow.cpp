#include "browser/ExplorerBrowserWindow.h"

namespace cataloom {
namespace {

constexpr wchar_t kWindowClass[] = L"CataloomExplorerBrowserHost";

LRESULT CALLBACK HostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE) {
        // The component follows the window's size.
        auto* browser = reinterpret_cast<IExplorerBrowser*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        RECT area = {0, 0, LOWORD(lParam), HIWORD(lParam)};
        if (browser != nullptr) browser->SetRect(nullptr, area);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

ExplorerBrowserWindow::ExplorerBrowserWindow(const wchar_t* title, int width, int height) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = HostProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);  // a second window finds it registered
    window_ = CreateWindowExW(0, kWindowClass, title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, width, height,
                              nullptr, nullptr, instance, nullptr);
    if (window_ == nullptr) return;
    initialized_ = CoCreateInstance(CLSID_ExplorerBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IExplorerBrowser,
                                    browser_.PutVoid());
    if (FAILED(initialized_)) return;
    RECT area;
    GetClientRect(window_, &area);
    FOLDERSETTINGS settings = {FVM_DETAILS, 0};
    initialized_ = browser_->Initialize(window_, &area, &settings);
    if (FAILED(initialized_)) return;
    initialized_ = browser_->QueryInterface(IID_IShellBrowser, shellBrowser_.PutVoid());
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(browser_.Get()));
    ShowWindow(window_, SW_SHOW);
}

ExplorerBrowserWindow::~ExplorerBrowserWindow() {
    if (window_ != nullptr) SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    shellBrowser_.Reset();
    if (browser_) browser_->Destroy();
    browser_.Reset();
    if (window_ != nullptr) DestroyWindow(window_);
}

HRESULT ExplorerBrowserWindow::Browse(PCIDLIST_ABSOLUTE place) noexcept {
    if (!browser_) return E_FAIL;
    return browser_->BrowseToIDList(place, SBSP_ABSOLUTE);
}

ComPtr<IShellView> ExplorerBrowserWindow::CurrentView() const noexcept {
    ComPtr<IShellView> view;
    if (browser_) browser_->GetCurrentView(IID_IShellView, view.PutVoid());
    return view;
}

}  // namespace cataloom
