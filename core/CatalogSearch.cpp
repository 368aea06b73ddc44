#include "core/CatalogSearch.h"

#include "core/PathUtil.h"

#include <cstring>
#include <vector>

namespace cataloom {
namespace {

bool ReadValidHeader(const char* path, CatalogHeader& header) {
    return ReadHeader(path, &header) && IsCatalogHeader(&header);
}

}  // namespace

CatalogSearch::CatalogSearch(const NameMatcher& matcher, CatalogReader& reader, SearchSink& sink, StopCheck stop)
    : matcher_(matcher), reader_(reader), sink_(sink), stop_(std::move(stop)) {}

void CatalogSearch::Walk(const char* path, const char* inner) {
    if (path == nullptr || *path == '\0') return;
    sink_.Progress(path, inner ? inner : "");
    if (Stopped()) return;
    if (inner == nullptr || *inner == '\0') WalkFolder(path);
    else WalkCatalog(path, inner);
}

void CatalogSearch::WalkFolder(const char* path) {
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
            if ((found.attributes & platform::kAttrReparsePoint) == 0) Walk(child, "");
            continue;
        }
        CatalogHeader header;
        // Other files (category.ini and the like) are neither categories nor
        // catalogues and are never reported.
        if (!IsCatalogFileName(found.name) || !ReadValidHeader(child, header)) continue;
        if (matches) sink_.Found({SearchHit::Kind::kCatalog, child, "", &header, nullptr});
        char name[kMaxCatalogNameLength + 1];
        text::CopyTruncated(name, sizeof(name), header.name);
        if (*name != '\0') Walk(child, name);
    }
}

void CatalogSearch::WalkCatalog(const char* path, const char* inner) {
    // One open of the catalogue serves its whole subtree.
    platform::File file;
    if (!Succeeded(reader_.Open(path)) ||
        !file.Open(path, platform::File::kRead, platform::File::kShareRead, true))
        return;
    WalkDirectory(file, path, inner);
}

void CatalogSearch::WalkDirectory(platform::File& file, const char* path, const char* inner) {
    std::uint64_t offset = 0;
    std::uint32_t size = 0;
    if (!reader_.FindDirectory(inner, &offset, &size)) return;
    std::vector<std::uint8_t> list(size);
    if (!file.Seek(static_cast<std::int64_t>(offset), platform::File::kBegin) ||
        file.Read(list.data(), list.size()) != list.size() || !IsWellFormedEntryList(list.data(), list.size()))
        return;  // a list that cannot be read contributes nothing
    // inner + "\" once; each name that is needed goes after it.
    char child[kMaxPath];
    std::size_t prefix = std::strlen(inner);
    if (prefix + 1 >= sizeof(child)) return;
    std::memcpy(child, inner, prefix);
    child[prefix++] = '\\';
    for (const std::uint8_t* e = list.data(); EntryRecord::Size(e) != 0; e += EntryRecord::Size(e)) {
        if (Stopped()) return;
        const char* name = EntryRecord::Name(e);
        bool matches = matcher_.Matches(name);
        bool directory = EntryRecord::IsDirectory(e);
        if (!matches && !directory) continue;
        std::size_t length = std::strlen(name);
        if (prefix + length >= sizeof(child)) continue;
        std::memcpy(child + prefix, name, length + 1);
        if (matches) sink_.Found({SearchHit::Kind::kEntry, path, child, nullptr, e});
        if (!directory) continue;
        sink_.Progress(path, child);
        if (Stopped()) return;
        WalkDirectory(file, path, child);
    }
}

bool CatalogSearch::ResolveLocation(const char* dataRoot, const char* location, char* start, char* inner) {
    if (dataRoot == nullptr || location == nullptr || start == nullptr || inner == nullptr) return false;
    char path[kMaxPath];
    char rest[kMaxPath] = "";
    if (text::CopyTruncated(path, sizeof(path), dataRoot) != std::strlen(dataRoot)) return false;
    const char* p = location;
    bool inCatalog = false;
    while (*p != '\0') {
        const char* separator = text::FindChar(p, '\\');
        std::size_t length = separator ? static_cast<std::size_t>(separator - p) : std::strlen(p);
        char component[kMaxPath];
        if (length >= sizeof(component)) return false;
        std::memcpy(component, p, length);
        component[length] = '\0';
        p = separator ? separator + 1 : p + length;
        if (length == 0) continue;
        if (inCatalog) {
            if (!path::Append(rest, component)) return false;
            continue;
        }
        if (!path::Append(path, component) || !path::Exists(path)) return false;
        if (!path::IsDirectory(path) && IsCatalogFileName(path)) inCatalog = true;
    }
    char walkInner[kMaxPath] = "";
    CatalogHeader header;
    if (inCatalog) {
        if (!ReadValidHeader(path, header)) return false;
        text::CopyTruncated(walkInner, kMaxCatalogNameLength + 1, header.name);
        if (!path::Append(walkInner, rest)) return false;
    } else if (*rest != '\0') {
        return false;
    }
    std::strcpy(start, path);
    std::strcpy(inner, walkInner);
    return true;
}

}  // namespace cataloom
