// The web page export at a million entries: writes a data folder of 100
// catalogues in 10 categories, 10,000 entries each (200 directories of 49
// files, names of cameras, music and documents, a fifth of them Japanese,
// random sizes and times), times `cataloom export --format html` (median of
// 3 after a warm-up) and reports the page's bytes per entry beside the
// baseline: the same entries as one plain listing ("path<TAB>size<TAB>time"
// a line).  Leaves page.html and listing.txt in the bench folder for
// bench/page/page-bench.js, which opens both in Chromium.
#include "bench/BenchSupport.h"
#include "core/CatalogWriter.h"
#include "core/DisplayText.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <random>

namespace cataloom::bench {
namespace {

constexpr int kCategories = 10;
constexpr int kCatalogs = 100;
constexpr int kTops = 20;       // directories in a catalogue's root
constexpr int kSubs = 10;       // in each of those
constexpr int kFiles = 49;      // in each of those
constexpr std::uint64_t kYear2005 = 127490976000000000ULL;
constexpr std::uint64_t kTwentyYears = 20ULL * 365 * 24 * 3600 * 10000000ULL;

const char* const kWords[] = {"holiday", "report", "budget", "invoice", "notes", "draft", "final", "scan",
                              "family", "garden", "concert", "summary", "letter", "plan", "backup", "photo"};
// Code page 932, as catalogues hold names: 写真, 旅行, 会議, 資料, 音楽, 日記.
const char* const kJapanese[] = {"\x8e\xca\x90\x5e", "\x97\xb7\x8d\x73", "\x89\xef\x8b\x63",
                                 "\x8e\x91\x97\xbf", "\x89\xb9\x8a\x79", "\x93\xfa\x8b\x4c"};

class Generator {
public:
    explicit Generator(std::string* listing) : listing_(listing) {}

    std::string FileName(int index) {
        char name[96];
        int n = static_cast<int>(random_() % 100000);
        switch (random_() % 5) {
        case 0: std::snprintf(name, sizeof(name), "IMG_%05d.JPG", n); break;
        case 1: std::snprintf(name, sizeof(name), "%02d %s %s.flac", index, Word(), Word()); break;
        case 2: std::snprintf(name, sizeof(name), "%s_%s_v%d.docx", Word(), Word(), n % 9); break;
        case 3: std::snprintf(name, sizeof(name), "%s_%04d.jpg", kJapanese[random_() % 6], n % 10000); break;
        default: std::snprintf(name, sizeof(name), "DSC%05d (%d).pdf", n, index); break;
        }
        return name;
    }

    EntryData File(const std::string& name) {
        EntryData e;
        e.name = name;
        e.attributes = 0x20;
        // From a kilobyte to about 50 MB, evenly on a log scale.
        e.size = static_cast<std::uint64_t>(std::exp(7 + (random_() % 1000) / 1000.0 * 10.8));
        e.creationTime = e.writeTime = kYear2005 + random_() % kTwentyYears / 10000000 * 10000000;
        return e;
    }

    bool WriteCatalog(const std::string& path, const std::string& name, const std::string& shown) {
        CatalogHeader header;
        std::memset(&header, 0, sizeof(header));
        std::memcpy(header.magic, "!vmf", 4);
        std::snprintf(header.name, sizeof(header.name), "%s", name.c_str());
        std::snprintf(header.fileSystem, sizeof(header.fileSystem), "NTFS");
        header.totalBytes = 1ULL << 40;
        header.freeBytes = 1ULL << 38;
        header.captureTime = kYear2005 + kTwentyYears;
        // Breadth first: the root, its directories, theirs; ids in that order.
        std::vector<DirectoryNode> table;
        table.push_back({header.name, 1, 0, 1});
        std::vector<std::vector<EntryData>> lists(1 + kTops + kTops * kSubs);
        for (int t = 0; t < kTops; ++t) {
            char top[16];
            std::snprintf(top, sizeof(top), "%d", 2005 + t);
            table.push_back({top, static_cast<std::uint32_t>(2 + t), 1, 2});
            lists[0].push_back(Directory(top));
            List(shown + "/" + top, lists[0].back());
        }
        for (int t = 0; t < kTops; ++t) {
            for (int s = 0; s < kSubs; ++s) {
                char sub[64];
                std::snprintf(sub, sizeof(sub), "%02d %s %s", s, s % 2 ? kJapanese[s % 6] : Word(), Word());
                auto id = static_cast<std::uint32_t>(2 + kTops + t * kSubs + s);
                table.push_back({sub, id, static_cast<std::uint32_t>(2 + t), 3});
                lists[1 + static_cast<std::size_t>(t)].push_back(Directory(sub));
                List(shown + "/" + table[1 + static_cast<std::size_t>(t)].name + "/" + sub,
                     lists[1 + static_cast<std::size_t>(t)].back());
                std::vector<EntryData>& files = lists[id - 1];
                for (int f = 0; f < kFiles; ++f) files.push_back(File(FileName(f)));
                SortEntries(files);
                // Equal names in one directory would be one file.
                files.erase(std::unique(files.begin(), files.end(),
                                        [](const EntryData& a, const EntryData& b) { return a.name == b.name; }),
                            files.end());
                for (const EntryData& e : files)
                    List(shown + "/" + table[1 + static_cast<std::size_t>(t)].name + "/" + sub + "/" + e.name, e);
            }
        }
        CatalogWriter writer;
        if (!writer.Create(CorePath(path).c_str()) || !writer.WriteHeaderAndTable(header, table)) return false;
        for (std::size_t i = 0; i < table.size(); ++i) {
            SortEntries(lists[i]);
            if (!writer.WriteEntryList(table[i], lists[i])) return false;
            entries_ += lists[i].size();
        }
        return writer.WriteCounts(header, table) && writer.WriteTotals(table, nullptr, nullptr) && writer.Close();
    }

