#include "cli/Terminal.h"

#include "core/PathUtil.h"
#include "platform/Console.h"

namespace cataloom::cli {

void Print(const std::string& text) {
    std::string out = platform::console::ToTerminal(text);
    std::fwrite(out.data(), 1, out.size(), stdout);
}

void PrintUtf8(const std::string& utf8) {
    std::string out = platform::console::Utf8ToTerminal(utf8);
    std::fwrite(out.data(), 1, out.size(), stdout);
}

void Error(const std::string& text) {
    std::fflush(stdout);
    std::string out = "cataloom: " + platform::console::ToTerminal(text) + "\n";
    std::fwrite(out.data(), 1, out.size(), stderr);
}

std::string ShowPath(const std::string& path) {
    std::string shown = path;
    for (std::size_t i = 0; i < shown.size(); i = static_cast<std::size_t>(text::Next(shown.c_str() + i) - shown.c_str()))
        if (shown[i] == '\\') shown[i] = kPathSeparator;
    return shown;
}

}  // namespace cataloom::cli
