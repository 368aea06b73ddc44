#include "core/ExactMatcher.h"

#include "platform/Platform.h"

#include <algorithm>

namespace cataloom {

std::u32string DecodeUtf8(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        auto b = static_cast<unsigned char>(text[i]);
        std::size_t length = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
        char32_t c = length == 1 ? b : length == 2 ? (b & 0x1F) : length == 3 ? (b & 0x0F) : (b & 0x07);
        bool valid = length != 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            auto t = static_cast<unsigned char>(text[i + k]);
            valid = (t & 0xC0) == 0x80;
            c = (c << 6) | (t & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        static const char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        valid = valid && c >= kSmallest[length] && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
        if (!valid) {
            out.push_back(0xDC00 + b);
            ++i;
            continue;
        }
        out.push_back(c);
        i += length;
    }
    return out;
}

bool IsValidUtf8(std::string_view text) {
    std::u32string chars = DecodeUtf8(text);
    return std::none_of(chars.begin(), chars.end(), [](char32_t c) { return c >= 0xDC80 && c <= 0xDCFF; });
}

ExactMatcher::ExactMatcher(std::string_view pattern, bool matchCase)
    : matchCase_(matchCase), pattern_(Characters(pattern)) {
    wildcards_ = pattern_.find_first_of(U"*?") != std::u32string::npos;
}

std::u32string ExactMatcher::Characters(std::string_view text) const {
    std::u32string chars = DecodeUtf8(text);
    if (!matchCase_)
        for (char32_t& c : chars) c = platform::FoldCase(c);
    return chars;
}

bool ExactMatcher::Matches(std::string_view name) const {
    std::u32string chars = Characters(name);
    if (!wildcards_) return chars.find(pattern_) != std::u32string::npos;
    return MatchesWhole(chars);
}

bool ExactMatcher::MatchesWhole(const std::u32string& name) const {
    // Greedy, with one back-tracking point: the last '*' seen.
    std::size_t p = 0, n = 0;
    std::size_t star = std::u32string::npos, starName = 0;
    while (n < name.size()) {
        if (p < pattern_.size() && pattern_[p] == U'*') {
            star = p++;
            starName = n;
        } else if (p < pattern_.size() && (pattern_[p] == U'?' || pattern_[p] == name[n])) {
            ++p;
            ++n;
        } else if (star != std::u32string::npos) {
            p = star + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern_.size() && pattern_[p] == U'*') ++p;
    return p == pattern_.size();
}

}  // namespace cataloom
