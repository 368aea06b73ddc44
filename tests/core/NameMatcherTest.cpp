#include "core/NameMatcher.h"

#include <gtest/gtest.h>

namespace cataloom {
namespace {

bool Match(const char* pattern, const char* name, bool matchCase = false) {
    return NameMatcher(pattern, matchCase).Matches(name);
}

TEST(NameMatcherTest, SubstringWithAndWithoutCase) {
    EXPECT_TRUE(Match("", "anything"));
    EXPECT_TRUE(Match("", ""));
    EXPECT_TRUE(Match("abc", "xABCy"));
    EXPECT_FALSE(Match("abc", "xABCy", true));
    EXPECT_TRUE(Match("ABC", "xABCy", true));
    EXPECT_FALSE(Match("abcd", "xABCy"));
    EXPECT_TRUE(Match("y", "xABCy"));
    EXPECT_FALSE(NameMatcher("abc", false).UsesWildcards());
}

TEST(NameMatcherTest, SubstringSearchResumesAfterPartialMatches) {
    // Each name holds a partial match that overlaps the real one, so the
    // search must resume inside what it has already read.
    const struct {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        {"aab", "aaab", true},        {"abab", "abaabab", true},   {"abcabd", "abcabcabd", true},
        {"AaB", "xaaab", true},       {"aaaa", "aaa", false},      {"abac", "ababab", false},
        {"表表x", "表表表x", true},   {"a表", "表a表", true},      {"アアイ", "アアアイ", true},
        {"ソ\\", "ソソ\\", true}, {"ソx", "ソソ", false},      {"x", "", false},
    };
    for (const auto& c : cases) EXPECT_EQ(Match(c.pattern, c.name), c.matches) << c.pattern << " in " << c.name;
    // A long pattern that nearly meets a long name at every position.
    std::string name(254, 'a');
    std::string pattern(250, 'a');
    EXPECT_FALSE(Match((pattern + "b").c_str(), name.c_str()));
    EXPECT_TRUE(Match((pattern + "b").c_str(), (name + "b").c_str()));
}

TEST(NameMatcherTest, DoubleByteCharactersMeetOnlyThemselves) {
    EXPECT_TRUE(Match("写真", "旅行の写真.jpg"));
    EXPECT_FALSE(Match("写真", "旅行の写.jpg"));
    // The trail byte of "ソ" (0x5C) is not folded or taken for anything else.
    EXPECT_TRUE(Match("ソ", "ソース"));
    // A match starts only where a character starts: the second bytes of ソ
    // (0x5C), 表 (0x5C), ウ (0x45) and ア (0x41) are not the characters \, e and A.
    EXPECT_FALSE(Match("\\", "ソース"));
    EXPECT_FALSE(Match("\\", "表"));
    EXPECT_FALSE(Match("e", "ウイルス.txt"));
    EXPECT_FALSE(Match("E", "ウイルス.txt", true));
    EXPECT_FALSE(Match("A", "アイス"));
    EXPECT_FALSE(Match("a", "アイス"));
    EXPECT_TRUE(Match("e", "ウイルス.exe"));
    EXPECT_TRUE(Match("\\", "表\\x"));
    EXPECT_TRUE(Match("イス", "アイス"));
    EXPECT_TRUE(Match("a", "アイスa"));
    // Nor does a match start on a second byte and run into the next
    // character (0x45 0x83).
    EXPECT_FALSE(Match("E\x83", "ウイ"));
    // Fullwidth letters are double-byte: never folded to their other case.
    EXPECT_FALSE(Match("ａ", "Ａ"));
    EXPECT_TRUE(Match("ａ", "ａ"));
}

TEST(NameMatcherTest, WildcardsMatchTheWholeName) {
    EXPECT_TRUE(NameMatcher("a*.TXT", false).UsesWildcards());
    EXPECT_TRUE(Match("a*.TXT", "Abc.txt"));
    EXPECT_FALSE(Match("a*.TXT", "Abc.txt", true));
    EXPECT_TRUE(Match("A*.txt", "Abc.txt", true));
    EXPECT_FALSE(Match("a*", "xabc"));  // anchored, unlike a substring
    EXPECT_TRUE(Match("*", ""));
    EXPECT_TRUE(Match("*b*", "abc"));
    EXPECT_TRUE(Match("*.*", "a.b.c"));
    EXPECT_FALSE(Match("*.*", "abc"));
    EXPECT_TRUE(Match("a*b*c", "aXbYbZc"));
    EXPECT_FALSE(Match("a*b*c", "aXbYbZ"));
    // '?' is one byte: a double-byte character needs two.
    EXPECT_TRUE(Match("?", "x"));
    EXPECT_FALSE(Match("?", "写"));
    EXPECT_TRUE(Match("??", "写"));
    EXPECT_TRUE(Match("*真", "写真"));
    EXPECT_TRUE(Match("写*", "写真.jpg"));
    EXPECT_FALSE(Match("*ソ*", "ースー"));
    // A literal never meets the second byte of a double-byte character; '?'
    // still takes single bytes.
    EXPECT_FALSE(Match("*\\*", "表"));
    EXPECT_FALSE(Match("*e*", "ウイルス.txt"));
    EXPECT_FALSE(Match("?E*", "ウイルス.txt"));
    EXPECT_FALSE(Match("?A??", "アイ"));
    EXPECT_FALSE(Match("*A*", "アイス"));
    EXPECT_TRUE(Match("*e*", "ウイルス.exe"));
    EXPECT_TRUE(Match("??E", "ウe"));
    EXPECT_TRUE(Match("??*", "ア"));
    EXPECT_TRUE(Match("*\\", "表\\"));
    EXPECT_TRUE(Match("*イ?", "アイa"));
    EXPECT_TRUE(Match("???", "アa"));
    EXPECT_FALSE(Match("????", "アa"));
}

}  // namespace
}  // namespace cataloom

