// Helpers for the window tests of the folder view: the view layer plugged
// into the folders this program serves, a message pump that waits for a
// condition, readers of a list view's rows and headers, and a host of the
// shell's own browser component (CLSID_ExplorerBrowser, what Wine's explorer
// is made of).  They need a display: run under Xvfb.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "browser/BrowserFrame.h"
#include "browser/ExplorerBrowserWindow.h"
#include "namespace/ComPtr.h"
#include "tests/support/WinTestSupport.h"

namespace cataloom::test {

// Dispatches this thread's messages until `done` holds; false after
// `timeoutMs` without it.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);

// The first window below `parent` (at any depth) of the class; null if none.
HWND FindDescendant(HWND parent, const char* className);
std::string ClassOf(HWND window);

struct HeaderColumn {
    std::string text;
    int format;  // LVCFMT_LEFT or LVCFMT_RIGHT
    int width;
    bool operator==(const HeaderColumn& other) const {
        return text == other.text && format == other.format && width == other.width;
    }
};
std::vector<HeaderColumn> Headers(HWND list);
int ColumnCount(HWND list);
std::string CellText(HWND list, int row, int column);
// Every row's texts, column by column.
std::vector<std::vector<std::string>> Rows(HWND list);
// One column of every row.
std::vector<std::string> ColumnTexts(HWND list, int column = 0);
int ItemCount(HWND list);
// The rows in a state (LVIS_SELECTED, LVIS_FOCUSED).
std::vector<int> RowsWithState(HWND list, UINT state);
// The image index the list shows for a row.
int RowImage(HWND list, int row);
// Clicks a column header with the mouse, as a person sorts.
void ClickColumn(HWND list, int column);

// Opens the in-place editor of a row's label; the edit control or null.
HWND StartLabelEdit(HWND list, int row);
// Types `text` into the label editor and presses Enter.  Returns when the
// list has finished the edit (after any message box it showed was answered).
void EnterLabel(HWND edit, const std::string& text);
// The label editor open in the list, or null.
HWND LabelEditor(HWND list);
// Drags the divider at the right of a column header by `dx` pixels.
void DragColumnDivider(HWND list, int column, int dx);
// The widths stored in a column-width setting ("BrowserColumn", ...).
std::vector<int> StoredWidths(const char* valueName);

// Double-clicks a row with the mouse, as a person opens it.
void DoubleClickRow(HWND list, int row);
// The status bar's text.
std::string StatusText(HWND statusBar);

// A window that hosts folder views: the shell's explorer browser component,
// or our own browser with its full services or refusing what Wine's
// browser refuses.
enum class HostKind { kExplorer, kBrowser, kWineLikeBrowser };
const char* HostName(HostKind kind);

class ViewHost {
public:
    virtual ~ViewHost() = default;
    // Shows the folder at an absolute list; S_OK once its view stands.
    virtual HRESULT Browse(const ITEMIDLIST* absolute) = 0;
    virtual HWND Window() const = 0;
    // The host's IShellBrowser, for views made by hand.
    virtual IShellBrowser* Browser() const = 0;
    // The view the host shows, with a reference.
    virtual ComPtr<IShellView> CurrentView() const = 0;
    // The namespace's view window in it, and that view's list (id 2000).
    HWND View() const;
    HWND List() const;
};
std::unique_ptr<ViewHost> MakeHost(HostKind kind);

// The shell's explorer browser component in a window of its own.
class ExplorerHost final : public ViewHost {
public:
    ExplorerHost() : window_(L"explorer host", 800, 600) {}

    HRESULT Initialized() const { return window_.Initialized(); }
    HRESULT Browse(const ITEMIDLIST* absolute) override { return window_.Browse(absolute); }
    HWND Window() const override { return window_.Window(); }
    IShellBrowser* Browser() const override { return window_.ShellBrowser(); }
    ComPtr<IShellView> CurrentView() const override { return window_.CurrentView(); }

private:
    ExplorerBrowserWindow window_;
};

// Our own browser, in this program.
class BrowserHost final : public ViewHost {
public:
    explicit BrowserHost(bool likeWine, UINT viewMode = FVM_DETAILS);
    ~BrowserHost() override;
    BrowserHost(const BrowserHost&) = delete;
    BrowserHost& operator=(const BrowserHost&) = delete;

    HRESULT Browse(const ITEMIDLIST* absolute) override;
    HWND Window() const override;
    IShellBrowser* Browser() const override;
    ComPtr<IShellView> CurrentView() const override;
    BrowserFrame* Frame() const { return frame_; }
    // Closes the frame and drops the reference on it.
    void Close();

private:
    BrowserFrame* frame_ = nullptr;
};

}  // namespace cataloom::test
