#include "core/NameMatcher.h"

#include "platform/Platform.h"

#include <cstring>

namespace cataloom {

NameMatcher::NameMatcher(const char* pattern, bool matchCase)
    : NameMatcher(pattern, platform::StoredToUtf8(pattern), matchCase, true) {}

NameMatcher NameMatcher::FromUtf8(const std::string& pattern, bool matchCase) {
    bool changed = false;
    std::string stored = platform::Utf8ToStored(pattern, changed);
    return NameMatcher(stored.c_str(), pattern, matchCase, !changed);
}

NameMatcher::NameMatcher(const char* pattern, std::string_view utf8, bool matchCase, bool storedForm)
    : pattern_(pattern ? pattern : ""), exact_(utf8, matchCase), storedForm_(storedForm) {
    for (unsigned c = 0; c < 256; ++c) {
        auto byte = static_cast<unsigned char>(c);
        fold_[c] = matchCase ? byte : platform::UpperChar(byte);
        lead_[c] = platform::IsLeadByte(byte);
    }
    auto p = reinterpret_cast<const unsigned char*>(pattern_.c_str());
    while (*p != '\0') {
        if (StartsDouble(p)) {
            tokens_.push_back({Kind::kDouble, p[0], p[1]});
            p += 2;
            continue;
        }
        Kind kind = *p == '*' ? Kind::kAnyRun : *p == '?' ? Kind::kAnyByte : Kind::kByte;
        if (kind != Kind::kByte) wildcards_ = true;
        tokens_.push_back({kind, *p, 0});
        ++p;
    }
    if (wildcards_) return;
    for (p = reinterpret_cast<const unsigned char*>(pattern_.c_str()); *p != '\0'; p += StartsDouble(p) ? 2 : 1)
        units_.push_back(UnitAt(p));
    border_.assign(units_.size(), 0);
    for (std::size_t i = 1, k = 0; i < units_.size(); ++i) {
        while (k > 0 && units_[i] != units_[k]) k = border_[k - 1];
        if (units_[i] == units_[k]) ++k;
        border_[i] = k;
    }
}

bool NameMatcher::Matches(const char* name) const {
    if (name == nullptr || !storedForm_) return false;
    auto n = reinterpret_cast<const unsigned char*>(name);
    return wildcards_ ? MatchesWhole(n) : MatchesAnywhere(n);
}

bool NameMatcher::MatchesAnywhere(const unsigned char* n) const {
    if (units_.empty()) return true;
    // The name is read a character at a time, so a match only ever starts
    // where a character starts; `k` pattern characters are matched so far.
    std::size_t k = 0;
    for (; *n != '\0'; n += StartsDouble(n) ? 2 : 1) {
        std::uint32_t unit = UnitAt(n);
        while (k > 0 && units_[k] != unit) k = border_[k - 1];
        if (units_[k] == unit && ++k == units_.size()) return true;
    }
    return false;
}

bool NameMatcher::MeetsLiteral(const Token& token, const unsigned char* n) const {
    if (token.kind == Kind::kDouble) return StartsDouble(n) && n[0] == token.first && n[1] == token.second;
    return *n != '\0' && !StartsDouble(n) && Same(*n, token.first);
}

bool NameMatcher::MatchesWhole(const unsigned char* n) const {
    // Greedy matching with one back-tracking point: the last '*' seen.  '?'
    // and '*' step one byte at a time, so `trail` follows whether the byte at
    // `n` is the second byte of a double-byte character.
    auto stepByte = [this](const unsigned char* p, bool trail) { return !trail && StartsDouble(p); };
    std::size_t t = 0;
    std::size_t starToken = tokens_.size();
    const unsigned char* starName = nullptr;
    bool starTrail = false;
    bool trail = false;
    for (;;) {
        if (t < tokens_.size()) {
            const Token& token = tokens_[t];
            if (token.kind == Kind::kAnyRun) {
                starToken = t++;
                starName = n;
                starTrail = trail;
                continue;
            }
            if (token.kind == Kind::kAnyByte && *n != '\0') {
                trail = stepByte(n, trail);
                ++t;
                ++n;
                continue;
            }
            if (token.kind != Kind::kAnyByte && !trail && MeetsLiteral(token, n)) {
                n += token.kind == Kind::kDouble ? 2 : 1;
                ++t;
                continue;
            }
        } else if (*n == '\0') {
            return true;
        }
        // Mismatch: let the last '*' swallow one more byte, if there is one.
        if (starName == nullptr || *starName == '\0') return false;
        starTrail = stepByte(starName, starTrail);
        ++starName;
        t = starToken + 1;
        n = starName;
        trail = starTrail;
    }
}

}  // namespace cataloom
