#include "cli/Commands.h"
#include "cli/Terminal.h"
#include "core/CatalogCheck.h"
#include "core/PathUtil.h"
#include "platform/Console.h"

#include <cstring>

namespace cataloom::cli {

int CheckCommand(const Arguments& args) {
    if (args.size() != 1) {
        Error("usage: cataloom check FILE.vmf");
        return kExitUsage;
    }
    std::string path = platform::console::ArgumentPath(args[0]);
    if (path.empty() || path.size() >= kMaxPath || !path::Exists(path.c_str()) || path::IsDirectory(path.c_str())) {
        Error("no such file: " + ShowPath(path));
        return kExitFailure;
    }
    CatalogCheck check;
    bool sound = check.Run(path.c_str());
    for (const std::string& problem : check.Problems()) Print("damaged: " + problem + "\n");
    for (const std::string& warning : check.Warnings()) Print("warning: " + warning + "\n");
    for (const std::string& note : check.Notes()) Print("note: " + note + "\n");
    // Leftovers of killed captures beside it; the next capture there removes them.
    char folder[kMaxPath];
    std::strcpy(folder, path.c_str());
    if (!path::RemoveLastComponent(folder)) std::strcpy(folder, ".");
    for (const std::string& name : StaleTemporaryFiles(folder, platform::CurrentTime()))
        Print("note: stale temporary file (older than a day) beside it: " + ShowPath(name) + "\n");
    if (!sound) {
        Print(ShowPath(path) + ": " + std::to_string(check.Problems().size()) + " problem(s)\n");
        return kExitFailure;
    }
    Print(ShowPath(path) + ": sound, " + std::to_string(check.DirectoryRecords() - 1) + " directories, " +
          std::to_string(check.FileEntries()) + " files\n");
    return kExitOk;
}

}  // namespace cataloom::cli