namespace cataloom {
namespace {

// Exact names (UTF-8) by characters: every name of the table is found by a
// part of it and by itself; letters fold across scripts; '?' is one
// character however many bytes or UTF-16 units it takes.
TEST(ExactMatcherTest, CharactersAndUnicodeCaseFolding) {
    struct Case {
        std::string pattern, name;
        bool matchCase, expected;
    };
    const std::string table[] = {u8"Beyoncé.mp3", u8"Motörhead", "cafe\xCC\x81", u8"café", u8"第1話〜第3話",
                                 u8"第1話～第3話", u8"한국어", u8"中文简体", u8"🎵", u8"♪", u8"表示ソé"};
    for (const std::string& name : table) {
        EXPECT_TRUE(ExactMatcher(name, false).Matches(name)) << name;
        // Its last character alone.
        std::size_t last = name.size() - 1;
        while (last > 0 && (static_cast<unsigned char>(name[last]) & 0xC0) == 0x80) --last;
        EXPECT_TRUE(ExactMatcher(name.substr(last), true).Matches(name)) << name;
    }
    const Case cases[] = {
        {u8"BEYONCÉ", u8"Beyoncé.mp3", false, true},
        {u8"BEYONCÉ", u8"Beyoncé.mp3", true, false},
        {u8"MOTÖR", u8"Motörhead", false, true},
        {u8"Ω", u8"ωmega", false, true},
        {u8"Я", u8"яблоко", false, true},
        {u8"café", "cafe\xCC\x81", false, false},  // no normalisation: composed is not decomposed
        {u8"〜", u8"第1話～第3話", false, false},   // the wave dash is not the fullwidth tilde
        {u8"～", u8"第1話～第3話", false, true},
        {"?", u8"🎵", false, true},
        {"??", u8"🎵", false, false},
        {"?", u8"♪", false, true},
        {u8"Beyonc?.mp3", u8"Beyoncé.mp3", false, true},
        {u8"*é", u8"表示ソé", false, true},
        {u8"表示?é", u8"表示ソé", false, true},
        {u8"*国*", u8"한국어", false, false},
        {u8"?국?", u8"한국어", false, true},
        {"*", "", false, true},
        {"bad?", "bad\xFF", false, true},  // a byte that is not UTF-8 is one character
        {"bad??", "bad\xFF", false, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExactMatcher(c.pattern, c.matchCase).Matches(c.name), c.expected) << c.pattern << " / " << c.name;
}

// A pattern typed in UTF-8 meets stored names through its code page 932
// form, and none at all when it has none.
TEST(ExactMatcherTest, Utf8PatternsMeetStoredNames) {
    EXPECT_TRUE(NameMatcher::FromUtf8(u8"写真", false).Matches("旅行の写真.jpg"));
    EXPECT_TRUE(NameMatcher::FromUtf8(u8"写真", false).MatchesExact(u8"旅行の写真.jpg"));
    // (Names outside code page 932 stay out of the macros, which turn their
    // arguments into code page 932 text.)
    const std::string lower = u8"beyoncé", upper = u8"BEYONCÉ";
    EXPECT_FALSE(NameMatcher::FromUtf8(lower, false).Matches("beyonc?"));
    EXPECT_TRUE(NameMatcher::FromUtf8(lower, false).MatchesExact(upper));
    EXPECT_TRUE(NameMatcher("写真", false).MatchesExact(u8"写真.jpg"));
}

}  // namespace
}  // namespace cataloom
