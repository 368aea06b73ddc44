#include "platform/Console.h"

#include "platform/posix/Cp932.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

namespace cataloom::platform::console {
namespace {

volatile std::sig_atomic_t interrupted = 0;

void OnSignal(int) { interrupted = 1; }

// Slashes become backslashes; a slash is never part of a double-byte
// character in code page 932.
std::string ToBackslashes(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

}  // namespace

std::string ArgumentText(const char* argument) { return Utf8ToCp932(argument ? argument : ""); }

std::string ArgumentPath(const char* argument) { return ToBackslashes(ArgumentText(argument)); }

bool AbsolutePath(const std::string& path, std::string& absolute) {
    char* real = realpath(ToNativePath(path.c_str()).c_str(), nullptr);
    if (real == nullptr) return false;
    absolute = ToBackslashes(Utf8ToCp932(real));
    std::free(real);
    return true;
}

std::string ToTerminal(const std::string& text) { return Cp932ToUtf8(text); }
std::string Utf8ToTerminal(const std::string& utf8) { return utf8; }
std::string ArgumentUtf8(const char* argument) { return argument ? argument : ""; }

std::string ToUtf8(const std::string& text) { return Cp932ToUtf8(text); }

void BinaryOutput(std::FILE*) {}

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

int TerminalWidth(std::FILE* stream) {
    struct winsize size {};
    if (ioctl(fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

void CatchInterrupt() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool Interrupted() { return interrupted != 0; }

}  // namespace cataloom::platform::console
