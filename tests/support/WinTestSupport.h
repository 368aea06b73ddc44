// Helpers for the Windows test programs: finding and answering the dialogs
// and message boxes that the code under test shows (they need a display:
// run under Xvfb).
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

namespace cataloom::test {

// The folder of the running test program, with a trailing backslash.
std::string ProgramFolder();

// The first visible top-level dialog with this caption (and of this process
// when `processId` is not 0), waiting up to `timeoutMs` or until `stop` is
// set; null when none came.
HWND WaitForDialog(const char* caption, DWORD processId, DWORD timeoutMs, const std::atomic<bool>* stop = nullptr);
// The text of a window (also of another process).
std::string WindowText(HWND window);
// Chooses the button `id` of a dialog or message box as a click would.
void PressDialogButton(HWND dialog, int id);

// Waits on its own thread for a dialog with `caption` and presses `buttonId`
// on it; the code under test shows the dialog on the calling thread.
class DialogAnswerer {
public:
    DialogAnswerer(const char* caption, int buttonId, DWORD timeoutMs = 15000);
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    // Waits for the thread; true when the dialog came and was answered.
    bool Answered();
    // Stops waiting for a dialog that should not come; true when one came
    // all the same (and was answered).
    bool Dismiss();
    // The dialog's message text as it was shown.
    const std::string& Message() const { return message_; }

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
    bool answered_ = false;
    std::string message_;
};

}  // namespace cataloom::test
