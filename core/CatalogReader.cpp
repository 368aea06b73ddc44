#include "core/CatalogReader.h"

#include "core/PathUtil.h"

#include <algorithm>
#include <cstring>

namespace cataloom {
namespace {

using Record = const std::uint8_t*;

// Orders records by (depth, parent id), the keys the table is sorted on.
struct DepthParentLess {
    bool operator()(Record r, std::pair<std::uint32_t, std::uint32_t> key) const {
        return std::make_pair<std::uint32_t, std::uint32_t>(DirectoryRecord::Depth(r),
                                                            DirectoryRecord::ParentId(r)) < key;
    }
    bool operator()(std::pair<std::uint32_t, std::uint32_t> key, Record r) const {
        return key < std::make_pair<std::uint32_t, std::uint32_t>(DirectoryRecord::Depth(r),
                                                                  DirectoryRecord::ParentId(r));
    }
};

}  // namespace

HResult CatalogReader::Open(const char* path) {
    if (path == nullptr) return kPointer;
    if (IsLoaded() && platform::CompareNoCase(path, path_) == 0) {
        // Another process may have rewritten the file since it was loaded.
        platform::FileStamp now;
        if (platform::GetFileStamp(path, now) && now.size == stamp_.size &&
            now.lastWriteTime == stamp_.lastWriteTime)
            return kOk;
    }
    Release();
    return Load(path);
}

HResult CatalogReader::Load(const char* path) {
    if (!path::Exists(path) || path::IsDirectory(path)) return kInvalidArg;
    platform::FileStamp stamp;
    if (!platform::GetFileStamp(path, stamp)) return kFail;

    platform::File file;
    if (!file.Open(path, platform::File::kRead, platform::File::kShareRead, true)) return kFail;
    CatalogHeader header;
    if (file.Read(&header, kHeaderSize) != kHeaderSize || !IsCatalogHeader(&header)) return kFail;
    // The table must lie inside the file before anything is allocated for it.
    std::uint64_t tableEnd = static_cast<std::uint64_t>(header.tableOffset) + header.tableSize;
    if (header.tableOffset < kHeaderSize || header.tableSize < kTerminatorSize || tableEnd > stamp.size)
        return kFail;

    TaskMemory<std::uint8_t> table = TaskMemory<std::uint8_t>::Allocate(header.tableSize);
    if (table == nullptr) return kOutOfMemory;
    if (!file.Seek(header.tableOffset, platform::File::kBegin) ||
        file.Read(table.Get(), header.tableSize) != header.tableSize)
        return kFail;

    table_ = std::move(table);
    tableSize_ = header.tableSize;
    fileSize_ = stamp.size;
    if (!BuildIndex()) {
        Release();
        return kFail;
    }
    stamp_ = stamp;
    text::CopyTruncated(path_, sizeof(path_), path);
    return kOk;
}

bool CatalogReader::BuildIndex() {
    index_.clear();
    const std::uint8_t* base = table_.Get();
    std::size_t pos = 0;
    std::pair<std::uint32_t, std::uint32_t> previous{0, 0};
    while (pos + kTerminatorSize <= tableSize_) {
        Record r = base + pos;
        std::size_t size = DirectoryRecord::Size(r);
        if (size == 0) return pos + kTerminatorSize == tableSize_;
        if (size < kDirectoryFixedSize + 1 || size > tableSize_ - pos) return false;
        if (std::memchr(r + kDirectoryFixedSize, 0, size - kDirectoryFixedSize) == nullptr) return false;
        // Lookups bisect on (depth, parent id): the table must be sorted on them.
        std::pair<std::uint32_t, std::uint32_t> key{DirectoryRecord::Depth(r), DirectoryRecord::ParentId(r)};
        if (key < previous) return false;
        previous = key;
        index_.push_back(r);
        pos += size;
    }
    return false;
}

void CatalogReader::Release() {
    table_.Reset();
    tableSize_ = 0;
    fileSize_ = 0;
    stamp_ = platform::FileStamp();
    path_[0] = '\0';
    index_.clear();
    index_.shrink_to_fit();
}

long CatalogReader::FindChild(std::size_t parent, const char* name) const {
    Record current = index_[parent];
    std::pair<std::uint32_t, std::uint32_t> key{DirectoryRecord::Depth(current) + 1u,
                                                DirectoryRecord::Id(current)};
    auto first = std::lower_bound(index_.begin() + static_cast<long>(parent), index_.end(), key,
                                  DepthParentLess());
    auto last = std::upper_bound(first, index_.end(), key, DepthParentLess());
    if (first == last) return -1;

    // Names were sorted by the collation of whichever system wrote the file:
    // try a binary search first, then walk the parent's run.
    auto hit = std::lower_bound(first, last, name, [](Record r, const char* n) {
        return platform::CompareCase(DirectoryRecord::Name(r), n) < 0;
    });
    if (hit != last && std::strcmp(DirectoryRecord::Name(*hit), name) == 0) return hit - index_.begin();
    for (auto it = first; it != last; ++it)
        if (std::strcmp(DirectoryRecord::Name(*it), name) == 0) return it - index_.begin();
    return -1;
}

bool CatalogReader::FindDirectory(const char* path, std::uint64_t* offset, std::uint32_t* size) const {
    if (!IsLoaded() || path == nullptr || offset == nullptr || size == nullptr || index_.empty())
        return false;
    std::size_t current = 0;
    // The first component names the root and is skipped.
    const char* separator = text::FindChar(path, '\\');
    char component[platform::kMaxPath];
    while (separator != nullptr) {
        const char* start = separator + 1;
        separator = text::FindChar(start, '\\');
        std::size_t length = separator ? static_cast<std::size_t>(separator - start) : std::strlen(start);
        if (length == 0) break;  // an empty component ends the walk
        if (length >= sizeof(component)) return false;
        std::memcpy(component, start, length);
        component[length] = '\0';
        long child = FindChild(current, component);
        if (child < 0) return false;
        current = static_cast<std::size_t>(child);
    }
    Record r = index_[current];
    *offset = static_cast<std::uint64_t>(kHeaderSize) + tableSize_ + DirectoryRecord::ListOffset(r);
    *size = DirectoryRecord::ListSize(r);
    return true;
}

HResult CatalogReader::ReadEntryList(const char* path, std::uint8_t** list) const {
    if (path == nullptr || list == nullptr) return kPointer;
    *list = nullptr;
    std::uint64_t offset = 0;
    std::uint32_t size = 0;
    if (!FindDirectory(path, &offset, &size) || size == 0) return kFail;
    if (offset + size > fileSize_) return kFail;

    TaskMemory<std::uint8_t> block = TaskMemory<std::uint8_t>::Allocate(size);
    if (block == nullptr) return kOutOfMemory;
    platform::File file;
    // The file is opened for each list, so it stays free to be replaced or
    // deleted between reads.
    if (!file.Open(path_, platform::File::kRead, platform::File::kShareRead, true) ||
        file.ReadAt(offset, block.Get(), size) != size)
        return kFail;
    if (!IsWellFormedEntryList(block.Get(), size)) return kFail;
    *list = block.Release();
    return kOk;
}

std::size_t CatalogReader::MemoryFootprint() const {
    return tableSize_ + index_.capacity() * sizeof(Record);
}

}  // namespace cataloom
