#include "core/CatalogFile.h"

#include "core/ExactNames.h"
#include "core/PathUtil.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

namespace cataloom {

bool ReadHeader(const char* path, CatalogHeader* header) {
    if (path == nullptr || header == nullptr) return false;
    platform::File file;
    if (!file.Open(path, platform::File::kRead, platform::File::kShareNone, true)) return false;
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

bool MakeTemporaryCatalogPath(const char* target, char* path) {
    if (target == nullptr || path == nullptr) return false;
    char folder[kMaxPath];
    if (text::CopyTruncated(folder, sizeof folder, target) != std::strlen(target)) return false;
    if (!path::RemoveLastComponent(folder)) folder[0] = '\0';
    static std::atomic<unsigned> counter{0};
    auto seed = static_cast<unsigned>(platform::CurrentTime() / 10000);
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "~vmf%08X.tmp", seed + (counter++) * 7919u);
        char candidate[kMaxPath];
        if (!path::Combine(candidate, folder, name)) return false;
        if (!path::Exists(candidate)) {
            std::strcpy(path, candidate);
            return true;
        }
    }
    return false;
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

// Writes `header`, then what `PlanRewrite` gives, to `target`; false when
// `source` is shorter than a header or any read or write falls short.
bool CopyWithHeader(const char* source, const char* target, const CatalogHeader* header, const char* exactName) {
    platform::File in;
    platform::File out;
    platform::FileStamp stamp;
    CatalogHeader old;
    if (!platform::GetFileStamp(source, stamp) || stamp.size < kHeaderSize ||
        !in.Open(source, platform::File::kRead, platform::File::kShareRead, true) ||
        in.Read(&old, kHeaderSize) != kHeaderSize)
        return false;
    Rewrite plan = PlanRewrite(in, stamp.size, *header, exactName);
    if (!in.Seek(kHeaderSize, platform::File::kBegin) ||
        !out.Open(target, platform::File::kWrite, platform::File::kShareNone, false) ||
        out.Write(header, kHeaderSize) != kHeaderSize)
        return false;
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
    return copied == plan.copyEnd && out.Write(plan.tail.data(), plan.tail.size()) == plan.tail.size() &&
           out.Flush() && out.Close();
}

}  // namespace

bool ReplaceHeader(const char* path, const CatalogHeader* header, const char* exactName) {
    if (path == nullptr || header == nullptr) return false;
    char temporary[kMaxPath];
    if (!MakeTemporaryCatalogPath(path, temporary)) return false;
    if (CopyWithHeader(path, temporary, header, exactName) && platform::MoveReplacing(temporary, path)) return true;
    platform::RemoveFile(temporary);
    return false;
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

