// Shared by the benchmarks: timing, shell commands, memory high-water marks.
// Linux only: the benchmarks measure the native build.
#pragma once

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace cataloom::bench {

inline double Seconds(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Median of `runs` timings after one warm-up run.
inline double MedianSeconds(int runs, const std::function<void()>& work) {
    work();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) times.push_back(Seconds(work));
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Processor seconds (user and system) of the children waited for so far.
inline double ChildProcessorSeconds() {
    struct rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Medians of the wall time and of the children's processor time of `runs`
// runs after a warm-up run: on a shared machine the second says what the
// work itself costs.
struct Times {
    double wall;
    double processor;
};
inline Times MedianTimes(int runs, const std::function<void()>& work) {
    work();
    std::vector<double> walls, processors;
    for (int i = 0; i < runs; ++i) {
        const double before = ChildProcessorSeconds();
        walls.push_back(Seconds(work));
        processors.push_back(ChildProcessorSeconds() - before);
    }
    std::sort(walls.begin(), walls.end());
    std::sort(processors.begin(), processors.end());
    return {walls[walls.size() / 2], processors[processors.size() / 2]};
}

inline void Shell(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "command failed: %s\n", command.c_str());
        std::exit(1);
    }
}

// A field of /proc/self/status in bytes ("VmRSS", "VmHWM").
inline long long StatusBytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    std::string key = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.compare(0, key.size(), key) == 0) return std::atoll(line.c_str() + key.size()) * 1024;
    return -1;
}

// Lowers the resident-set high-water mark to the current resident set.
inline bool ResetPeakMemory() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    return static_cast<bool>(clear);
}

// The folder for generated data: $CATALOOM_BENCH_DIR or /tmp/cataloom-bench.
inline std::string DataFolder() {
    const char* dir = std::getenv("CATALOOM_BENCH_DIR");
    std::string folder = dir && *dir ? dir : "/tmp/cataloom-bench";
    Shell("mkdir -p '" + folder + "'");
    return folder;
}

// Linux paths as the catalogue core takes them.
inline std::string CorePath(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

}  // namespace cataloom::bench
