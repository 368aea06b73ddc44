#include "core/CaptureTree.h"

#include "core/PathUtil.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_set>

namespace cataloom {
namespace {

// Entry records live in blocks of this size; a reference is the block
// number times the block size plus the position in the block.
constexpr unsigned kBlockBits = 20;
constexpr std::size_t kBlockSize = std::size_t{1} << kBlockBits;
constexpr std::size_t kMaxBlocks = (std::size_t{1} << 32) >> kBlockBits;

constexpr std::uint32_t kHiddenOrSystem = platform::kAttrHidden | platform::kAttrSystem;

// A directory is listed only when its path with "*.*" appended as a further
// component fits the path limit, whatever the length of its native path.
bool FitsPathLimit(const std::string& path) {
    char pattern[platform::kMaxPath];
    return path.size() < platform::kMaxPath && path::Combine(pattern, path.c_str(), "*.*");
}

// `name` with "~N" before its last dot (at its end when no dot follows its
// first character), the part before the mark shortened to keep the name
// within the limit.
std::string WithNumber(const std::string& name, unsigned number) {
    std::string mark = "~" + std::to_string(number);
    std::size_t dot = std::string::npos;
    for (const char* p = name.c_str(); *p != '\0'; p = text::Next(p))
        if (*p == '.' && p != name.c_str()) dot = static_cast<std::size_t>(p - name.c_str());
    if (dot == std::string::npos || name.size() - dot + mark.size() >= kMaxNameLength) dot = name.size();
    std::string extension = name.substr(dot);
    std::size_t room = kMaxNameLength - mark.size() - extension.size();
    std::size_t base = 0;
    for (const char* p = name.c_str(); p < name.c_str() + dot;) {
        auto next = static_cast<std::size_t>(text::Next(p) - name.c_str());
        if (next > room || next > dot) break;
        base = next;
        p = name.c_str() + next;
    }
    return name.substr(0, base) + mark + extension;
}

}  // namespace

void MakeStoredNamesUnique(std::vector<platform::FindData>& found) {
    std::vector<platform::FindData*> order;
    std::unordered_set<std::string> used;
    for (platform::FindData& f : found) {
        order.push_back(&f);
        used.insert(f.name);
    }
    if (used.size() == found.size()) return;
    // Who keeps a shared name does not depend on the listing's order: the
    // exact one, else the first exact name in byte order.
    std::sort(order.begin(), order.end(), [](const platform::FindData* a, const platform::FindData* b) {
        int byName = std::strcmp(a->name, b->name);
        if (byName != 0) return byName < 0;
        if (a->nameChanged != b->nameChanged) return !a->nameChanged;
        return a->exactName < b->exactName;
    });
    for (std::size_t first = 0; first < order.size();) {
        const std::string shared = order[first]->name;
        std::size_t end = first + 1;
        for (; end < order.size() && shared == order[end]->name; ++end) {
            platform::FindData& f = *order[end];
            std::string unique;
            for (unsigned n = 2; unique.empty() || used.count(unique) != 0; ++n) unique = WithNumber(shared, n);
            used.insert(unique);
            if (!f.nameChanged) f.exactName = platform::StoredToUtf8(f.name);
            f.nameChanged = true;
            std::memcpy(f.name, unique.c_str(), unique.size() + 1);
        }
        first = end;
    }
}

CaptureTree::CaptureTree(const char* source) { text::CopyTruncated(source_, sizeof(source_), source); }

std::uint8_t* CaptureTree::Entry(std::uint32_t ref) {
    return blocks_[ref >> kBlockBits].get() + (ref & (kBlockSize - 1));
}

std::uint32_t CaptureTree::AppendEntry(const platform::FindData& found) {
    bool directory = (found.attributes & platform::kAttrDirectory) != 0;
    std::size_t nameLength = std::strlen(found.name);
    std::size_t size = kEntryFixedSize + nameLength + 1;
    if (blocks_.empty() || blockUsed_ + size > kBlockSize) {
        if (blocks_.size() == kMaxBlocks) throw std::bad_alloc();
        // Not zero-filled: pages are only touched as records are written.
        blocks_.push_back(std::unique_ptr<std::uint8_t[]>(new std::uint8_t[kBlockSize]));
        blockUsed_ = 0;
    }
    auto ref = static_cast<std::uint32_t>(((blocks_.size() - 1) << kBlockBits) + blockUsed_);
    std::uint8_t* r = blocks_.back().get() + blockUsed_;
    blockUsed_ += size;
    // The same layout as AppendEntryRecord; has-sub-directories is filled in
    // when the directory itself is listed.
    std::memset(r, 0, kEntryFixedSize);
    Store16(r + EntryRecord::kSize, static_cast<std::uint16_t>(size));
    Store32(r + EntryRecord::kAttributes, found.attributes);
    Store64(r + EntryRecord::kFileSize, directory ? kUnknownTotal : found.size);
    Store64(r + EntryRecord::kCreationTime, found.creationTime);
    Store64(r + EntryRecord::kWriteTime, found.lastWriteTime);
    std::memcpy(r + EntryRecord::kName, found.name, nameLength + 1);
    if (found.nameChanged && !found.exactName.empty()) exactEntries_.emplace_back(ref, found.exactName);
    return ref;
}

const std::string* CaptureTree::ExactOf(std::uint32_t ref) const {
    auto it = std::lower_bound(exactEntries_.begin(), exactEntries_.end(), ref,
                               [](const std::pair<std::uint32_t, std::string>& e, std::uint32_t r) { return e.first < r; });
    return it != exactEntries_.end() && it->first == ref ? &it->second : nullptr;
}

std::vector<std::size_t> CaptureTree::Chain(std::size_t index) const {
    std::vector<std::size_t> chain;
    for (std::size_t i = index; i != 0 && i < table_.size(); i = table_[i].parentId - 1) chain.push_back(i);
    std::reverse(chain.begin(), chain.end());
    return chain;
}

std::string CaptureTree::DirectoryPath(std::size_t index) const {
    std::string path = source_;
    for (std::size_t i : Chain(index)) {
        if (!path::EndsWithBackslash(path.c_str())) path += '\\';
        path += table_[i].name;
    }
    return path;
}

std::string CaptureTree::NativeDirectoryPath(std::size_t index) const {
    std::string path = platform::NativePath(source_);
    for (std::size_t i : Chain(index)) {
        auto kept = std::lower_bound(nativeNames_.begin(), nativeNames_.end(), i,
                                     [](const NativeName& n, std::size_t d) { return n.directory < d; });
        if (kept == nativeNames_.end() || kept->directory != i) {
            path = platform::JoinNativePath(path, platform::NativePath(table_[i].name.c_str()).c_str());
            continue;
        }
        if (kept->name.empty()) return std::string();
        path = platform::JoinNativePath(path, kept->name.c_str());
    }
    return path;
}

void CaptureTree::Note(std::size_t& count, std::vector<std::string>& paths, std::string path) {
    ++count;
    if (paths.size() < CaptureReport::kMaxPaths) paths.push_back(std::move(path));
}

bool CaptureTree::ScanTree(const char* rootName, const StopCheck& stop, const DetailSink& detail) {
    table_.clear();
    listings_.clear();
    order_.clear();
    blocks_.clear();
    nativeNames_.clear();
    exactEntries_.clear();
    report_ = CaptureReport();
    DirectoryNode root;
    root.name = rootName ? rootName : "";
    root.id = 1;
    root.depth = 1;
    table_.push_back(root);
    listings_.emplace_back();

    // The table grows while it is walked: children go to its end.
    for (std::size_t i = 0; i < table_.size(); ++i) {
        if (stop && stop()) return false;
        listings_[i].first = static_cast<std::uint32_t>(order_.size());
        if (listings_[i].enter && !ListDirectory(i, stop)) return false;
        if (detail) detail(table_[i].name.c_str());
    }
    return true;
}

bool CaptureTree::ListDirectory(std::size_t index, const StopCheck& stop) {
    // Listed by the names on disk; the stored path only decides whether the
    // directory fits the path limit, and names it in the report.
    std::string path = DirectoryPath(index);
    std::string nativePath = FitsPathLimit(path) ? NativeDirectoryPath(index) : std::string();
    platform::DirectorySearch search(platform::NativeDirectory{nativePath.c_str()});
    if (!search.IsOpen()) {
        // Nothing to list: no children, an empty list.
        Note(report_.unreadDirectories, report_.unreadPaths, std::move(path));
        return true;
    }
    if (!path::EndsWithBackslash(path.c_str())) path += '\\';
    children_.clear();
    // The whole listing first: which of two siblings keeps a shared stored
    // name depends on both.
    std::size_t count = 0;
    bool changed = false;
    for (;;) {
        if (count == listing_.size()) listing_.emplace_back();
        platform::FindData& found = listing_[count];
        if (!search.Next(found)) break;
        if (path::IsDotEntry(found.name)) continue;
        if (stop && stop()) return false;
        changed = changed || found.nameChanged;
        ++count;
    }
    listing_.resize(count);
    if (changed) MakeStoredNamesUnique(listing_);
    for (const platform::FindData& found : listing_) {
        bool directory = (found.attributes & platform::kAttrDirectory) != 0;
        bool listed = (found.attributes & kHiddenOrSystem) == 0;
        std::uint32_t entry = kNoEntry;
        if (listed) {
            entry = AppendEntry(found);
            order_.push_back(entry);
        }
        if (found.nameChanged && (listed || directory))
            Note(report_.changedNames, report_.changedPaths, path + found.name);
        if (directory)
            children_.push_back({found.name, found.exactName, found.nameChanged ? found.nativeName : "",
                                 found.nameChanged, entry, (found.attributes & platform::kAttrReparsePoint) == 0});
    }

    Listing& listing = listings_[index];
    listing.count = static_cast<std::uint32_t>(order_.size() - listing.first);
    auto first = order_.begin() + listing.first;
    std::stable_sort(first, order_.end(), [this](std::uint32_t a, std::uint32_t b) {
        const std::uint8_t* ra = Entry(a);
        const std::uint8_t* rb = Entry(b);
        int order = platform::CompareNoCase(EntryRecord::Name(ra), EntryRecord::Name(rb));
        if (order != 0) return order < 0;
        return EntryRecord::IsDirectory(ra) && !EntryRecord::IsDirectory(rb);
    });
    if (children_.empty()) return true;

    if (listing.entryInParent != kNoEntry) Store32(Entry(listing.entryInParent) + EntryRecord::kHasFolders, 1);
    std::stable_sort(children_.begin(), children_.end(), [](const Child& a, const Child& b) {
        return platform::CompareNoCase(a.name.c_str(), b.name.c_str()) < 0;
    });
    const DirectoryNode parent = table_[index];
    for (Child& child : children_) {
        DirectoryNode node;
        node.name = std::move(child.name);
        node.exact = std::move(child.exact);
        node.id = static_cast<std::uint32_t>(table_.size() + 1);
        node.parentId = parent.id;
        node.depth = static_cast<std::uint8_t>(parent.depth + 1);
        table_.push_back(std::move(node));
        Listing childListing;
        childListing.entryInParent = child.entry;
        childListing.enter = child.enter;
        listings_.push_back(childListing);
        // Without a name on disk the directory cannot be reached: its
        // listing fails and is counted.
        if (child.nameChanged && child.enter)
            nativeNames_.push_back({static_cast<std::uint32_t>(table_.size() - 1), std::move(child.nativeName)});
    }
    return true;
}

CaptureTree::WriteResult CaptureTree::WriteEntryLists(CatalogWriter& writer, const StopCheck& stop,
                                                      const DetailSink& detail) {
    std::vector<const std::uint8_t*> records;
    std::vector<const std::string*> exact;
    for (std::size_t i = 0; i < table_.size(); ++i) {
        if (stop && stop()) return WriteResult::kStopped;
        if (detail) detail(table_[i].name.c_str());
        const Listing& listing = listings_[i];
        records.clear();
        exact.clear();
        for (std::uint32_t k = 0; k < listing.count; ++k) {
            std::uint32_t ref = order_[listing.first + k];
            records.push_back(Entry(ref));
            if (!exactEntries_.empty()) exact.push_back(ExactOf(ref));
        }
        if (!writer.WriteEntryRecords(table_[i], records.data(), exact.empty() ? nullptr : exact.data(),
                                      records.size()))
            return WriteResult::kFailed;
    }
    return WriteResult::kDone;
}

void CaptureTree::ReleaseEntries() {
    blocks_.clear();
    blocks_.shrink_to_fit();
    order_.clear();
    order_.shrink_to_fit();
    listings_.clear();
    listings_.shrink_to_fit();
    exactEntries_.clear();
    exactEntries_.shrink_to_fit();
}

}  // namespace cataloom
