#include "core/CatalogReader.h"

#include "core/CatalogPath.h"
#include "core/PathUtil.h"

#include <algorithm>
#include <cstring>

namespace cataloom {
namespace {

using Record = const std::uint8_t*;

// A record's place in the name index: depth, parent id, then the name's
// bytes (exact, as lookups match names).
struct NameKey {
    std::uint32_t depth;
    std::uint32_t parentId;
    const char* name;
};

NameKey KeyOf(Record r) { return {DirectoryRecord::Depth(r), DirectoryRecord::ParentId(r), DirectoryRecord::Name(r)}; }

bool operator<(const NameKey& a, const NameKey& b) {
    if (a.depth != b.depth) return a.depth < b.depth;
    if (a.parentId != b.parentId) return a.parentId < b.parentId;
    return std::strcmp(a.name, b.name) < 0;
}

}  // namespace

std::uint64_t CatalogReader::ListStart(const std::uint8_t* record) const {
    return static_cast<std::uint64_t>(kHeaderSize) + tableSize_ + DirectoryRecord::ListOffset(record);
}

HResult CatalogReader::Open(const char* path) {
    platform::File file;
    return Open(path, file);
}

HResult CatalogReader::Open(const char* path, platform::File& file, CatalogHeader* header) {
    if (path == nullptr) return kPointer;
    // Only a regular file opens: a directory, FIFO or device is no catalogue.
    platform::FileStamp stamp;
    if (!file.Open(path, platform::File::kRead, platform::File::kShareRead, true) || !file.Stamp(stamp)) {
        file.Close();
        return kNotCatalog;
    }
    if (IsLoaded() && stamp == stamp_ && platform::CompareNoCase(path, path_) == 0) {
        if (header != nullptr) *header = header_;
        return kOk;
    }
    Release();
    HResult hr = Load(path, file, stamp, header);
    if (!Succeeded(hr)) Release();
    return hr;
}

HResult CatalogReader::Load(const char* path, platform::File& file, const platform::FileStamp& stamp,
                            CatalogHeader* header) {
    CatalogHeader read;
    if (file.ReadAt(0, &read, kHeaderSize) != kHeaderSize || !IsCatalogHeader(&read)) return kNotCatalog;
    if (header != nullptr) *header = read;
    // The table must lie inside the file before anything is allocated for it.
    std::uint64_t tableEnd = static_cast<std::uint64_t>(read.tableOffset) + read.tableSize;
    if (read.tableOffset < kHeaderSize || read.tableSize < kTerminatorSize || tableEnd > stamp.size) return kFail;

    TaskMemory<std::uint8_t> table = TaskMemory<std::uint8_t>::Allocate(read.tableSize);
    if (table == nullptr) return kOutOfMemory;
    if (file.ReadAt(read.tableOffset, table.Get(), read.tableSize) != read.tableSize) return kFail;

    table_ = std::move(table);
    tableSize_ = read.tableSize;
    fileSize_ = stamp.size;
    if (!BuildIndex()) return kFail;
    BuildNameIndex();
    header_ = read;
    LoadExactNames(file);
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

void CatalogReader::LoadExactNames(platform::File& file) {
    exact_.Load(file, fileSize_, ListsEnd(table_.Get(), tableSize_));
    listsLimit_ = exact_.Start();
}

std::string CatalogReader::ShownCatalogName() const {
    return ShownName(exact_.Find(ExactKind::kCatalog, 0), CatalogNameField().c_str());
}

std::string CatalogReader::ExactDirectoryName(std::size_t record) const {
    if (record >= index_.size()) return std::string();
    Record r = index_[record];
    if (record == 0) return ExactOrStored(exact_.Find(ExactKind::kCatalog, 0), CatalogNameField().c_str());
    return ExactOrStored(exact_.Find(ExactKind::kDirectory, DirectoryRecord::Id(r)), DirectoryRecord::Name(r));
}

std::string_view CatalogReader::ExactRecordName(std::size_t record, const std::uint8_t* list,
                                                const std::uint8_t* entry) const {
    if (exact_.Count() == 0 || record >= index_.size() || list == nullptr || entry == nullptr || entry < list)
        return {};
    std::uint64_t key = DirectoryRecord::ListOffset(index_[record]) + static_cast<std::uint64_t>(entry - list);
    return key <= 0xFFFFFFFFu ? exact_.Find(ExactKind::kEntry, static_cast<std::uint32_t>(key)) : std::string_view();
}

std::string CatalogReader::ExactEntryName(std::size_t record, const std::uint8_t* list,
                                          const std::uint8_t* entry) const {
    if (entry == nullptr) return std::string();
    return ExactOrStored(ExactRecordName(record, list, entry), EntryRecord::Name(entry));
}

void CatalogReader::BuildNameIndex() {
    byName_.resize(index_.size());
    for (std::size_t i = 0; i < byName_.size(); ++i) byName_[i] = static_cast<std::uint32_t>(i);
    // Stable, so of two records with one name the first in the table wins.
    std::stable_sort(byName_.begin(), byName_.end(),
                     [this](std::uint32_t a, std::uint32_t b) { return KeyOf(index_[a]) < KeyOf(index_[b]); });
}

void CatalogReader::Release() {
    table_.Reset();
    tableSize_ = 0;
    fileSize_ = 0;
    listsLimit_ = 0;
    exact_.Clear();
    stamp_ = platform::FileStamp();
    header_ = CatalogHeader();
    path_[0] = '\0';
    index_.clear();
    index_.shrink_to_fit();
    byName_.clear();
    byName_.shrink_to_fit();
}

long CatalogReader::FindChild(std::size_t parent, const char* name) const {
    if (parent >= index_.size() || name == nullptr) return -1;
    Record current = index_[parent];
    NameKey key{DirectoryRecord::Depth(current) + 1u, DirectoryRecord::Id(current), name};
    auto hit = std::lower_bound(byName_.begin(), byName_.end(), key,
                                [this](std::uint32_t r, const NameKey& k) { return KeyOf(index_[r]) < k; });
    if (hit == byName_.end() || key < KeyOf(index_[*hit])) return -1;
    return static_cast<long>(*hit);
}

long CatalogReader::FindChildExact(std::size_t parent, const std::string& utf8) const {
    if (parent >= index_.size()) return -1;
    Record current = index_[parent];
    // Every record is looked at: a command's few lookups need no index.
    for (std::size_t i = 0; i < index_.size(); ++i) {
        Record r = index_[i];
        if (DirectoryRecord::Depth(r) == DirectoryRecord::Depth(current) + 1u &&
            DirectoryRecord::ParentId(r) == DirectoryRecord::Id(current) && ExactDirectoryName(i) == utf8)
            return static_cast<long>(i);
    }
    bool changed = false;
    std::string stored = platform::Utf8ToStored(utf8, changed);
    return changed ? -1 : FindChild(parent, stored.c_str());
}

long CatalogReader::FindRecordExact(const std::string& below, char separator) const {
    if (!IsLoaded() || index_.empty()) return -1;
    long current = 0;
    std::size_t start = 0;
    while (start < below.size() && current >= 0) {
        std::size_t end = below.find(separator, start);
        if (end == std::string::npos) end = below.size();
        if (end > start) current = FindChildExact(static_cast<std::size_t>(current), below.substr(start, end - start));
        start = end + 1;
    }
    return current;
}

long CatalogReader::FindRecord(const char* path) const {
    if (!IsLoaded() || path == nullptr || index_.empty()) return -1;
    long current = 0;
    const char* below = BelowCatalogRoot(path);
    const char* separator = *below != '\0' ? below : nullptr;
    char component[platform::kMaxPath];
    while (separator != nullptr) {
        const char* start = separator + 1;
        separator = text::FindChar(start, '\\');
        std::size_t length = separator ? static_cast<std::size_t>(separator - start) : std::strlen(start);
        if (length == 0) break;  // an empty component ends the walk
        if (length >= sizeof(component)) return -1;
        std::memcpy(component, start, length);
        component[length] = '\0';
        current = FindChild(static_cast<std::size_t>(current), component);
        if (current < 0) return -1;
    }
    return current;
}

bool CatalogReader::FindDirectory(const char* path, std::uint64_t* offset, std::uint32_t* size) const {
    if (offset == nullptr || size == nullptr) return false;
    long record = FindRecord(path);
    if (record < 0) return false;
    Record r = index_[static_cast<std::size_t>(record)];
    *offset = ListStart(r);
    *size = DirectoryRecord::ListSize(r);
    return true;
}

std::uint32_t CatalogReader::ListSize(std::size_t record) const {
    return record < index_.size() ? DirectoryRecord::ListSize(index_[record]) : 0;
}

HResult CatalogReader::ReadRecordList(std::size_t record, platform::File& file, std::uint8_t** list) const {
    if (list == nullptr) return kPointer;
    *list = nullptr;
    if (record >= index_.size()) return kFail;
    Record r = index_[record];
    std::uint64_t offset = ListStart(r);
    std::uint32_t size = DirectoryRecord::ListSize(r);
    // The declared size is checked against the file before anything is
    // allocated for it.
    if (size == 0 || offset + size > listsLimit_) return kFail;

    TaskMemory<std::uint8_t> block = TaskMemory<std::uint8_t>::Allocate(size);
    if (block == nullptr) return kOutOfMemory;
    if (file.ReadAt(offset, block.Get(), size) != size || !IsWellFormedEntryList(block.Get(), size)) return kFail;
    *list = block.Release();
    return kOk;
}

HResult CatalogReader::ReadEntryList(const char* path, std::uint8_t** list) {
    if (path == nullptr || list == nullptr) return kPointer;
    *list = nullptr;
    if (!IsLoaded()) return kFail;
    // The file is opened for each list, so it stays free to be replaced or
    // deleted between reads; the list comes from the version the table does.
    char current[sizeof path_];
    std::memcpy(current, path_, sizeof current);
    platform::File file;
    HResult hr = Open(current, file);
    if (!Succeeded(hr)) return hr;
    long record = FindRecord(path);
    if (record < 0) return kFail;
    return ReadRecordList(static_cast<std::size_t>(record), file, list);
}

std::uint64_t CatalogReader::ListAreaSize() const {
    std::uint64_t listArea = static_cast<std::uint64_t>(kHeaderSize) + tableSize_;
    return IsLoaded() && listsLimit_ > listArea ? listsLimit_ - listArea : 0;
}

std::size_t CatalogReader::MemoryFootprint() const {
    return tableSize_ + index_.capacity() * sizeof(Record) + byName_.capacity() * sizeof(std::uint32_t) +
           exact_.BlockSize() + exact_.Count() * 4;
}

}  // namespace cataloom
