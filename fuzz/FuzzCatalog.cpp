// Feeds arbitrary bytes to the catalogue reader as a file: Open, directory
// lookups and entry lists must fail cleanly on anything damaged, and every
// list the reader returns must be safe to walk.
#include "core/CatalogReader.h"
#include "core/ItemIdFactory.h"

#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

std::string ScratchFile() {
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/cataloom-fuzz-" + std::to_string(getpid()) + ".vmf";
}

// Paths that reach the directories of the seed catalogues, and some that
// reach nothing.
const char* const kPaths[] = {
    "", "R", "R\\a", "R\\b", "R\\a\\c", "R\\a\\c\\d", "R\\b\\a", "R\\\x83\x5C", "R\\A", "R\\a\\", "R\\zz",
};

void WalkList(const std::uint8_t* list) {
    cataloom::ItemIdFactory factory;
    for (const std::uint8_t* e = list; cataloom::EntryRecord::Size(e) != 0; e += cataloom::EntryRecord::Size(e))
        factory.Free(factory.MakeEntry(e));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = ScratchFile();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    cataloom::CatalogReader reader;
    if (reader.Open(path.c_str()) != cataloom::kOk) return 0;
    for (const char* p : kPaths) {
        std::uint64_t offset = 0;
        std::uint32_t listSize = 0;
        reader.FindDirectory(p, &offset, &listSize);
        std::uint8_t* list = nullptr;
        if (reader.ReadEntryList(p, &list) == cataloom::kOk) {
            WalkList(list);
            cataloom::platform::TaskFree(list);
        }
    }
    return 0;
}
