// The change-icon dialog driven through its own window under Xvfb: the
// icons it lists, its fallback, a typed file, a dropped file and the file
// dialog behind Browse.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/TempTree.h"
#include "tests/support/WinTestSupport.h"
#include "tests/tools/SheetTestSupport.h"
#include "tools/ChangeIconDialog.h"

namespace cataloom::test {
namespace {

constexpr char kCaption[] = "アイコンの変更";
constexpr int kFile = 1000;
constexpr int kBrowse = 1001;
constexpr int kList = 1002;

std::string Shell32() {
    char path[MAX_PATH] = {};
    GetSystemDirectoryA(path, sizeof path);
    return std::string(path) + "\\shell32.dll";
}

// This program's copy of the library: six icons of its own.
std::string Library() { return ProgramFolder() + "Cataloom.dll"; }

int IconCount(const std::string& file) {
    return static_cast<int>(ExtractIconExA(file.c_str(), -1, nullptr, nullptr, 0));
}

LRESULT ListCount(HWND dialog) { return SendDlgItemMessageA(dialog, kList, LB_GETCOUNT, 0, 0); }

// Waits (on the helper thread) until the dialog shows `file` (which it
// sets while it loads the file's icons, all in one go).
bool WaitForFile(HWND dialog, const std::string& file) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(20))
        if (ControlText(dialog, kFile) == file) return true;
    return false;
}

// Waits until the list holds `count` icons.
bool WaitForCount(HWND dialog, LRESULT count) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(20))
        if (ListCount(dialog) == count) return true;
    return false;
}

// An HDROP of `files` as the system hands one over.
HGLOBAL MakeDrop(const std::vector<std::string>& files) {
    std::size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& file : files) size += file.size() + 1;
    HGLOBAL drop = GlobalAlloc(GHND, size);
    auto* header = static_cast<DROPFILES*>(GlobalLock(drop));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = FALSE;
    char* names = reinterpret_cast<char*>(header + 1);
    for (const std::string& file : files) {
        std::memcpy(names, file.c_str(), file.size() + 1);
        names += file.size() + 1;
    }
    GlobalUnlock(drop);
    return drop;
}

TEST(ChangeIconDialogTest, ListsTheIconsOfTheFileAndReturnsTheChosenOne) {
    const std::string shell32 = Shell32();
    ASSERT_GT(IconCount(shell32), 40);
    ChangeIconDialog dialog(shell32.c_str(), true);
    LRESULT count = 0, selection = -1, height = 0;
    std::string shown;
    bool drawn = false;
    DialogAction act(kCaption, [&](HWND window) {
        count = ListCount(window);
        selection = SendDlgItemMessageA(window, kList, LB_GETCURSEL, 0, 0);
        height = SendDlgItemMessageA(window, kList, LB_GETITEMHEIGHT, 0, 0);
        shown = ControlText(window, kFile);
        // Item 1's picture is icon 1 of the file.
        HICON first = reinterpret_cast<HICON>(SendDlgItemMessageA(window, kList, LB_GETITEMDATA, 1, 0));
        HICON expected = nullptr;
        ExtractIconExA(shell32.c_str(), 1, &expected, nullptr, 1);
        drawn = !IconPixels(first).empty() && IconPixels(first) == IconPixels(expected);
        DestroyIcon(expected);
        SaveWindowPicture(window, "change-icon-dialog");
        SendDlgItemMessageA(window, kList, LB_SETCURSEL, 7, 0);
        PressDialogButton(window, IDOK);
    });
    EXPECT_EQ(dialog.Run(nullptr), IDOK);
    ASSERT_TRUE(act.Done());
    EXPECT_EQ(count, IconCount(shell32));
    EXPECT_EQ(selection, 0);
    EXPECT_EQ(height, GetSystemMetrics(SM_CYICON) + 2);
    EXPECT_EQ(shown, shell32);
    EXPECT_TRUE(drawn);
    EXPECT_EQ(std::string(dialog.File()), shell32);
    EXPECT_EQ(dialog.Index(), 7);
}

