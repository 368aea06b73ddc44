// cataloom: captures a directory tree into a catalogue and shows, searches and
// checks catalogues from the command line.
#include "cli/Commands.h"
#include "cli/Terminal.h"
#include "core/PathUtil.h"
#include "platform/Console.h"

#include <cstring>

namespace cataloom::cli {

namespace {

const char kUsage[] =
    "usage:\n"
    "  cataloom capture SOURCE [-o FILE.vmf] [--name NAME] [-v]\n"
    "  cataloom info FILE.vmf\n"
    "  cataloom ls FILE.vmf [PATH] [-l]\n"
    "  cataloom find DATAFOLDER PATTERN [--case] [--in LOCATION]\n"
    "  cataloom check FILE.vmf\n"
    "  cataloom export FILE.vmf|DATAFOLDER [--format csv|json|efu] [--raw-cells] [-o OUT|-]\n"
    "  cataloom diff OLD.vmf NEW.vmf [--json]\n"
    "  cataloom dups DATAFOLDER [--min-size N] [--by name+size|size] [--json]\n"
    "exit status: 0 done, 1 failed or damaged catalogue, 2 bad arguments,\n"
    "  3 catalogue written but some directories could not be read (capture -v lists them),\n"
    "  4 catalogue written but Ctrl-C stopped the directory totals (the warning says how many are unknown)\n";

}  // namespace
}  // namespace cataloom::cli

int main(int argc, char** argv) {
    using namespace cataloom::cli;
    std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    Arguments args(argv + 2, argv + argc);
    const char* command = argv[1];
    int status = kExitUsage;
    if (std::strcmp(command, "capture") == 0) status = CaptureCommand(args);
    else if (std::strcmp(command, "info") == 0) status = InfoCommand(args);
    else if (std::strcmp(command, "ls") == 0) status = LsCommand(args);
    else if (std::strcmp(command, "find") == 0) status = FindCommand(args);
    else if (std::strcmp(command, "check") == 0) status = CheckCommand(args);
    else if (std::strcmp(command, "export") == 0) status = ExportCommand(args);
    else if (std::strcmp(command, "diff") == 0) status = DiffCommand(args);
    else if (std::strcmp(command, "dups") == 0) status = DupsCommand(args);
    else if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0) {
        std::fputs(kUsage, stdout);
        status = kExitOk;
    } else {
        Error(std::string("unknown command \"") + command + "\"");
        std::fputs(kUsage, stderr);
    }
    std::fflush(stdout);
    return status;
}
