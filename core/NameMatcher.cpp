#include "core/NameMatcher.h"

#include "platform/Platform.h"

#include <cstring>

namespace cataloom {

NameMatcher::NameMatcher(const char* pattern, bool matchCase) : pattern_(pattern ? pattern : "") {
    for (unsigned c = 0; c < 256; ++c) {
        auto byte = static_cast<unsigned char>(c);
        fold_[c] = matchCase ? byte : platform::UpperChar(byte);
    }
    auto p = reinterpret_cast<const unsigned char*>(pattern_.c_str());
    while (*p != '\0') {
        if (platform::IsLeadByte(*p) && p[1] != '\0') {
            tokens_.push_back({Kind::kDouble, p[0], p[1]});
            p += 2;
            continue;
        }
        Kind kind = *p == '*' ? Kind::kAnyRun : *p == '?' ? Kind::kAnyByte : Kind::kByte;
        if (kind != Kind::kByte) wildcards_ = true;
        tokens_.push_back({kind, *p, 0});
        ++p;
    }
}

bool NameMatcher::Matches(const char* name) const {
    if (name == nullptr) return false;
    auto n = reinterpret_cast<const unsigned char*>(name);
    if (wildcards_) return MatchesWhole(n);
    if (tokens_.empty()) return true;
    // Candidates advance one byte at a time, so a match may begin on the
    // second byte of a double-byte character.
    // The first byte is tested here, the rest only where it fits.
    const Token& first = tokens_.front();
    unsigned char firstByte = first.kind == Kind::kDouble ? first.first : fold_[first.first];
    const unsigned char* fold = first.kind == Kind::kDouble ? nullptr : fold_;
    for (; *n != '\0'; ++n) {
        if ((fold ? fold[*n] : *n) != firstByte) continue;
        if (MatchesAt(n)) return true;
    }
    return false;
}

bool NameMatcher::MatchesAt(const unsigned char* n) const {
    for (const Token& t : tokens_) {
        if (t.kind == Kind::kDouble) {
            if (n[0] != t.first || n[0] == '\0' || n[1] != t.second) return false;
            n += 2;
        } else {
            if (*n == '\0' || !Same(*n, t.first)) return false;
            ++n;
        }
    }
    return true;
}

bool NameMatcher::MatchesWhole(const unsigned char* n) const {
    // Greedy matching with one back-tracking point: the last '*' seen.
    std::size_t t = 0;
    std::size_t starToken = tokens_.size();
    const unsigned char* starName = nullptr;
    for (;;) {
        if (t < tokens_.size()) {
            const Token& token = tokens_[t];
            if (token.kind == Kind::kAnyRun) {
                starToken = t++;
                starName = n;
                continue;
            }
            bool ok = false;
            std::size_t width = 1;
            switch (token.kind) {
            case Kind::kAnyByte: ok = *n != '\0'; break;
            case Kind::kByte: ok = *n != '\0' && Same(*n, token.first); break;
            case Kind::kDouble:
                ok = n[0] == token.first && n[0] != '\0' && n[1] == token.second;
                width = 2;
                break;
            case Kind::kAnyRun: break;
            }
            if (ok) {
                ++t;
                n += width;
                continue;
            }
        } else if (*n == '\0') {
            return true;
        }
        // Mismatch: let the last '*' swallow one more byte, if there is one.
        if (starName == nullptr || *starName == '\0') return false;
        t = starToken + 1;
        n = ++starName;
    }
}

}  // namespace cataloom