TEST(ChangeIconDialogTest, AFileWithoutIconsShowsThoseOfShell32AndNoSelectionGivesIndexZero) {
    TempTree tree;
    const std::string text = tree.WriteFile("icons.txt", "no icons here");
    ChangeIconDialog dialog(text.c_str(), false);
    LRESULT count = 0, height = 0;
    std::string shown;
    DialogAction act(kCaption, [&](HWND window) {
        count = ListCount(window);
        height = SendDlgItemMessageA(window, kList, LB_GETITEMHEIGHT, 0, 0);
        shown = ControlText(window, kFile);
        SendDlgItemMessageA(window, kList, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        PressDialogButton(window, IDOK);
    });
    EXPECT_EQ(dialog.Run(nullptr), IDOK);
    ASSERT_TRUE(act.Done());
    EXPECT_EQ(shown, Shell32());
    EXPECT_EQ(count, IconCount(Shell32()));
    EXPECT_EQ(height, GetSystemMetrics(SM_CYSMICON) + 2);
    EXPECT_EQ(std::string(dialog.File()), Shell32());
    EXPECT_EQ(dialog.Index(), 0);
}

TEST(ChangeIconDialogTest, ATypedFileIsLoadedBeforeOkSoTheIndexBelongsToIt) {
    ChangeIconDialog dialog(Shell32().c_str(), true);
    bool stayed = false;
    LRESULT count = 0;
    DialogAction act(kCaption, [&](HWND window) {
        SendDlgItemMessageA(window, kList, LB_SETCURSEL, 30, 0);
        SetDlgItemTextA(window, kFile, Library().c_str());
        PressDialogButton(window, IDOK);
        // Still open, now with the typed file's icons.
        stayed = WaitForCount(window, 6) && IsWindowVisible(window);
        count = ListCount(window);
        SendDlgItemMessageA(window, kList, LB_SETCURSEL, 2, 0);
        PressDialogButton(window, IDOK);
    });
    EXPECT_EQ(dialog.Run(nullptr), IDOK);
    ASSERT_TRUE(act.Done());
    EXPECT_TRUE(stayed);
    EXPECT_EQ(count, 6);
    EXPECT_EQ(std::string(dialog.File()), Library());
    EXPECT_EQ(dialog.Index(), 2);
}

TEST(ChangeIconDialogTest, TheFirstDroppedFileIsLoadedAndTheDropIsFreed) {
    ChangeIconDialog dialog(Shell32().c_str(), true);
    HGLOBAL drop = MakeDrop({Library(), Shell32()});
    LRESULT count = 0;
    DialogAction act(kCaption, [&](HWND window) {
        PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
        WaitForFile(window, Library());
        count = ListCount(window);
        PressDialogButton(window, IDCANCEL);
    });
    EXPECT_EQ(dialog.Run(nullptr), IDCANCEL);
    ASSERT_TRUE(act.Done());
    EXPECT_EQ(count, 6);
    // DragFinish gave the memory back.
    EXPECT_EQ(GlobalSize(drop), 0u);
}

TEST(ChangeIconDialogTest, BrowseOffersTheIconFiltersAndLoadsTheChosenFile) {
    ChangeIconDialog dialog(Shell32().c_str(), true);
    std::vector<std::string> filters;
    LRESULT count = 0;
    DialogAction act(kCaption, [&](HWND window) {
        PressDialogButton(window, kBrowse);
        HWND open = WaitForDialog("開く", GetCurrentProcessId(), 10000);
        if (open == nullptr) return;
        HWND types = GetDlgItem(open, 1136);
        const LRESULT typeCount = SendMessageA(types, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < typeCount; ++i) {
            char text[128] = {};
            SendMessageA(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            filters.push_back(text);
        }
        SendMessageA(GetDlgItem(open, 1148), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Library().c_str()));
        PressDialogButton(open, IDOK);
        WaitForFile(window, Library());
        count = ListCount(window);
        SendDlgItemMessageA(window, kList, LB_SETCURSEL, 4, 0);
        PressDialogButton(window, IDOK);
    });
    EXPECT_EQ(dialog.Run(nullptr), IDOK);
    ASSERT_TRUE(act.Done());
    EXPECT_EQ(filters, (std::vector<std::string>{"Icon file", "Executable(*.exe)", "Library(*.dll)", "Icon(*.ico)",
                                                 "All files(*.*)"}));
    EXPECT_EQ(count, 6);
    EXPECT_EQ(std::string(dialog.File()), Library());
    EXPECT_EQ(dialog.Index(), 4);
}

}  // namespace
}  // namespace cataloom::test
