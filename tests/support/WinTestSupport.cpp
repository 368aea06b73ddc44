#include "tests/support/WinTestSupport.h"

#include <winioctl.h>

#include <cstring>

namespace cataloom::test {

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

namespace {

// The Linux name of a Windows path (Wine's own export); empty off Wine.
std::string UnixName(const std::string& path) {
    using Converter = char*(CDECL*)(const wchar_t*);
    auto convert = reinterpret_cast<Converter>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (convert == nullptr) return {};
    std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    char* name = convert(wide.c_str());
    if (name == nullptr) return {};
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

// A Linux system call with two pointer arguments, made directly: Wine runs
// the program's code on the Linux kernel and offers no call for links.
long LinuxCall(long number, const char* first, const char* second) {
    long result = 0;
    asm volatile("syscall" : "=a"(result) : "a"(number), "D"(first), "S"(second) : "rcx", "r11", "memory");
    return result;
}
constexpr long kLinuxUnlink = 87;
constexpr long kLinuxSymlink = 88;

}  // namespace

WineDrive::WineDrive(wchar_t letter, const std::string& folder, ULONG type) : letter_(letter) {
    const std::string path = UnixName(folder);
    defined_ = !path.empty() && Define(type, path.c_str());
}

WineDrive::~WineDrive() {
    if (defined_) Define(0, nullptr);
}

bool WineDrive::Define(ULONG type, const char* path) {
    struct UnixDrive {  // the mount manager's request
        ULONG size;
        ULONG type;
        ULONG fsType;
        DWORD serial;
        ULONGLONG unixDevice;
        WCHAR letter;
        USHORT mountPointOffset;
        USHORT deviceOffset;
        USHORT labelOffset;
    };
    std::vector<char> request(sizeof(UnixDrive) + (path ? std::strlen(path) + 1 : 0));
    auto* drive = reinterpret_cast<UnixDrive*>(request.data());
    drive->size = static_cast<ULONG>(request.size());
    drive->type = type;
    drive->letter = letter_;
    if (path != nullptr) {
        drive->mountPointOffset = sizeof(UnixDrive);
        std::strcpy(request.data() + sizeof(UnixDrive), path);
    }
    HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE) return false;
    const DWORD defineUnixDrive = CTL_CODE(0x6D, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
    BOOL done = DeviceIoControl(manager, defineUnixDrive, request.data(), drive->size, nullptr, 0, nullptr, nullptr);
    CloseHandle(manager);
    return done != FALSE;
}

UnixLink::UnixLink(const std::string& target, const std::string& link) : unixLink_(UnixName(link)) {
    const std::string unixTarget = UnixName(target);
    made_ = !unixLink_.empty() && !unixTarget.empty() &&
            LinuxCall(kLinuxSymlink, unixTarget.c_str(), unixLink_.c_str()) == 0;
}

UnixLink::~UnixLink() {
    if (made_) LinuxCall(kLinuxUnlink, unixLink_.c_str(), nullptr);
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
