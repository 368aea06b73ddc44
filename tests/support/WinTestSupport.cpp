#include "tests/support/WinTestSupport.h"

namespace cataloom::test {

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

namespace {
struct DialogSearch {
    const char* caption;
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<DialogSearch*>(parameter);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    if (search->processId != 0) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != search->processId) return TRUE;
    }
    if (WindowText(window) != search->caption) return TRUE;
    search->found = window;
    return FALSE;
}
}  // namespace

HWND WaitForDialog(const char* caption, DWORD processId, DWORD timeoutMs, const std::atomic<bool>* stop) {
    const DWORD start = GetTickCount();
    for (;;) {
        DialogSearch search{caption, processId, nullptr};
        EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) return search.found;
        if (GetTickCount() - start > timeoutMs || (stop != nullptr && *stop)) return nullptr;
        Sleep(50);
    }
}

std::string WindowText(HWND window) {
    char text[1024] = {};
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    return text;
}

std::string ControlText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

std::string TreeText(HWND tree, HTREEITEM item) {
    char text[MAX_PATH] = {};
    TVITEMA data = {};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = sizeof text;
    if (item == nullptr || !SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data))) return "";
    return text;
}

std::string SelectedTreeText(HWND tree) {
    return TreeText(tree, reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0)));
}

std::vector<std::string> MenuEntries(HMENU menu, bool withIds) {
    std::vector<std::string> entries;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[256] = {};
        MENUITEMINFOA item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
        item.dwTypeData = text;
        item.cch = sizeof text;
        GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &item);
        if ((item.fType & MFT_SEPARATOR) != 0) {
            entries.push_back("---");
            continue;
        }
        std::string entry = withIds ? std::to_string(item.wID) + " " + text : std::string(text);
        if ((item.fState & MFS_DEFAULT) != 0) entry += " *";
        if ((item.fState & MFS_GRAYED) != 0) entry += " ~";
        if ((item.fState & MFS_CHECKED) != 0) entry += " (x)";
        if (item.hSubMenu != nullptr) entry += " >";
        entries.push_back(entry);
    }
    return entries;
}

void PressDialogButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

std::vector<BYTE> IconPixels(HICON icon) {
    ICONINFO info = {};
    if (icon == nullptr || !GetIconInfo(icon, &info)) return {};
    BITMAP bitmap = {};
    GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
    std::vector<BYTE> pixels(static_cast<size_t>(bitmap.bmWidthBytes) * bitmap.bmHeight);
    GetBitmapBits(info.hbmColor, static_cast<LONG>(pixels.size()), pixels.data());
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return pixels;
}

DialogAction::DialogAction(const char* caption, std::function<void(HWND)> act, DWORD timeoutMs)
    : thread_([this, caption = std::string(caption), act = std::move(act), timeoutMs] {
          HWND dialog = WaitForDialog(caption.c_str(), GetCurrentProcessId(), timeoutMs, &stop_);
          if (dialog == nullptr) return;
          act(dialog);
          done_ = true;
      }) {}

DialogAction::~DialogAction() {
    if (thread_.joinable()) thread_.join();
}

bool DialogAction::Dismiss() {
    stop_ = true;
    return Done();
}

bool DialogAction::Done() {
    if (thread_.joinable()) thread_.join();
    return done_;
}

DialogAnswerer::DialogAnswerer(const char* caption, int buttonId, DWORD timeoutMs)
    : action_(
          caption,
          [this, buttonId](HWND dialog) {
              // The message box's text is its static control (id 0xFFFF).
              message_ = WindowText(GetDlgItem(dialog, 0xFFFF));
              PressDialogButton(dialog, buttonId);
          },
          timeoutMs) {}

}  // namespace cataloom::test
