// The search walk over a data folder: depth first through categories (the
// folders), catalogues (.vmf files with a valid header) and the directories
// recorded in them, reporting every name that the matcher accepts.  A folder,
// catalogue or directory is reported before its contents; folder entries
// come in the order the file system lists them.  Links are never followed,
// entry lists are read only through the reader's checks, and each directory
// record of a catalogue is entered at most once, so a crafted catalogue can
// neither exhaust memory nor keep the walk going for ever.
#pragma once

#include "core/CatalogFile.h"
#include "core/CatalogReader.h"
#include "core/NameMatcher.h"

#include <cstdint>
#include <cstddef>
#include <functional>

namespace cataloom {

struct SearchHit {
    enum class Kind { kCategory, kCatalog, kEntry };
    Kind kind;
    const char* path;                // the category folder or the catalogue file
    const char* inner;               // for an entry: catalogue name, directories and its name
    const CatalogHeader* header;     // for a catalogue
    const std::uint8_t* entry;       // for an entry: its record
};

class SearchSink {
public:
    virtual ~SearchSink() = default;
    // Called as each folder, catalogue or directory is entered.
    virtual void Progress(const char* /*path*/, const char* /*inner*/) {}
    virtual void Found(const SearchHit& hit) = 0;
    // A catalogue whose table or one of whose entry lists is damaged: the
    // walk leaves the rest of it and goes on with the next one.
    virtual void Damaged(const char* /*path*/) {}
};

class CatalogSearch {
public:
    using StopCheck = std::function<bool()>;

    enum class Location { kFound, kMissing, kDamaged };

    // `reader` is the search's own: the walk opens catalogues through it.
    CatalogSearch(const NameMatcher& matcher, CatalogReader& reader, SearchSink& sink, StopCheck stop);

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
    struct CatalogWalk;

    void WalkFolder(const char* path);
    void WalkCatalog(const char* path, const char* inner);
    // Walks the directory of `record` inside the catalogue open in the reader
    // and in `walk`; `inner` (of `length` bytes, in a kMaxPath buffer) is its
    // path and is left as it was.
    void WalkDirectory(CatalogWalk& walk, const char* path, char* inner, int length, std::size_t record);
    bool Stopped() const { return stop_ && stop_(); }

    const NameMatcher& matcher_;
    CatalogReader& reader_;
    SearchSink& sink_;
    StopCheck stop_;
};

}  // namespace cataloom
