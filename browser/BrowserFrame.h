// A small shell browser: a frame window with a menu bar, Back and Up
// buttons, an address line showing the parsing name, the namespace's tree on
// the left, a folder's view on the right and a status bar.  It serves the
// view the IShellBrowser a view expects (shared menus, the status bar and
// tree through GetControlWindow and SendControlMsg, navigation), or, like
// Wine's own browser, refuses all but navigation.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "browser/BrowserHistory.h"
#include "browser/NamespaceTree.h"
#include "core/TaskMemory.h"
#include "namespace/ComObject.h"
#include "namespace/ComPtr.h"

namespace cataloom {

struct BrowserOptions {
    // Answer E_NOTIMPL where Wine's browser does (menus, controls, status
    // texts, view activation), never call UIActivate, and refuse explore
    // mode in BrowseObject.
    bool likeWine = false;
    // The view mode the browser asks its views for.
    UINT viewMode = FVM_DETAILS;
    // Ends the thread's message loop when the frame closes.
    bool quitOnClose = false;
    int width = 960;
    int height = 640;
};

class BrowserFrame final : public ComObject<BrowserFrame, IShellBrowser> {
public:
    static constexpr wchar_t kWindowClass[] = L"CataloomBrowserFrame";
    enum ControlId : int { kTreeId = 0xA201, kAddressId, kBackId, kUpId, kStatusId };

    // Creates and shows a frame; the caller owns the reference it returns, the
    // window holds another until it is destroyed.  Null on failure.
    static BrowserFrame* Create(const BrowserOptions& options, HINSTANCE instance) noexcept;

    // IShellBrowser answers IOleWindow too.
    void* QueryExtra(REFIID iid) noexcept;

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* out) noexcept override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enter) noexcept override;
    // IShellBrowser
    STDMETHODIMP InsertMenusSB(HMENU shared, LPOLEMENUGROUPWIDTHS widths) noexcept override;
    STDMETHODIMP SetMenuSB(HMENU shared, HOLEMENU oleMenu, HWND activeObject) noexcept override;
    STDMETHODIMP RemoveMenusSB(HMENU shared) noexcept override;
    STDMETHODIMP SetStatusTextSB(LPCWSTR text) noexcept override;
    STDMETHODIMP EnableModelessSB(BOOL enable) noexcept override;
    STDMETHODIMP TranslateAcceleratorSB(MSG* message, WORD id) noexcept override;
    STDMETHODIMP BrowseObject(PCUIDLIST_RELATIVE place, UINT flags) noexcept override;
    STDMETHODIMP GetViewStateStream(DWORD mode, IStream** out) noexcept override;
    STDMETHODIMP GetControlWindow(UINT id, HWND* out) noexcept override;
    STDMETHODIMP SendControlMsg(UINT id, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) noexcept override;
    STDMETHODIMP QueryActiveShellView(IShellView** out) noexcept override;
    STDMETHODIMP OnViewWindowActive(IShellView* view) noexcept override;
    STDMETHODIMP SetToolbarItems(LPTBBUTTONSB buttons, UINT count, UINT flags) noexcept override;

    // Opens a place given by its parsing name or its address form
    // ("Cataloom\サンプル"), remembering the current one.
    HRESULT OpenParsingName(const wchar_t* name) noexcept;
    // Opens the folder holding the item with this full parsing name and
    // selects (and focuses) the item there.
    HRESULT ShowItem(const wchar_t* name) noexcept;
    HRESULT Back() noexcept;
    HRESULT Up() noexcept;
    // Gives a key to the view, then to the browser's own keys; true when one
    // of them took it.  For the thread's message loop.
    bool TranslateKey(MSG* message) noexcept;
    void Close() noexcept;

    HWND Window() const noexcept { return window_; }
    HWND Tree() const noexcept { return tree_.Window(); }
    HWND Address() const noexcept { return address_; }
    HWND StatusBar() const noexcept { return status_; }
    HWND ViewWindow() const noexcept { return viewWindow_; }
    PCIDLIST_ABSOLUTE Location() const noexcept { return location_.Get(); }

private:
    explicit BrowserFrame(const BrowserOptions& options, HINSTANCE instance) noexcept;
    ~BrowserFrame() override;

    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK AddressProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                             UINT_PTR id, DWORD_PTR data);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    bool CreateControls();
    void Layout();
    RECT ViewArea() const;
    void OnCommand(UINT id, HWND control);

    // Shows the folder at `place` (absolute) in a new view; the old view
    // goes once the new one stands.  `remember` keeps the old place for Back.
    HRESULT Navigate(PCIDLIST_ABSOLUTE place, bool remember) noexcept;
    void CloseView() noexcept;
    void ShowLocation();
    // Refused like Wine's browser refuses it?
    bool Refuses() const noexcept { return options_.likeWine; }

    BrowserOptions options_;
    HINSTANCE instance_;
    HWND window_ = nullptr;
    HWND address_ = nullptr;
    HWND back_ = nullptr;
    HWND up_ = nullptr;
    HWND status_ = nullptr;
    NamespaceTree tree_;
    HMENU menuBar_ = nullptr;
    HACCEL keys_ = nullptr;
    HWND activeObject_ = nullptr;  // the window the shared menu's commands go to
    ComPtr<IShellFolder> folder_;
    ComPtr<IShellView> view_;
    HWND viewWindow_ = nullptr;
    TaskMemory<ITEMIDLIST> location_;
    BrowserHistory history_;
    TaskMemory<ITEMIDLIST> pendingPlace_;  // chosen in the tree, opened after its notification
};

}  // namespace cataloom
