// Runs `cataloom find` over 1,000,000 names in 100 catalogues and `grep -ci`
// over the same names in a text file, in the same run (warm cache, median of
// 5), and reports the ratio.  Then the matcher alone: a plain pattern of 251
// characters that nearly meets 20,000 names of 255 bytes at every position,
// against a one-character pattern over the same names.
#include "bench/BenchSupport.h"
#include "core/CatalogWriter.h"
#include "core/NameMatcher.h"

#include <cstring>
#include <random>

namespace cataloom::bench {
namespace {

constexpr int kCatalogs = 100;
constexpr int kDirectories = 100;  // per catalogue, each with 99 files: 10,000 names
constexpr int kFiles = 99;

const char* const kWords[] = {"photo", "music", "report", "backup", "video", "draft", "scan", "notes",
                              "invoice", "track", "album", "memo", "design", "chart", "letter", "index"};

std::string RandomName(std::mt19937& random, int serial, const char* extension) {
    return std::string(kWords[random() % 16]) + "_" + kWords[random() % 16] + std::to_string(serial) + extension;
}

EntryData Entry(const std::string& name, bool directory) {
    EntryData e;
    e.name = name;
    e.attributes = directory ? 0x10 : 0x20;
    e.size = directory ? kUnknownTotal : name.size() * 1000;
    e.creationTime = e.writeTime = 0x01D9000000000000ULL;
    return e;
}

// One catalogue; appends every name it holds to `names`.
bool WriteCatalog(const std::string& path, int number, std::mt19937& random, std::string& names) {
    CatalogHeader header;
    std::memset(&header, 0, sizeof(header));
    std::memcpy(header.magic, "!vmf", 4);
    std::snprintf(header.name, sizeof(header.name), "DISC%03d", number);
    std::vector<EntryData> rootEntries;
    std::vector<std::vector<EntryData>> lists(kDirectories);
    int serial = 0;
    for (int d = 0; d < kDirectories; ++d) {
        rootEntries.push_back(Entry(RandomName(random, serial++, ""), true));
        for (int f = 0; f < kFiles; ++f) lists[static_cast<std::size_t>(d)].push_back(Entry(RandomName(random, serial++, ".dat"), false));
        SortEntries(lists[static_cast<std::size_t>(d)]);
    }
    // Sub-directories are recorded in name order; each keeps its own files.
    std::vector<std::size_t> order(kDirectories);
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return platform::CompareNoCase(rootEntries[a].name.c_str(), rootEntries[b].name.c_str()) < 0;
    });
    std::vector<DirectoryNode> table;
    table.push_back({header.name, 1, 0, 1});
    for (std::size_t i : order)
        table.push_back({rootEntries[i].name, static_cast<std::uint32_t>(table.size() + 1), 1, 2});
    std::vector<EntryData> sortedRoot = rootEntries;
    SortEntries(sortedRoot);

    CatalogWriter writer;
    if (!writer.Create(path.c_str()) || !writer.WriteHeaderAndTable(header, table) ||
        !writer.WriteEntryList(table[0], sortedRoot))
        return false;
    for (std::size_t k = 0; k < order.size(); ++k)
        if (!writer.WriteEntryList(table[k + 1], lists[order[k]])) return false;
    for (const EntryData& e : rootEntries) names += e.name + "\n";
    for (const auto& list : lists)
        for (const EntryData& e : list) names += e.name + "\n";
    return writer.WriteCounts(header, table) && writer.WriteTotals(table, nullptr, nullptr) && writer.Close();
}

}  // namespace
}  // namespace cataloom::bench

int main(int argc, char** argv) {
    using namespace cataloom::bench;
    if (argc != 2) {
        std::fprintf(stderr, "usage: find PATH-OF-cataloom\n");
        return 2;
    }
    std::string tool = argv[1];
    std::string data = DataFolder() + "/finddata";
    std::string names;
    std::mt19937 random(7);
    Shell("rm -rf '" + data + "' && mkdir -p '" + data + "/category'");
    for (int c = 0; c < kCatalogs; ++c) {
        std::string file = data + "/category/disc" + std::to_string(c) + ".vmf";
        if (!WriteCatalog(CorePath(file), c, random, names)) {
            std::fprintf(stderr, "cannot write %s\n", file.c_str());
            return 1;
        }
    }
    std::string list = DataFolder() + "/names.txt";
    if (FILE* out = std::fopen(list.c_str(), "wb")) {
        std::fwrite(names.data(), 1, names.size(), out);
        std::fclose(out);
    }
    const char* pattern = "memo_scan1";
    double find = MedianSeconds(5, [&] { Shell("'" + tool + "' find '" + data + "' " + pattern + " >/dev/null"); });
    double grep = MedianSeconds(5, [&] { Shell("LC_ALL=C grep -ci " + std::string(pattern) + " '" + list + "' >/dev/null"); });
    std::string count = DataFolder() + "/count.txt";
    Shell("'" + tool + "' find '" + data + "' " + pattern + " | wc -l > '" + count + "'");
    Shell("LC_ALL=C grep -ci " + std::string(pattern) + " '" + list + "' >> '" + count + "'");
    std::ifstream counts(count);
    long findHits = 0, grepHits = 0;
    counts >> findHits >> grepHits;
    std::printf("find   names %zu in %d catalogues: cataloom find %.1f ms (%ld hits), grep -ci %.1f ms (%ld hits), "
                "ratio %.2f (target <= 2)\n",
                static_cast<std::size_t>(std::count(names.begin(), names.end(), '\n')), kCatalogs, find * 1000,
                findHits, grep * 1000, grepHits, find / grep);

    std::vector<std::string> longNames(20000, std::string(255, 'a'));
    std::size_t hits = 0;
    auto scan = [&](const std::string& p) {
        cataloom::NameMatcher matcher(p.c_str(), false);
        return MedianSeconds(5, [&] {
            for (const std::string& n : longNames) hits += matcher.Matches(n.c_str()) ? 1 : 0;
        });
    };
    double longPattern = scan(std::string(250, 'a') + "b");
    double shortPattern = scan("b");
    std::printf("match  20000 names of 255 bytes: a plain pattern of 251 characters %.2f ms, of 1 character %.2f ms, "
                "ratio %.2f (linear: close to 1)\n",
                longPattern * 1000, shortPattern * 1000, longPattern / shortPattern);
    return findHits == grepHits && hits == 0 ? 0 : 1;
}
