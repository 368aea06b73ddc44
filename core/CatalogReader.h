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
#include "core/Result.h"
#include "core/TaskMemory.h"

#include <cstdint>
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
    std::uint32_t ListSize(std::size_t record) const;
    HResult ReadRecordList(std::size_t record, platform::File& file, std::uint8_t** list) const;

    bool IsLoaded() const { return table_ != nullptr; }
    const char* CurrentPath() const { return path_; }
    // The header of the version loaded.
    const CatalogHeader& Header() const { return header_; }
    std::size_t DirectoryCount() const { return index_.size(); }
    // Bytes after the table: every entry list of a sound catalogue lies there,
    // none overlapping another.
    std::uint64_t ListAreaSize() const;
    // Bytes the reader keeps: the table and its two indexes.
    std::size_t MemoryFootprint() const;

private:
    HResult Load(const char* path, platform::File& file, const platform::FileStamp& stamp, CatalogHeader* header);
    bool BuildIndex();
    void BuildNameIndex();
    // Absolute file offset of a record's entry list.
    std::uint64_t ListStart(const std::uint8_t* record) const;

    char path_[platform::kMaxPath] = {};
    platform::FileStamp stamp_;
    CatalogHeader header_ = {};
    TaskMemory<std::uint8_t> table_;
    std::uint32_t tableSize_ = 0;
    std::uint64_t fileSize_ = 0;
    // Records in table order, the order record numbers follow.
    std::vector<const std::uint8_t*> index_;
    // Record numbers sorted by depth, parent id and name bytes, built once
    // per load: a child is found by bisection whatever order the writer
    // left a parent's records in (another system's collation, or a crafted
    // file), so no lookup walks a parent's whole run.
    std::vector<std::uint32_t> byName_;
};

}  // namespace cataloom
