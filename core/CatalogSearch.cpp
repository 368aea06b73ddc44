#include "core/CatalogSearch.h"

#include "core/CatalogPath.h"
#include "core/PathUtil.h"
#include "core/TaskMemory.h"

#include <cstring>

namespace cataloom {
namespace {

bool ReadValidHeader(const char* path, CatalogHeader& header) {
    return ReadHeader(path, &header) && IsCatalogHeader(&header);
}

// Copies the header's catalogue name, the root of every path inside it.
int CopyCatalogName(char* buffer, const CatalogHeader& header) {
    return static_cast<int>(text::CopyTruncated(buffer, kMaxCatalogNameLength + 1, header.name));
}

}  // namespace

// What the walk of one catalogue keeps: the records entered so far, and the
// bytes of the list area not yet read.  A sound catalogue reaches each record
// once and reads each byte of the area at most once; a crafted one that
// points records at each other or lists at the same bytes runs out of both.
struct CatalogSearch::CatalogWalk {
    platform::File file;
    std::vector<bool> entered;
    std::uint64_t unread = 0;
    bool damaged = false;
};

CatalogSearch::CatalogSearch(const NameMatcher& matcher, CatalogReader& reader, SearchSink& sink, StopCheck stop)
    : matcher_(matcher), reader_(reader), sink_(sink), stop_(std::move(stop)) {}

void CatalogSearch::Walk(const char* path, const char* inner) {
    if (path == nullptr || *path == '\0') return;
    if (path::IsDirectory(path)) WalkFolder(path);
    else WalkCatalog(path, inner != nullptr ? inner : "");
}

void CatalogSearch::WalkFolder(const char* path) {
    sink_.Progress(path, "");
    if (Stopped()) return;
    char pattern[kMaxPath];
    if (!path::Combine(pattern, path, "*.*")) return;
    platform::DirectorySearch listing(pattern);
    platform::FindData found;
    while (listing.Next(found)) {
        if (path::IsDotEntry(found.name)) continue;
        if (Stopped()) return;
        char child[kMaxPath];
        if (!path::Combine(child, path, found.name)) continue;
        bool matches = matcher_.Matches(found.name);
        if ((found.attributes & platform::kAttrDirectory) != 0) {
            if (matches) sink_.Found({SearchHit::Kind::kCategory, child, "", nullptr, nullptr});
            // A junction or symbolic link is not followed: a loop of them
            // would never end.
            if ((found.attributes & platform::kAttrReparsePoint) == 0) WalkFolder(child);
            continue;
        }
        CatalogHeader header;
        // Other files (category.ini and the like) are neither categories nor
        // catalogues and are never reported.
        if (!IsCatalogFileName(found.name) || !ReadValidHeader(child, header)) continue;
        if (matches) sink_.Found({SearchHit::Kind::kCatalog, child, "", &header, nullptr});
        char name[kMaxCatalogNameLength + 1];
        CopyCatalogName(name, header);
        WalkCatalog(child, name);
    }
}

void CatalogSearch::WalkCatalog(const char* path, const char* inner) {
    sink_.Progress(path, inner);
    if (Stopped()) return;
    CatalogWalk walk;
    // One open of the catalogue serves its whole subtree.
    if (!Succeeded(reader_.Open(path)) || !reader_.OpenCurrent(walk.file)) {
        sink_.Damaged(path);
        return;
    }
    long record = reader_.FindRecord(inner);
    char buffer[kMaxPath];
    std::size_t length = text::CopyTruncated(buffer, sizeof(buffer), inner);
    if (record < 0 || length != std::strlen(inner)) return;
    walk.entered.assign(reader_.DirectoryCount(), false);
    walk.unread = reader_.ListAreaSize();
    WalkDirectory(walk, path, buffer, static_cast<int>(length), static_cast<std::size_t>(record));
    if (walk.damaged) sink_.Damaged(path);
}

void CatalogSearch::WalkDirectory(CatalogWalk& walk, const char* path, char* inner, int length,
                                  std::size_t record) {
    if (walk.entered[record]) {
        // Only a damaged table leads to one record twice.
        walk.damaged = true;
        return;
    }
    walk.entered[record] = true;
    std::uint32_t listSize = reader_.ListSize(record);
    std::uint8_t* block = nullptr;
    if (listSize > walk.unread || reader_.ReadRecordList(record, walk.file, &block) != kOk) {
        walk.damaged = true;  // a list that cannot be read contributes nothing
        return;
    }
    walk.unread -= listSize;
    TaskMemory<std::uint8_t> list(block);
    for (const std::uint8_t* e = list.Get(); EntryRecord::Size(e) != 0 && !Stopped(); e += EntryRecord::Size(e)) {
        const char* name = EntryRecord::Name(e);
        bool matches = matcher_.Matches(name);
        bool directory = EntryRecord::IsDirectory(e);
        if (!matches && !directory) continue;
        int childLength = AppendCatalogName(inner, length, kMaxPath, name);
        if (childLength < 0) continue;
        if (matches) sink_.Found({SearchHit::Kind::kEntry, path, inner, nullptr, e});
        // A directory without a record (a link the capture did not enter)
        // has nothing to walk.
        long child = directory ? reader_.FindChild(record, name) : -1;
        if (child >= 0) {
            sink_.Progress(path, inner);
            if (!Stopped()) WalkDirectory(walk, path, inner, childLength, static_cast<std::size_t>(child));
        }
        inner[length] = '\0';
    }
}

CatalogSearch::Location CatalogSearch::ResolveLocation(const char* dataRoot, const char* location, char* start,
                                                       char* inner) {
    if (dataRoot == nullptr || location == nullptr || start == nullptr || inner == nullptr) return Location::kMissing;
    char path[kMaxPath];
    if (text::CopyTruncated(path, sizeof(path), dataRoot) != std::strlen(dataRoot)) return Location::kMissing;
    char walkInner[kMaxPath] = "";
    int innerLength = -1;  // not inside a catalogue yet
    const char* p = location;
    while (*p != '\0') {
        const char* separator = text::FindChar(p, '\\');
        std::size_t length = separator ? static_cast<std::size_t>(separator - p) : std::strlen(p);
        char component[kMaxPath];
        if (length >= sizeof(component)) return Location::kMissing;
        std::memcpy(component, p, length);
        component[length] = '\0';
        p = separator ? separator + 1 : p + length;
        if (length == 0) continue;
        // Nothing above the data folder is a location.
        if (path::IsDotEntry(component) || text::FindChar(component, '/') != nullptr) return Location::kMissing;
        if (innerLength >= 0) {
            innerLength = AppendCatalogName(walkInner, innerLength, sizeof(walkInner), component);
            if (innerLength < 0) return Location::kMissing;
            continue;
        }
        if (!path::Append(path, component) || !path::Exists(path)) return Location::kMissing;
        if (path::IsDirectory(path)) continue;
        CatalogHeader header;
        if (!IsCatalogFileName(path) || !ReadValidHeader(path, header)) return Location::kMissing;
        innerLength = CopyCatalogName(walkInner, header);
    }
    if (innerLength >= 0) {
        CatalogReader reader;
        if (!Succeeded(reader.Open(path))) return Location::kDamaged;
        if (reader.FindRecord(walkInner) < 0) return Location::kMissing;
    }
    std::strcpy(start, path);
    std::strcpy(inner, walkInner);
    return Location::kFound;
}

}  // namespace cataloom
