// Runs `cataloom export`, `diff` and `dups` over generated catalogues, each
// beside a baseline over the same records as text in the same run (warm
// cache, median of 5 after a warm-up): awk turning a listing into CSV, diff
// of two listings, sort | uniq -d over names and sizes.  Reports the times,
// the ratios, the tool's processor time (on a shared machine the wall time
// includes waiting for a core) and its peak memory.  The data is generated
// in a child process: a child forked from a process that holds the data
// would inherit its resident size as its own peak.
#include "bench/BenchSupport.h"
#include "core/CatalogWriter.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <random>

namespace cataloom::bench {
namespace {

constexpr std::uint64_t kTime = 0x01D9000000000000ULL;

struct FileSpec {
    std::string name;
    std::uint64_t size;
    std::uint64_t writeTime;
};

// The files of directory `d`; an empty name leaves a file out.
using FileMaker = std::function<FileSpec(int d, int f)>;

// A catalogue whose root holds `dirs` directories "dir00000"... with
// `files` files each.  Appends "path\tsize\tmodified" per entry to `listing`
// and "name\tsize" per file to `names` (either may be null).
bool WriteCatalog(const std::string& path, const std::string& name, int dirs, int files, const FileMaker& make,
                  std::string* listing, std::string* names) {
    CatalogHeader header;
    std::memset(&header, 0, sizeof(header));
    std::memcpy(header.magic, "!vmf", 4);
    std::snprintf(header.name, sizeof(header.name), "%s", name.c_str());
    std::vector<DirectoryNode> table;
    table.push_back({header.name, 1, 0, 1});
    std::vector<EntryData> root;
    for (int d = 0; d < dirs; ++d) {
        char dirName[16];
        std::snprintf(dirName, sizeof(dirName), "dir%05d", d);
        table.push_back({dirName, static_cast<std::uint32_t>(d + 2), 1, 2});
        EntryData e;
        e.name = dirName;
        e.attributes = 0x10;
        e.size = kUnknownTotal;
        e.creationTime = e.writeTime = kTime;
        root.push_back(e);
    }
    CatalogWriter writer;
    if (!writer.Create(path.c_str()) || !writer.WriteHeaderAndTable(header, table) ||
        !writer.WriteEntryList(table[0], root))
        return false;
    std::vector<EntryData> list;
    for (int d = 0; d < dirs; ++d) {
        list.clear();
        for (int f = 0; f < files; ++f) {
            FileSpec spec = make(d, f);
            if (spec.name.empty()) continue;
            EntryData e;
            e.name = spec.name;
            e.attributes = 0x20;
            e.size = spec.size;
            e.creationTime = kTime;
            e.writeTime = spec.writeTime;
            list.push_back(std::move(e));
        }
        SortEntries(list);
        for (const EntryData& e : list) {
            if (listing) *listing += table[d + 1].name + "/" + e.name + "\t" + std::to_string(e.size) + "\t" +
                                     std::to_string(e.writeTime) + "\n";
            if (names) *names += e.name + "\t" + std::to_string(e.size) + "\n";
        }
        if (listing) *listing += table[d + 1].name + "\t\t" + std::to_string(kTime) + "\n";
        if (!writer.WriteEntryList(table[static_cast<std::size_t>(d) + 1], list)) return false;
    }
    return writer.WriteCounts(header, table) && writer.WriteTotals(table, nullptr, nullptr) && writer.Close();
}

void WriteText(const std::string& path, const std::string& text) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr || std::fwrite(text.data(), 1, text.size(), out) != text.size()) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
    std::fclose(out);
}

struct Measured {
    double seconds = 0;
    double cpuSeconds = 0;  // user + system
    long long peakBytes = 0;
    int status = 0;
};

// Runs a program with stdout into `out`; its time, peak resident memory and
// exit status.
Measured RunOnce(const std::vector<std::string>& argv, const std::string& out) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child == 0) {
        int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, 1);
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    wait4(child, &status, 0, &usage);
    Measured m;
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                   (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    m.peakBytes = static_cast<long long>(usage.ru_maxrss) * 1024;
    m.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return m;
}

// Median times of 5 runs after a warm-up, the largest peak memory, the status.
Measured Run(const std::vector<std::string>& argv, const std::string& out = "/dev/null") {
    RunOnce(argv, out);
    std::vector<Measured> runs;
    for (int i = 0; i < 5; ++i) runs.push_back(RunOnce(argv, out));
    Measured result = runs[0];
    std::vector<double> times, cpu;
    for (const Measured& m : runs) {
        times.push_back(m.seconds);
        cpu.push_back(m.cpuSeconds);
        result.peakBytes = std::max(result.peakBytes, m.peakBytes);
    }
    std::sort(times.begin(), times.end());
    std::sort(cpu.begin(), cpu.end());
    result.seconds = times[times.size() / 2];
    result.cpuSeconds = cpu[cpu.size() / 2];
    return result;
}

double Baseline(const std::string& command) { return MedianSeconds(5, [&] { Shell(command); }); }

std::string FileName(const char* word, long long id) { return std::string(word) + "_" + std::to_string(id) + ".dat"; }

void Report(const char* what, const Measured& tool, double baseline, const char* baselineName, const char* target) {
    std::printf("%-7s cataloom %.1f ms (processor %.1f ms, peak %.1f MB, exit %d), %s %.1f ms, ratio %.2f (target %s)\n",
                what, tool.seconds * 1000, tool.cpuSeconds * 1000, tool.peakBytes / 1e6, tool.status, baselineName,
                baseline * 1000, tool.seconds / baseline, target);
    std::fflush(stdout);
}

