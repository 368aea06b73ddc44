#include "core/CatalogWriter.h"

#include <algorithm>
#include <utility>
#include <limits>

namespace cataloom {
namespace {

constexpr std::uint64_t kMaxOffset = std::numeric_limits<std::uint32_t>::max();

const char kTerminator[kTerminatorSize] = {0, 0};

using NodeIterator = std::vector<DirectoryNode>::const_iterator;

// Position of the record named exactly `name` in the run of children that
// starts at `first`; -1 if there is none.  The run is sorted by the
// case-insensitive collation, so names differing only in case sit together.
long FindChildNode(NodeIterator begin, NodeIterator first, NodeIterator last, const char* name) {
    NodeIterator it = std::lower_bound(first, last, name, [](const DirectoryNode& n, const char* k) {
        return platform::CompareNoCase(n.name.c_str(), k) < 0;
    });
    for (; it != last && platform::CompareNoCase(it->name.c_str(), name) == 0; ++it)
        if (it->name == name) return it - begin;
    for (it = first; it != last; ++it)
        if (it->name == name) return it - begin;
    return -1;
}

}  // namespace

void SortEntries(std::vector<EntryData>& entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const EntryData& a, const EntryData& b) {
        int order = platform::CompareNoCase(a.name.c_str(), b.name.c_str());
        if (order != 0) return order < 0;
        return a.IsDirectory() && !b.IsDirectory();
    });
}

bool AppendEntryRecord(std::vector<std::uint8_t>& out, const EntryData& entry) {
    if (entry.name.size() > kMaxNameLength) return false;
    std::size_t size = kEntryFixedSize + entry.name.size() + 1;
    std::size_t at = out.size();
    out.resize(at + size, 0);
    std::uint8_t* r = out.data() + at;
    Store16(r + EntryRecord::kSize, static_cast<std::uint16_t>(size));
    Store32(r + EntryRecord::kAttributes, entry.attributes);
    Store32(r + EntryRecord::kHasFolders, entry.hasFolders);
    Store64(r + EntryRecord::kFileSize, entry.size);
    Store64(r + EntryRecord::kCreationTime, entry.creationTime);
    Store64(r + EntryRecord::kWriteTime, entry.writeTime);
    std::copy(entry.name.begin(), entry.name.end(), r + EntryRecord::kName);
    return true;
}

bool AppendDirectoryRecord(std::vector<std::uint8_t>& out, const DirectoryNode& node) {
    if (node.name.size() > kMaxNameLength) return false;
    std::size_t size = kDirectoryFixedSize + node.name.size() + 1;
    std::size_t at = out.size();
    out.resize(at + size, 0);
    std::uint8_t* r = out.data() + at;
    Store16(r + DirectoryRecord::kSize, static_cast<std::uint16_t>(size));
    r[DirectoryRecord::kDepth] = node.depth;
    Store32(r + DirectoryRecord::kParentId, node.parentId);
    Store32(r + DirectoryRecord::kId, node.id);
    Store32(r + DirectoryRecord::kListOffset, node.listOffset);
    Store32(r + DirectoryRecord::kListSize, node.listSize);
    std::copy(node.name.begin(), node.name.end(), r + DirectoryRecord::kName);
    return true;
}

bool CatalogWriter::Create(const char* path) {
    platform::File file;
    if (!file.Open(path, platform::File::kReadWrite, platform::File::kShareNone, false)) {
        error_ = platform::LastIoError();
        return !(failed_ = true);
    }
    return Create(std::move(file));
}

bool CatalogWriter::Create(platform::File&& file) {
    file_ = std::move(file);
    failed_ = !file_.IsOpen();
    tableSize_ = 0;
    listAreaSize_ = 0;
    fileCount_ = 0;
    exactNames_.clear();
    exactCatalog_.clear();
    unknownTotals_ = 0;
    error_ = platform::IoError::kNone;
    return !failed_;
}

