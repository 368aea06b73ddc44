#include "core/CatalogPath.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace cataloom {
namespace {

#define SO "\x83\x5C"  // "ソ": trail byte 0x5C

TEST(CatalogPath, AppendAlwaysSeparatesWithABackslash) {
    char path[16] = "";
    // A nameless catalogue: the root is "", its directory sub is "\sub".
    int length = AppendCatalogName(path, 0, sizeof(path), "sub");
    EXPECT_EQ(length, 4);
    EXPECT_STREQ(path, "\\sub");
    length = AppendCatalogName(path, length, sizeof(path), "x\\y");
    EXPECT_EQ(length, 8);
    EXPECT_STREQ(path, "\\sub\\x\\y");

    std::strcpy(path, "DISC");
    EXPECT_EQ(AppendCatalogName(path, 4, sizeof(path), ""), 5);  // an empty name still gets its separator
    EXPECT_STREQ(path, "DISC\\");
}

TEST(CatalogPath, AppendRefusesWhatDoesNotFitAndChainsFailures) {
    char path[8] = "ab";
    // "ab\cdef" and its terminator are exactly 8 bytes.
    EXPECT_EQ(AppendCatalogName(path, 2, sizeof(path), "cdef"), 7);
    EXPECT_STREQ(path, "ab\\cdef");
    std::strcpy(path, "ab");
    EXPECT_EQ(AppendCatalogName(path, 2, sizeof(path), "cdefg"), -1);
    EXPECT_STREQ(path, "ab");  // left as it was
    EXPECT_EQ(AppendCatalogName(path, -1, sizeof(path), "c"), -1);
    EXPECT_STREQ(path, "ab");
    EXPECT_EQ(AppendCatalogName(path, 2, sizeof(path), nullptr), -1);
    EXPECT_EQ(AppendCatalogName(nullptr, 0, sizeof(path), "c"), -1);
}

TEST(CatalogPath, BelowTheRootStartsAtTheFirstSeparator) {
    EXPECT_STREQ(BelowCatalogRoot("DISC\\a\\b"), "\\a\\b");
    EXPECT_STREQ(BelowCatalogRoot("DISC"), "");
    EXPECT_STREQ(BelowCatalogRoot(""), "");
    EXPECT_STREQ(BelowCatalogRoot("\\sub"), "\\sub");  // nameless catalogue
    EXPECT_STREQ(BelowCatalogRoot(SO "\\x"), "\\x");   // the trail byte is no separator
    EXPECT_STREQ(BelowCatalogRoot(nullptr), "");
}

}  // namespace
}  // namespace cataloom
