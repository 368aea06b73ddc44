// Captures a tree of 100,000 files in 10,000 directories and a flat directory
// of 100,000 files, and times each capture job (scan, write, totals, flush
// and rename) against a find walk that reads the same metadata (warm cache,
// median of 5).  Also reports the job's peak memory per entry, and the time
// of VolumeCapture, which the caller runs before the job.
#include "bench/BenchSupport.h"
#include "core/CaptureTask.h"
#include "core/CatalogReader.h"
#include "core/VolumeCapture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace cataloom::bench {
namespace {

class NullSink : public CaptureSink {
public:
    void SetPhase(const char*) override {}
    void SetDetail(const char*) override {}
    void Finished(bool) override {}
};

long long FileBytes(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : 0;
}

void Touch(const std::string& path) {
    int fd = open(path.c_str(), O_CREAT | O_WRONLY, 0644);
    if (fd >= 0) close(fd);
}

// 100 top directories of 100 directories of 10 files each, every name
// ending in `suffix`.
void MakeTree(const std::string& root, const std::string& suffix = "") {
    if (access((root + "/.complete").c_str(), F_OK) == 0) return;
    Shell("rm -rf '" + root + "'");
    mkdir(root.c_str(), 0755);
    for (int a = 0; a < 100; ++a) {
        std::string top = root + "/group" + std::to_string(a) + suffix;
        mkdir(top.c_str(), 0755);
        for (int b = 0; b < 100; ++b) {
            std::string dir = top + "/folder" + std::to_string(b) + suffix;
            mkdir(dir.c_str(), 0755);
            for (int f = 0; f < 10; ++f) Touch(dir + "/file" + std::to_string(f) + suffix + ".dat");
        }
    }
    Touch(root + "/.complete");
}

void MakeFlat(const std::string& root) {
    if (access((root + "/.complete").c_str(), F_OK) == 0) return;
    Shell("rm -rf '" + root + "'");
    mkdir(root.c_str(), 0755);
    for (int f = 0; f < 100000; ++f) Touch(root + "/file" + std::to_string(f) + ".dat");
    Touch(root + "/.complete");
}

struct CaptureFigures {
    double seconds = 0;
    double volumeSeconds = 0;  // VolumeCapture, which the caller runs before the job
    std::size_t entries = 0;
    long long peakBytes = 0;
};

bool CaptureOnce(const std::string& source, const std::string& target, const CatalogHeader& header,
                 std::size_t& entries) {
    NullSink sink;
    CaptureTask task(CorePath(source).c_str(), CorePath(target).c_str(), header, sink);
    if (!task.Start()) return false;
    task.Wait();
    entries = task.EntryCount();
    return task.Result() == CaptureTask::Outcome::kSucceeded;
}

CaptureFigures MeasureCapture(const std::string& source, const std::string& target) {
    CaptureFigures figures;
    CatalogHeader header;
    figures.volumeSeconds = MedianSeconds(5, [&] {
        if (!VolumeCapture(CorePath(source).c_str(), &header)) std::exit(1);
    });
    long long before = StatusBytes("VmRSS");
    bool resetOk = ResetPeakMemory();
    if (!CaptureOnce(source, target, header, figures.entries)) {
        std::fprintf(stderr, "capture of %s failed\n", source.c_str());
        std::exit(1);
    }
    figures.peakBytes = resetOk ? StatusBytes("VmHWM") - before : -1;
    figures.seconds = MedianSeconds(5, [&] { CaptureOnce(source, target, header, figures.entries); });
    return figures;
}

void Report(const char* label, const std::string& source, const std::string& target) {
    CaptureFigures capture = MeasureCapture(source, target);
    double find = MedianSeconds(5, [&] { Shell("find '" + source + "' -printf '%s %T@ %C@\\n' >/dev/null"); });
    std::printf("%-6s entries %zu: capture %.1f ms, find %.1f ms, ratio %.2f (target <= 1.5); "
                "peak memory %.1f bytes/entry (target < 100); VolumeCapture before it %.1f ms\n",
                label, capture.entries, capture.seconds * 1000, find * 1000, capture.seconds / find,
                static_cast<double>(capture.peakBytes) / static_cast<double>(capture.entries),
                capture.volumeSeconds * 1000);
    CatalogReader reader;
    if (Succeeded(reader.Open(CorePath(target).c_str())) && reader.Exact().Count() != 0) {
        std::uint64_t extension = reader.Exact().BlockSize() + kExactTrailerSize;
        std::printf("%-6s exact names: %zu, %llu bytes of %llu (%.1f %%)\n", label, reader.Exact().Count(),
                    static_cast<unsigned long long>(extension), static_cast<unsigned long long>(FileBytes(target)),
                    100.0 * static_cast<double>(extension) / static_cast<double>(FileBytes(target)));
    }
}

// 10 directories of 10 files: the whole command, start to exit, where a
// fixed wait would show.
void ReportCommand(const std::string& tool, const std::string& folder) {
    std::string small = folder + "/small";
    if (access((small + "/.complete").c_str(), F_OK) != 0) {
        Shell("rm -rf '" + small + "'");
        mkdir(small.c_str(), 0755);
        for (int d = 0; d < 10; ++d) {
            std::string dir = small + "/folder" + std::to_string(d);
            mkdir(dir.c_str(), 0755);
            for (int f = 0; f < 10; ++f) Touch(dir + "/file" + std::to_string(f) + ".dat");
        }
        Touch(small + "/.complete");
    }
    double capture = MedianSeconds(5, [&] {
        Shell("'" + tool + "' capture '" + small + "' -o '" + folder + "/small.vmf' >/dev/null");
    });
    double find = MedianSeconds(5, [&] { Shell("find '" + small + "' -printf '%s %T@ %C@\\n' >/dev/null"); });
    std::printf("small  cataloom capture (whole command) %.1f ms, find %.1f ms, ratio %.2f\n", capture * 1000,
                find * 1000, capture / find);
}

}  // namespace
}  // namespace cataloom::bench

// With the path of the cataloom tool as argument, also times the command.
int main(int argc, char** argv) {
    using namespace cataloom::bench;
    std::string folder = DataFolder();
    MakeTree(folder + "/tree");
    MakeFlat(folder + "/flat");
    Report("tree", folder + "/tree", folder + "/tree.vmf");
    Report("flat", folder + "/flat", folder + "/flat.vmf");
    // The same tree with every name outside code page 932: every name is
    // kept in the exact names.
    MakeTree(folder + "/exact", u8"-café");
    Report("exact", folder + "/exact", folder + "/exact.vmf");
    if (argc > 1) ReportCommand(argv[1], folder);
    return 0;
}
