#include "core/IndexedSearch.h"

#include "core/CatalogWalker.h"
#include "core/PathUtil.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cstring>

namespace cataloom {

// The folder walk: categories and catalogues as CatalogSearch reports them;
// each catalogue's entries from the index instead of its lists.
class IndexedSearch::Folders : public WalkVisitor {
public:
    explicit Folders(IndexedSearch& search) : search_(search) {}

    bool Stopped() override { return search_.Stopping(); }
    void Entering(const char* path, const char* inner) override { search_.sink_.Progress(path, inner); }
    void Folder(const char* path, const char* name) override {
        if (search_.test_.Folder(name)) search_.sink_.Found({SearchHit::Kind::kCategory, path, "", nullptr, nullptr});
    }
    bool Catalog(const char* path, const char* name, const CatalogHeader& header) override {
        if (search_.test_.Catalog(name, header))
            search_.sink_.Found({SearchHit::Kind::kCatalog, path, "", &header, nullptr});
        search_.sink_.PassingCatalog(path, header);
        search_.SearchCatalog(path, header);
        return false;
    }
    void Entry(const char*, const char*, std::size_t, const std::uint8_t*) override {}

private:
    IndexedSearch& search_;
};

// Rebuilds an entry's catalogue path from the parents the part records,
// within the walk's path capacity, keeping the directories above the last
// entry asked for (entries of one directory follow each other).
class IndexedSearch::Resolver {
public:
    Resolver(const IndexPart& part, const char* root, std::size_t capacity)
        : part_(part), root_(root), capacity_(capacity) {}

    // False when the part does not hold the entry soundly or its path does
    // not fit.  Afterwards Inner() is its path, Chain() its directories from
    // the top and Length(level) the length of the path of each of them.
    bool Resolve(std::uint32_t index) {
        bool sound = true;
        const std::uint32_t parent = part_.Parent(index, sound);
        if (!sound) return false;
        if (!cached_ || parent != cachedParent_) {
            if (!ResolveChain(parent)) return false;
            cached_ = true;
            cachedParent_ = parent;
        }
        name_ = part_.Name(index);
        if (name_ == nullptr) return false;
        inner_.assign(prefix_);
        inner_ += '\\';
        inner_ += name_;
        return inner_.size() < capacity_;
    }

    const std::string& Inner() const { return inner_; }
    const char* Name() const { return name_; }
    const std::vector<std::uint32_t>& Chain() const { return chain_; }
    std::size_t Length(std::size_t level) const { return lengths_[level]; }

private:
    bool ResolveChain(std::uint32_t parent) {
        chain_.clear();
        // A path that fits has at most one directory per two bytes of it,
        // so a longer chain is unsound (and is not followed further).
        for (std::uint32_t at = parent; at != IndexPart::kNoParent;) {
            if (chain_.size() > capacity_) return false;
            chain_.push_back(at);
            bool sound = true;
            at = part_.Parent(at, sound);
            if (!sound) return false;
        }
        prefix_.assign(root_);
        lengths_.clear();
        for (std::size_t level = chain_.size(); level-- > 0;) {
            const char* name = part_.Name(chain_[level]);
            if (name == nullptr || (part_.Attributes(chain_[level]) & platform::kAttrDirectory) == 0) return false;
            prefix_ += '\\';
            prefix_ += name;
            if (prefix_.size() >= capacity_) return false;
        }
        // From the top down.
        std::size_t length = std::strlen(root_);
        std::vector<std::uint32_t> downward(chain_.rbegin(), chain_.rend());
        chain_.swap(downward);
        for (std::uint32_t directory : chain_) {
            length += 1 + std::strlen(part_.Name(directory));
            lengths_.push_back(length);
        }
        return true;
    }

