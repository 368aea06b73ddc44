// Feeds arbitrary bytes to the catalogue reader as a file: Open, directory
// lookups and entry lists must fail cleanly on anything damaged, every list
// the reader returns must be safe to walk, and the search walk over the file
// must end.  The same bytes, cut to their first size word, are an item
// identifier record whose readers must stay inside it; whole, they are a
// move block whose paths are then judged against a data folder.  The exact
// names at the file's end are read with it, parsed again from memory, looked
// up for every entry and directory, and checked.
#include "core/CatalogCheck.h"
#include "core/CatalogReader.h"
#include "core/CatalogSearch.h"
#include "core/ItemIdFactory.h"
#include "core/MovePayload.h"
#include "core/NameMatcher.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

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

void WalkList(const cataloom::CatalogReader& reader, long record, const std::uint8_t* list) {
    cataloom::ItemIdFactory factory;
    cataloom::NameMatcher matcher("*\x83\x5C?*", false);
    for (const std::uint8_t* e = list; cataloom::EntryRecord::Size(e) != 0; e += cataloom::EntryRecord::Size(e)) {
        factory.Free(factory.MakeEntry(e));
        matcher.Matches(cataloom::EntryRecord::Name(e));
        if (record >= 0) reader.ExactEntryName(static_cast<std::size_t>(record), list, e);
    }
}

void ReadExactNames(const std::uint8_t* data, std::size_t size) {
    cataloom::ExactNames exact;
    for (std::size_t listsEnd : {std::size_t{0}, size / 2}) {
        exact.Parse(data, size, listsEnd);
        for (std::size_t i = 0; i < exact.Count(); ++i) {
            cataloom::ExactName n = exact.At(i);
            if (exact.Find(n.kind, n.key) != n.name) __builtin_trap();
        }
    }
}

class CountingSink : public cataloom::SearchSink {
public:
    void Found(const cataloom::SearchHit&) override { ++found; }
    std::size_t found = 0;
};

void ReadAsItemId(const std::uint8_t* data, std::size_t size) {
    using Ids = cataloom::ItemIdFactory;
    if (size < 2 || cataloom::Load16(data) > size) return;
    // A block exactly as long as the record says, as the shell allocates it.
    std::vector<std::uint8_t> block(data, data + cataloom::Load16(data));
    block.resize(std::max<std::size_t>(block.size(), 2));
    const auto* id = reinterpret_cast<const cataloom::ItemId*>(block.data());
    std::size_t sum = std::strlen(Ids::Name(id)) + std::strlen(Ids::MediaName(id)) +
                      std::strlen(Ids::CategoryName(id)) + std::strlen(Ids::MediaFileName(id));
    sum += Ids::Kind(id) + Ids::MediaDriveType(id) + Ids::MediaHasFolders(id) + Ids::MediaSerial(id) +
           Ids::MediaTotal(id) + Ids::MediaFree(id) + Ids::MediaCaptureTime(id) + Ids::EntryFlags(id) +
           Ids::EntrySize(id) + Ids::EntryCreationTime(id) + Ids::EntryWriteTime(id);
    if (sum == 1) std::fputc(0, stderr);  // keeps the reads from being optimised away
}

void ReadAsMoveBlock(const std::uint8_t* data, std::size_t size) {
    cataloom::MovePayload payload;
    if (!payload.Parse(data, size)) return;
    for (const std::string& path : payload.Paths()) {
        cataloom::move_rules::IsInside("C:\\data", path.c_str());
        cataloom::move_rules::ChangesPlace(path.c_str(), "C:\\data\\\x83\x5C");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = ScratchFile();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    ReadAsItemId(data, size);
    ReadAsMoveBlock(data, size);
    ReadExactNames(data, size);
    cataloom::CatalogCheck check;
    check.Run(path.c_str());
    cataloom::CatalogReader reader;
    if (reader.Open(path.c_str()) != cataloom::kOk) return 0;
    for (std::size_t r = 0; r < reader.DirectoryCount(); ++r) reader.ExactDirectoryName(r);
    for (const char* p : kPaths) {
        std::uint64_t offset = 0;
        std::uint32_t listSize = 0;
        reader.FindDirectory(p, &offset, &listSize);
        std::uint8_t* list = nullptr;
        if (reader.ReadEntryList(p, &list) == cataloom::kOk) {
            WalkList(reader, reader.FindRecord(p), list);
            cataloom::platform::TaskFree(list);
        }
    }
    cataloom::NameMatcher everything("", false);
    CountingSink sink;
    cataloom::CatalogSearch search(everything, reader, sink, nullptr);
    search.Walk(path.c_str(), "");
    return 0;
}
