// The names index of a data folder: for every catalogue in it, the entries
// that the catalogue walk (core/CatalogWalker.h) reports, in the walk's
// order, so that a search scans one compact block of names per catalogue
// instead of reading every catalogue.  It lives in one file in the user's
// cache folder, never in the data folder (which may be read-only or shared).
//
// Each catalogue's part is keyed by the catalogue's path below the data
// folder, its size and its write time; a search checks those and rebuilds
// only the parts of catalogues that changed or appeared (or proved damaged,
// which may pass), and drops those of catalogues that vanished.  The file is written whole into a temporary file
// that nobody else can have opened, then renamed over the index, so a crash
// or a second process building at the same time never leaves a torn file
// (the last complete one wins).  It is read as untrusted input: every count
// and offset is checked before use, and a part that proves unsound is built
// again from its catalogue.
//
// File layout (little-endian):
//   header   "CLMNAMES", u32 version, u32 part count, u64 file size,
//            u32 data root length, u32 zero
//   parts    one after another, each:
//     u32 path length, u32 flags (1: the catalogue is damaged; 2: the walk
//     gives some entry no path, its name holding a separator or its path
//     too long), u64 size, u64 write time, u64 time the part was built,
//     u32 entry count, u32 length of the longest catalogue path of an
//     entry, u64 name bytes, then the path below the data folder,
//     the records (32 bytes per entry: u32 parent entry, its top bit set
//     when the entry records sub-folders, u32 attributes, u64 size,
//     u64 creation time, u64 write time), one u64 name offset per 64
//     entries, and the names, each ended by a zero byte
//   the data root's path, ending the file.
#pragma once

#include "core/CatalogFile.h"
#include "platform/Platform.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace cataloom {

// One catalogue's part, read from the bytes that hold it.
class IndexPart {
public:
    static constexpr std::uint32_t kNoParent = 0x7FFFFFFF;
    static constexpr std::size_t kFixedSize = 48;
    static constexpr std::size_t kRecordSize = 32;
    static constexpr std::uint32_t kNamesPerCheckpoint = 64;

    // Takes the part at the start of `data`; false when its counts and
    // offsets do not fit in `available` bytes or contradict each other.
    bool Parse(const std::uint8_t* data, std::size_t available);

    std::size_t Bytes() const { return bytes_; }
    const std::uint8_t* Data() const { return data_; }
    std::string Path() const { return std::string(path_, pathLength_); }
    platform::FileStamp Stamp() const;
    platform::FileTime BuiltAt() const { return Load64(data_ + 24); }
    bool Damaged() const { return (Load32(data_ + 4) & 1) != 0; }
    // Some entry has no path, or the catalogue keeps exact names: only the
    // catalogue's own walk reports it as it is.
    bool WalkOnly() const { return (Load32(data_ + 4) & 2) != 0; }
    std::uint32_t LongestPath() const { return Load32(data_ + 36); }
    std::uint32_t Count() const { return count_; }
    const char* Names() const { return names_; }
    std::uint64_t NamesSize() const { return namesSize_; }

    // The name of entry `index`, or null when the part does not hold it.
    const char* Name(std::uint32_t index) const;
    // The entry whose name starts at `offset` in Names(); kNoParent when
    // none does or the names around it are not as many as the part says.
    std::uint32_t EntryAt(std::uint64_t offset) const;
    // The entry's parent, kNoParent for an entry of the catalogue's root;
    // a parent that does not come before the entry is unsound and also
    // reads as kNoParent with `sound` cleared.
    std::uint32_t Parent(std::uint32_t index, bool& sound) const;
    std::uint32_t Attributes(std::uint32_t index) const { return Load32(Record(index) + 4); }
    std::uint64_t FileSize(std::uint32_t index) const { return Load64(Record(index) + 8); }
    std::uint64_t WriteTime(std::uint32_t index) const { return Load64(Record(index) + 24); }
    // Entry `index` as the catalogue stores it (EntryRecord), name included.
    void MakeRecord(std::uint32_t index, const char* name, std::vector<std::uint8_t>& record) const;

private:
    const std::uint8_t* Record(std::uint32_t index) const { return records_ + std::size_t{index} * kRecordSize; }
    std::uint64_t Checkpoint(std::size_t block) const { return Load64(checkpoints_ + block * 8); }

    const std::uint8_t* data_ = nullptr;
    std::size_t bytes_ = 0;
    const char* path_ = nullptr;
    std::size_t pathLength_ = 0;
    std::uint32_t count_ = 0;
    const std::uint8_t* records_ = nullptr;
    const std::uint8_t* checkpoints_ = nullptr;
    std::size_t checkpointCount_ = 0;
    const char* names_ = nullptr;
    std::uint64_t namesSize_ = 0;
    // The last block of names found to hold exactly its share of names.
    mutable std::size_t soundBlock_ = ~std::size_t{0};
};

class NamesIndex {
public:
    struct Figures {
        std::size_t catalogs = 0;   // parts in the index after the last Save
        std::uint64_t entries = 0;
        std::uint64_t bytes = 0;    // the index file's size
        std::size_t reused = 0;     // parts taken as they were
        std::size_t built = 0;      // parts built from their catalogues
        std::size_t dropped = 0;    // parts of catalogues that vanished
    };

    // The index of the data folder `dataRoot` (without a trailing
    // backslash, spelled as the walk spells the paths it gives), kept in
    // `file`.  `identity` is the folder's absolute path, which the file
    // records; empty stands for `dataRoot` itself.
    NamesIndex(std::string dataRoot, std::string file, std::string identity = std::string());
    ~NamesIndex();
    NamesIndex(const NamesIndex&) = delete;
    NamesIndex& operator=(const NamesIndex&) = delete;

    // The index file of a data folder in the user's cache folder (created
    // when missing); empty when there is no cache folder.
    static std::string FileFor(const std::string& dataRoot);

    // Maps the index file; false, holding no part, when it is missing or
    // unsound (it is then built again part by part).
    bool Load();
    // The current part of the catalogue at `path` (inside the data folder):
    // the part held when its key still matches, otherwise one built now.
    // `rebuild` builds it even when the key matches (a held part proved
    // unsound).  Null when the catalogue cannot be examined.  The part
    // stays valid until the next call.
    const IndexPart* Current(const char* path, bool rebuild = false);
    // Writes the index if a part was built, or (after a walk of the whole
    // data folder, `whole`) if a held part was not asked for.  Parts not
    // asked for are kept unless `whole`.  False when writing failed.
    bool Save(bool whole);

    const Figures& Result() const { return figures_; }
    const std::string& DataRoot() const { return dataRoot_; }

private:
    struct Held {
        IndexPart part;
        bool asked = false;
    };
    class Output;
    class Builder;

    // The path of `path` below the data folder; empty when it is not inside.
    std::string Relative(const char* path) const;
    bool BuildPart(const char* path, const std::string& relative);
    // Appends the part built last to the file being written.
    void Flush();

    std::string dataRoot_;
    std::string file_;
    std::string identity_;
    platform::MappedFile mapped_;
    std::vector<Held> held_;
    std::unordered_map<std::string, std::size_t> byPath_;
    std::vector<std::uint8_t> building_;
    IndexPart built_;
    std::unique_ptr<Output> output_;
    std::unique_ptr<Builder> builder_;
    bool changed_ = false;
    bool writeFailed_ = false;
    Figures figures_;
};

}  // namespace cataloom
