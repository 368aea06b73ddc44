// The data folder the namespace and view benchmarks share (Windows): 20
// categories of 50 catalogues each ("category00\disc0000.vmf", ...), and
// "big\big.vmf" whose directory "huge" holds 100,000 files and whose
// directory "mixed" holds 100,000 entries, every tenth a directory.
#pragma once

#include <string>

namespace cataloom::bench {

constexpr int kCategories = 20;
constexpr int kCataloguesPerCategory = 50;
constexpr int kBigDirectoryEntries = 100000;
// Inside the namespace.
constexpr char kBigDirectory[] = "big\\big.vmf\\huge";
constexpr char kMixedDirectory[] = "big\\big.vmf\\mixed";

// "category07" for 7.
std::string Category(int index);
// A data folder path of this process under the temporary folder:
// "%TEMP%\cataloom-<name>-<process id>".
std::string DataFolderPath(const char* name);
// Writes the data folder into `root`; exits the program on failure.
void BuildData(const std::string& root);
// Loads the Cataloom.dll beside the program and registers it; exits the
// program on failure.
void RegisterBuiltLibrary();
// Removes it again.
void RemoveData(const std::string& root);
// Stops the program with a message.
[[noreturn]] void Fail(const char* what);

}  // namespace cataloom::bench
