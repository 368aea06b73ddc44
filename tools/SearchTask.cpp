#include "tools/SearchTask.h"

#include <cstring>
#include <utility>

#include "core/IndexedSearch.h"
#include "core/NameMatcher.h"
#include "core/NamesIndex.h"
#include "core/PathUtil.h"

namespace cataloom {

SearchMailbox::~SearchMailbox() {
    for (ItemId* row : rows_) platform::TaskFree(row);
}

void SearchMailbox::Attach(HWND window) {
    std::lock_guard<std::mutex> guard(lock_);
    window_ = window;
    posted_ = false;
}

void SearchMailbox::AddRows(std::vector<ItemId*>& rows) {
    std::lock_guard<std::mutex> guard(lock_);
    rows_.insert(rows_.end(), rows.begin(), rows.end());
    rows.clear();
    Post();
}

void SearchMailbox::SetProgress(const char* path, const char* inner) {
    std::lock_guard<std::mutex> guard(lock_);
    path_.assign(path);
    inner_.assign(inner);
    progress_ = true;
    Post();
}

void SearchMailbox::Finished() {
    std::lock_guard<std::mutex> guard(lock_);
    if (window_ != nullptr) PostMessageA(window_, kFinishedMessage, 0, 0);
}

void SearchMailbox::Post() {
    // One message per batch, and at most one batch per interval: the window
    // takes everything that waits, and the end takes the rest.
    if (window_ == nullptr || posted_) return;
    const ULONGLONG now = GetTickCount64();
    if (now - lastPost_ < kBatchIntervalMs) return;
    posted_ = PostMessageA(window_, kRowsMessage, 0, 0) != FALSE;
    if (posted_) lastPost_ = now;
}

void SearchMailbox::TakeRows(std::vector<ItemId*>& rows) {
    std::vector<ItemId*> taken;
    {
        std::lock_guard<std::mutex> guard(lock_);
        taken.swap(rows_);
        posted_ = false;
    }
    rows.insert(rows.end(), taken.begin(), taken.end());
}

bool SearchMailbox::TakeProgress(std::string& path, std::string& inner) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!progress_) return false;
    path = path_;
    inner = inner_;
    progress_ = false;
    return true;
}

SearchTask::SearchTask(SearchRequest request, SearchMailbox& mailbox)
    : request_(std::move(request)), mailbox_(mailbox) {}

SearchTask::~SearchTask() {
    StopAndWait();
    for (ItemId* row : pending_) platform::TaskFree(row);
}

std::uint32_t SearchTask::Run() {
    if (!request_.start.empty()) {
        // A walk that starts in a catalogue lists entries below the start's
        // own identifiers (categories, catalogue, directories).
        catalogList_.Reset(ids_.Copy(request_.startIds.Get()));
        NameMatcher matcher(request_.pattern.c_str(), request_.matchCase);
        const std::string indexFile =
            request_.dataRoot.empty() ? std::string() : NamesIndex::FileFor(request_.dataRoot);
        if (indexFile.empty()) {
            CatalogSearch search(matcher, reader_, *this, [this] { return Stopping(); }, request_.filter);
            search.Walk(request_.start.c_str(), request_.inner.c_str());
        } else {
            // The first search builds the index (the progress shows each
            // catalogue read); a stopped one keeps the parts it built.
            NamesIndex index(request_.dataRoot, indexFile);
            index.Load();
            IndexedSearch search(index, matcher, request_.filter, *this, [this] { return Stopping(); });
            search.Walk(request_.start.c_str(), request_.inner.c_str());
            index.Save(!search.WasStopped() && request_.start == request_.dataRoot);
        }
    }
    directories_.clear();
    mailbox_.AddRows(pending_);
    mailbox_.Finished();
    return 0;
}

bool SearchTask::Stopping() {
    // Under Wine every look at the event is a trip to the server, as long as
    // walking hundreds of entries on a busy machine: the walk looks at it
    // once per interval (the clock is cheap), however slowly it goes.
    const ULONGLONG now = GetTickCount64();
    if (now - lastStopCheck_ < kStopCheckIntervalMs) return false;
    lastStopCheck_ = now;
    return StopRequested();
}

