// The search worker: walks the data folder, a category, a catalogue or a
// directory inside one with its own catalogue reader, and hands every match
// to a SearchMailbox as an item identifier below the namespace root, built
// from the walk's own records (the worker never calls the namespace folder,
// an object of the window's thread).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "core/CatalogReader.h"
#include "core/CatalogSearch.h"
#include "core/ItemId.h"
#include "core/ItemIdFactory.h"
#include "core/TaskMemory.h"
#include "core/WorkerThread.h"

namespace cataloom {

// What the worker hands to the window's thread.  The worker only posts:
// rows wait in a guarded vector and the progress in a guarded slot, and one
// message per batch asks the window to take them; the end is a message too,
// after which the window's thread joins and frees the task.
class SearchMailbox {
public:
    static constexpr UINT kRowsMessage = WM_APP + 11;      // rows or progress wait
    static constexpr UINT kFinishedMessage = WM_APP + 12;  // the walk has ended

    SearchMailbox() = default;
    ~SearchMailbox();
    SearchMailbox(const SearchMailbox&) = delete;
    SearchMailbox& operator=(const SearchMailbox&) = delete;

    // The window that takes the posts; null (when it is destroyed) stops them.
    void Attach(HWND window);

    // Worker side.  AddRows takes the rows (and their ownership), leaving
    // `rows` empty.
    void AddRows(std::vector<ItemId*>& rows);
    void SetProgress(const char* path, const char* inner);
    void Finished();

    // Window side: moves the waiting rows (owned by the caller from then on)
    // to the end of `rows`, and the latest progress into the two strings;
    // false when no progress was reported since the last call.
    void TakeRows(std::vector<ItemId*>& rows);
    bool TakeProgress(std::string& path, std::string& inner);

private:
    void Post();

    // A list that grows row by row under a stream of messages spends its
    // time redrawing: rows are handed over in batches this far apart.
    static constexpr ULONGLONG kBatchIntervalMs = 50;

    std::mutex lock_;
    HWND window_ = nullptr;
    ULONGLONG lastPost_ = 0;
    std::vector<ItemId*> rows_;
    std::string path_;
    std::string inner_;
    bool progress_ = false;
    bool posted_ = false;
};

struct SearchRequest {
    std::string start;           // a folder, or a catalogue file; empty finds nothing
    std::string inner;           // for a catalogue: the directory inside it
    std::string pattern;
    bool matchCase = false;
    TaskMemory<ItemId> startIds; // the start's identifiers below the root (none for the data folder)
};

class SearchTask final : public WorkerThread, private SearchSink {
public:
    SearchTask(SearchRequest request, SearchMailbox& mailbox);
    ~SearchTask() override;

    // Entries the walk met but could not show: a path longer than a row's
    // identifiers may name, or a name holding a separator.  Read once the
    // worker has ended.
    std::size_t Unshown() const { return unshown_; }

private:
    std::uint32_t Run() override;
    // The walk's stop check.
    bool Stopping();

    // SearchSink
    void Progress(const char* path, const char* inner) override;
    void Found(const SearchHit& hit) override;
    void PassingCatalog(const char* path, const CatalogHeader& header) override;
    void PassingDirectory(const char* inner, std::size_t length, const std::uint8_t* entry) override;
    void Unreachable(const char*, const std::uint8_t*) override { ++unshown_; }

    // The categories of `path` below the start, and its catalogue when
    // `header` is given, after the start's own identifiers.
    ItemId* FolderList(const char* path, const CatalogHeader* header) const;
    // Drops the directories that do not hold an entry whose parent's
    // catalogue path is `parentLength` bytes long.
    void LeaveDirectories(std::size_t parentLength);
    // The identifiers of the current catalogue and directory chain.
    const ItemId* DirectoryList();

    struct Directory {
        std::size_t length;
        const std::uint8_t* entry;  // valid while its contents are walked
    };

    SearchRequest request_;
    SearchMailbox& mailbox_;
    CatalogReader reader_;  // the search's own, never the process-wide one
    ItemIdFactory ids_;
    TaskMemory<ItemId> catalogList_;    // start, categories and the catalogue being walked
    std::vector<Directory> directories_;
    TaskMemory<ItemId> directoryList_;  // catalogList_ and directories_, when current
    bool directoryListCurrent_ = false;
    static constexpr ULONGLONG kStopCheckIntervalMs = 20;
    ULONGLONG lastStopCheck_ = 0;
    static constexpr ULONGLONG kProgressIntervalMs = 50;
    // Rows found and not yet handed over: one lock per this many rows, or
    // per progress text.
    static constexpr std::size_t kPendingRows = 256;
    std::vector<ItemId*> pending_;
    ULONGLONG lastProgress_ = 0;
    std::size_t unshown_ = 0;
};

}  // namespace cataloom
