#include "cli/Commands.h"
#include "cli/Terminal.h"
#include "core/PathUtil.h"
#include "platform/Console.h"

namespace cataloom::cli {

bool OpenCatalogArgument(const char* argument, std::string& path, CatalogHeader& header) {
    path = platform::console::ArgumentPath(argument);
    if (path.empty() || path.size() >= kMaxPath || !path::Exists(path.c_str()) || path::IsDirectory(path.c_str())) {
        Error("no such file: " + ShowPath(path));
        return false;
    }
    // Reading refuses anything but a regular file (a FIFO would block).
    if (!ReadCatalogHeader(path.c_str(), &header)) {
        Error("not a catalogue (no regular file with a \"!vmf\" header): " + ShowPath(path));
        return false;
    }
    header.name[sizeof(header.name) - 1] = '\0';
    header.fileSystem[sizeof(header.fileSystem) - 1] = '\0';
    return true;
}

}  // namespace cataloom::cli
