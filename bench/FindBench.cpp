// Runs `cataloom find` over 10,000 names per catalogue (100 catalogues, or
// as many as the second argument says) with and without the names index,
// `cataloom index` from scratch and after one catalogue changed, and
// `grep -c -F -i` over the same names in a text file, in the same run (warm
// cache, median of 5); reports the ratios, the index's size and the search's
// peak memory per entry.  Then the matcher alone: a plain pattern of 251
// characters that nearly meets 20,000 names of 255 bytes at every position,
// against a one-character pattern over the same names.
#include "bench/BenchSupport.h"
#include "core/CatalogWriter.h"
#include "core/NameMatcher.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <random>

namespace cataloom::bench {
namespace {

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

// Runs `command` and returns its peak resident set in bytes.
long long PeakBytes(const std::string& command) {
    pid_t child = fork();
    if (child == 0) {
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || status != 0) return -1;
    return static_cast<long long>(usage.ru_maxrss) * 1024;
}

// Sets a catalogue's write time to `seconds` since 1970: old enough for the
// index to trust its part.
void SetTime(const std::string& file, long seconds) {
    struct timespec times[2] = {{0, UTIME_OMIT}, {seconds, 0}};
    if (utimensat(AT_FDCWD, file.c_str(), times, 0) != 0) {
        std::fprintf(stderr, "cannot set the time of %s\n", file.c_str());
        std::exit(1);
    }
}

}  // namespace
}  // namespace cataloom::bench

int main(int argc, char** argv) {
    using namespace cataloom::bench;
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: find PATH-OF-cataloom [CATALOGUES (10,000 names each; default 100)]\n");
        return 2;
    }
    const int catalogs = argc == 3 ? std::atoi(argv[2]) : 100;
    if (catalogs <= 0) return 2;
    std::string tool = argv[1];
    std::string data = DataFolder() + "/finddata";
    // The index goes to a cache folder of the benchmark's own.
    const std::string cache = DataFolder() + "/cache";
    setenv("XDG_CACHE_HOME", cache.c_str(), 1);
    std::string names;
    std::mt19937 random(7);
    Shell("rm -rf '" + data + "' '" + cache + "' && mkdir -p '" + data + "/category'");
    for (int c = 0; c < catalogs; ++c) {
        std::string file = data + "/category/disc" + std::to_string(c) + ".vmf";
        if (!WriteCatalog(CorePath(file), c, random, names)) {
            std::fprintf(stderr, "cannot write %s\n", file.c_str());
            return 1;
        }
        SetTime(file, 1600000000);
    }
    std::string list = DataFolder() + "/names.txt";
    if (FILE* out = std::fopen(list.c_str(), "wb")) {
        std::fwrite(names.data(), 1, names.size(), out);
        std::fclose(out);
    }
    const std::size_t entries = static_cast<std::size_t>(std::count(names.begin(), names.end(), '\n'));
    const std::string pattern = "memo_scan1";
    const std::string find = "'" + tool + "' find '" + data + "' " + pattern;
    const std::string grepCommand = "LC_ALL=C grep -c -F -i " + pattern + " '" + list + "'";
    const std::string index = "'" + tool + "' index '" + data + "' >/dev/null";
    const std::string removeIndex = "rm -rf '" + cache + "'";

    const Times walk = MedianTimes(5, [&] { Shell(find + " --no-index >/dev/null"); });
    const Times build = MedianTimes(5, [&] { Shell(removeIndex + " && " + index); });
    // One catalogue changes before each refresh.
    long stamp = 1600000000;
    const std::string changed = data + "/category/disc0.vmf";
    const Times refresh = MedianTimes(5, [&] {
        SetTime(changed, ++stamp);
        Shell(index);
    });
    const Times warm = MedianTimes(5, [&] { Shell(find + " >/dev/null"); });
    const Times grep = MedianTimes(5, [&] { Shell(grepCommand + " >/dev/null"); });
    const long long peak = PeakBytes(find + " >/dev/null");
    std::string count = DataFolder() + "/count.txt";
    Shell(find + " | wc -l > '" + count + "'");
    Shell(find + " --no-index | wc -l >> '" + count + "'");
    Shell(grepCommand + " >> '" + count + "'");
    Shell("du -b \"$(ls -d '" + cache + "'/cataloom/names/*.idx)\" | cut -f1 >> '" + count + "'");
    std::ifstream counts(count);
    long indexHits = 0, walkHits = 0, grepHits = 0;
    long long indexBytes = 0;
    counts >> indexHits >> walkHits >> grepHits >> indexBytes;
    const double perEntry = static_cast<double>(entries);
    std::printf("find   names %zu in %d catalogues, pattern %s (%ld hits; walk %ld, grep %ld)\n", entries, catalogs,
                pattern.c_str(), indexHits, walkHits, grepHits);
    auto line = [](const char* what, const Times& times) {
        std::printf("%-44s %8.1f ms wall %8.1f ms processor\n", what, times.wall * 1000, times.processor * 1000);
    };
    line("find, warm index", warm);
    line("grep -c -F -i over the names", grep);
    line("find --no-index (the walk)", walk);
    line("index from scratch", build);
    line("index after one catalogue changed", refresh);
    std::printf("ratios: warm find / grep %.2f wall, %.2f processor (target <= 2; whole command < 150 ms);\n"
                "        index from scratch / walk %.2f wall, %.2f processor (target <= 1)\n",
                warm.wall / grep.wall, warm.processor / grep.processor, build.wall / walk.wall,
                build.processor / walk.processor);
    std::printf("index  size %lld bytes (%.1f per entry); find peak memory %lld bytes (%.1f per entry); target < 60\n",
                indexBytes, static_cast<double>(indexBytes) / perEntry, peak, static_cast<double>(peak) / perEntry);

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
    return indexHits == grepHits && walkHits == grepHits && hits == 0 ? 0 : 1;
}
