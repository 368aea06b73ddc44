// The search of core/CatalogSearch.h answered from the names index: the
// folders are walked as the walk walks them (categories, catalogue headers),
// and each catalogue's entries come from its current part of the index
// instead of from the catalogue.  The sink gets the same hits, folders and
// catalogues in the same order, entries in each catalogue's walk order, and
// the same damage reports as from CatalogSearch; PassingDirectory is called
// for the directories above each entry hit, before it.
#pragma once

#include "core/CatalogSearch.h"
#include "core/NamesIndex.h"

#include <string>
#include <vector>

namespace cataloom {

class IndexedSearch {
public:
    // `capacity` as for CatalogSearch.
    IndexedSearch(NamesIndex& index, const NameMatcher& matcher, const SearchFilter& filter, SearchSink& sink,
                  CatalogSearch::StopCheck stop, std::size_t capacity = platform::kMaxPath);

    // As CatalogSearch::Walk.  A walk that starts inside a catalogue reads
    // that catalogue, as the plain search does.
    void Walk(const char* path, const char* inner);
    // True when the last walk was stopped before its end.
    bool WasStopped() const { return stopped_; }

private:
    class Folders;
    class Resolver;

    // The entries of one catalogue, from its part; its own walk when the
    // index cannot give a sound part, or the part holds an entry without a
    // path or a path longer than the search takes.
    void SearchCatalog(const char* path, const CatalogHeader& header);
    // The part's entry hits, checked so that each can be reported; false
    // when the part proves unsound.
    bool Collect(const IndexPart& part, const char* root, std::vector<std::uint32_t>& hits) const;
    void Report(const IndexPart& part, const char* path, const char* root, const std::vector<std::uint32_t>& hits);
    bool Stopping();
    // The next place in [p, stop) where the folded pattern meets the folded
    // bytes, or null.
    const unsigned char* NextCandidate(const unsigned char* p, const unsigned char* stop) const;
    bool MeetsAt(const unsigned char* p) const;

    NamesIndex& index_;
    HitTest test_;
    SearchSink& sink_;
    CatalogSearch::StopCheck stop_;
    std::size_t capacity_;
    bool stopped_ = false;
    // A substring pattern is first looked for in the folded bytes of the
    // names (every name it matches holds it so); the matcher then decides.
    bool substring_ = false;
    std::vector<unsigned char> folded_;
    std::size_t shift_[256];
    // The bytes that fold like the pattern's first and last byte, when
    // each has at most two (letters: both cases): then sixteen places are
    // tried at once.
    bool wide_ = false;
    unsigned char first_[2] = {};
    unsigned char last_[2] = {};
};

}  // namespace cataloom
