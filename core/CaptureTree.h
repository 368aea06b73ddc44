// The captured tree of one source: the directory records in breadth-first
// order and every directory's entry list.  Each directory is listed once:
// the listing yields both the sub-directories that become records and the
// entries of the directory's own list, so the file written is the same as
// when the tree is scanned first and every directory listed again while
// writing.  Entry records are kept serialised in large blocks (about 40
// bytes plus the name per entry) until they are written.
#pragma once

#include "core/CatalogWriter.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace cataloom {

// Gives the siblings of one listing that would share a stored name unique
// stored names (the rule in docs/FORMAT.md): `found` is the whole listing of
// a directory without "." and "..".  A name it changes is marked changed and
// keeps its name on disk as its exact name.
void MakeStoredNamesUnique(std::vector<platform::FindData>& found);

// What a scan could not record as it is on disk.  The counts are complete;
// the paths (code page 932, under the source path, with names as stored)
// are kept for the first kMaxPaths of each.
struct CaptureReport {
    static constexpr std::size_t kMaxPaths = 10000;

    // Names stored in another form than the disk gives them: each is kept
    // exactly in the catalogue's exact names.
    std::size_t changedNames = 0;
    std::vector<std::string> changedPaths;
    // Directories recorded without their contents: they could not be
    // listed, or their path would pass the path limit.
    std::size_t unreadDirectories = 0;
    std::vector<std::string> unreadPaths;
};

class CaptureTree {
public:
    using StopCheck = std::function<bool()>;
    using DetailSink = std::function<void(const char*)>;

    enum class WriteResult { kDone, kStopped, kFailed };

    // `source` is the captured path as given (at most kMaxPath - 1 bytes).
    explicit CaptureTree(const char* source);
    CaptureTree(const CaptureTree&) = delete;
    CaptureTree& operator=(const CaptureTree&) = delete;

    // Builds the directory records breadth first, the root named `rootName`,
    // and lists every directory.  `stop` is asked before each directory and
    // each entry; `detail` receives each directory's name.  False when stopped.
    //
    // Directories are listed by the names the system gave them (their native
    // paths), so a name stored in another form still has its contents
    // listed.  A hidden or system entry gets no place in its parent's list,
    // but a hidden or system directory still gets its record and its own
    // list.  A directory reparse point (junction, symbolic link) is recorded
    // and listed in its parent but never entered, so every capture ends.  A
    // directory whose path would not fit the path limit, or that cannot be
    // listed, has no sub-directories and an empty list.  Both are counted in
    // the report, with every stored name that had to be changed.
    bool ScanTree(const char* rootName, const StopCheck& stop, const DetailSink& detail);

    // Full path of directory `index` on the source, with the names as stored
    // (code page 932); it may be longer than kMaxPath.
    std::string DirectoryPath(std::size_t index) const;
    const CaptureReport& Report() const { return report_; }

    // Writes every directory's entry list in table order through `writer`,
    // which has written the header and the table already.
    WriteResult WriteEntryLists(CatalogWriter& writer, const StopCheck& stop, const DetailSink& detail);

    // Frees the entry records once they are written.
    void ReleaseEntries();

    std::vector<DirectoryNode>& Table() { return table_; }
    const std::vector<DirectoryNode>& Table() const { return table_; }
    std::size_t EntryCount() const { return order_.size(); }

private:
    static constexpr std::uint32_t kNoEntry = 0xFFFFFFFFu;

    struct Listing {
        std::uint32_t first = 0;        // first of this directory's slots in order_
        std::uint32_t count = 0;
        std::uint32_t entryInParent = kNoEntry;  // its record in the parent's list, if listed there
        bool enter = true;              // false for reparse points
    };

    struct Child {
        std::string name;
        std::string exact;
        std::string nativeName;
        bool nameChanged;
        std::uint32_t entry;
        bool enter;
    };

    // The name on disk of a directory whose stored name differs from it;
    // empty when the system gave none to reach it by.
    struct NativeName {
        std::uint32_t directory;  // index in the table
        std::string name;
    };

    // Indices from the root's first child down to directory `index`.
    std::vector<std::size_t> Chain(std::size_t index) const;
    // The path of directory `index` as the system's calls take it, through
    // the names on disk; empty when one of them cannot be reached.
    std::string NativeDirectoryPath(std::size_t index) const;
    // Lists directory `index`; false when stopped.
    bool ListDirectory(std::size_t index, const StopCheck& stop);
    static void Note(std::size_t& count, std::vector<std::string>& paths, std::string path);
    std::uint32_t AppendEntry(const platform::FindData& found);
    // The exact name of the entry `ref`, null when its stored name is exact.
    const std::string* ExactOf(std::uint32_t ref) const;
    std::uint8_t* Entry(std::uint32_t ref);

    char source_[platform::kMaxPath];

    std::vector<DirectoryNode> table_;
    std::vector<Listing> listings_;
    std::vector<std::uint32_t> order_;  // entry references, each directory's slice in stored order
    std::vector<std::unique_ptr<std::uint8_t[]>> blocks_;
    std::size_t blockUsed_ = 0;
    std::vector<Child> children_;  // scratch of one listing
    std::vector<platform::FindData> listing_;  // scratch of one listing
    // Entries whose stored name differs from the name on disk, by reference
    // (ascending, as entries are appended).
    std::vector<std::pair<std::uint32_t, std::string>> exactEntries_;
    // In table order.  Every other directory's name on disk is its stored
    // name in native form, so only these few are kept.
    std::vector<NativeName> nativeNames_;
    CaptureReport report_;
};

}  // namespace cataloom