    const IndexPart& part_;
    const char* root_;
    std::size_t capacity_;
    bool cached_ = false;
    std::uint32_t cachedParent_ = 0;
    std::vector<std::uint32_t> chain_;
    std::vector<std::size_t> lengths_;
    std::string prefix_;
    std::string inner_;
    const char* name_ = nullptr;
};

IndexedSearch::IndexedSearch(NamesIndex& index, const NameMatcher& matcher, const SearchFilter& filter,
                             SearchSink& sink, CatalogSearch::StopCheck stop, std::size_t capacity)
    : index_(index), test_(matcher, filter), sink_(sink), stop_(std::move(stop)), capacity_(capacity) {
    const std::string& pattern = matcher.Pattern();
    substring_ = !pattern.empty() && !matcher.UsesWildcards();
    for (unsigned char byte : pattern) folded_.push_back(matcher.Folded(byte));
    // Horspool's shifts over folded bytes: a byte of the names moves the
    // window as far as its folded form allows.
    const std::size_t m = folded_.size();
    for (std::size_t& shift : shift_) shift = m;
    for (std::size_t j = 0; j + 1 < m; ++j)
        for (unsigned c = 0; c < 256; ++c)
            if (matcher.Folded(static_cast<unsigned char>(c)) == folded_[j]) shift_[c] = m - 1 - j;
    if (m == 0) return;
    std::size_t firsts = 0, lasts = 0;
    for (unsigned c = 0; c < 256; ++c) {
        const unsigned char folded = matcher.Folded(static_cast<unsigned char>(c));
        if (folded == folded_[0] && firsts++ < 2) first_[firsts - 1] = static_cast<unsigned char>(c);
        if (folded == folded_[m - 1] && lasts++ < 2) last_[lasts - 1] = static_cast<unsigned char>(c);
    }
    if (firsts == 1) first_[1] = first_[0];
    if (lasts == 1) last_[1] = last_[0];
    wide_ = firsts <= 2 && lasts <= 2;
}

bool IndexedSearch::MeetsAt(const unsigned char* p) const {
    const NameMatcher& matcher = test_.Matcher();
    for (std::size_t j = 0; j < folded_.size(); ++j)
        if (matcher.Folded(p[j]) != folded_[j]) return false;
    return true;
}

const unsigned char* IndexedSearch::NextCandidate(const unsigned char* p, const unsigned char* stop) const {
    const std::size_t m = folded_.size();
#if defined(__SSE2__)
    if (wide_) {
        // Sixteen places at a time: where both the first and the last byte
        // of the pattern meet, the bytes between are compared.
        const __m128i first0 = _mm_set1_epi8(static_cast<char>(first_[0]));
        const __m128i first1 = _mm_set1_epi8(static_cast<char>(first_[1]));
        const __m128i last0 = _mm_set1_epi8(static_cast<char>(last_[0]));
        const __m128i last1 = _mm_set1_epi8(static_cast<char>(last_[1]));
        while (static_cast<std::size_t>(stop - p) >= m + 15) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + m - 1));
            const __m128i firsts = _mm_or_si128(_mm_cmpeq_epi8(a, first0), _mm_cmpeq_epi8(a, first1));
            const __m128i lasts = _mm_or_si128(_mm_cmpeq_epi8(b, last0), _mm_cmpeq_epi8(b, last1));
            for (unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(firsts, lasts))); mask != 0;
                 mask &= mask - 1) {
                const unsigned char* at = p + __builtin_ctz(mask);
                if (MeetsAt(at)) return at;
            }
            p += 16;
        }
    }
#endif
    // Horspool's scan over folded bytes.
    const NameMatcher& matcher = test_.Matcher();
    const unsigned char last = folded_[m - 1];
    while (static_cast<std::size_t>(stop - p) >= m) {
        const unsigned char c = p[m - 1];
        if (matcher.Folded(c) == last && MeetsAt(p)) return p;
        p += shift_[c];
    }
    return nullptr;
}

bool IndexedSearch::Stopping() {
    if (!stopped_ && stop_ && stop_()) stopped_ = true;
    return stopped_;
}

void IndexedSearch::Walk(const char* path, const char* inner) {
    stopped_ = false;
    if (path == nullptr || *path == '\0') return;
    if (!path::IsDirectory(path)) {
        CatalogReader reader;
        CatalogSearch(test_.Matcher(), reader, sink_, [this] { return Stopping(); }, test_.Filter(), capacity_)
            .Walk(path, inner);
        return;
    }
    Folders folders(*this);
    CatalogReader reader;  // the walk reads only headers through it
    CatalogWalker(reader, folders, capacity_).Walk(path, "");
}

