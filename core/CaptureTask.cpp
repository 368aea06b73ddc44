#include "core/CaptureTask.h"

#include "core/CaptureTexts.h"
#include "core/CatalogWriter.h"
#include "core/PathUtil.h"
#include "core/TemporaryFile.h"

#include <cstring>
#include <new>

namespace cataloom {

CaptureTask::CaptureTask(const char* source, const char* target, const CatalogHeader& header, CaptureSink& sink)
    : source_(source ? source : ""), target_(target ? target : ""), header_(header), sink_(sink) {}

CaptureTask::~CaptureTask() { StopAndWait(); }

void CaptureTask::SetExactName(const std::string& utf8) {
    char stored[kMaxCatalogNameLength + 1] = {};
    std::memcpy(stored, header_.name, kMaxCatalogNameLength);
    exactName_ = platform::StoredToUtf8(stored) == utf8 ? std::string() : utf8;
}

std::uint32_t CaptureTask::Run() {
    Outcome outcome = Outcome::kWriteFailed;
    try {
        outcome = Capture();
    } catch (const std::bad_alloc&) {
        // Out of memory ends the job like a failed write.
    }
    Finish(outcome);
    return 0;
}

CaptureTask::Outcome CaptureTask::Capture() {
    auto stop = [this] { return StopRequested(); };
    auto detail = [this](const char* name) { sink_.SetDetail(name); };
    if (StopRequested()) return Outcome::kStopped;

    sink_.SetPhase(capture_text::kBuildingIndex);
    CaptureTree tree(source_.c_str());
    bool scanned = tree.ScanTree(header_.name, stop, detail);
    report_ = tree.Report();
    if (!scanned) {
        sink_.SetDetail(capture_text::kIndexFailed);
        return Outcome::kStopped;
    }
    entryCount_ = tree.EntryCount();

    sink_.SetPhase(capture_text::kCreatingFile);
    // Removed again by its destructor unless published.
    TemporaryFile temporary;
    CatalogWriter writer;
    if (target_.empty()) return WriteFailed(Outcome::kCannotCreate, platform::IoError::kNone);
    // What killed writers left in this folder goes first; a file a writer
    // still holds stays.
    char folder[kMaxPath];
    if (text::CopyTruncated(folder, sizeof folder, target_.c_str()) == target_.size() &&
        path::RemoveLastComponent(folder))
        staleKept_ = RemoveStaleTemporaryFiles(folder, platform::CurrentTime(), staleRemoved_);
    if (!temporary.Create(TemporaryCatalogPrefix(target_.c_str())))
        return WriteFailed(Outcome::kCannotCreate, temporary.Error());
    writer.Create(std::move(temporary.File()));

    sink_.SetPhase(capture_text::kWritingFile);
    if (!writer.WriteHeaderAndTable(header_, tree.Table())) return WriteFailed(Outcome::kWriteFailed, writer.Error());
    CaptureTree::WriteResult lists = tree.WriteEntryLists(writer, stop, detail);
    if (lists == CaptureTree::WriteResult::kFailed) return WriteFailed(Outcome::kWriteFailed, writer.Error());
    if (lists == CaptureTree::WriteResult::kStopped) return Outcome::kStopped;
    tree.ReleaseEntries();
    if (!writer.WriteCounts(header_, tree.Table())) return WriteFailed(Outcome::kWriteFailed, writer.Error());
    writer.SetExactCatalogName(exactName_);
    if (!writer.WriteExactNames()) return WriteFailed(Outcome::kWriteFailed, writer.Error());
    if (StopRequested()) return Outcome::kStopped;

    // A stop here only ends the totals early: the catalogue is complete.
    sink_.SetPhase(capture_text::kComputingSizes);
    if (!writer.WriteTotals(tree.Table(), stop, detail)) return WriteFailed(Outcome::kWriteFailed, writer.Error());
    unknownTotals_ = StopRequested() ? writer.UnknownTotals() : 0;
    sink_.SetDetail("");
    if (!writer.Close()) return WriteFailed(Outcome::kWriteFailed, writer.Error());
    // Replacing fails when the older catalogue is read-only or in use.
    if (!temporary.Publish(target_.c_str())) return WriteFailed(Outcome::kCannotCreate, temporary.Error());
    return Outcome::kSucceeded;
}

CaptureTask::Outcome CaptureTask::WriteFailed(Outcome outcome, platform::IoError error) {
    writeError_ = error;
    sink_.SetDetail(WriteErrorText(error));
    return outcome;
}

const char* WriteErrorText(platform::IoError error) {
    switch (error) {
    case platform::IoError::kDiskFull: return capture_text::kDiskFull;
    case platform::IoError::kReadOnly: return capture_text::kReadOnly;
    case platform::IoError::kAccessDenied: return capture_text::kAccessDenied;
    case platform::IoError::kNameTooLong: return capture_text::kNameTooLong;
    default: return capture_text::kCannotOpenFile;
    }
}

void CaptureTask::Finish(Outcome outcome) {
    outcome_ = outcome;
    bool success = outcome == Outcome::kSucceeded;
    if (success) {
        sink_.SetPhase(capture_text::kCaptureComplete);
        sink_.SetDetail(capture_text::kPressF5);
    } else {
        sink_.SetPhase(capture_text::kCaptureFailed);
    }
    sink_.Finished(success);
}

}  // namespace cataloom
