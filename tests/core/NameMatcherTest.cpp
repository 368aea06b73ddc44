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

TEST(NameMatcherTest, DoubleByteCharactersMeetOnlyThemselves) {
    EXPECT_TRUE(Match("写真", "旅行の写真.jpg"));
    EXPECT_FALSE(Match("写真", "旅行の写.jpg"));
    // The trail byte of "ソ" (0x5C) is not folded or taken for anything else.
    EXPECT_TRUE(Match("ソ", "ソース"));
    EXPECT_TRUE(Match("\\", "ソース"));  // candidates advance one byte at a time
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
}

}  // namespace
}  // namespace cataloom
