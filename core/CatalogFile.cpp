#include "core/CatalogFile.h"

#include "core/ExactNames.h"
#include "core/PathUtil.h"
#include "core/TemporaryFile.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace cataloom {

bool ReadHeader(const char* path, CatalogHeader* header) {
    if (path == nullptr || header == nullptr) return false;
    platform::File file;
    // Other readers may read it at the same time (a search, the shell, the
    // names index of another process); only writers are kept out.
    if (!file.Open(path, platform::File::kRead, platform::File::kShareRead, true)) return false;
    return file.Read(header, kHeaderSize) == kHeaderSize;
}

bool WriteHeader(const char* path, const CatalogHeader* header) {
    if (path == nullptr || header == nullptr) return false;
    platform::File file;
    // Opened without truncating, so the rest of the file stays as it is.
    if (!file.Open(path, platform::File::kReadWrite, platform::File::kShareNone, true) &&
        !file.Open(path, platform::File::kReadWrite, platform::File::kShareNone, false))
        return false;
    return file.Write(header, kHeaderSize) == kHeaderSize;
}

bool IsCatalogHeader(const CatalogHeader* header) {
    return header != nullptr && std::memcmp(header->magic, "!vmf", 4) == 0;
}

bool ReadCatalogHeader(const char* path, CatalogHeader* header) {
    return ReadHeader(path, header) && IsCatalogHeader(header);
}

bool IsCatalogFileName(const char* name) {
    if (name == nullptr) return false;
    // The name ends in ".vmf" whatever comes before it ("v1.2.vmf"); the
    // suffix must start on a character of its own, not inside a double-byte one.
    std::size_t length = std::strlen(name);
    if (length < kCatalogExtensionLength) return false;
    const char* suffix = name + length - kCatalogExtensionLength;
    const char* p = name;
    while (p < suffix) p = text::Next(p);
    return p == suffix && platform::CompareNoCase(suffix, kCatalogExtension) == 0;
}

std::string TemporaryCatalogPrefix(const char* target) {
    if (target == nullptr) return "";
    char folder[kMaxPath];
    if (text::CopyTruncated(folder, sizeof folder, target) != std::strlen(target)) return "";
    char prefix[kMaxPath];
    if (!path::RemoveLastComponent(folder)) folder[0] = '\0';
    if (!path::Combine(prefix, folder, kTemporaryCatalogPrefix)) return "";
    return prefix;
}

bool IsTemporaryCatalogName(const char* name) {
    // "~vmf" + 8 hex digits + ".tmp", the letters in either case.
    constexpr std::size_t kPrefix = sizeof(kTemporaryCatalogPrefix) - 1;
    if (name == nullptr || std::strlen(name) != kPrefix + 8 + 4) return false;
    if (platform::CompareNoCase(std::string(name, kPrefix).c_str(), kTemporaryCatalogPrefix) != 0 ||
        platform::CompareNoCase(name + kPrefix + 8, ".tmp") != 0)
        return false;
    for (std::size_t i = kPrefix; i < kPrefix + 8; ++i)
        if (std::isxdigit(static_cast<unsigned char>(name[i])) == 0) return false;
    return true;
}

std::vector<std::string> StaleTemporaryFiles(const char* folder, platform::FileTime now) {
    std::vector<std::string> stale;
    char pattern[kMaxPath];
    if (folder == nullptr || !path::Combine(pattern, folder, "~vmf*.tmp")) return stale;
    platform::DirectorySearch listing(pattern);
    for (platform::FindData found; listing.Next(found);) {
        if ((found.attributes & platform::kAttrDirectory) == 0 && IsTemporaryCatalogName(found.name) &&
            found.lastWriteTime + kStaleAge < now)
            stale.emplace_back(found.name);
    }
    return stale;
}

std::vector<std::string> RemoveStaleTemporaryFiles(const char* folder, platform::FileTime now, std::size_t& removed) {
    std::vector<std::string> kept;
    removed = 0;
    for (const std::string& name : StaleTemporaryFiles(folder, now)) {
        char file[kMaxPath];
        if (path::Combine(file, folder, name.c_str()) && platform::RemoveUnheldFile(file)) ++removed;
        else kept.push_back(name);
    }
    return kept;
}

