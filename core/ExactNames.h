// The exact-names extension of a catalogue file: the names as the disk spells
// them (UTF-8, or the disk's own bytes where they are not UTF-8) of the
// entries, directories and catalogue name whose stored code page 932 name
// differs.  It follows the last entry list and ends the file with a trailer,
// so a reader of the documented layout never reaches it and a catalogue
// whose names all fit the code page has none (docs/FORMAT.md).
//
// Everything in it is untrusted: Parse checks the trailer, the checksum and
// every record before any name is handed out; a block that fails is ignored
// whole and the stored names stand.
#pragma once

#include "platform/Platform.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cataloom {

// What an exact name belongs to.  The key is 0 for the catalogue name, the
// directory record's id for a directory and, for an entry, the offset of its
// record from the start of the entry list area.
enum class ExactKind : std::uint8_t { kCatalog = 0, kDirectory = 1, kEntry = 2 };

struct ExactName {
    ExactKind kind;
    std::uint32_t key;
    std::string name;
};

constexpr char kExactSignature[4] = {'!', 'v', 'm', 'x'};
constexpr std::uint16_t kExactVersion = 1;
constexpr std::size_t kExactTrailerSize = 20;
constexpr std::size_t kExactRecordFixedSize = 8;
// 259 UTF-16 units take at most 777 bytes of UTF-8; a byte-exact name from
// a Linux disk at most 255.
constexpr std::size_t kMaxExactNameBytes = 1024;

// The block and its trailer for `names` (any order; keys must differ), or
// nothing when `names` is empty.  False when a name is empty, too long or
// holds a zero byte.
bool BuildExactBlock(std::vector<ExactName> names, std::vector<std::uint8_t>& out);

class ExactNames {
public:
    enum class Status { kAbsent, kSound, kDamaged };

    // Reads the trailer and the block from the end of `file` (`fileSize`
    // bytes), whose entry lists end at `listsEnd`.
    Status Load(platform::File& file, std::uint64_t fileSize, std::uint64_t listsEnd);
    // The same from a whole file in memory.
    Status Parse(const std::uint8_t* data, std::uint64_t fileSize, std::uint64_t listsEnd);
    void Clear();

    Status State() const { return status_; }
    // What made the block damaged, for a warning; empty otherwise.
    const std::string& Problem() const { return problem_; }
    // Where the block starts: the end of the entry list area for a sound
    // block, the file's size otherwise.
    std::uint64_t Start() const { return start_; }
    std::size_t Count() const { return records_.size(); }
    std::size_t BlockSize() const { return block_.size(); }
    // The exact name of one item; empty when the stored name is exact.
    std::string_view Find(ExactKind kind, std::uint32_t key) const;
    // Record `i` (below Count()), in key order.
    ExactName At(std::size_t i) const;

private:
    Status Fail(const std::string& problem);
    // Checks the trailer at the end of `fileSize` bytes; the block size it
    // gives, or false with the status set.
    bool CheckTrailer(const std::uint8_t* trailer, std::uint64_t fileSize, std::uint64_t listsEnd,
                      std::uint32_t& blockSize, std::uint32_t& count, std::uint32_t& crc);
    Status TakeBlock(std::vector<std::uint8_t> block, std::uint32_t count, std::uint32_t crc,
                     std::uint64_t fileSize);

    Status status_ = Status::kAbsent;
    std::string problem_;
    std::uint64_t start_ = 0;
    std::vector<std::uint8_t> block_;
    std::vector<std::uint32_t> records_;  // record offsets in the block, in key order
};

// An exact name as text to show, in the visible form of stored names
// (core/StoredName.h): valid UTF-8 as it is; every byte that is not, every
// control character and every backslash as "\xhh", so a backslash shown
// always starts an escape.
std::string ShowExact(std::string_view name);


// A name as people see it: its exact name shown as ShowExact shows it, or,
// without one, its stored name in its visible form (core/StoredName.h) in
// UTF-8.
std::string ShownName(std::string_view exact, const char* stored);

// The part of a catalogue path below its root (core/CatalogPath.h) with each
// stored name as ShownName shows it, joined by "/": for a catalogue without
// exact names, the same text the walk's ShownBelow gives.
std::string ShownStoredBelow(const char* inner);

// The exact name of a stored name: `exact` when there is one, else the
// stored code page 932 name converted to UTF-8.
std::string ExactOrStored(std::string_view exact, const char* stored);

}  // namespace cataloom
