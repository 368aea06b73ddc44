#include "tests/view/MenuTestSupport.h"

#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "namespace/ProgramLauncher.h"
#include "namespace/SearcherOpener.h"
#include "tests/namespace/ShellTestSupport.h"
#include "tests/support/WinTestSupport.h"
#include "tests/tools/SheetTestSupport.h"

namespace cataloom::test {
namespace {

std::vector<Launch> g_launches;
std::vector<std::string> g_searches;

bool RecordLaunch(SHELLEXECUTEINFOW* info) {
    Launch launch{info->lpVerb ? info->lpVerb : L"", info->lpClass ? info->lpClass : L"", info->fMask, info->nShow, ""};
    STRRET name = {};
    char text[1024] = {};
    auto list = static_cast<PCUIDLIST_RELATIVE>(info->lpIDList);
    if (list != nullptr && SUCCEEDED(Desktop()->GetDisplayNameOf(list, SHGDN_FORPARSING, &name)))
        StrRetToBufA(&name, list, text, sizeof text);
    launch.place = text;
    g_launches.push_back(launch);
    return true;
}

HRESULT RecordSearch(HWND, const char* location) {
    g_searches.push_back(location);
    return S_OK;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM parameter) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (lstrcmpA(className, "#32770") != 0 || !IsWindowVisible(window) || process != GetCurrentProcessId())
        return TRUE;
    *reinterpret_cast<HWND*>(parameter) = window;
    return FALSE;
}

HWND g_pictureWindow = nullptr;
const char* g_pictureName = nullptr;

void CALLBACK TakePicture(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    SaveWindowPicture(g_pictureWindow, g_pictureName);
    EndMenu();
}

UINT_PTR g_watchdog = 0;

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    g_watchdog = 0;
    EndMenu();
}

}  // namespace

DialogCloser::DialogCloser(int button, DWORD timeoutMs)
    : thread_([this, button, timeoutMs] {
          const DWORD start = GetTickCount();
          HWND dialog = nullptr;
          while (dialog == nullptr && !stop_ && GetTickCount() - start < timeoutMs) {
              EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&dialog));
              if (dialog == nullptr) Sleep(50);
          }
          if (dialog == nullptr) return;
          caption = WindowText(dialog);
          text = WindowText(GetDlgItem(dialog, 0xFFFF));
          PressDialogButton(dialog, button);
          closed_ = true;
      }) {}

DialogCloser::~DialogCloser() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

bool DialogCloser::Closed() {
    if (thread_.joinable()) thread_.join();
    return closed_;
}

MenuRecorder::MenuRecorder(HWND owner, bool closeWhenIdle) : owner_(owner), closeWhenIdle_(closeWhenIdle) {
    SetWindowSubclass(owner_, Procedure, 7, reinterpret_cast<DWORD_PTR>(this));
}

MenuRecorder::~MenuRecorder() {
    if (IsWindow(owner_)) RemoveWindowSubclass(owner_, Procedure, 7);
}

LRESULT CALLBACK MenuRecorder::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR data) {
    if (message == WM_NCDESTROY) RemoveWindowSubclass(window, Procedure, 7);
    LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    if (message == WM_INITMENUPOPUP)
        reinterpret_cast<MenuRecorder*>(data)->shown.push_back(MenuEntries(reinterpret_cast<HMENU>(wParam)));
    auto* recorder = reinterpret_cast<MenuRecorder*>(data);
    if (message == WM_ENTERIDLE && wParam == MSGF_MENU && lParam != 0 && recorder->closeWhenIdle_) {
        RECT place = {};
        GetWindowRect(reinterpret_cast<HWND>(lParam), &place);
        recorder->places.push_back(place);
        EndMenu();
    }
    return result;
}

void PostMenuKeys(HWND window, std::initializer_list<WPARAM> keys) {
    for (WPARAM key : keys) PostMessageA(window, WM_KEYDOWN, key, 0);
    // One watchdog at a time: an old one must not close a later menu.
    if (g_watchdog != 0) KillTimer(nullptr, g_watchdog);
    g_watchdog = SetTimer(nullptr, 0, 5000, CloseMenu);
}

void PictureOfNextMenu(HWND window, const char* name) {
    g_pictureWindow = window;
    g_pictureName = name;
    SetTimer(nullptr, 0, 500, TakePicture);
}

void RightClickRow(HWND list, int row) {
    RECT area = {};
    if (row >= 0) {
        area.left = LVIR_LABEL;
        SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&area));
    } else {
        GetClientRect(list, &area);
        area.top = area.bottom - 4;
        area.bottom = area.top;
    }
    const LPARAM point = MAKELPARAM(area.left + 4, (area.top + area.bottom) / 2);
    // The menu opens where the mouse is.
    POINT screen = {area.left + 4, (area.top + area.bottom) / 2};
    ClientToScreen(list, &screen);
    SetCursorPos(screen.x, screen.y);
    PostMessageA(list, WM_RBUTTONDOWN, MK_RBUTTON, point);
    PostMessageA(list, WM_RBUTTONUP, 0, point);
}

void SetModifiers(bool control, bool alt) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_LCONTROL] = control ? 0x80 : 0;
    keys[VK_MENU] = keys[VK_LMENU] = alt ? 0x80 : 0;
    SetKeyboardState(keys);
}

std::vector<Launch>& RecordedLaunches() { return g_launches; }
void RecordLaunches() {
    g_launches.clear();
    InstallProgramLauncher(RecordLaunch);
}
std::vector<std::string>& RecordedSearches() { return g_searches; }
void RecordSearches() {
    g_searches.clear();
    InstallSearcherOpener(RecordSearch);
}
void StopRecording() {
    InstallProgramLauncher(nullptr);
    InstallSearcherOpener(nullptr);
}

}  // namespace cataloom::test
