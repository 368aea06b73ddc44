// Writes a catalogue file in the order the capture drives it: header and
// directory table, one entry list per directory, then the counts with the
// header and table again, then the directory totals.  The caller may stop
// between any two steps.  Every write is checked: a failed write, or an
// offset or size beyond the format's 32-bit limits, makes the writer fail
// instead of leaving a damaged file that looks whole.
#pragma once

#include "core/CatalogFile.h"
#include "core/ExactNames.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace cataloom {

// One directory of the captured tree, in directory table order.
struct DirectoryNode {
    std::string name;
    std::uint32_t id = 0;
    std::uint32_t parentId = 0;
    std::uint8_t depth = 0;
    std::uint32_t listOffset = 0;  // filled in by the writer
    std::uint32_t listSize = 0;    // filled in by the writer
    std::string exact;  // the name on disk when `name` differs from it, else empty
};

// One file or sub-directory of a directory's entry list.
struct EntryData {
    std::string name;
    std::uint32_t attributes = 0;
    std::uint32_t hasFolders = 0;
    std::uint64_t size = 0;  // kUnknownTotal for a directory until the totals pass
    platform::FileTime creationTime = 0;
    platform::FileTime writeTime = 0;
    std::string exact;  // the name on disk when `name` differs from it, else empty

    bool IsDirectory() const { return (attributes & platform::kAttrDirectory) != 0; }
};

// Sorts an entry list as catalogues store it: by name in the case-insensitive
// collation, a directory before a file whose name compares equal (stable).
void SortEntries(std::vector<EntryData>& entries);
// Serialises one entry record onto `out`; false if the name is too long.
bool AppendEntryRecord(std::vector<std::uint8_t>& out, const EntryData& entry);
// Serialises one directory record onto `out`; false if the name is too long.
bool AppendDirectoryRecord(std::vector<std::uint8_t>& out, const DirectoryNode& node);

class CatalogWriter {
public:
    CatalogWriter() = default;
    CatalogWriter(const CatalogWriter&) = delete;
    CatalogWriter& operator=(const CatalogWriter&) = delete;

    // Creates or truncates the target file.
    bool Create(const char* path);
    // Writes into a file the caller created (a TemporaryFile's).
    bool Create(platform::File&& file);
    // Sets the header's table offset and size, writes the header and the table
    // (entry list fields still 0).
    bool WriteHeaderAndTable(CatalogHeader& header, const std::vector<DirectoryNode>& table);
    // Writes the next directory's entry list (entries already sorted) and
    // records its offset and size in `node`.  Lists must come in table order.
    bool WriteEntryList(DirectoryNode& node, const std::vector<EntryData>& entries);
    // The same for records already serialised (AppendEntryRecord), given in
    // stored order; written in pieces, so a long list needs no second copy.
    // `exact` (null, or one per record) gives the records' exact names, null
    // where the stored name is exact.
    bool WriteEntryRecords(DirectoryNode& node, const std::uint8_t* const* records,
                           const std::string* const* exact, std::size_t count);
    // The catalogue's exact name, when the header's stored one differs.
    void SetExactCatalogName(std::string exact);
    // Puts the directory and file counts into the header and writes the header
    // and the table again.  The file count is the number of file entries: a
    // hidden directory has a record but no entry, so "entries minus
    // directories" would miscount (and wrap below zero).
    bool WriteCounts(CatalogHeader& header, const std::vector<DirectoryNode>& table);
    // Replaces each directory entry's unknown size by the total of its own
    // list, deepest directories first.  `stop` is asked before each directory
    // and each entry; `progress` receives each entry's name.  Returns false on
    // a write or read failure; a stop is not a failure.
    bool WriteTotals(const std::vector<DirectoryNode>& table, const std::function<bool()>& stop,
                     const std::function<void(const char*)>& progress);
    // Writes the exact names gathered from the table, the lists and the
    // catalogue name after the last list; nothing when there are none.  Call
    // once, after the last list.
    bool WriteExactNames();
    // Flushes and closes the file; false if anything failed on the way.
    bool Close();
    // Why a write failed (kNone when nothing failed or a limit of the format
    // was reached).
    platform::IoError Error() const { return error_; }
    // Directory entries whose total is still unknown: all of them until the
    // totals pass, fewer after it, some left after a stop or for a
    // directory without a record.
    std::uint64_t UnknownTotals() const { return unknownTotals_; }

private:
    bool WriteAt(std::uint64_t offset, const void* data, std::size_t size);
    // Writes buffer_ at the end of the list area; `final` ends the current list.
    bool FlushList(DirectoryNode& node, std::uint64_t listStart, bool final);
    void NoteExactEntry(std::uint64_t listPosition, const std::string& exact);
    std::uint64_t ListAreaStart() const { return kHeaderSize + static_cast<std::uint64_t>(tableSize_); }

    platform::File file_;
    bool failed_ = false;
    std::uint32_t tableSize_ = 0;
    std::uint64_t listAreaSize_ = 0;  // bytes of entry lists written so far
    std::uint64_t fileCount_ = 0;  // entries without the directory attribute
    std::uint64_t unknownTotals_ = 0;
    platform::IoError error_ = platform::IoError::kNone;
    std::vector<std::uint8_t> buffer_;
    std::vector<ExactName> exactNames_;  // entries' and directories'
    std::string exactCatalog_;
};

}  // namespace cataloom
