// view-snapshot.exe: shows one place of the namespace for a screenshot, in
// the shell's explorer browser component or in our own browser:
//
//   view-snapshot.exe explorer|browser PLACE|/select,ITEM
//
// PLACE as CataloomBrowser takes it.  Once the view's list is filled and
// painted it prints "ready LEFT TOP RIGHT BOTTOM" (the window on the screen)
// and waits for a line on its input, so that the caller can take the picture
// in between; then it closes.  Not part of dist/.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <string>

#include "browser/BrowserCommandLine.h"
#include "browser/BrowserFrame.h"
#include "browser/ExplorerBrowserWindow.h"
#include "browser/FolderViewList.h"
#include "core/TaskMemory.h"
#include "namespace/ComPtr.h"
#include "core/CommandLine.h"

namespace {

using namespace cataloom;

// Pumps messages until the list exists, holds rows and has nothing left to
// paint; false after ten seconds.
bool WaitUntilPainted(HWND top) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        HWND list = FindFolderViewList(top);
        if (list != nullptr && SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) > 0 && !GetUpdateRect(top, nullptr, FALSE) &&
            !GetUpdateRect(list, nullptr, FALSE))
            return true;
        if (GetTickCount() - start > 10000) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
}

int Run() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr || count < 2) {
        std::fprintf(stderr, "usage: view-snapshot explorer|browser PLACE|/select,ITEM\n");
        return 2;
    }
    const bool explorer = lstrcmpW(arguments[1], L"explorer") == 0;
    // The rest is CataloomBrowser's command line.
    std::wstring rest = L"view-snapshot";
    for (int i = 2; i < count; ++i) rest += L" " + QuoteArgument(arguments[i]);
    LocalFree(arguments);
    const BrowserCommandLine commandLine = BrowserCommandLine::Parse(rest.c_str());

    std::unique_ptr<ExplorerBrowserWindow> host;
    ComPtr<IShellBrowser> frameHolder;
    HWND top = nullptr;
    if (explorer) {
        host = std::make_unique<ExplorerBrowserWindow>(L"Cataloom", 900, 600);
        ComPtr<IShellFolder> desktop;
        PIDLIST_RELATIVE place = nullptr;
        std::wstring name = commandLine.select.empty() ? commandLine.place : commandLine.select;
        if (FAILED(host->Initialized()) || FAILED(SHGetDesktopFolder(desktop.Put())) ||
            FAILED(desktop->ParseDisplayName(nullptr, nullptr, &name[0], nullptr, &place, nullptr)))
            return 1;
        TaskMemory<ITEMIDLIST> owned(place);
        if (!commandLine.select.empty()) ILRemoveLastID(owned.Get());  // the component shows the item's folder
        if (FAILED(host->Browse(owned.Get()))) return 1;
        top = host->Window();
    } else {
        BrowserOptions options;
        options.width = 900;
        options.height = 600;
        BrowserFrame* frame = BrowserFrame::Create(options, GetModuleHandleW(nullptr));
        if (frame == nullptr) return 1;
        *frameHolder.Put() = frame;
        SetWindowPos(frame->Window(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
        const HRESULT shown = commandLine.select.empty() ? frame->OpenParsingName(commandLine.place.c_str())
                                                         : frame->ShowItem(commandLine.select.c_str());
        if (FAILED(shown)) return 1;
        top = frame->Window();
    }
    if (!WaitUntilPainted(top)) return 1;
    RECT area = {};
    GetWindowRect(top, &area);
    std::printf("ready %ld %ld %ld %ld\n", area.left, area.top, area.right, area.bottom);
    std::fflush(stdout);
    char line[16];
    std::fgets(line, sizeof line, stdin);
    if (!explorer) static_cast<BrowserFrame*>(frameHolder.Get())->Close();
    return 0;
}

}  // namespace

int main() {
    if (FAILED(OleInitialize(nullptr))) return 1;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    int status = Run();
    OleUninitialize();
    return status;
}
