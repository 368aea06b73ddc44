// A top-level window holding the shell's explorer browser component
// (CLSID_ExplorerBrowser), the component Wine's explorer is made of: views
// hosted in it meet Wine's own browser.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "namespace/ComPtr.h"

namespace cataloom {

class ExplorerBrowserWindow {
public:
    // Creates and shows the window with the component filling it.
    ExplorerBrowserWindow(const wchar_t* title, int width, int height);
    ~ExplorerBrowserWindow();
    ExplorerBrowserWindow(const ExplorerBrowserWindow&) = delete;
    ExplorerBrowserWindow& operator=(const ExplorerBrowserWindow&) = delete;

    // S_OK when the window and the component stand.
    HRESULT Initialized() const noexcept { return initialized_; }
    HRESULT Browse(PCIDLIST_ABSOLUTE place) noexcept;
    HWND Window() const noexcept { return window_; }
    IExplorerBrowser* Browser() const noexcept { return browser_.Get(); }
    // The component's IShellBrowser, for views made by hand.
    IShellBrowser* ShellBrowser() const noexcept { return shellBrowser_.Get(); }
    // The view it shows, with a reference; empty when none.
    ComPtr<IShellView> CurrentView() const noexcept;

private:
    HWND window_ = nullptr;
    ComPtr<IExplorerBrowser> browser_;
    ComPtr<IShellBrowser> shellBrowser_;
    HRESULT initialized_ = E_FAIL;
};

}  // namespace cataloom
