// Runs a CaptureTask on its worker thread for a test and records what it
// reported; can request a stop when a given phase text appears.
#pragma once

#include "core/CaptureSink.h"
#include "core/CaptureTask.h"
#include "core/CatalogReader.h"
#include "tests/support/TempTree.h"

#include <mutex>
#include <string>
#include <vector>

namespace cataloom::test {

class RecordingSink : public CaptureSink {
public:
    // Requests a stop of the task at the first detail shown after `phase`
    // (or at the phase itself when `atPhase` is set).
    void StopAt(const char* phase, bool atPhase = false) {
        stopPhase_ = phase;
        stopAtPhase_ = atPhase;
    }
    void Attach(CaptureTask* task) { task_ = task; }

    void SetPhase(const char* text) override;
    void SetDetail(const char* text) override;
    void Finished(bool success) override;

    std::vector<std::string> phases;
    std::vector<std::string> details;
    int finishedCalls = 0;
    bool finishedSuccess = false;

private:
    CaptureTask* task_ = nullptr;
    std::string stopPhase_;
    bool stopAtPhase_ = false;
    bool inStopPhase_ = false;
};

struct CaptureRun {
    CaptureTask::Outcome outcome;
    CatalogHeader header;
    CaptureReport report;
    std::uint64_t unknownTotals = 0;
    std::size_t staleRemoved = 0;
    std::vector<std::string> staleKept;
    RecordingSink sink;
};

// A header as VolumeCapture would fill it, with a fixed capture time.
CatalogHeader CaptureHeader(const std::string& name);
// Captures `source` into `target` on a worker thread and waits for it.
void RunCapture(const std::string& source, const std::string& target, const std::string& name, CaptureRun& run,
                const char* stopPhase = nullptr, bool stopAtPhase = false);

// Names in one directory's entry list; {"<failed>"} if it cannot be read.
std::vector<std::string> EntryNames(CatalogReader& reader, const std::string& path);
// The entry named `name` in the list of `directory`: its fields.
struct EntryView {
    bool found = false;
    std::uint32_t attributes = 0, hasFolders = 0;
    std::uint64_t size = 0;
};
EntryView FindEntry(CatalogReader& reader, const std::string& directory, const std::string& name);
// Every file in `folder` (names only).
std::vector<std::string> FolderNames(const std::string& folder);

// Directories made whatever the length of their paths (beyond the ANSI
// limit on Windows), removed again deepest first when the object goes: the
// temporary tree's own clean-up cannot reach them on Windows, and a leftover
// would break the next test process that gets the same process id.
class LongDirectories {
public:
    LongDirectories() = default;
    ~LongDirectories();
    LongDirectories(const LongDirectories&) = delete;
    LongDirectories& operator=(const LongDirectories&) = delete;

    bool Make(const std::string& path);

private:
    std::vector<std::string> made_;
};


}  // namespace cataloom::test
