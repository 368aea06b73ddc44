// Keeps one catalogue's directory table in memory and reads the entry list of
// one directory from disk when asked.  Everything read from the file is
// validated first: a damaged catalogue fails cleanly and is never walked.
#pragma once

#include "core/CatalogFile.h"
#include "core/ExactNames.h"
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
    // is read again only when the file's size or last write time changed.
    HResult Open(const char* path);
    void Release();
    // Absolute file offset and size of a directory's entry list.  The first
    // path component stands for the root and is not compared.
    bool FindDirectory(const char* path, std::uint64_t* offset, std::uint32_t* size) const;
    // Reads and validates a directory's entry list; the caller frees `*list`
    // with the task allocator.
    HResult ReadEntryList(const char* path, std::uint8_t** list) const;

    // The same steps one at a time, for a walk that reads many lists: the
    // index of a directory's record (-1 if none), the index of the child
    // named `name` of the record at `parent` (-1 if none), a handle on the
    // current file, the declared size of a record's entry list (0 for no
    // record), and the validated entry list of one record read through that
    // handle.
    long FindRecord(const char* path) const;
    long FindChild(std::size_t parent, const char* name) const;
    // The child of the record at `parent` whose exact name is `utf8`, else
    // the one whose stored name is the code page 932 form of `utf8`; -1 if
    // neither.  And a whole path of such names below the root, joined by
    // `separator` (the first component is not the root's).
    long FindChildExact(std::size_t parent, const std::string& utf8) const;
    long FindRecordExact(const std::string& below, char separator) const;
    bool OpenCurrent(platform::File& file) const;
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
    std::size_t DirectoryCount() const { return index_.size(); }
    // Bytes after the table up to the exact names, if any: every entry list
    // of a sound catalogue lies there, none overlapping another.
    std::uint64_t ListAreaSize() const;
    // Bytes the reader keeps: the table and its index.
    std::size_t MemoryFootprint() const;

private:
    HResult Load(const char* path);
    bool BuildIndex();
    // Reads the exact names that follow the entry lists.
    void LoadExactNames(platform::File& file);
    // Absolute file offset of a record's entry list.
    std::uint64_t ListStart(const std::uint8_t* record) const;

    char path_[platform::kMaxPath] = {};
    platform::FileStamp stamp_;
    TaskMemory<std::uint8_t> table_;
    std::uint32_t tableSize_ = 0;
    std::uint64_t fileSize_ = 0;
    std::uint64_t listsLimit_ = 0;  // where the entry list area ends
    char catalogName_[kMaxCatalogNameLength + 1] = {};  // the header's
    ExactNames exact_;
    std::vector<const std::uint8_t*> index_;
};

}  // namespace cataloom
