#include "cli/Commands.h"
#include "cli/Terminal.h"
#include "core/DisplayText.h"
#include "core/ExactNames.h"
#include "core/StoredName.h"

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
    // Header texts need not be terminated.
    auto terminated = [](const char* text, std::size_t size) { return std::string(text, strnlen(text, size)); };
    auto shown = [&](const char* text, std::size_t size) { return VisibleName(terminated(text, size).c_str()); };
    CatalogReader reader;
    bool read = Succeeded(reader.Open(path.c_str()));
    if (read) WarnIgnoredExactNames(reader, path);
    std::string name = ShownName(read ? reader.Exact().Find(ExactKind::kCatalog, 0) : std::string_view(),
                                 terminated(h.name, sizeof h.name).c_str());
    PrintUtf8(std::string("Name:") + std::string(14 - 5, ' ') + name + "\n");
    field("Serial:", serial);
    field("Drive type:", std::string(DriveTypeText(h.driveType)) + " (" + std::to_string(h.driveType) + ")");
    field("File system:", shown(h.fileSystem, sizeof h.fileSystem));
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