void IndexedSearch::SearchCatalog(const char* path, const CatalogHeader& header) {
    if (Stopping()) return;
    char root[kMaxCatalogNameLength + 1];
    text::CopyTruncated(root, sizeof root, header.name);
    sink_.Progress(path, root);
    std::vector<std::uint32_t> hits;
    const IndexPart* part = index_.Current(path);
    auto fits = [&] { return part != nullptr && !part->WalkOnly() && part->LongestPath() < capacity_; };
    // A part that proves unsound is built again from the catalogue.
    if (fits() && !Collect(*part, root, hits)) {
        part = index_.Current(path, true);
        if (fits() && !Collect(*part, root, hits)) part = nullptr;
    }
    if (!fits()) {
        // The catalogue's own walk says what it holds (or could not be
        // examined, or what gets no path in it).
        CatalogReader reader;
        CatalogSearch(test_.Matcher(), reader, sink_, [this] { return Stopping(); }, test_.Filter(), capacity_)
            .Walk(path, root);
        return;
    }
    Report(*part, path, root, hits);
    if (part->Damaged()) sink_.Damaged(path);
}

bool IndexedSearch::Collect(const IndexPart& part, const char* root, std::vector<std::uint32_t>& hits) const {
    hits.clear();
    const char* names = part.Names();
    const char* end = names + part.NamesSize();
    auto test = [&](std::uint32_t index, const char* name) {
        return test_.Entry(name, part.Attributes(index), part.FileSize(index), part.WriteTime(index));
    };
    if (substring_) {
        auto p = reinterpret_cast<const unsigned char*>(names);
        const auto stop = reinterpret_cast<const unsigned char*>(end);
        while ((p = NextCandidate(p, stop)) != nullptr) {
            // The bytes are in one name (no pattern byte folds to zero).
            const char* at = reinterpret_cast<const char*>(p);
            const char* start = at;
            while (start > names && start[-1] != '\0') --start;
            const std::uint32_t index = part.EntryAt(static_cast<std::uint64_t>(start - names));
            if (index == IndexPart::kNoParent) return false;
            if (test(index, start)) hits.push_back(index);
            // The next name: one hit per name at most.
            p = reinterpret_cast<const unsigned char*>(at + std::strlen(at) + 1);
        }
    } else {
        const char* name = names;
        for (std::uint32_t index = 0; index < part.Count(); ++index) {
            if (name >= end) return false;
            if (test(index, name)) hits.push_back(index);
            name += std::strlen(name) + 1;
        }
        if (name != end) return false;
    }
    Resolver resolver(part, root, capacity_);
    for (std::uint32_t index : hits)
        if (!resolver.Resolve(index)) return false;
    return true;
}

void IndexedSearch::Report(const IndexPart& part, const char* path, const char* root,
                           const std::vector<std::uint32_t>& hits) {
    Resolver resolver(part, root, capacity_);
    // The directories reported as passed, from the top, and their records
    // (which must stay valid while the sink may hold them).
    std::vector<std::uint32_t> passed;
    std::vector<std::vector<std::uint8_t>> passedRecords;
    std::vector<std::uint8_t> record;
    std::string inner;
    std::size_t count = 0;
    for (std::uint32_t index : hits) {
        if ((++count & 1023) == 0 && Stopping()) return;
        resolver.Resolve(index);
        const std::vector<std::uint32_t>& chain = resolver.Chain();
        std::size_t same = 0;
        while (same < chain.size() && same < passed.size() && chain[same] == passed[same]) ++same;
        passed.resize(same);
        passedRecords.resize(std::max(passedRecords.size(), chain.size()));
        for (std::size_t level = same; level < chain.size(); ++level) {
            const char* name = part.Name(chain[level]);
            part.MakeRecord(chain[level], name, passedRecords[level]);
            inner.assign(resolver.Inner(), 0, resolver.Length(level));
            sink_.PassingDirectory(inner.c_str(), resolver.Length(level), passedRecords[level].data());
            passed.push_back(chain[level]);
        }
        part.MakeRecord(index, resolver.Name(), record);
        sink_.Found({SearchHit::Kind::kEntry, path, resolver.Inner().c_str(), nullptr, record.data()});
    }
}

}  // namespace cataloom
