// Helpers for the window tests of the property sheets: the sheets layer
// plugged into the folders this program serves, a modeless property sheet
// on the test's own thread, and readers of controls and pixels.  They need a
// display: run under Xvfb.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <shlobj.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/CatalogFile.h"
#include "namespace/ComPtr.h"
#include "tests/support/WinTestSupport.h"

namespace cataloom::test {

class IdList;


// The pages an extension adds, and its answer.
struct AddedPages {
    HRESULT result = E_FAIL;
    std::vector<HPROPSHEETPAGE> pages;
};
AddedPages CollectPages(IShellPropSheetExt* extension);
// The callback AddPages takes: appends to the std::vector<HPROPSHEETPAGE>
// that `parameter` points to.
BOOL CALLBACK CollectPage(HPROPSHEETPAGE page, LPARAM parameter);

// The property sheet extension of a folder for some of its items.
ComPtr<IShellPropSheetExt> ItemSheet(IShellFolder* folder, const std::vector<const IdList*>& items);
// The property sheet extension as the property page class makes it (no
// folder, no items), initialized with the shell's data object for `path`
// when one is given.
ComPtr<IShellPropSheetExt> ClassSheet(const std::string& path = "");
// Changes the header of the catalogue at `path` in place.
void EditHeader(const std::string& path, const std::function<void(CatalogHeader&)>& edit);

// A modeless property sheet showing `pages`, destroyed with the object.
class SheetHost;
// Shows the one page `extension` adds: `host` holds the sheet and `page` is
// the page's window.  Fails the test (fatally) otherwise.
void ShowOnlyPage(IShellPropSheetExt* extension, std::unique_ptr<SheetHost>& host, HWND& page);

class SheetHost {
public:
    static constexpr char kCaption[] = "シートの試験";

    explicit SheetHost(const std::vector<HPROPSHEETPAGE>& pages);
    ~SheetHost();
    SheetHost(const SheetHost&) = delete;
    SheetHost& operator=(const SheetHost&) = delete;

    HWND Window() const { return sheet_; }
    // The page shown; null once OK or Cancel closed the sheet.
    HWND Page() const;
    // The title on the tab of page `index`.
    std::string TabTitle(int index) const;
    // The Apply button as a person presses it: false when a page refused.
    bool Apply();
    void PressOk();
    void PressCancel();

private:
    HWND sheet_ = nullptr;
};

// Answers the message boxes (caption "Cataloom") of this process in turn,
// one button each, on its own thread, for as long as it runs.
class MessageAnswers {
public:
    explicit MessageAnswers(std::vector<int> buttons);
    ~MessageAnswers() { Finish(); }
    MessageAnswers(const MessageAnswers&) = delete;
    MessageAnswers& operator=(const MessageAnswers&) = delete;

    // Stops waiting for more; the texts of the boxes answered, in order.
    const std::vector<std::string>& Finish();

private:
    std::vector<std::string> messages_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A file time (UTC) as the pages show it: local time, "YYYY/MM/DD hh:mm:ss".
std::string LocalTimeText(std::uint64_t fileTime);
// The checked state of a button (BST_CHECKED, BST_INDETERMINATE, ...).
LRESULT CheckState(HWND dialog, int id);
// The first child of `parent` whose text starts with `prefix`.
HWND ChildWithText(HWND parent, const std::string& prefix);
// A pixel of a window's client area as the screen shows it.
COLORREF ClientPixel(HWND window, int x, int y);
// Writes a picture of a window to <CATALOOM_SCREENSHOTS>\<name>.bmp when that
// variable names a folder; for the record, not for checking.
void SaveWindowPicture(HWND window, const char* name);

}  // namespace cataloom::test
