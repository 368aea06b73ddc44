// The catalogue file (.vmf): a 496-byte header, a table of directory records
// and one entry list per directory.  All integers are little-endian; records
// start at any byte, so they are read and written through the field helpers
// below rather than cast in place.
#pragma once

#include "platform/Platform.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace cataloom {

#pragma pack(push, 1)
struct CatalogHeader {
    char magic[4];                  // "!vmf"
    std::uint32_t version;          // always 0, never checked
    std::uint32_t serial;           // volume serial number
    std::uint32_t rootHasFolders;   // 1 if the source has a sub-directory
    std::uint32_t driveType;        // the system's drive type code
    std::uint32_t reserved1;
    std::uint32_t tableSize;        // directory table bytes, terminator included
    std::uint32_t tableOffset;      // always 496
    std::uint64_t totalBytes;       // capacity of the volume
    std::uint64_t freeBytes;        // free space at capture time
    std::uint64_t captureTime;      // FILETIME, UTC
    std::uint32_t directoryCount;   // directory records minus the root
    std::uint32_t fileCount;        // entry records minus the directory count
    char fileSystem[16];
    char name[256];                 // catalogue name; also the root record's name
    std::uint8_t reserved2[160];
};
#pragma pack(pop)
static_assert(sizeof(CatalogHeader) == 496, "catalogue header layout");
static_assert(offsetof(CatalogHeader, tableSize) == 24 && offsetof(CatalogHeader, totalBytes) == 32 &&
                  offsetof(CatalogHeader, directoryCount) == 56 && offsetof(CatalogHeader, fileSystem) == 64 &&
                  offsetof(CatalogHeader, name) == 80 && offsetof(CatalogHeader, reserved2) == 336,
              "catalogue header field offsets");

constexpr std::uint32_t kHeaderSize = sizeof(CatalogHeader);
constexpr std::size_t kDirectoryFixedSize = 24;  // a directory record before its name
constexpr std::size_t kEntryFixedSize = 36;      // an entry record before its name
constexpr std::size_t kTerminatorSize = 2;       // the zero size word ending a table or list
constexpr std::uint64_t kUnknownTotal = ~0ULL;   // directory size not computed yet
constexpr std::size_t kMaxNameLength = 259;      // longest file name
constexpr std::size_t kMaxCatalogNameLength = 255;
constexpr char kCatalogExtension[] = ".vmf";
constexpr std::size_t kCatalogExtensionLength = sizeof(kCatalogExtension) - 1;
constexpr char kTemporaryCatalogPrefix[] = "~vmf";

// Little-endian field access at any byte position.
inline std::uint16_t Load16(const void* p) {
    const auto* b = static_cast<const std::uint8_t*>(p);
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}
inline std::uint32_t Load32(const void* p) {
    const auto* b = static_cast<const std::uint8_t*>(p);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}
