#include "cli/Terminal.h"

#include "core/StoredName.h"
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

std::string ShowPath(const std::string& path) { return VisiblePath(path.c_str(), kPathSeparator, true); }

std::string ShowCatalogPath(const std::string& path) { return VisiblePath(path.c_str(), kPathSeparator); }

}  // namespace cataloom::cli
