#include "core/CatalogFile.h"

#include "core/PathUtil.h"

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

