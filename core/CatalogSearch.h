// The search walk over a data folder: depth first through categories (the
// folders), catalogues (.vmf files with a valid header) and the directories
// recorded in them, reporting every name that the matcher accepts.  A folder,
// catalogue or directory is reported before its contents; folder entries
// come in the order the file system lists them.
#pragma once

#include "core/CatalogFile.h"
#include "core/CatalogReader.h"
#include "core/NameMatcher.h"

#include <cstdint>
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
};

class CatalogSearch {
public:
    using StopCheck = std::function<bool()>;

    // `reader` is the search's own: the walk opens catalogues through it.
    CatalogSearch(const NameMatcher& matcher, CatalogReader& reader, SearchSink& sink, StopCheck stop);

    // walk(path, inner): an empty `inner` walks the folder `path`; otherwise
    // `path` is a catalogue and `inner` a directory inside it, starting with
    // the catalogue's name.
    void Walk(const char* path, const char* inner);

    // Resolves a location below `dataRoot` (category folders, a catalogue file
    // name, then directories inside the catalogue, joined by backslashes) into
    // the start of a walk.  False if a component does not exist or a path
    // does not fit.
    static bool ResolveLocation(const char* dataRoot, const char* location, char* start, char* inner);

private:
    void WalkFolder(const char* path);
    void WalkCatalog(const char* path, const char* inner);
    // walk(path, inner) inside a catalogue that is open in the reader and in
    // `file`.
    void WalkDirectory(platform::File& file, const char* path, const char* inner);
    bool Stopped() const { return stop_ && stop_(); }

    const NameMatcher& matcher_;
    CatalogReader& reader_;
    SearchSink& sink_;
    StopCheck stop_;
};

}  // namespace cataloom
