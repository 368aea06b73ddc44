#include "platform/Console.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <vector>

namespace cataloom::platform::console {
namespace {

std::atomic<bool> interrupted{false};

BOOL WINAPI OnControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT && type != CTRL_CLOSE_EVENT) return FALSE;
    interrupted.store(true);
    return TRUE;
}

}  // namespace

// The C runtime hands main() its arguments in the ANSI code page already.
std::string ArgumentText(const char* argument) { return argument ? argument : ""; }

std::string ArgumentPath(const char* argument) {
    std::string path = ArgumentText(argument);
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size()) ++i;
        else if (path[i] == '/') path[i] = '\\';
    }
    return path;
}

bool AbsolutePath(const std::string& path, std::string& absolute) {
    char buffer[MAX_PATH];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof(buffer), buffer, nullptr);
    if (n == 0 || n >= sizeof(buffer)) return false;
    absolute.assign(buffer, n);
    return true;
}

std::string ToTerminal(const std::string& text) {
    UINT target = GetConsoleOutputCP();
    if (target == 0 || target == GetACP() || text.empty()) return text;
    int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::vector<wchar_t> utf16(static_cast<std::size_t>(wide));
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), utf16.data(), wide);
    int bytes = WideCharToMultiByte(target, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(target, 0, utf16.data(), wide, out.data(), bytes, nullptr, nullptr);
    return out;
}

std::string Utf8ToTerminal(const std::string& utf8) {
    UINT target = GetConsoleOutputCP();
    if (target == CP_UTF8 || utf8.empty()) return utf8;
    int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::vector<wchar_t> utf16(static_cast<std::size_t>(wide > 0 ? wide : 0));
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), utf16.data(), wide);
    if (target == 0) target = GetACP();
    int bytes = WideCharToMultiByte(target, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    WideCharToMultiByte(target, 0, utf16.data(), wide, out.data(), bytes, nullptr, nullptr);
    return out;
}

std::string ArgumentUtf8(const char* argument) {
    std::string ansi = ArgumentText(argument);
    // Bytes that are not text stay as they are: no valid UTF-8 comes of them.
    int wide = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    if (wide <= 0) return ansi;
    std::vector<wchar_t> utf16(static_cast<std::size_t>(wide > 0 ? wide : 0));
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), utf16.data(), wide);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, out.data(), bytes, nullptr, nullptr);
    return out;
}

// Catalogues hold code page 932 whatever the system's ANSI code page is.
std::string ToUtf8(const std::string& text) {
    constexpr UINT kCatalogCodePage = 932;
    if (text.empty()) return text;
    int wide = MultiByteToWideChar(kCatalogCodePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (wide <= 0) return std::string(text.size(), '?');
    std::vector<wchar_t> utf16(static_cast<std::size_t>(wide));
    MultiByteToWideChar(kCatalogCodePage, 0, text.data(), static_cast<int>(text.size()), utf16.data(), wide);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, out.data(), bytes, nullptr, nullptr);
    return out;
}

void BinaryOutput(std::FILE* stream) { _setmode(_fileno(stream), _O_BINARY); }

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

int TerminalWidth(std::FILE* stream) {
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(handle, &info)) return info.srWindow.Right - info.srWindow.Left + 1;
    return 80;
}

void CatchInterrupt() { SetConsoleCtrlHandler(OnControl, TRUE); }

bool Interrupted() { return interrupted.load(); }

}  // namespace cataloom::platform::console
