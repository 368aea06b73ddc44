// Keeps one catalogue's directory table in memory and reads the entry list of
// one directory from disk when asked.  Everything read from the file is
// validated first: a damaged catalogue fails cleanly and is never walked.
//
// Another process may replace the file at any time.  The header, the table,
// the file's identity and every list a caller reads come from one open
// handle, so what is read belongs to one version of the file; a file
// replaced afterwards is the next open's business.
#pragma once

#include "core/CatalogFile.h"
#include "core/ExactNames.h"
#include "core/Result.h"
#include "core/TaskMemory.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace cataloom {

class CatalogReader {
public:
    CatalogReader() = default;
    CatalogReader(const CatalogReader&) = delete;
    CatalogReader& operator=(const CatalogReader&) = delete;

    // Makes the catalogue at `path` the current one.  The path already loaded
    // is read again only when the file's identity (size, last write time,
    // file id) changed.  kNotCatalog when the file cannot be opened or has no
    // catalogue's header; kFail when its table is damaged.
    HResult Open(const char* path);
    // The same, leaving `file` open on the version loaded, for lists read
    // through it (ReadRecordList); `header`, when given, receives a
    // catalogue's header even when its table proves damaged.
    HResult Open(const char* path, platform::File& file, CatalogHeader* header = nullptr);
    void Release();
    // Absolute file offset and size of a directory's entry list.  The first
    // path component stands for the root and is not compared.
    bool FindDirectory(const char* path, std::uint64_t* offset, std::uint32_t* size) const;
    // Reads and validates a directory's entry list; the caller frees `*list`
    // with the task allocator.  The file is opened again for it, and loaded
    // again first when it was replaced since it was loaded.
    HResult ReadEntryList(const char* path, std::uint8_t** list);

    // The same steps one at a time, for a walk that reads many lists: the
    // index of a directory's record (-1 if none), the index of the child
    // named `name` of the record at `parent` (-1 if none), a handle on the
    // current file, the declared size of a record's entry list (0 for no
    // record), and the validated entry list of one record read through the
    // handle the table was loaded from.
    long FindRecord(const char* path) const;
    long FindChild(std::size_t parent, const char* name) const;
    // The child of the record at `parent` whose exact name is `utf8`, else
    // the one whose stored name is the code page 932 form of `utf8`; -1 if
    // neither.  And a whole path of such names below the root, joined by
    // `separator` (the first component is not the root's).
    long FindChildExact(std::size_t parent, const std::string& utf8) const;
    long FindRecordExact(const std::string& below, char separator) const;
    std::uint32_t ListSize(std::size_t record) const;
    HResult ReadRecordList(std::size_t record, platform::File& file, std::uint8_t** list) const;

    // Exact names (UTF-8) from the file's extension, or the stored name
    // converted where it has none: of the directory record at `record` (the
    // root's is the catalogue's name, as the header gives it), and of the entry at `entry` inside the
    // entry list `list` that was read for `record`.
    std::string ExactDirectoryName(std::size_t record) const;
    std::string ExactEntryName(std::size_t record, const std::uint8_t* list, const std::uint8_t* entry) const;
    // The entry's exact name only where the extension keeps one (empty
    // otherwise); valid while the reader holds this catalogue.
    std::string_view ExactRecordName(std::size_t record, const std::uint8_t* list, const std::uint8_t* entry) const;
    // The catalogue's name as people see it (ShownName).
    std::string ShownCatalogName() const;
    // The extension as read: absent, sound or damaged (ignored, with its
    // problem for a warning).
    const ExactNames& Exact() const { return exact_; }

    bool IsLoaded() const { return table_ != nullptr; }
    const char* CurrentPath() const { return path_; }
    // The header of the version loaded.
    const CatalogHeader& Header() const { return header_; }
    std::size_t DirectoryCount() const { return index_.size(); }
    // Bytes after the table up to the exact names, if any: every entry list
    // of a sound catalogue lies there, none overlapping another.
    std::uint64_t ListAreaSize() const;
    // Bytes the reader keeps: the table and its two indexes.
    std::size_t MemoryFootprint() const;

private:
    HResult Load(const char* path, platform::File& file, const platform::FileStamp& stamp, CatalogHeader* header);
    bool BuildIndex();
    // Reads the exact names that follow the entry lists.
    void LoadExactNames(platform::File& file);
    // The header's catalogue name, which it need not terminate.
    std::string CatalogNameField() const {
        return std::string(header_.name, strnlen(header_.name, sizeof header_.name));
    }
    void BuildNameIndex();
    // Absolute file offset of a record's entry list.
    std::uint64_t ListStart(const std::uint8_t* record) const;

    char path_[platform::kMaxPath] = {};
    platform::FileStamp stamp_;
    CatalogHeader header_ = {};
    TaskMemory<std::uint8_t> table_;
    std::uint32_t tableSize_ = 0;
    std::uint64_t fileSize_ = 0;
    std::uint64_t listsLimit_ = 0;  // where the entry list area ends
    ExactNames exact_;
    // Records in table order, the order record numbers follow.
    std::vector<const std::uint8_t*> index_;
    // Record numbers sorted by depth, parent id and name bytes, built once
    // per load: a child is found by bisection whatever order the writer
    // left a parent's records in (another system's collation, or a crafted
    // file), so no lookup walks a parent's whole run.
    std::vector<std::uint32_t> byName_;
};

}  // namespace cataloom