    std::size_t Entries() const { return entries_; }

private:
    const char* Word() { return kWords[random_() % 16]; }
    static EntryData Directory(const std::string& name) {
        EntryData e;
        e.name = name;
        e.attributes = 0x10;
        e.size = kUnknownTotal;
        e.creationTime = e.writeTime = kYear2005;
        return e;
    }
    void List(const std::string& path, const EntryData& e) {
        char time[kIsoTimeSize];
        FormatIsoTime(e.writeTime, time);
        *listing_ += path + "\t" + (e.IsDirectory() ? "" : std::to_string(e.size)) + "\t" + time + "\n";
    }

    std::mt19937_64 random_{20240601};
    std::string* listing_;
    std::size_t entries_ = 0;
};

struct Timed {
    double seconds;
    double cpuSeconds;  // user + system: on a shared machine the wall time includes waiting for a core
};

// Runs a program to its end, median of 3 after a warm-up.
Timed Run(const std::vector<std::string>& argv) {
    std::vector<Timed> runs;
    for (int i = 0; i < 4; ++i) {
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        auto start = std::chrono::steady_clock::now();
        pid_t child = fork();
        if (child == 0) {
            execv(args[0], args.data());
            _exit(127);
        }
        int status = 0;
        struct rusage usage {};
        wait4(child, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "%s failed\n", argv[0].c_str());
            std::exit(1);
        }
        double cpu = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                     (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        if (i > 0)
            runs.push_back({std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), cpu});
    }
    std::sort(runs.begin(), runs.end(), [](const Timed& a, const Timed& b) { return a.seconds < b.seconds; });
    return runs[1];
}

long long FileBytes(const std::string& path) {
    struct stat s {};
    return stat(path.c_str(), &s) == 0 ? static_cast<long long>(s.st_size) : -1;
}

}  // namespace
}  // namespace cataloom::bench

int main(int argc, char** argv) {
    using namespace cataloom::bench;
    if (argc != 2) {
        std::fprintf(stderr, "usage: page PATH-OF-cataloom\n");
        return 2;
    }
    const std::string tool = argv[1];
    const std::string folder = DataFolder() + "/page";
    const std::string data = folder + "/data";
    Shell("rm -rf '" + folder + "' && mkdir -p '" + data + "'");
    std::string listing;
    Generator generator(&listing);
    for (int c = 0; c < kCatalogs; ++c) {
        char category[32], file[32], name[32];
        std::snprintf(category, sizeof(category), "shelf%02d", c % kCategories);
        std::snprintf(file, sizeof(file), "disc%03d.vmf", c);
        std::snprintf(name, sizeof(name), "Disc %03d", c);
        Shell("mkdir -p '" + data + "/" + category + "'");
        if (!generator.WriteCatalog(data + "/" + category + "/" + file, name,
                                    std::string(category) + "/" + name)) {
            std::fprintf(stderr, "cannot write the catalogues\n");
            return 1;
        }
    }
    // The listing in UTF-8, as the page shows the names.
    {
        std::ofstream out(folder + "/listing.cp932", std::ios::binary);
        out << listing;
    }
    Shell("iconv -f CP932 -t UTF-8 '" + folder + "/listing.cp932' > '" + folder + "/listing.txt' && rm '" + folder +
          "/listing.cp932'");
    const std::string page = folder + "/page.html";
    Timed exported = Run({tool, "export", data, "--format", "html", "-o", page});
    auto entries = static_cast<double>(generator.Entries());
    long long pageBytes = FileBytes(page), listingBytes = FileBytes(folder + "/listing.txt");
    std::printf("page export, %zu entries in %d catalogues\n", generator.Entries(), kCatalogs);
    std::printf("export     %.2f s, processor %.2f s (target < 2 s)\n", exported.seconds, exported.cpuSeconds);
    std::printf("page       %lld bytes, %.1f bytes per entry (target < 40)\n", pageBytes, pageBytes / entries);
    std::printf("listing    %lld bytes, %.1f bytes per entry (baseline: one plain listing)\n", listingBytes,
                listingBytes / entries);
    std::printf("files      %s/page.html %s/listing.txt\n", folder.c_str(), folder.c_str());
    return 0;
}
