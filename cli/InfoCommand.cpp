#include "cli/Commands.h"
#include "cli/Terminal.h"
#include "core/DisplayText.h"
#include "core/ExactNames.h"

#include <cstdio>
#include <cstring>

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
    CatalogReader reader;
    bool read = Succeeded(reader.Open(path.c_str()));
    if (read) WarnIgnoredExactNames(reader, path);
    char stored[kMaxCatalogNameLength + 1] = {};
    std::memcpy(stored, h.name, kMaxCatalogNameLength);
    std::string name = ShowExact(read ? reader.ExactDirectoryName(0) : platform::StoredToUtf8(stored));
    PrintUtf8(std::string("Name:") + std::string(14 - 5, ' ') + name + "\n");
    field("Serial:", serial);
    field("Drive type:", std::string(DriveTypeText(h.driveType)) + " (" + std::to_string(h.driveType) + ")");
    field("File system:", h.fileSystem);
    field("Capacity:", bytes(h.totalBytes));
    field("Free space:", bytes(h.freeBytes));
    field("Used space:", bytes(h.totalBytes >= h.freeBytes ? h.totalBytes - h.freeBytes : 0));
    field("Captured:", FormatFullTime(h.captureTime));
    field("Directories:", std::to_string(h.directoryCount));
    field("Files:", std::to_string(h.fileCount));
    if (read && reader.Exact().State() == ExactNames::Status::kSound)
        field("Exact names:", std::to_string(reader.Exact().Count()) + " (" +
                                  std::to_string(reader.Exact().BlockSize() + kExactTrailerSize) + " bytes)");
    return kExitOk;
}

}  // namespace cataloom::cli
