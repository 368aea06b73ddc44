#include "cli/Commands.h"
#include "cli/Terminal.h"
#include "core/CatalogPath.h"
#include "core/CatalogReader.h"
#include "core/DisplayText.h"
#include "core/ExactNames.h"
#include "core/PathUtil.h"
#include "core/StoredName.h"
#include "core/TaskMemory.h"
#include "platform/Console.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace cataloom::cli {
namespace {

std::string AttributeLetters(std::uint32_t a) {
    std::string s = "------";
    if (a & platform::kAttrDirectory) s[0] = 'd';
    if (a & platform::kAttrReadOnly) s[1] = 'r';
    if (a & platform::kAttrHidden) s[2] = 'h';
    if (a & platform::kAttrSystem) s[3] = 's';
    if (a & platform::kAttrArchive) s[4] = 'a';
    if (a & platform::kAttrReparsePoint) s[5] = 'l';
    return s;
}

}  // namespace

int LsCommand(const Arguments& args) {
    std::vector<const char*> operands;
    bool longForm = false;
    for (const char* a : args) {
        if (std::strcmp(a, "-l") == 0) longForm = true;
        else operands.push_back(a);
    }
    if (operands.empty() || operands.size() > 2) {
        Error("usage: cataloom ls FILE.vmf [PATH] [-l]");
        return kExitUsage;
    }
    std::string path;
    CatalogHeader header;
    if (!OpenCatalogArgument(operands[0], path, header)) return kExitFailure;
    // The path is given in exact names (or stored ones where they are).
    std::string relative = operands.size() > 1 ? platform::console::ArgumentUtf8(operands[1]) : "";
    CatalogReader reader;
    platform::File file;
    if (!Succeeded(reader.Open(path.c_str(), file))) {
        Error("damaged catalogue (the directory table cannot be read): " + ShowPath(path));
        return kExitFailure;
    }
    WarnIgnoredExactNames(reader, path);
    long record = reader.FindRecordExact(relative, kPathSeparator);
    std::uint8_t* block = nullptr;
    if (record < 0) {
        Error("no directory \"" + ShowPath(platform::console::ArgumentPath(operands[1])) + "\" in " + ShowPath(path));
        return kExitFailure;
    }
    if (!Succeeded(reader.ReadRecordList(static_cast<std::size_t>(record), file, &block))) {
        Error("damaged entry list of \"" + ShowPath(platform::console::ArgumentPath(operands[1])) + "\" in " + ShowPath(path));
        return kExitFailure;
    }
    TaskMemory<std::uint8_t> list(block);
    for (const std::uint8_t* e = list.Get(); EntryRecord::Size(e) != 0; e += EntryRecord::Size(e)) {
        std::string name = ShownName(reader.ExactRecordName(static_cast<std::size_t>(record), list.Get(), e),
                                     EntryRecord::Name(e));
        if (EntryRecord::IsDirectory(e)) name += kPathSeparator;
        if (!longForm) {
            PrintUtf8(name + "\n");
            continue;
        }
        std::uint64_t bytes = EntryRecord::FileSize(e);
        char line[128];
        std::snprintf(line, sizeof(line), "%s %15s  %s  %s  ", AttributeLetters(EntryRecord::Attributes(e)).c_str(),
                      bytes == kUnknownTotal ? "?" : std::to_string(bytes).c_str(),
                      FormatListTime(EntryRecord::CreationTime(e)).c_str(),
                      FormatListTime(EntryRecord::WriteTime(e)).c_str());
        PrintUtf8(platform::console::ToUtf8(line) + name + "\n");
    }
    return kExitOk;
}

}  // namespace cataloom::cli
