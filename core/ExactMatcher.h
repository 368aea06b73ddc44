// Matches exact names (UTF-8) against a search pattern by characters: a
// pattern without wildcards matches anywhere in the name; with a '?' or '*'
// it must match the whole name, '?' standing for one character (a code
// point; a byte that is not UTF-8 counts as one) and '*' for any run.
// Without match-case both sides are folded as Unicode letters ("É" meets
// "é").
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cataloom {

class ExactMatcher {
public:
    ExactMatcher(std::string_view pattern, bool matchCase);

    bool Matches(std::string_view name) const;
    bool UsesWildcards() const { return wildcards_; }

private:
    // The characters of `text`, folded unless case matters.
    std::u32string Characters(std::string_view text) const;
    bool MatchesWhole(const std::u32string& name) const;

    bool matchCase_;
    std::u32string pattern_;
    bool wildcards_ = false;
};

// Decodes UTF-8; each byte that does not start a valid sequence becomes one
// character of its own (U+DC80..U+DCFF, which no valid UTF-8 yields).
std::u32string DecodeUtf8(std::string_view text);
// Whether every byte of `text` belongs to valid UTF-8.
bool IsValidUtf8(std::string_view text);

}  // namespace cataloom