namespace {

// What follows the header in a rewritten file: the source's bytes up to
// `copyEnd`, then `tail`.
struct Rewrite {
    std::uint64_t copyEnd;
    std::vector<std::uint8_t> tail;
};

// The rewrite that keeps a file's exact names, with the catalogue's own
// replaced by `exactName` when that is given.  A damaged block is kept as
// it is: nothing in it can be told apart.
Rewrite PlanRewrite(platform::File& in, std::uint64_t size, const CatalogHeader& header, const char* exactName) {
    Rewrite plan{size, {}};
    CatalogHeader old;
    if (exactName == nullptr || !in.Rewind() || in.Read(&old, kHeaderSize) != kHeaderSize ||
        static_cast<std::uint64_t>(old.tableOffset) + old.tableSize > size || old.tableOffset < kHeaderSize)
        return plan;
    std::vector<std::uint8_t> table(old.tableSize);
    if (in.ReadAt(old.tableOffset, table.data(), table.size()) != table.size()) return plan;
    ExactNames exact;
    if (exact.Load(in, size, ListsEnd(table.data(), old.tableSize)) == ExactNames::Status::kDamaged)
        return plan;
    std::vector<ExactName> names;
    for (std::size_t i = 0; i < exact.Count(); ++i)
        if (exact.At(i).kind != ExactKind::kCatalog) names.push_back(exact.At(i));
    char stored[kMaxCatalogNameLength + 1] = {};
    std::memcpy(stored, header.name, kMaxCatalogNameLength);
    if (*exactName != '\0' && platform::StoredToUtf8(stored) != exactName)
        names.push_back({ExactKind::kCatalog, 0, exactName});
    std::vector<std::uint8_t> tail;
    if (!BuildExactBlock(std::move(names), tail)) return plan;
    plan.copyEnd = exact.Start();
    plan.tail = std::move(tail);
    return plan;
}

// Writes `header`, then what `PlanRewrite` gives, to `out`; false when
// `source` is shorter than a header or any read or write falls short.
bool CopyWithHeader(const char* source, platform::File& out, const CatalogHeader* header, const char* exactName) {
    platform::File in;
    platform::FileStamp stamp;
    CatalogHeader old;
    // The size comes from the handle the bytes come from.
    if (!in.Open(source, platform::File::kRead, platform::File::kShareRead, true) || !in.Stamp(stamp) ||
        stamp.size < kHeaderSize || in.Read(&old, kHeaderSize) != kHeaderSize)
        return false;
    Rewrite plan = PlanRewrite(in, stamp.size, *header, exactName);
    if (!in.Seek(kHeaderSize, platform::File::kBegin) || out.Write(header, kHeaderSize) != kHeaderSize) return false;
    std::vector<std::uint8_t> buffer(64 * 1024);
    std::uint64_t copied = kHeaderSize;
    while (copied < plan.copyEnd) {
        // A failed read also gives 0: the count below tells it from the end.
        std::size_t read = in.Read(buffer.data(), static_cast<std::size_t>(
                                                      std::min<std::uint64_t>(buffer.size(), plan.copyEnd - copied)));
        if (read == 0) break;
        if (out.Write(buffer.data(), read) != read) return false;
        copied += read;
    }
    return copied == plan.copyEnd && out.Write(plan.tail.data(), plan.tail.size()) == plan.tail.size();
}

}  // namespace

bool ReplaceHeader(const char* path, const CatalogHeader* header, const char* exactName) {
    if (path == nullptr || header == nullptr) return false;
    TemporaryFile temporary;
    return temporary.Create(TemporaryCatalogPrefix(path)) &&
           CopyWithHeader(path, temporary.File(), header, exactName) && temporary.Publish(path);
}

std::uint64_t ListsEnd(const std::uint8_t* table, std::uint32_t size) {
    std::uint64_t end = kHeaderSize + static_cast<std::uint64_t>(size);
    std::uint64_t furthest = end;
    for (std::size_t pos = 0; table != nullptr && pos + kDirectoryFixedSize <= size;) {
        const std::uint8_t* r = table + pos;
        std::size_t recordSize = DirectoryRecord::Size(r);
        if (recordSize < kDirectoryFixedSize) break;
        furthest = std::max(furthest, end + DirectoryRecord::ListOffset(r) + DirectoryRecord::ListSize(r));
        pos += recordSize;
    }
    return furthest;
}

bool IsWellFormedEntryList(const std::uint8_t* list, std::size_t size) {
    if (list == nullptr || size < kTerminatorSize) return false;
    std::size_t pos = 0;
    while (pos + kTerminatorSize <= size) {
        std::size_t recordSize = EntryRecord::Size(list + pos);
        if (recordSize == 0) return pos + kTerminatorSize == size;
        if (recordSize < kEntryFixedSize + 1 || recordSize > size - pos) return false;
        // The name ends inside the record.
        if (std::memchr(list + pos + kEntryFixedSize, 0, recordSize - kEntryFixedSize) == nullptr)
            return false;
        pos += recordSize;
    }
    return false;
}

}  // namespace cataloom

