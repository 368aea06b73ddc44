// The commands of the cataloom tool.  Each takes the arguments after its
// name and returns the process exit status: 0 for success, 1 for a failure
// or a damaged catalogue, 2 for bad arguments, 3 for a capture written
// without the contents of some directories.
#pragma once

#include "core/CatalogFile.h"
#include "core/CatalogReader.h"

#include <string>
#include <vector>

namespace cataloom::cli {

using Arguments = std::vector<const char*>;

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitIncomplete = 3;

int CaptureCommand(const Arguments& args);
int InfoCommand(const Arguments& args);
int LsCommand(const Arguments& args);
int FindCommand(const Arguments& args);
int CheckCommand(const Arguments& args);
int ExportCommand(const Arguments& args);
int DiffCommand(const Arguments& args);
int DupsCommand(const Arguments& args);

// Reads the header of the catalogue named by a command-line argument into
// `path` (code page 932) and `header`; reports on stderr and returns false
// when the file is missing or is not a catalogue.
bool OpenCatalogArgument(const char* argument, std::string& path, CatalogHeader& header);

// Walks the catalogue at `path` from its root `rootName` through `reader`
// without writing anything: false when a list cannot be read or a path does
// not fit the export's capacity (or Ctrl-C was pressed), so that no half of a
// damaged catalogue is ever written out.
bool IsSoundCatalog(CatalogReader& reader, const char* path, const char* rootName);

// Warns on stderr when the catalogue open in `reader` has damaged exact
// names: its stored names stand in for them.
void WarnIgnoredExactNames(const CatalogReader& reader, const std::string& path);

}  // namespace cataloom::cli
