// One capture job on a worker thread: scans the source, writes the catalogue
// and computes the directory totals, reporting to a CaptureSink.
//
// The catalogue is written into a temporary file in the target's folder and
// moved over the target only when the job succeeds, so a stop or a failure
// leaves no partial file and any older catalogue of that name untouched.  A
// stop during the totals pass still counts as success.
#pragma once

#include "core/CaptureSink.h"
#include "core/CaptureTree.h"
#include "core/CatalogFile.h"
#include "core/WorkerThread.h"

#include <string>

namespace cataloom {

class CaptureTask final : public WorkerThread {
public:
    enum class Outcome { kNotRun, kSucceeded, kStopped, kCannotCreate, kWriteFailed };

    // `header` comes from VolumeCapture, with the catalogue name chosen.
    CaptureTask(const char* source, const char* target, const CatalogHeader& header, CaptureSink& sink);
    ~CaptureTask() override;

    // The catalogue's name as the user gave it (UTF-8), kept when the
    // header's stored name differs from it.  Set before the thread starts.
    void SetExactName(const std::string& utf8);

    // Valid once the thread has ended.
    Outcome Result() const { return outcome_; }
    // The header as written, with table size and counts.
    const CatalogHeader& Header() const { return header_; }
    // Entry records written (files and directories in all lists).
    std::size_t EntryCount() const { return entryCount_; }
    // Names that had to be changed and directories that could not be read,
    // as the scan found them.
    const CaptureReport& Report() const { return report_; }

protected:
    std::uint32_t Run() override;

private:
    Outcome Capture();
    bool MakeTemporaryPath();
    void Finish(Outcome outcome);

    std::string source_;
    std::string target_;
    std::string temporary_;
    CatalogHeader header_;
    std::string exactName_;
    CaptureSink& sink_;
    Outcome outcome_ = Outcome::kNotRun;
    std::size_t entryCount_ = 0;
    CaptureReport report_;
};

}  // namespace cataloom