bool CatalogWriter::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
    if (failed_) return false;
    if (!file_.Seek(static_cast<std::int64_t>(offset), platform::File::kBegin) ||
        file_.Write(data, size) != size) {
        failed_ = true;
        error_ = platform::LastIoError();
    }
    return !failed_;
}

bool CatalogWriter::WriteHeaderAndTable(CatalogHeader& header, const std::vector<DirectoryNode>& table) {
    if (failed_) return false;
    buffer_.clear();
    // Written twice (before the lists and with the counts); noted once.
    bool noteExact = tableSize_ == 0;
    for (const DirectoryNode& node : table) {
        if (!AppendDirectoryRecord(buffer_, node)) return failed_ = true, false;
        if (noteExact && node.id != 1 && !node.exact.empty())
            exactNames_.push_back({ExactKind::kDirectory, node.id, node.exact});
    }
    buffer_.insert(buffer_.end(), kTerminator, kTerminator + kTerminatorSize);
    if (kHeaderSize + static_cast<std::uint64_t>(buffer_.size()) > kMaxOffset) return failed_ = true, false;
    tableSize_ = static_cast<std::uint32_t>(buffer_.size());
    header.tableOffset = kHeaderSize;
    header.tableSize = tableSize_;
    return WriteAt(0, &header, kHeaderSize) && WriteAt(kHeaderSize, buffer_.data(), buffer_.size());
}

bool CatalogWriter::WriteEntryList(DirectoryNode& node, const std::vector<EntryData>& entries) {
    if (failed_) return false;
    std::uint64_t listStart = listAreaSize_;
    buffer_.clear();
    for (const EntryData& entry : entries) {
        NoteExactEntry(listAreaSize_ + buffer_.size(), entry.exact);
        if (!AppendEntryRecord(buffer_, entry)) return failed_ = true, false;
        if (!entry.IsDirectory()) ++fileCount_;
        else if (entry.size == kUnknownTotal) ++unknownTotals_;
    }
    return FlushList(node, listStart, true);
}

bool CatalogWriter::WriteEntryRecords(DirectoryNode& node, const std::uint8_t* const* records,
                                      const std::string* const* exact, std::size_t count) {
    constexpr std::size_t kPiece = 64 * 1024;
    if (failed_) return false;
    std::uint64_t listStart = listAreaSize_;
    buffer_.clear();
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* record = records[i];
        if (exact != nullptr && exact[i] != nullptr) NoteExactEntry(listAreaSize_ + buffer_.size(), *exact[i]);
        buffer_.insert(buffer_.end(), record, record + EntryRecord::Size(record));
        if (!EntryRecord::IsDirectory(record)) ++fileCount_;
        else if (EntryRecord::FileSize(record) == kUnknownTotal) ++unknownTotals_;
        if (buffer_.size() >= kPiece && !FlushList(node, listStart, false)) return false;
    }
    return FlushList(node, listStart, true);
}

void CatalogWriter::NoteExactEntry(std::uint64_t listPosition, const std::string& exact) {
    // A position past 32 bits fails the list itself (FlushList).
    if (!exact.empty() && listPosition <= kMaxOffset)
        exactNames_.push_back({ExactKind::kEntry, static_cast<std::uint32_t>(listPosition), exact});
}

void CatalogWriter::SetExactCatalogName(std::string exact) { exactCatalog_ = std::move(exact); }

bool CatalogWriter::WriteExactNames() {
    if (failed_) return false;
    if (!exactCatalog_.empty()) exactNames_.push_back({ExactKind::kCatalog, 0, exactCatalog_});
    std::vector<std::uint8_t> block;
    if (!BuildExactBlock(std::move(exactNames_), block)) return failed_ = true, false;
    exactNames_.clear();
    if (block.empty()) return true;
    if (ListAreaStart() + listAreaSize_ + block.size() > kMaxOffset) return failed_ = true, false;
    return WriteAt(ListAreaStart() + listAreaSize_, block.data(), block.size());
}

