#include "core/CatalogWalker.h"

#include "core/CatalogPath.h"
#include "core/PathUtil.h"
#include "core/StoredName.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace cataloom {
namespace {

struct Listed {
    std::uint32_t attributes;
    std::string name;
};

// Walks a catalogue for IsSound: only asks the walk's visitor about a stop.
class SoundnessCheck : public WalkVisitor {
public:
    explicit SoundnessCheck(WalkVisitor& visitor) : visitor_(visitor) {}
    bool Stopped() override { return visitor_.Stopped(); }
    void Entry(const char*, const char*, std::size_t, const std::uint8_t*) override {}
    // A name holding a separator is the entry's own damage: the walk leaves
    // it out (its visitor warns); a path beyond the capacity is the catalogue's.
    void Unreachable(const char*, const std::uint8_t* entry) override {
        if (FitsCatalogPath(EntryRecord::Name(entry))) sound = false;
    }
    void Damaged(const char*) override { sound = false; }
    bool sound = true;

private:
    WalkVisitor& visitor_;
};

}  // namespace

GuardedLists::GuardedLists(const CatalogReader& reader, platform::File& file)
    : reader_(reader), file_(file), entered_(reader.DirectoryCount(), false), unread_(reader.ListAreaSize()) {}

TaskMemory<std::uint8_t> GuardedLists::Read(std::size_t record) {
    if (record >= entered_.size() || entered_[record]) {
        // Only a damaged table leads to one record twice.
        damaged_ = true;
        return {};
    }
    entered_[record] = true;
    std::uint32_t size = reader_.ListSize(record);
    std::uint8_t* block = nullptr;
    if (size > unread_ || reader_.ReadRecordList(record, file_, &block) != kOk) {
        damaged_ = true;
        return {};
    }
    unread_ -= size;
    return TaskMemory<std::uint8_t>(block);
}

CatalogWalker::CatalogWalker(CatalogReader& reader, WalkVisitor& visitor, std::size_t capacity, FolderOrder order,
                             Soundness soundness)
    : reader_(reader), visitor_(visitor), capacity_(std::max(capacity, kSearchCapacity)), order_(order),
      soundness_(soundness) {
    visitor_.walker_ = this;
}

CatalogWalker::~CatalogWalker() {
    if (visitor_.walker_ == this) visitor_.walker_ = nullptr;
}

void CatalogWalker::Walk(const char* path, const char* inner) {
    if (path == nullptr || *path == '\0') return;
    visitor_.walker_ = this;
    if (path::IsDirectory(path)) {
        WalkFolder(path);
        return;
    }
    // One open of the catalogue serves its whole subtree.
    platform::File file;
    HResult opened = reader_.Open(path, file);
    WalkLoaded(opened, file, path, inner != nullptr ? inner : "");
}

std::string_view CatalogWalker::ExactRecordName() const {
    if (levels_.empty() || levels_.back().entry == nullptr) return {};
    const Level& l = levels_.back();
    return reader_.ExactRecordName(l.record, l.list, l.entry);
}

const std::string& CatalogWalker::ExactName() const {
    static const std::string none;
    if (levels_.empty() || levels_.back().entry == nullptr) return none;
    const Level& l = levels_.back();
    if (!l.converted) {
        l.exact = reader_.ExactEntryName(l.record, l.list, l.entry);
        l.converted = true;
    }
    return l.exact;
}

std::string CatalogWalker::ShownEntryName() const {
    if (levels_.empty() || levels_.back().entry == nullptr) return std::string();
    return ShownName(ExactRecordName(), EntryRecord::Name(levels_.back().entry));
}

std::string CatalogWalker::ShownBelow() const {
    std::string below;
    for (const std::string& name : startBelow_) below += (below.empty() ? "" : "/") + ShowExact(name);
    for (const Level& l : levels_) {
        if (l.entry == nullptr) break;
        if (!below.empty()) below += '/';
        below += ShownName(reader_.ExactRecordName(l.record, l.list, l.entry), EntryRecord::Name(l.entry));
    }
    return below;
}

std::vector<std::string> CatalogWalker::ExactComponents(const char* inner) const {
    std::vector<std::string> names;
    long current = 0;
    const char* rest = BelowCatalogRoot(inner);
    while (*rest == '\\') {
        const char* start = rest + 1;
        const char* end = text::FindChar(start, '\\');
        std::size_t length = end ? static_cast<std::size_t>(end - start) : std::strlen(start);
        if (length == 0) break;
        current = reader_.FindChild(static_cast<std::size_t>(current), std::string(start, length).c_str());
        if (current < 0) break;
        names.push_back(reader_.ExactDirectoryName(static_cast<std::size_t>(current)));
        rest = start + length;
    }
    return names;
}

