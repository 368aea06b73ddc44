// Opens a catalogue of 100,000 directories, then resolves 100,000 random
// directory paths and reads their entry lists.  Reports microseconds per
// lookup and the memory the reader keeps (the directory table and its
// indexes).  The same again for a crafted catalogue whose directories are
// stored in reverse name order within each parent: lookups must cost the same.
#include "bench/BenchSupport.h"
#include "core/CatalogReader.h"
#include "core/CatalogWriter.h"
#include "core/TaskMemory.h"

#include <algorithm>
#include <cstring>
#include <random>

namespace cataloom::bench {
namespace {

constexpr int kTop = 100;
constexpr int kSub = 1000;

std::string TopName(int a) { return "volume" + std::to_string(a); }
std::string SubName(int b) { return "directory" + std::to_string(b); }

EntryData Entry(const std::string& name, bool directory, std::uint64_t size) {
    EntryData e;
    e.name = name;
    e.attributes = directory ? 0x10 : 0x20;
    e.size = directory ? kUnknownTotal : size;
    e.creationTime = e.writeTime = 0x01D9000000000000ULL;
    return e;
}

std::vector<std::string> SortedNames(int count, std::string (*name)(int)) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back(name(i));
    std::sort(names.begin(), names.end(), [](const std::string& x, const std::string& y) {
        return platform::CompareNoCase(x.c_str(), y.c_str()) < 0;
    });
    return names;
}

// root -> 100 directories -> 1,000 directories each, with three files in
// each; `reversed` stores each parent's directories in reverse order.
bool WriteCatalog(const std::string& path, bool reversed) {
    CatalogHeader header;
    std::memset(&header, 0, sizeof(header));
    std::memcpy(header.magic, "!vmf", 4);
    std::strcpy(header.name, "BENCH");
    std::vector<std::string> tops = SortedNames(kTop, TopName);
    std::vector<std::string> subs = SortedNames(kSub, SubName);
    if (reversed) {
        std::reverse(tops.begin(), tops.end());
        std::reverse(subs.begin(), subs.end());
    }
    std::vector<DirectoryNode> table;
    auto add = [&](const std::string& name, std::uint32_t parent, std::uint8_t depth) {
        table.push_back({name, static_cast<std::uint32_t>(table.size() + 1), parent, depth});
    };
    add("BENCH", 0, 1);
    for (const std::string& top : tops) add(top, 1, 2);
    for (int a = 0; a < kTop; ++a)
        for (const std::string& sub : subs) add(sub, static_cast<std::uint32_t>(a + 2), 3);

    CatalogWriter writer;
    if (!writer.Create(path.c_str()) || !writer.WriteHeaderAndTable(header, table)) return false;
    for (DirectoryNode& node : table) {
        std::vector<EntryData> entries;
        if (node.depth == 1)
            for (const std::string& top : tops) entries.push_back(Entry(top, true, 0));
        else if (node.depth == 2)
            for (const std::string& sub : subs) entries.push_back(Entry(sub, true, 0));
        else
            for (int f = 0; f < 3; ++f) entries.push_back(Entry("file" + std::to_string(f) + ".txt", false, 100));
        if (!writer.WriteEntryList(node, entries)) return false;
    }
    return writer.WriteCounts(header, table) && writer.Close();
}

}  // namespace
}  // namespace cataloom::bench

int main() {
    using namespace cataloom;
    using namespace cataloom::bench;
    std::mt19937 random(42);
    std::vector<std::string> queries;
    for (int i = 0; i < 100000; ++i)
        queries.push_back("BENCH\\" + TopName(static_cast<int>(random() % kTop)) + "\\" +
                          SubName(static_cast<int>(random() % kSub)));
    std::size_t entries = 0;
    for (bool reversed : {false, true}) {
        std::string path = CorePath(DataFolder() + (reversed ? "/lookup-reversed.vmf" : "/lookup.vmf"));
        if (!WriteCatalog(path, reversed)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        CatalogReader reader;
        double open = Seconds([&] {
            if (reader.Open(path.c_str()) != kOk) std::exit(1);
        });
        double lookups = MedianSeconds(5, [&] {
            for (const std::string& q : queries) {
                std::uint8_t* list = nullptr;
                if (reader.ReadEntryList(q.c_str(), &list) != kOk) std::exit(1);
                TaskMemory<std::uint8_t> owned(list);
                for (const std::uint8_t* e = list; EntryRecord::Size(e) != 0; e += EntryRecord::Size(e)) ++entries;
            }
        });
        // The path resolution alone, without reading the list from the file.
        double resolve = MedianSeconds(5, [&] {
            std::uint64_t offset = 0;
            std::uint32_t size = 0;
            for (const std::string& q : queries)
                if (!reader.FindDirectory(q.c_str(), &offset, &size)) std::exit(1);
        });
        std::printf("lookup directories %zu%s: open %.1f ms, %.2f us per lookup with its entry list (target < 5), "
                    "%.2f us of it resolving the path; reader keeps %zu bytes (%.1f per directory)\n",
                    reader.DirectoryCount(), reversed ? " in reverse order" : "", open * 1000,
                    lookups * 1e6 / static_cast<double>(queries.size()),
                    resolve * 1e6 / static_cast<double>(queries.size()), reader.MemoryFootprint(),
                    static_cast<double>(reader.MemoryFootprint()) / static_cast<double>(reader.DirectoryCount()));
    }
    return entries > 0 ? 0 : 1;
}
