// The commands of the cataloom tool.  Each takes the arguments after its
// name and returns the process exit status: 0 for success, 1 for a failure
// or a damaged catalogue, 2 for bad arguments, 3 for a capture written
// without the contents of some directories, 4 for a capture stopped while
// it computed directory totals (written, some totals unknown).
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
constexpr int kExitTotalsUnknown = 4;

int CaptureCommand(const Arguments& args);
int InfoCommand(const Arguments& args);
int LsCommand(const Arguments& args);
int FindCommand(const Arguments& args);
int CheckCommand(const Arguments& args);
int ExportCommand(const Arguments& args);
int DiffCommand(const Arguments& args);
int DupsCommand(const Arguments& args);
int IndexCommand(const Arguments& args);

// Reads a data folder argument without a trailing backslash, as given
// (`dataRoot`, which the paths the tool shows start with) and in its
// absolute form (`identity`, which names its index); reports on stderr and
// returns false when it is not a folder.
bool DataFolderArgument(const char* argument, std::string& dataRoot, std::string& identity);

// Reads the header of the catalogue named by a command-line argument into
// `path` (code page 932) and `header`; reports on stderr and returns false
// when the file is missing or is not a catalogue.
bool OpenCatalogArgument(const char* argument, std::string& path, CatalogHeader& header);

// Opens the catalogue named by a command-line argument through `reader`,
// leaving `file` open on the version loaded, and walks it without writing
// anything.  Reports on stderr and returns false when the file is missing or
// is not a catalogue; `sound` tells whether every list read and every path
// fit the export's capacity (false after Ctrl-C too), so that no half of a
// damaged catalogue is ever written out.
bool OpenCatalogVersion(const char* argument, std::string& path, CatalogReader& reader, platform::File& file,
                        bool& sound);

// Warns on stderr when the catalogue open in `reader` has damaged exact
// names: its stored names stand in for them.
void WarnIgnoredExactNames(const CatalogReader& reader, const std::string& path);

}  // namespace cataloom::cli
