#include "core/StoredName.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace cataloom {
namespace {

struct NameCase {
    std::string name;
    NameFault fault;
    std::string visible;
    bool fitsPath;
};

const std::string kLong259(259, 'n');
const std::string kLong260(260, 'n');

// Code page 932: "ソ" is 0x83 0x5C, its trail byte a backslash.
const NameCase kNames[] = {
    {"readme.txt", NameFault::kNone, "readme.txt", true},
    {"\x83\x5C\x83\x74\x83\x67", NameFault::kNone, "\x83\x5C\x83\x74\x83\x67", true},
    {"a<b>:c?|\"*", NameFault::kNone, "a<b>:c?|\"*", true},  // a Linux capture writes these
    {"...", NameFault::kNone, "...", true},
    {kLong259, NameFault::kNone, kLong259, true},
    {".", NameFault::kDotName, "\\x2e", true},
    {"..", NameFault::kDotName, "\\x2e\\x2e", true},
    {"C:\\Windows\\system32\\calc.exe", NameFault::kSeparator, "C:\\x5cWindows\\x5csystem32\\x5ccalc.exe", false},
    {"\\\\evilhost\\share\\x.exe", NameFault::kSeparator, "\\x5c\\x5cevilhost\\x5cshare\\x5cx.exe", false},
    {"a/b", NameFault::kSeparator, "a\\x2fb", true},
    {"a\\x5cb", NameFault::kSeparator, "a\\x5cx5cb", false},
    {"\x1b[31mred", NameFault::kControl, "\\x1b[31mred", true},
    {"two\nlines\r\t\x7f", NameFault::kControl, "two\\x0alines\\x0d\\x09\\x7f", true},
    {"abc\x81", NameFault::kBrokenDoubleByte, "abc\\x81", false},
    {"\x81 x", NameFault::kBrokenDoubleByte, "\\x81 x", true},
    {"\x83\x5C/\x1b", NameFault::kSeparator, "\x83\x5C\\x2f\\x1b", true},
    {kLong260, NameFault::kTooLong, kLong260, true},
    {kLong260 + "\x01", NameFault::kControl, kLong260 + "\\x01", true},
    {"=cmd|' /C calc'!A0", NameFault::kSeparator, "=cmd|' \\x2fC calc'!A0", true},
};

TEST(StoredName, FaultsAndVisibleFormsOfHostileNames) {
    for (const NameCase& c : kNames) {
        EXPECT_EQ(FindNameFault(c.name.c_str()), c.fault) << c.visible;
        EXPECT_EQ(IsDamagedName(c.name.c_str()), c.fault != NameFault::kNone) << c.visible;
        EXPECT_EQ(VisibleName(c.name.c_str()), c.visible);
        EXPECT_EQ(FitsCatalogPath(c.name.c_str()), c.fitsPath) << c.visible;
    }
}

// No two names of the table, nor a damaged name and a sound one, look alike.
TEST(StoredName, VisibleFormsNeverNameAnotherEntry) {
    std::set<std::string> shown;
    for (const NameCase& c : kNames) {
        std::string visible = VisibleName(c.name.c_str());
        EXPECT_TRUE(shown.insert(visible).second) << visible;
        if (c.fault != NameFault::kNone) {
            EXPECT_NE(FindNameFault(visible.c_str()), NameFault::kNone) << visible;
        }
    }
}

// Paths split at their separators only, never at the trail byte of "ソ".
TEST(StoredName, PathsShowEachNameVisibly) {
    EXPECT_EQ(VisiblePath("R\\..\\\x83\x5C\\a/b\\\x1b", '/'), "R/\\x2e\\x2e/\x83\x5C/a\\x2fb/\\x1b");
    EXPECT_EQ(VisiblePath("..\\x.vmf", '/', true), "../x.vmf");
    EXPECT_EQ(VisiblePath("\\top\\", '\\'), "\\top\\");
    EXPECT_EQ(VisiblePath("", '/'), "");
}

}  // namespace
}  // namespace cataloom
