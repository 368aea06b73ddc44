#include "core/CaptureTask.h"

#include "core/CaptureTexts.h"
#include "core/CatalogWriter.h"
#include "core/PathUtil.h"

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
    if (outcome != Outcome::kSucceeded && !temporary_.empty()) platform::RemoveFile(temporary_.c_str());
    Finish(outcome);
    return 0;
}

bool CaptureTask::MakeTemporaryPath() {
    char path[kMaxPath];
    if (!MakeTemporaryCatalogPath(target_.c_str(), path)) return false;
    temporary_ = path;
    return true;
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
    CatalogWriter writer;
    if (target_.empty() || !MakeTemporaryPath() || !writer.Create(temporary_.c_str())) {
        sink_.SetDetail(capture_text::kCannotOpenFile);
        return Outcome::kCannotCreate;
    }

    sink_.SetPhase(capture_text::kWritingFile);
    if (!writer.WriteHeaderAndTable(header_, tree.Table())) return Outcome::kWriteFailed;
    CaptureTree::WriteResult lists = tree.WriteEntryLists(writer, stop, detail);
    if (lists == CaptureTree::WriteResult::kFailed) return Outcome::kWriteFailed;
    if (lists == CaptureTree::WriteResult::kStopped) return Outcome::kStopped;
    tree.ReleaseEntries();
    if (!writer.WriteCounts(header_, tree.Table())) return Outcome::kWriteFailed;
    writer.SetExactCatalogName(exactName_);
    if (!writer.WriteExactNames()) return Outcome::kWriteFailed;
    if (StopRequested()) return Outcome::kStopped;

    // A stop here only ends the totals early: the catalogue is complete.
    sink_.SetPhase(capture_text::kComputingSizes);
    if (!writer.WriteTotals(tree.Table(), stop, detail)) return Outcome::kWriteFailed;
    sink_.SetDetail("");
    if (!writer.Close()) return Outcome::kWriteFailed;
    // Replacing fails when the older catalogue is read-only or in use.
    if (!platform::MoveReplacing(temporary_.c_str(), target_.c_str())) {
        sink_.SetDetail(capture_text::kCannotOpenFile);
        return Outcome::kCannotCreate;
    }
    return Outcome::kSucceeded;
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
