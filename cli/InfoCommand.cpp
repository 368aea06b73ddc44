#include "cli/Commands.h"
#include "cli/Terminal.h"
#include "core/DisplayText.h"
#include "core/StoredName.h"

#include <cstring>

#include <cstdio>

namespace cataloom::cli {

int InfoCommand(const Arguments& args) {
    if (args.size() != 1) {
        Error("usage: cataloom info FILE.vmf");
        return kExitUsage;
    }
    std::string path;
    CatalogHeader h;
    if (!OpenCatalogArgument(args[0], path, h)) return kExitFailure;
    char line[512];
    auto field = [&](const char* label, const std::string& value) {
        std::snprintf(line, sizeof(line), "%-14s%s\n", label, value.c_str());
        Print(line);
    };
    auto bytes = [](std::uint64_t n) { return std::to_string(n) + " bytes"; };
    char serial[16];
    std::snprintf(serial, sizeof(serial), "%08lX", static_cast<unsigned long>(h.serial));
    // Header texts need not be terminated.
    auto shown = [](const char* text, std::size_t size) { return VisibleName(std::string(text, strnlen(text, size)).c_str()); };
    field("Name:", shown(h.name, sizeof h.name));
    field("Serial:", serial);
    field("Drive type:", std::string(DriveTypeText(h.driveType)) + " (" + std::to_string(h.driveType) + ")");
    field("File system:", shown(h.fileSystem, sizeof h.fileSystem));
    field("Capacity:", bytes(h.totalBytes));
    field("Free space:", bytes(h.freeBytes));
    field("Used space:", bytes(h.totalBytes >= h.freeBytes ? h.totalBytes - h.freeBytes : 0));
    field("Captured:", FormatFullTime(h.captureTime));
    field("Directories:", std::to_string(h.directoryCount));
    field("Files:", std::to_string(h.fileCount));
    return kExitOk;
}

}  // namespace cataloom::cli