inline std::uint64_t Load64(const void* p) {
    return Load32(p) | (static_cast<std::uint64_t>(Load32(static_cast<const std::uint8_t*>(p) + 4)) << 32);
}
inline void Store16(void* p, std::uint16_t v) {
    auto* b = static_cast<std::uint8_t*>(p);
    b[0] = static_cast<std::uint8_t>(v);
    b[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void Store32(void* p, std::uint32_t v) {
    auto* b = static_cast<std::uint8_t*>(p);
    for (int i = 0; i < 4; ++i) b[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void Store64(void* p, std::uint64_t v) {
    Store32(p, static_cast<std::uint32_t>(v));
    Store32(static_cast<std::uint8_t*>(p) + 4, static_cast<std::uint32_t>(v >> 32));
}

// A directory record in the table: 24 fixed bytes, then the name.
struct DirectoryRecord {
    enum Offset : std::size_t {
        kSize = 0, kDepth = 2, kParentId = 8, kId = 12, kListOffset = 16, kListSize = 20, kName = 24
    };
    static std::uint16_t Size(const std::uint8_t* r) { return Load16(r + kSize); }
    static std::uint8_t Depth(const std::uint8_t* r) { return r[kDepth]; }
    static std::uint32_t ParentId(const std::uint8_t* r) { return Load32(r + kParentId); }
    static std::uint32_t Id(const std::uint8_t* r) { return Load32(r + kId); }
    static std::uint32_t ListOffset(const std::uint8_t* r) { return Load32(r + kListOffset); }
    static std::uint32_t ListSize(const std::uint8_t* r) { return Load32(r + kListSize); }
    static const char* Name(const std::uint8_t* r) { return reinterpret_cast<const char*>(r + kName); }
};

// An entry record in an entry list: 36 fixed bytes, then the name.
struct EntryRecord {
    enum Offset : std::size_t {
        kSize = 0, kAttributes = 4, kHasFolders = 8, kFileSize = 12, kCreationTime = 20,
        kWriteTime = 28, kName = 36
    };
    static std::uint16_t Size(const std::uint8_t* r) { return Load16(r + kSize); }
    static std::uint32_t Attributes(const std::uint8_t* r) { return Load32(r + kAttributes); }
    static std::uint32_t HasFolders(const std::uint8_t* r) { return Load32(r + kHasFolders); }
    static std::uint64_t FileSize(const std::uint8_t* r) { return Load64(r + kFileSize); }
    static std::uint64_t CreationTime(const std::uint8_t* r) { return Load64(r + kCreationTime); }
    static std::uint64_t WriteTime(const std::uint8_t* r) { return Load64(r + kWriteTime); }
    static const char* Name(const std::uint8_t* r) { return reinterpret_cast<const char*>(r + kName); }
    static bool IsDirectory(const std::uint8_t* r) { return (Attributes(r) & platform::kAttrDirectory) != 0; }
};

// Free operations on headers and file names.
bool ReadHeader(const char* path, CatalogHeader* header);
bool WriteHeader(const char* path, const CatalogHeader* header);
bool IsCatalogHeader(const CatalogHeader* header);
// ReadHeader, then IsCatalogHeader: true for a catalogue's header.
bool ReadCatalogHeader(const char* path, CatalogHeader* header);
// True when the name (or the path's last component) ends in ".vmf", compared
// without regard to case.
bool IsCatalogFileName(const char* name);
// Where a catalogue's replacement is written (see TemporaryFile): beside
// `target`, in its folder, so the final move stays on one volume, and named
// "~vmf" + 8 hex digits + ".tmp", so no reader takes it for a catalogue.
// Empty when the target's path is too long.
std::string TemporaryCatalogPrefix(const char* target);
// True for a name a catalogue's temporary file may have.
bool IsTemporaryCatalogName(const char* name);
// A catalogue's temporary file not written for a day is left over from a
// writer that was killed.
constexpr platform::FileTime kStaleAge = 24ull * 3600 * 10000000;
// The names of the stale temporary files in `folder` at time `now`.
std::vector<std::string> StaleTemporaryFiles(const char* folder, platform::FileTime now);
// Removes those no writer holds, counting them in `removed`; the names of
// those it could not remove.
std::vector<std::string> RemoveStaleTemporaryFiles(const char* folder, platform::FileTime now, std::size_t& removed);
// Puts `header` in place of the header of the catalogue at `path` by way of
// a copy that then replaces the file, so that a failure at any point leaves
// the old file whole.  The exact names after the lists are kept; with
// `exactName` (UTF-8) the catalogue's exact name becomes that name (kept
// only where it differs from the header's stored name).  False when the
// file is shorter than a header or cannot be read, copied or replaced.
bool ReplaceHeader(const char* path, const CatalogHeader* header, const char* exactName = nullptr);

// Where the entry lists of a directory table of `size` bytes end, counted
// from the start of the file: the furthest end any record gives, at least
// the table's own end.  Walks only the records that lie inside the table.
std::uint64_t ListsEnd(const std::uint8_t* table, std::uint32_t size);

// Validates one entry list (records, names, terminator) of `size` bytes.
// Every consumer may walk a list that passed this check.
bool IsWellFormedEntryList(const std::uint8_t* list, std::size_t size);

}  // namespace cataloom
