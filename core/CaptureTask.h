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
#include <vector>

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
    // Directory totals left unknown because the job was stopped while it
    // computed them (the catalogue is written all the same).
    std::uint64_t UnknownTotals() const { return unknownTotals_; }
    // Stale temporary files of killed writers in the target's folder: how
    // many the job removed, and those it left because a writer holds them.
    std::size_t StaleRemoved() const { return staleRemoved_; }
    const std::vector<std::string>& StaleKept() const { return staleKept_; }
    // Why the catalogue could not be written (kCannotCreate, kWriteFailed),
    // where the system said so.
    platform::IoError WriteError() const { return writeError_; }

protected:
    std::uint32_t Run() override;

private:
    Outcome Capture();
    // Ends a job whose file could not be written: `error` names the cause.
    Outcome WriteFailed(Outcome outcome, platform::IoError error);
    void Finish(Outcome outcome);

    std::string source_;
    std::string target_;
    CatalogHeader header_;
    std::string exactName_;
    CaptureSink& sink_;
    Outcome outcome_ = Outcome::kNotRun;
    std::size_t entryCount_ = 0;
    CaptureReport report_;
    std::uint64_t unknownTotals_ = 0;
    std::size_t staleRemoved_ = 0;
    std::vector<std::string> staleKept_;
    platform::IoError writeError_ = platform::IoError::kNone;
};

// The progress window's detail text for a write error's cause; the generic
// "cannot open the file" text when the system gave none worth naming.
const char* WriteErrorText(platform::IoError error);

}  // namespace cataloom
