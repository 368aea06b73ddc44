#include "core/CatalogFile.h"

#include "core/PathUtil.h"

#include <atomic>
#include <cstdio>
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

// Writes `header` and then everything of `source` after its header to
// `target`; false when `source` is shorter than a header or any read or
// write falls short.
bool CopyWithHeader(const char* source, const char* target, const CatalogHeader* header) {
    platform::File in;
    platform::File out;
    platform::FileStamp stamp;
    CatalogHeader old;
    if (!platform::GetFileStamp(source, stamp) || stamp.size < kHeaderSize ||
        !in.Open(source, platform::File::kRead, platform::File::kShareRead, true) ||
        in.Read(&old, kHeaderSize) != kHeaderSize)
        return false;
    if (!out.Open(target, platform::File::kWrite, platform::File::kShareNone, false) ||
        out.Write(header, kHeaderSize) != kHeaderSize)
        return false;
    std::vector<std::uint8_t> buffer(64 * 1024);
    std::uint64_t copied = kHeaderSize;
    for (;;) {
        // A failed read also gives 0: the count below tells it from the end.
        std::size_t read = in.Read(buffer.data(), buffer.size());
        if (read == 0) break;
        if (out.Write(buffer.data(), read) != read) return false;
        copied += read;
    }
    return copied == stamp.size && out.Flush() && out.Close();
}

}  // namespace

bool ReplaceHeader(const char* path, const CatalogHeader* header) {
    if (path == nullptr || header == nullptr) return false;
    char temporary[kMaxPath];
    if (!MakeTemporaryCatalogPath(path, temporary)) return false;
    if (CopyWithHeader(path, temporary, header) && platform::MoveReplacing(temporary, path)) return true;
    platform::RemoveFile(temporary);
    return false;
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