void Show(const std::string& command) {
    std::fflush(stdout);
    Shell(command);
}

// Writes the catalogues and the listings of the same records; 0 on success.
int Generate(const std::string& folder) {
    Shell("rm -rf '" + folder + "' && mkdir -p '" + folder + "/dups/category'");
    // Export and diff: 1,000 directories of 999 files, 1,000,000 entries; a
    // tenth of the names are Japanese, so the conversion to UTF-8 is paid.
    auto before = [](int d, int f) {
        long long id = static_cast<long long>(d) * 1000 + f;
        std::string name = f % 10 == 0 ? "写真" + std::to_string(id) + ".jpg" : FileName("photo", id);
        return FileSpec{name, static_cast<std::uint64_t>(id * 37 % 100000), 0x01D9000000000000ULL + id};
    };
    // The new capture: every 100th file grew, every 1,000th was removed, and
    // every directory has one new file: 10,000 + 1,000 + 1,000 changes.
    auto after = [&](int d, int f) {
        FileSpec spec = before(d, f);
        if (f == 998) return FileSpec{"new_" + std::to_string(d) + ".dat", 1, spec.writeTime};
        if (f % 1000 == 500) spec.name.clear();
        else if (f % 100 == 7) spec.size += 1;
        return spec;
    };
    std::string oldListing, newListing;
    std::string oldPath = folder + "/old.vmf", newPath = folder + "/new.vmf";
    if (!WriteCatalog(CorePath(oldPath), "OLD", 1000, 999, before, &oldListing, nullptr) ||
        !WriteCatalog(CorePath(newPath), "NEW", 1000, 999, after, &newListing, nullptr)) {
        std::fprintf(stderr, "cannot write the catalogues\n");
        return 1;
    }
    WriteText(folder + "/old.tsv", oldListing);
    WriteText(folder + "/new.tsv", newListing);

    // Dups: 100 catalogues of 100 directories of 999 files, 10,000,000
    // entries; nine files in ten are unique, the tenth is one of 200,000
    // files that recur across catalogues (same name, same size).
    std::mt19937_64 random(11);
    std::string names;
    long long serial = 0;
    for (int c = 0; c < 100; ++c) {
        auto files = [&](int, int) {
            long long id = random() % 10 == 0 ? static_cast<long long>(random() % 200000) : 1000000 + serial++;
            return FileSpec{FileName(id < 1000000 ? "copy" : "file", id), static_cast<std::uint64_t>(id % 7919 * 1000 + 1),
                            kTime};
        };
        std::string path = folder + "/dups/category/disc" + std::to_string(c) + ".vmf";
        if (!WriteCatalog(CorePath(path), "DISC" + std::to_string(c), 100, 999, files, nullptr, &names)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    WriteText(folder + "/names.txt", names);
    return 0;
}

}  // namespace
}  // namespace cataloom::bench

int main(int argc, char** argv) {
    using namespace cataloom::bench;
    if (argc != 2) {
        std::fprintf(stderr, "usage: tools PATH-OF-cataloom\n");
        return 2;
    }
    std::string tool = argv[1];
    std::string folder = DataFolder() + "/tools";
    std::string oldPath = folder + "/old.vmf", newPath = folder + "/new.vmf";
    pid_t generator = fork();
    if (generator == 0) _exit(Generate(folder));
    int generated = 1;
    waitpid(generator, &generated, 0);
    if (!WIFEXITED(generated) || WEXITSTATUS(generated) != 0) return 1;

    Measured exportCsv = Run({tool, "export", oldPath});
    Measured exportJson = Run({tool, "export", oldPath, "--format", "json"});
    Measured exportFile = Run({tool, "export", oldPath, "-o", folder + "/old.csv"});
    double awk = Baseline("LC_ALL=C awk -F'\\t' -v OFS=, '{print \"OLD\",\"old.vmf\",$1,\"file\",$2,$3,$3,32}' '" +
                          folder + "/old.tsv' > /dev/null");
    std::printf("export  1,000,000 entries\n");
    std::fflush(stdout);
    Report("csv", exportCsv, awk, "awk to CSV", "< 1 s");
    Report("json", exportJson, awk, "awk to CSV", "< 1 s");
    Report("csv -o", exportFile, awk, "awk to CSV", "< 1 s");

    Measured diff = Run({tool, "diff", oldPath, newPath}, folder + "/diff.txt");
    double diffText = Baseline("LC_ALL=C diff '" + folder + "/old.tsv' '" + folder + "/new.tsv' > /dev/null; true");
    Show("tail -1 '" + folder + "/diff.txt'");
    Report("diff", diff, diffText, "diff of listings", "< 1 s");

    Measured dups = Run({tool, "dups", folder + "/dups", "--json"}, folder + "/dups.json");
    double sortUniq = Baseline("LC_ALL=C sort -S 2G '" + folder + "/names.txt' | uniq -d | wc -l > '" + folder +
                               "/uniq.txt'");
    Show("grep -o '\"summary\":{[^}]*}' '" + folder + "/dups.json'; echo \"uniq -d groups: $(cat '" + folder +
          "/uniq.txt')\"");
    std::printf("dups    10,000,000 entries in 100 catalogues\n");
    Report("dups", dups, sortUniq, "sort | uniq -d", "< 5 s, < 1 GB");
    return 0;
}
