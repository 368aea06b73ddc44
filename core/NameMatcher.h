// Matches names against a search pattern, byte by byte in code page 932.
// Without wildcards the pattern matches anywhere in the name; with a '?' or
// '*' (outside a double-byte character) it must match the whole name, '*'
// standing for any run of bytes and '?' for exactly one byte.  Without
// match-case single bytes compare by their upper-case forms; a double-byte
// character of the pattern must always meet the identical two bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cataloom {

class NameMatcher {
public:
    NameMatcher(const char* pattern, bool matchCase);

    bool Matches(const char* name) const;
    bool UsesWildcards() const { return wildcards_; }

private:
    enum class Kind : std::uint8_t { kByte, kDouble, kAnyByte, kAnyRun };
    struct Token {
        Kind kind;
        unsigned char first;
        unsigned char second;
    };

    bool MatchesAt(const unsigned char* name) const;
    bool MatchesWhole(const unsigned char* name) const;
    bool Same(unsigned char a, unsigned char b) const { return fold_[a] == fold_[b]; }

    std::string pattern_;
    std::vector<Token> tokens_;
    bool wildcards_ = false;
    unsigned char fold_[256];
};

}  // namespace cataloom
