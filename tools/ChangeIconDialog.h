// The modal dialog in which the user picks an icon: a file that holds icons
// and one icon in it.  A file without icons shows those of shell32.dll.
#pragma once

#include <windows.h>

#include <vector>

#include "core/PathUtil.h"
#include "tools/GdiHandles.h"

namespace cataloom {

class ChangeIconDialog {
public:
    // Starts on `file`; `largeIcons` chooses the icon size of the list.
    ChangeIconDialog(const char* file, bool largeIcons) noexcept;
    ChangeIconDialog(const ChangeIconDialog&) = delete;
    ChangeIconDialog& operator=(const ChangeIconDialog&) = delete;

    // Runs the dialog over `owner`: IDOK or IDCANCEL (also when it cannot
    // be shown).
    INT_PTR Run(HWND owner) noexcept;
    // After IDOK: the file the icons were loaded from, and the chosen one.
    const char* File() const noexcept { return file_; }
    int Index() const noexcept { return index_; }

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnInit(HWND dialog);
    void Draw(const DRAWITEMSTRUCT& item) const;
    // Lists the icons of `file`, or of shell32.dll when it has none.
    void Load(const char* file);
    void Browse();
    void Accept();

    char file_[kMaxPath] = {};
    int index_ = 0;
    bool large_;
    HWND dialog_ = nullptr;
    HWND list_ = nullptr;
    std::vector<OwnedIcon> icons_;  // the list's items
};

}  // namespace cataloom