void CatalogWalker::WalkFolder(const char* path) {
    visitor_.Entering(path, "");
    if (visitor_.Stopped()) return;
    char pattern[kMaxPath];
    if (!path::Combine(pattern, path, "*.*")) return;
    std::vector<Listed> listed;
    {
        platform::DirectorySearch listing(pattern);
        platform::FindData found;
        while (listing.Next(found))
            if (!path::IsDotEntry(found.name)) listed.push_back({found.attributes, found.name});
    }
    if (order_ == FolderOrder::kByName) {
        std::sort(listed.begin(), listed.end(), [](const Listed& a, const Listed& b) {
            int order = platform::CompareNoCase(a.name.c_str(), b.name.c_str());
            return order != 0 ? order < 0 : a.name < b.name;
        });
    }
    for (const Listed& entry : listed) {
        if (visitor_.Stopped()) return;
        const char* name = entry.name.c_str();
        char child[kMaxPath];
        if (!path::Combine(child, path, name)) continue;
        if ((entry.attributes & platform::kAttrDirectory) != 0) {
            visitor_.Folder(child, name);
            // A junction or symbolic link is not followed: a loop of them
            // would never end.
            if ((entry.attributes & platform::kAttrReparsePoint) == 0) WalkFolder(child);
            continue;
        }
        // Other files (category.ini and the like) are neither categories nor
        // catalogues.
        if (IsCatalogFileName(name)) WalkListedCatalog(child, name);
    }
}

void CatalogWalker::WalkListedCatalog(const char* path, const char* name) {
    // The header the visitor sees is the one of the version walked: both
    // come from one open handle.
    platform::File file;
    CatalogHeader header;
    HResult opened = reader_.Open(path, file, &header);
    if (opened == kNotCatalog || !visitor_.Catalog(path, name, header)) return;
    char root[kMaxCatalogNameLength + 1];
    text::CopyTruncated(root, sizeof(root), header.name);
    WalkLoaded(opened, file, path, root);
}

void CatalogWalker::WalkLoaded(HResult opened, platform::File& file, const char* path, const char* inner) {
    visitor_.Entering(path, inner);
    if (visitor_.Stopped()) return;
    if (!Succeeded(opened)) {
        visitor_.Damaged(path);
        return;
    }
    if (soundness_ == Soundness::kCheckedFirst && !IsSound(file, path, inner)) {
        if (!visitor_.Stopped()) visitor_.Damaged(path);
        return;
    }
    visitor_.Opened(path, reader_.Header());
    WalkOpened(file, path, inner);
}

void CatalogWalker::WalkOpened(platform::File& file, const char* path, const char* inner) {
    if (!reader_.IsLoaded() || path == nullptr || inner == nullptr) return;
    GuardedLists lists(reader_, file);
    long record = reader_.FindRecord(inner);
    std::vector<char> buffer(capacity_);
    std::size_t length = text::CopyTruncated(buffer.data(), buffer.size(), inner);
    if (record < 0 || length != std::strlen(inner)) return;
    startBelow_ = ExactComponents(inner);
    levels_.clear();
    WalkDirectory(lists, path, buffer.data(), length, static_cast<std::size_t>(record));
    if (lists.Damaged()) visitor_.Damaged(path);
}

bool CatalogWalker::IsSound(platform::File& file, const char* path, const char* inner) {
    if (!reader_.IsLoaded()) return false;
    SoundnessCheck check(visitor_);
    CatalogWalker(reader_, check, capacity_).WalkOpened(file, path, inner);
    return check.sound && !visitor_.Stopped();
}

void CatalogWalker::WalkDirectory(GuardedLists& lists, const char* path, char* inner, std::size_t length,
                                  std::size_t record) {
    TaskMemory<std::uint8_t> list = lists.Read(record);
    if (list == nullptr) return;  // a list that cannot be read contributes nothing
    int base = static_cast<int>(length);
    levels_.push_back({record, list.Get(), nullptr, std::string(), false});
    const std::size_t level = levels_.size() - 1;
    for (const std::uint8_t* e = list.Get(); EntryRecord::Size(e) != 0 && !visitor_.Stopped();
         e += EntryRecord::Size(e)) {
        levels_[level].entry = e;
        levels_[level].converted = false;
        const char* name = EntryRecord::Name(e);
        // A name that would read back as other components gets no path.
        int childLength = FitsCatalogPath(name) ? AppendCatalogName(inner, base, capacity_, name) : -1;
        if (childLength < 0) {
            visitor_.Unreachable(path, e);
            continue;
        }
        visitor_.Entry(path, inner, static_cast<std::size_t>(childLength), e);
        // A directory without a record (a link the capture did not enter)
        // has nothing to walk.
        long child = EntryRecord::IsDirectory(e) ? reader_.FindChild(record, name) : -1;
        if (child >= 0) {
            visitor_.Entering(path, inner);
            if (!visitor_.Stopped())
                WalkDirectory(lists, path, inner, static_cast<std::size_t>(childLength),
                              static_cast<std::size_t>(child));
        }
        inner[base] = '\0';
    }
    levels_.pop_back();
}

}  // namespace cataloom