void SearchTask::Progress(const char* path, const char* inner) {
    // The window shows a few texts a second; the walk enters thousands of
    // directories in that time.
    const ULONGLONG now = GetTickCount64();
    if (now - lastProgress_ < kProgressIntervalMs) return;
    lastProgress_ = now;
    mailbox_.SetProgress(path, inner);
    if (!pending_.empty()) mailbox_.AddRows(pending_);
}

void SearchTask::Found(const SearchHit& hit) {
    ItemId* list = nullptr;
    switch (hit.kind) {
    case SearchHit::Kind::kCategory:
        list = FolderList(hit.path, nullptr);
        break;
    case SearchHit::Kind::kCatalog:
        list = FolderList(hit.path, hit.header);
        break;
    case SearchHit::Kind::kEntry: {
        const std::size_t length = std::strlen(hit.inner);
        const std::size_t name = std::strlen(EntryRecord::Name(hit.entry));
        if (length <= name) return;
        LeaveDirectories(length - name - 1);
        const ItemId* directory = DirectoryList();
        TaskMemory<ItemId> entry(ids_.MakeEntry(hit.entry));
        if (directory == nullptr || entry == nullptr) return;
        list = ids_.Join(directory, entry.Get());
        break;
    }
    }
    // A name the identifiers cannot hold (or no memory) is left out.
    if (list == nullptr) return;
    pending_.push_back(list);
    if (pending_.size() >= kPendingRows) mailbox_.AddRows(pending_);
}

void SearchTask::PassingCatalog(const char* path, const CatalogHeader& header) {
    catalogList_.Reset(FolderList(path, &header));
    directories_.clear();
    directoryListCurrent_ = false;
}

void SearchTask::PassingDirectory(const char*, std::size_t length, const std::uint8_t* entry) {
    const std::size_t name = std::strlen(EntryRecord::Name(entry));
    if (length <= name) return;
    LeaveDirectories(length - name - 1);
    directories_.push_back({length, entry});
    directoryListCurrent_ = false;
}

void SearchTask::LeaveDirectories(std::size_t parentLength) {
    // The directories still listed are the entry's ancestors and the
    // directories walked before it; a directory whose path is longer than
    // the entry's parent's is not above it.
    while (!directories_.empty() && directories_.back().length > parentLength) {
        directories_.pop_back();
        directoryListCurrent_ = false;
    }
}

const ItemId* SearchTask::DirectoryList() {
    if (directoryListCurrent_) return directoryList_.Get();
    TaskMemory<ItemId> list(ids_.Copy(catalogList_.Get()));
    for (const Directory& directory : directories_) {
        TaskMemory<ItemId> record(ids_.MakeEntry(directory.entry));
        if (list == nullptr || record == nullptr) return nullptr;
        list.Reset(ids_.Join(list.Get(), record.Get()));
    }
    directoryList_ = std::move(list);
    directoryListCurrent_ = directoryList_ != nullptr;
    return directoryList_.Get();
}

ItemId* SearchTask::FolderList(const char* path, const CatalogHeader* header) const {
    const char* below = path::RelativeTo(request_.start.c_str(), path);
    if (below == nullptr) return nullptr;
    TaskMemory<ItemId> list(ids_.Copy(request_.startIds.Get()));
    while (*below != '\0') {
        const char* separator = text::FindChar(below, '\\');
        const std::size_t length = separator != nullptr ? static_cast<std::size_t>(separator - below) : std::strlen(below);
        char name[kMaxPath];
        if (length == 0 || length >= sizeof name) return nullptr;
        std::memcpy(name, below, length);
        name[length] = '\0';
        below = separator != nullptr ? separator + 1 : below + length;
        const bool last = *below == '\0';
        TaskMemory<ItemId> record(last && header != nullptr ? ids_.MakeMedia(name, *header) : ids_.MakeCategory(name));
        if (record == nullptr) return nullptr;
        // Join(null, b) copies b: the data folder's own list is empty.
        list.Reset(ids_.Join(list.Get(), record.Get()));
        if (list == nullptr) return nullptr;
    }
    return list.Release();
}

}  // namespace cataloom
