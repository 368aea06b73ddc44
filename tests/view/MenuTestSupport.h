// Helpers for the tests of the view's menus and commands: the entries of a
// menu as text, the popups a view shows (recorded as they open, after the
// view has marked them), menus driven by keys posted to their owner before
// they open, keys typed with modifiers, and recorders for the program
// launcher and the Searcher.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/WinTestSupport.h"

namespace cataloom::test {

using Entries = std::vector<std::string>;

// Records the entries of every popup that opens with `owner` as its owner
// window, for as long as it lives; with `closeWhenIdle`, also where each
// menu was once it waited for input, closing it then.
class MenuRecorder {
public:
    explicit MenuRecorder(HWND owner, bool closeWhenIdle = false);
    ~MenuRecorder();
    MenuRecorder(const MenuRecorder&) = delete;
    MenuRecorder& operator=(const MenuRecorder&) = delete;

    std::vector<Entries> shown;
    std::vector<RECT> places;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR data);
    HWND owner_;
    bool closeWhenIdle_;
};

// Posts key presses to `window`, for a menu that it is about to open; a menu
// still open five seconds later is closed.
void PostMenuKeys(HWND window, std::initializer_list<WPARAM> keys);
// Once the next menu is open: writes a picture of `window` (with the menu
// over it) named `name` when CATALOOM_SCREENSHOTS names a folder, then
// closes the menu.
void PictureOfNextMenu(HWND window, const char* name);
// A right click on a row of a list as the mouse makes it (posted); -1
// clicks below the last row.
void RightClickRow(HWND list, int row);
// The key `key` pressed on `window` with Ctrl or Alt held (as the thread's
// key state), handed to `translate` first as a browser's message loop does,
// then dispatched if it was not taken.
template <class Translate>
void PressKey(HWND window, WPARAM key, bool control, bool alt, Translate&& translate);
void SetModifiers(bool control, bool alt);

// Waits on its own thread for the first dialog window of this process
// (whatever its caption), keeps its caption and the text of its static
// control 0xFFFF (a message box's text) and presses `button` on it.
class DialogCloser {
public:
    explicit DialogCloser(int button, DWORD timeoutMs = 10000);
    ~DialogCloser();
    DialogCloser(const DialogCloser&) = delete;
    DialogCloser& operator=(const DialogCloser&) = delete;
    // Waits for the thread; true when a dialog came and was answered.
    bool Closed();
    std::string caption;
    std::string text;

private:
    std::atomic<bool> stop_{false};
    bool closed_ = false;
    std::thread thread_;
};

// The program launcher records what it is asked to start instead.
struct Launch {
    std::wstring verb;
    std::wstring className;
    ULONG mask;
    int show;
    std::string place;  // the identifier list's parsing name
};
std::vector<Launch>& RecordedLaunches();
void RecordLaunches();
// The Searcher opener records its locations.
std::vector<std::string>& RecordedSearches();
void RecordSearches();
void StopRecording();

template <class Translate>
void PressKey(HWND window, WPARAM key, bool control, bool alt, Translate&& translate) {
    SetModifiers(control, alt);
    const UINT message = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    MSG down = {window, message, key, alt ? (1 << 29) : 0, 0, {}};
    if (!translate(down)) {
        TranslateMessage(&down);
        DispatchMessageW(&down);
    }
    SetModifiers(false, false);
}

}  // namespace cataloom::test
