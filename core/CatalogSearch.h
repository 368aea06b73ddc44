// The search over a data folder: the catalogue walk (core/CatalogWalker.h)
// through categories (the folders), catalogues and the directories recorded
// in them, reporting every name that the matcher accepts.  A folder,
// catalogue or directory is reported before its contents; folder entries
// come in the order the file system lists them.
#pragma once

#include "core/CatalogFile.h"
#include "core/CatalogReader.h"
#include "core/NameMatcher.h"
#include "core/SearchFilter.h"

#include <cstdint>
#include <cstddef>
#include <functional>
#include <string>

namespace cataloom {

struct SearchHit {
    enum class Kind { kCategory, kCatalog, kEntry };
    Kind kind;
    const char* path;                // the category folder or the catalogue file
    const char* inner;               // for an entry: catalogue name, directories and its name
    const CatalogHeader* header;     // for a catalogue
    const std::uint8_t* entry;       // for an entry: its record
    // For an entry: the walk, whose ExactName() and ShownBelow() give the
    // entry's exact names while the hit is reported.
    const class CatalogWalker* walk = nullptr;
};

class SearchSink {
public:
    virtual ~SearchSink() = default;
    // Called as each folder, catalogue or directory is entered.
    virtual void Progress(const char* /*path*/, const char* /*inner*/) {}
    virtual void Found(const SearchHit& hit) = 0;
    // Every catalogue a folder walk enters and every directory entry, matched
    // or not, before their contents: a sink that needs the records above a
    // hit keeps them from here (each stays valid while its contents are
    // walked).  `length` is the byte length of the entry's catalogue path.
    virtual void PassingCatalog(const char* /*path*/, const CatalogHeader& /*header*/) {}
    virtual void PassingDirectory(const char* /*inner*/, std::size_t /*length*/, const std::uint8_t* /*entry*/) {}
    // A catalogue whose table or one of whose entry lists is damaged: the
    // walk leaves the rest of it and goes on with the next one.
    virtual void Damaged(const char* /*path*/) {}
    // An entry of the catalogue `path` that the walk gives no path (its name
    // holds a separator, or its path exceeds the search's capacity): a
    // matching one, or a directory whose contents go unsearched.
    virtual void Unreachable(const char* /*path*/, const std::uint8_t* /*entry*/) {}
};

// Whether a folder, catalogue or entry is a hit: its name by the matcher,
// the rest by the filter.  The walk and the names index both ask it.
class HitTest {
public:
    HitTest(const NameMatcher& matcher, const SearchFilter& filter) : matcher_(matcher), filter_(filter) {}

    bool Folder(const char* name) const;
    bool Catalog(const char* name, const CatalogHeader& header) const;
    bool Entry(const char* name, std::uint32_t attributes, std::uint64_t size, std::uint64_t writeTime) const;
    bool Entry(const std::uint8_t* record) const;
    // An entry of a catalogue with exact names, matched by its exact name.
    bool Entry(const std::uint8_t* record, const std::string& exact) const;
    const NameMatcher& Matcher() const { return matcher_; }
    const SearchFilter& Filter() const { return filter_; }

private:
    const NameMatcher& matcher_;
    SearchFilter filter_;
};

class CatalogSearch {
public:
    using StopCheck = std::function<bool()>;

    enum class Location { kFound, kMissing, kDamaged };

    // `reader` is the search's own: the walk opens catalogues through it.
    // A hit's name meets the matcher and the hit itself the filter.
    // `capacity` bounds the catalogue paths handed on (a Windows path buffer
    // unless the caller has room for more).
    CatalogSearch(const NameMatcher& matcher, CatalogReader& reader, SearchSink& sink, StopCheck stop,
                  const SearchFilter& filter = SearchFilter(), std::size_t capacity = platform::kMaxPath);

    // walk(path, inner): a folder `path` is walked with its categories and
    // catalogues; otherwise `path` is a catalogue and `inner` a directory
    // inside it (a catalogue path, see core/CatalogPath.h: its name, which
    // may be empty, then the directories).
    void Walk(const char* path, const char* inner);

    // Resolves a location below `dataRoot` (category folders, a catalogue file
    // name, then directories inside the catalogue, joined by backslashes) into
    // the start of a walk.  kMissing if a component does not exist, is "." or
    // "..", or a path does not fit; kDamaged if the catalogue named cannot be
    // read.
    static Location ResolveLocation(const char* dataRoot, const char* location, char* start, char* inner);

private:
    class Matching;

    HitTest test_;
    CatalogReader& reader_;
    SearchSink& sink_;
    StopCheck stop_;
    std::size_t capacity_;
};

}  // namespace cataloom
