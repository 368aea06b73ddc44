// Feeds arbitrary bytes to the names index as its file: loading, every
// search over it and the rebuilding of what proves unsound must stay inside
// the mapped bytes and end.  The data folder (one catalogue of a few levels)
// is written once per process at a fixed place, so that a corpus started
// from the sound index it writes beside it ("seed.idx") keeps reaching the
// parts.
#include "core/CatalogWriter.h"
#include "core/IndexedSearch.h"
#include "core/NamesIndex.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace cataloom;

const std::string kFolder = "/dev/shm/cataloom-fuzz-index";
const std::string kData = kFolder + "/data";

EntryData Entry(const char* name, bool directory) {
    EntryData e;
    e.name = name;
    e.attributes = directory ? platform::kAttrDirectory : platform::kAttrArchive;
    e.size = directory ? kUnknownTotal : std::strlen(name);
    e.writeTime = 0x01D0000000000001ULL;
    return e;
}

class Counter : public SearchSink {
public:
    void Found(const SearchHit& hit) override { found += std::strlen(hit.inner); }
    void PassingDirectory(const char* inner, std::size_t, const std::uint8_t*) override { found += *inner; }
    std::size_t found = 0;
};

void Search(const std::string& file, const char* pattern) {
    NamesIndex index(kData, file);
    index.Load();
    NameMatcher matcher(pattern, false);
    Counter counter;
    IndexedSearch(index, matcher, SearchFilter(), counter, nullptr).Walk(kData.c_str(), "");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    mkdir(kFolder.c_str(), 0777);
    mkdir(kData.c_str(), 0777);
    const std::string catalog = kData + "/disc.vmf";
    CatalogHeader header;
    std::memset(&header, 0, sizeof header);
    std::memcpy(header.magic, "!vmf", 4);
    std::strcpy(header.name, "R");
    std::vector<DirectoryNode> table = {{"R", 1, 0, 0}, {"a", 2, 1, 1}, {"b", 3, 2, 2}};
    std::vector<EntryData> root = {Entry("a", true), Entry("top.txt", false)};
    std::vector<EntryData> a = {Entry("b", true), Entry("mid.mp3", false)};
    std::vector<EntryData> b = {Entry("deep.mp3", false), Entry("\x83\x5C.txt", false)};
    CatalogWriter writer;
    if (!writer.Create(catalog.c_str()) || !writer.WriteHeaderAndTable(header, table) ||
        !writer.WriteEntryList(table[0], root) || !writer.WriteEntryList(table[1], a) ||
        !writer.WriteEntryList(table[2], b) || !writer.WriteCounts(header, table) ||
        !writer.WriteTotals(table, nullptr, nullptr) || !writer.Close())
        return 1;
    // Old enough for its part to be believed when the key matches.
    struct timespec times[2] = {{0, UTIME_OMIT}, {1546300800, 0}};  // 2019-01-01
    if (utimensat(AT_FDCWD, catalog.c_str(), times, 0) != 0) return 1;
    NamesIndex seed(kData, kFolder + "/seed.idx");
    Counter counter;
    NameMatcher all("", false);
    IndexedSearch(seed, all, SearchFilter(), counter, nullptr).Walk(kData.c_str(), "");
    return seed.Save(true) ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string file = kFolder + "/input-" + std::to_string(getpid()) + ".idx";
    for (const char* pattern : {"", "mp3", "*\x83\x5C*"}) {
        // Every search meets the bytes as given (the one before may have
        // replaced them with a rebuilt index).
        FILE* out = std::fopen(file.c_str(), "wb");
        if (out == nullptr) return 0;
        std::fwrite(data, 1, size, out);
        std::fclose(out);
        Search(file, pattern);
    }
    IndexPart part;
    for (std::size_t at : {std::size_t{0}, std::size_t{32}})
        if (size >= at && part.Parse(data + at, size - at))
            for (std::uint32_t i = 0; i < part.Count() && i < 64; ++i) part.EntryAt(i);
    return 0;
}
