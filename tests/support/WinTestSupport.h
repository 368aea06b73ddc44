// Helpers for the Windows test programs: finding and answering the dialogs
// and message boxes that the code under test shows (they need a display:
// run under Xvfb).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace cataloom::test {

// The folder of the running test program, with a trailing backslash.
std::string ProgramFolder();

// A drive letter of Wine's mount manager for a folder of the test, of a
// given drive type (as the prefix's configuration tool defines drives);
// removed again on destruction, though Wine's mount manager still answers
// volume queries for the letter afterwards: other tests use other letters.
class WineDrive {
public:
    WineDrive(wchar_t letter, const std::string& folder, ULONG type);
    ~WineDrive();
    WineDrive(const WineDrive&) = delete;
    WineDrive& operator=(const WineDrive&) = delete;
    bool Defined() const { return defined_; }

private:
    bool Define(ULONG type, const char* path);

    wchar_t letter_;
    bool defined_ = false;
};

// A symbolic link `link` to `target` made on the Linux side of the prefix's
// drive, as a person or another program could (Wine makes none through its
// Windows calls); removed on destruction, so declare it after the trees it
// joins: nothing that removes a tree then follows it.
class UnixLink {
public:
    UnixLink(const std::string& target, const std::string& link);
    ~UnixLink();
    UnixLink(const UnixLink&) = delete;
    UnixLink& operator=(const UnixLink&) = delete;
    bool Made() const { return made_; }

private:
    std::string unixLink_;
    bool made_ = false;
};

// The first visible top-level dialog with this caption (and of this process
// when `processId` is not 0), waiting up to `timeoutMs` or until `stop` is
// set; null when none came.
HWND WaitForDialog(const char* caption, DWORD processId, DWORD timeoutMs, const std::atomic<bool>* stop = nullptr);
// The text of a window (also of another process).
std::string WindowText(HWND window);
// The text of control `id` of a dialog.
std::string ControlText(HWND dialog, int id);
// The text of an item of a tree view ("" for none), and of its selected item.
std::string TreeText(HWND tree, HTREEITEM item);
std::string SelectedTreeText(HWND tree);
// One text per menu entry: "---" for a separator; the text (after the
// entry's id and a space, `withIds`) followed by " *" when it is the
// default, " ~" when greyed, " (x)" when checked, " >" when it has a submenu.
std::vector<std::string> MenuEntries(HMENU menu, bool withIds = false);
// Chooses the button `id` of a dialog or message box as a click would.
void PressDialogButton(HWND dialog, int id);
// Dispatches the messages queued for this thread now, and those they post
// in turn.
void PumpMessages();
// The colour pixels of an icon; empty for none.
std::vector<BYTE> IconPixels(HICON icon);

// Waits on its own thread for a dialog of this process with `caption` and
// hands it to `act` there; the code under test shows the dialog on the
// calling thread, whose modal loop serves what `act` sends to it.
class DialogAction {
public:
    DialogAction(const char* caption, std::function<void(HWND)> act, DWORD timeoutMs = 15000);
    ~DialogAction();
    DialogAction(const DialogAction&) = delete;
    DialogAction& operator=(const DialogAction&) = delete;

    // Waits for the thread; true when the dialog came and `act` ran.
    bool Done();
    // Stops waiting for a dialog that should not come; true when one came
    // all the same (and `act` ran).
    bool Dismiss();

private:
    std::atomic<bool> stop_{false};
    bool done_ = false;
    std::thread thread_;
};

// Presses `buttonId` on the dialog with `caption` (see DialogAction).
class DialogAnswerer {
public:
    DialogAnswerer(const char* caption, int buttonId, DWORD timeoutMs = 15000);

    // Waits for the thread; true when the dialog came and was answered.
    bool Answered() { return action_.Done(); }
    // See DialogAction::Dismiss.
    bool Dismiss() { return action_.Dismiss(); }
    // The dialog's message text as it was shown (after Answered()).
    const std::string& Message() const { return message_; }

private:
    std::string message_;
    DialogAction action_;  // last: its thread writes message_
};

}  // namespace cataloom::test
