// The name dialog of a capture (dialog 605): proposes the volume's name,
// checks the name the user gives and where its file goes, asks before a file
// of that name is replaced, then runs the capture in its progress window.
// Nothing is deleted here: the capture replaces the file only once the new
// catalogue is complete.
#pragma once

#include <windows.h>

#include "capture/CaptureRequest.h"

namespace cataloom {

class CreateCatalogDialog {
public:
    explicit CreateCatalogDialog(CaptureRequest& request) noexcept : request_(request) {}

    // Runs the dialog modally.  1 once a capture ran (the request's result
    // file is set when it succeeded); 2 when the user cancelled or the
    // volume could not be read.
    INT_PTR Run(HWND owner) noexcept;

private:
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Open(HWND window);
    void Accept(HWND window);
    // The catalogue's full path for the typed name, or false after telling
    // the user why there is none (an invalid or too long name, a path that
    // does not fit, a replacement refused).
    bool ChooseTarget(HWND window, const char* name, char* target);
    void Capture(HWND window, const char* target);

    CaptureRequest& request_;
};

}  // namespace cataloom
