#include "core/CatalogSearch.h"

#include "core/CatalogPath.h"
#include "core/CatalogWalker.h"
#include "core/PathUtil.h"

#include <cstring>

namespace cataloom {
namespace {

// Copies the header's catalogue name, the root of every path inside it.
int CopyCatalogName(char* buffer, const CatalogHeader& header) {
    return static_cast<int>(text::CopyTruncated(buffer, kMaxCatalogNameLength + 1, header.name));
}

}  // namespace

bool HitTest::Folder(const char* name) const {
    return filter_.Accepts(SearchFilter::Item::kCategory, name, 0, 0) && matcher_.Matches(name);
}

bool HitTest::Catalog(const char* name, const CatalogHeader& header) const {
    return filter_.Accepts(SearchFilter::Item::kCatalog, name, 0, header.captureTime) && matcher_.Matches(name);
}

bool HitTest::Entry(const char* name, std::uint32_t attributes, std::uint64_t size, std::uint64_t writeTime) const {
    const auto item =
        (attributes & platform::kAttrDirectory) != 0 ? SearchFilter::Item::kDirectory : SearchFilter::Item::kFile;
    return filter_.Accepts(item, name, size, writeTime) && matcher_.Matches(name);
}

bool HitTest::Entry(const std::uint8_t* record) const {
    return Entry(EntryRecord::Name(record), EntryRecord::Attributes(record), EntryRecord::FileSize(record),
                 EntryRecord::WriteTime(record));
}

bool HitTest::Entry(const std::uint8_t* record, const std::string& exact) const {
    const std::uint32_t attributes = EntryRecord::Attributes(record);
    const auto item =
        (attributes & platform::kAttrDirectory) != 0 ? SearchFilter::Item::kDirectory : SearchFilter::Item::kFile;
    return filter_.Accepts(item, exact.c_str(), EntryRecord::FileSize(record), EntryRecord::WriteTime(record)) &&
           matcher_.MatchesExact(exact);
}

// Turns the walk into search hits: every folder, catalogue and entry whose
// name the matcher accepts.
class CatalogSearch::Matching : public WalkVisitor {
public:
    explicit Matching(const CatalogSearch& search) : search_(search) {}

    bool Stopped() override { return search_.stop_ && search_.stop_(); }
    void Entering(const char* path, const char* inner) override { search_.sink_.Progress(path, inner); }
    void Folder(const char* path, const char* name) override {
        if (search_.test_.Folder(name)) search_.sink_.Found({SearchHit::Kind::kCategory, path, "", nullptr, nullptr});
    }
    bool Catalog(const char* path, const char* name, const CatalogHeader& header) override {
        if (search_.test_.Catalog(name, header)) search_.sink_.Found({SearchHit::Kind::kCatalog, path, "", &header, nullptr});
        search_.sink_.PassingCatalog(path, header);
        return true;
    }
    void Entry(const char* path, const char* inner, std::size_t length, const std::uint8_t* entry) override {
        // A catalogue with exact names is searched by them (characters,
        // Unicode case folding); one without, by its stored names as ever.
        const bool matches = search_.reader_.Exact().Count() != 0
                                 ? search_.test_.Entry(entry, Walker()->ExactName())
                                 : search_.test_.Entry(entry);
        if (matches) search_.sink_.Found({SearchHit::Kind::kEntry, path, inner, nullptr, entry, Walker()});
        if (EntryRecord::IsDirectory(entry)) search_.sink_.PassingDirectory(inner, length, entry);
    }
    void Damaged(const char* path) override { search_.sink_.Damaged(path); }
    void Unreachable(const char* path, const std::uint8_t* entry) override {
        if (EntryRecord::IsDirectory(entry) || search_.test_.Entry(entry)) search_.sink_.Unreachable(path, entry);
    }

private:
    const CatalogSearch& search_;
};

CatalogSearch::CatalogSearch(const NameMatcher& matcher, CatalogReader& reader, SearchSink& sink, StopCheck stop,
                             const SearchFilter& filter, std::size_t capacity)
    : test_(matcher, filter), reader_(reader), sink_(sink), stop_(std::move(stop)), capacity_(capacity) {}

void CatalogSearch::Walk(const char* path, const char* inner) {
    Matching matching(*this);
    CatalogWalker(reader_, matching, capacity_).Walk(path, inner);
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
        if (!IsCatalogFileName(path) || !ReadCatalogHeader(path, &header)) return Location::kMissing;
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
