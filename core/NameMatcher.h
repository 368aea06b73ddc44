// Matches names against a search pattern in code page 932.  Without
// wildcards the pattern matches anywhere in the name, starting only where a
// character of the name starts; with a '?' or '*' (outside a double-byte
// character) it must match the whole name, '*' standing for any run of bytes
// and '?' for exactly one byte.  A literal character of the pattern never
// meets the second byte of a double-byte character.  Without match-case
// single bytes compare by their upper-case forms; a double-byte character of
// the pattern must always meet the identical two bytes.
//
// Exact names (UTF-8, from a catalogue's exact names) are matched by
// characters with the same pattern (core/ExactMatcher.h).
#pragma once

#include "core/ExactMatcher.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cataloom {

class NameMatcher {
public:
    NameMatcher(const char* pattern, bool matchCase);
    // The pattern given in UTF-8: stored names are matched with its code
    // page 932 form, or by nothing when it has none (a stored name cannot
    // hold what the code page lacks).
    static NameMatcher FromUtf8(const std::string& pattern, bool matchCase);

    // A stored (code page 932) name.
    bool Matches(const char* name) const;
    // An exact name (UTF-8).
    bool MatchesExact(std::string_view name) const { return exact_.Matches(name); }
    bool UsesWildcards() const { return wildcards_; }
    const std::string& Pattern() const { return pattern_; }
    // The byte comparison of single-byte characters: the same folded form
    // for bytes that compare equal.
    unsigned char Folded(unsigned char byte) const { return fold_[byte]; }

private:
    NameMatcher(const char* pattern, std::string_view utf8, bool matchCase, bool storedForm);

    enum class Kind : std::uint8_t { kByte, kDouble, kAnyByte, kAnyRun };
    struct Token {
        Kind kind;
        unsigned char first;
        unsigned char second;
    };

    // A character of a name or a literal pattern as one value: a single byte
    // by its folded form, a double-byte character by both its bytes.
    std::uint32_t UnitAt(const unsigned char* n) const {
        return StartsDouble(n) ? 0x10000u | (static_cast<std::uint32_t>(n[0]) << 8) | n[1] : fold_[*n];
    }
    bool MatchesAnywhere(const unsigned char* name) const;
    bool MatchesWhole(const unsigned char* name) const;
    // Whether the literal `token` meets the name at `n`, where a character starts.
    bool MeetsLiteral(const Token& token, const unsigned char* n) const;
    bool Same(unsigned char a, unsigned char b) const { return fold_[a] == fold_[b]; }
    // True when `n` holds a lead byte with its second byte after it.
    bool StartsDouble(const unsigned char* n) const { return lead_[*n] && n[1] != '\0'; }

    std::string pattern_;
    std::vector<Token> tokens_;
    // Without wildcards: the pattern's characters and, for each prefix, the
    // length of its longest proper border, so the search never steps back
    // in the name (linear in the name's length whatever the pattern).
    std::vector<std::uint32_t> units_;
    std::vector<std::size_t> border_;
    bool wildcards_ = false;
    unsigned char fold_[256];
    bool lead_[256];
    ExactMatcher exact_;
    bool storedForm_;  // false: the pattern has no code page 932 form
};

}  // namespace cataloom
