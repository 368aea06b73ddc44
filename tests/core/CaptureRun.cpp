#include "tests/core/CaptureRun.h"

#include "core/PathUtil.h"
#include "core/TaskMemory.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace cataloom::test {

void RecordingSink::SetPhase(const char* text) {
    phases.emplace_back(text);
    inStopPhase_ = !stopPhase_.empty() && stopPhase_ == text;
    if (inStopPhase_ && stopAtPhase_ && task_) task_->RequestStop();
}

void RecordingSink::SetDetail(const char* text) {
    details.emplace_back(text);
    if (inStopPhase_ && task_) task_->RequestStop();
}

void RecordingSink::Finished(bool success) {
    ++finishedCalls;
    finishedSuccess = success;
}

CatalogHeader CaptureHeader(const std::string& name) {
    CatalogHeader h;
    std::memset(&h, 0, sizeof(h));
    std::memcpy(h.magic, "!vmf", 4);
    h.serial = 0xCAFEF00D;
    h.driveType = platform::kDriveFixed;
    h.tableOffset = kHeaderSize;
    h.captureTime = 0x01DA000000000000ULL;
    std::strcpy(h.fileSystem, "TESTFS");
    text::CopyTruncated(h.name, sizeof(h.name), name.c_str());
    return h;
}

void RunCapture(const std::string& source, const std::string& target, const std::string& name, CaptureRun& run,
                const char* stopPhase, bool stopAtPhase) {
    if (stopPhase) run.sink.StopAt(stopPhase, stopAtPhase);
    CaptureTask task(source.c_str(), target.c_str(), CaptureHeader(name), run.sink);
    run.sink.Attach(&task);
    if (!task.Start()) {
        run.outcome = CaptureTask::Outcome::kNotRun;
        return;
    }
    task.Wait();
    run.outcome = task.Result();
    run.header = task.Header();
    run.report = task.Report();
    run.unknownTotals = task.UnknownTotals();
    run.staleRemoved = task.StaleRemoved();
    run.staleKept = task.StaleKept();
}

std::vector<std::string> EntryNames(CatalogReader& reader, const std::string& path) {
    std::uint8_t* block = nullptr;
    if (reader.ReadEntryList(path.c_str(), &block) != kOk) return {"<failed>"};
    TaskMemory<std::uint8_t> list(block);
    std::vector<std::string> names;
    for (const std::uint8_t* e = list.Get(); EntryRecord::Size(e) != 0; e += EntryRecord::Size(e))
        names.emplace_back(EntryRecord::Name(e));
    return names;
}

EntryView FindEntry(CatalogReader& reader, const std::string& directory, const std::string& name) {
    EntryView view;
    std::uint8_t* block = nullptr;
    if (reader.ReadEntryList(directory.c_str(), &block) != kOk) return view;
    TaskMemory<std::uint8_t> list(block);
    for (const std::uint8_t* e = list.Get(); EntryRecord::Size(e) != 0; e += EntryRecord::Size(e)) {
        if (name != EntryRecord::Name(e)) continue;
        view.found = true;
        view.attributes = EntryRecord::Attributes(e);
        view.hasFolders = EntryRecord::HasFolders(e);
        view.size = EntryRecord::FileSize(e);
    }
    return view;
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    platform::DirectorySearch search((folder + "\\*.*").c_str());
    platform::FindData found;
    while (search.Next(found))
        if (!path::IsDotEntry(found.name)) names.emplace_back(found.name);
    return names;
}

bool LongDirectories::Make(const std::string& path) {
#ifdef _WIN32
    bool made = CreateDirectoryW((L"\\\\?\\" + Wide(path)).c_str(), nullptr) != FALSE;
#else
    bool made = platform::MakeDirectory(path.c_str());
#endif
    if (made) made_.push_back(path);
    return made;
}

LongDirectories::~LongDirectories() {
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
#ifdef _WIN32
        RemoveDirectoryW((L"\\\\?\\" + Wide(*it)).c_str());
#else
        platform::DeleteDirectory(it->c_str());
#endif
    }
}

}  // namespace cataloom::test