bool CatalogWriter::FlushList(DirectoryNode& node, std::uint64_t listStart, bool final) {
    if (final) buffer_.insert(buffer_.end(), kTerminator, kTerminator + kTerminatorSize);
    // Offsets and sizes are 32-bit, and the whole file must stay below 4 GiB.
    if (ListAreaStart() + listAreaSize_ + buffer_.size() > kMaxOffset) return failed_ = true, false;
    if (!WriteAt(ListAreaStart() + listAreaSize_, buffer_.data(), buffer_.size())) return false;
    listAreaSize_ += buffer_.size();
    buffer_.clear();
    if (final) {
        node.listOffset = static_cast<std::uint32_t>(listStart);
        node.listSize = static_cast<std::uint32_t>(listAreaSize_ - listStart);
    }
    return true;
}

bool CatalogWriter::WriteCounts(CatalogHeader& header, const std::vector<DirectoryNode>& table) {
    if (failed_ || table.empty()) return false;
    header.directoryCount = static_cast<std::uint32_t>(table.size() - 1);
    header.fileCount = static_cast<std::uint32_t>(fileCount_);
    std::uint32_t expectedTable = tableSize_;
    if (!WriteHeaderAndTable(header, table)) return false;
    return tableSize_ == expectedTable || (failed_ = true, false);
}

bool CatalogWriter::WriteTotals(const std::vector<DirectoryNode>& table, const std::function<bool()>& stop,
                                const std::function<void(const char*)>& progress) {
    if (failed_) return false;
    std::vector<std::uint64_t> totals(table.size(), 0);
    std::vector<std::uint8_t> list;
    for (std::size_t d = table.size(); d-- > 0;) {
        if (stop && stop()) return true;
        const DirectoryNode& node = table[d];
        if (node.listSize < kTerminatorSize) continue;
        list.resize(node.listSize);
        std::uint64_t at = ListAreaStart() + node.listOffset;
        if (!file_.Seek(static_cast<std::int64_t>(at), platform::File::kBegin) ||
            file_.Read(list.data(), list.size()) != list.size() ||
            !IsWellFormedEntryList(list.data(), list.size()))
            return failed_ = true, false;

        // Children of this directory form one run of the table, sorted on
        // (depth, parent id) after it.
        auto key = std::make_pair(static_cast<unsigned>(node.depth) + 1, node.id);
        auto keyOf = [](const DirectoryNode& n) { return std::make_pair(static_cast<unsigned>(n.depth), n.parentId); };
        auto first = std::lower_bound(table.begin() + static_cast<long>(d), table.end(), key,
                                      [&](const DirectoryNode& n, decltype(key) k) { return keyOf(n) < k; });
        auto last = std::upper_bound(first, table.end(), key,
                                     [&](decltype(key) k, const DirectoryNode& n) { return k < keyOf(n); });
        bool changed = false;
        std::uint64_t sum = 0;
        for (std::size_t pos = 0; EntryRecord::Size(list.data() + pos) != 0;
             pos += EntryRecord::Size(list.data() + pos)) {
            std::uint8_t* entry = list.data() + pos;
            std::uint64_t size = EntryRecord::FileSize(entry);
            if (stop && stop()) break;
            if (size == kUnknownTotal) {
                if (progress) progress(EntryRecord::Name(entry));
                long child = FindChildNode(table.begin(), first, last, EntryRecord::Name(entry));
                if (child >= 0) {
                    size = totals[static_cast<std::size_t>(child)];
                    Store64(entry + EntryRecord::kFileSize, size);
                    changed = true;
                    --unknownTotals_;
                }
            }
            // A directory whose record was not found keeps its unknown size
            // and adds nothing, rather than wrapping the parent's total.
            if (size != kUnknownTotal) sum += size;
        }
        totals[d] = sum;
        if (changed && !WriteAt(at, list.data(), list.size())) return false;
        if (stop && stop()) return true;
    }
    return true;
}

bool CatalogWriter::Close() {
    if (file_.IsOpen() && !failed_ && !(file_.Flush() && file_.Close())) {
        failed_ = true;
        error_ = platform::LastIoError();
    }
    file_.Close();
    return !failed_;
}

}  // namespace cataloom
