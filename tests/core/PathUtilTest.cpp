#include "core/PathUtil.h"

#include <gtest/gtest.h>

#include <cstdint>

#include <cstring>

namespace cataloom {
namespace {

// "ソ" in code page 932: its trail byte is a backslash.
#define SO "\x83\x5C"
#define HYO "\x95\x5C"  // 表

TEST(PathUtil, JoiningAddsOneBackslashOnlyWhenMissing) {
    char p[kMaxPath] = "C:\\data";
    EXPECT_TRUE(path::Append(p, "disc"));
    EXPECT_STREQ(p, "C:\\data\\disc");
    EXPECT_TRUE(path::Append(p, ""));
    EXPECT_STREQ(p, "C:\\data\\disc");
    char root[kMaxPath] = "C:\\";
    EXPECT_TRUE(path::Append(root, "x"));
    EXPECT_STREQ(root, "C:\\x");
    char empty[kMaxPath] = "";
    EXPECT_TRUE(path::Append(empty, "name"));
    EXPECT_STREQ(empty, "name");

    // A folder ending in "ソ" does not end in a backslash.
    char dbcs[kMaxPath] = "C:\\" SO;
    EXPECT_FALSE(path::EndsWithBackslash(dbcs));
    EXPECT_TRUE(path::Append(dbcs, "a"));
    EXPECT_STREQ(dbcs, "C:\\" SO "\\a");
    char dbcs2[kMaxPath] = "C:\\" SO;
    EXPECT_TRUE(path::AddBackslash(dbcs2));
    EXPECT_STREQ(dbcs2, "C:\\" SO "\\");
    EXPECT_TRUE(path::RemoveBackslash(dbcs2));
    EXPECT_FALSE(path::RemoveBackslash(dbcs2));
    EXPECT_STREQ(dbcs2, "C:\\" SO);
}

TEST(PathUtil, LengthLimitLeavesTheBufferUnchanged) {
    char p[kMaxPath];
    std::memset(p, 'a', 258);
    p[258] = '\0';
    EXPECT_FALSE(path::Append(p, "b"));  // 258 + 1 + 1 + terminator > 260
    EXPECT_EQ(std::strlen(p), 258u);
    EXPECT_TRUE(path::AddBackslash(p));  // exactly 260 with the terminator
    EXPECT_FALSE(path::AddExtension(p, ".vmf"));
    char out[kMaxPath] = "keep";
    EXPECT_FALSE(path::Combine(out, p, "x"));
    EXPECT_STREQ(out, "keep");
}

TEST(PathUtil, ComponentsAndExtensionsNeverSplitDoubleByteCharacters) {
    EXPECT_STREQ(path::LastComponent("C:\\a\\" SO "x"), SO "x");
    EXPECT_STREQ(path::LastComponent("C:\\a" SO), "C:\\a" SO + 3);
    EXPECT_STREQ(path::LastComponent("noseparator"), "noseparator");
    EXPECT_STREQ(path::LastComponent(SO), SO);
    char p[kMaxPath] = "C:\\" SO "\\" SO;
    EXPECT_TRUE(path::RemoveLastComponent(p));
    EXPECT_STREQ(p, "C:\\" SO "\\");
    char single[kMaxPath] = SO;
    EXPECT_FALSE(path::RemoveLastComponent(single));

    EXPECT_STREQ(path::Extension("a.b.vmf"), ".b.vmf");
    EXPECT_STREQ(path::Extension("C:\\x.y\\disc"), "");
    EXPECT_STREQ(path::Extension("C:\\dir.d\\"), "");
    char disc[kMaxPath] = "disc";
    EXPECT_TRUE(path::AddExtension(disc, ".vmf"));
    EXPECT_STREQ(disc, "disc.vmf");
    char numbered[kMaxPath] = "disc.1";
    EXPECT_TRUE(path::AddExtension(numbered, ".vmf"));
    EXPECT_STREQ(numbered, "disc.1");

    const char* s = SO "\\";
    EXPECT_EQ(text::FindChar(s, '\\'), s + 2);
    EXPECT_EQ(text::FindCharBackward(s, s + 2, '\\'), nullptr);
}

TEST(PathUtil, RootsAndFullPaths) {
    EXPECT_TRUE(path::IsRoot("C:"));
    EXPECT_TRUE(path::IsRoot("c:\\"));
    EXPECT_FALSE(path::IsRoot("C:\\dir"));
    EXPECT_TRUE(path::IsRoot("\\\\server\\share"));
    EXPECT_FALSE(path::IsRoot("\\\\server\\share\\"));  // a share root has no trailing separator
    EXPECT_FALSE(path::IsRoot("\\\\server\\share\\dir"));
    EXPECT_FALSE(path::IsRoot(""));

    EXPECT_TRUE(path::IsFullPath("C:"));
    EXPECT_TRUE(path::IsFullPath("\\\\server\\share"));
    EXPECT_FALSE(path::IsFullPath("\\\\server"));
    EXPECT_FALSE(path::IsFullPath("relative\\dir"));

    char p[kMaxPath] = "C:\\a\\b\\c";
    EXPECT_TRUE(path::ReduceToRoot(p));
    EXPECT_STREQ(p, "C:\\");
    char unc[kMaxPath] = "\\\\srv\\share\\" SO "\\x";
    EXPECT_TRUE(path::ReduceToRoot(unc));
    EXPECT_STREQ(unc, "\\\\srv\\share");
    char rel[kMaxPath] = "a\\b";
    EXPECT_FALSE(path::ReduceToRoot(rel));
    EXPECT_STREQ(rel, "a\\b");
}

TEST(PathUtil, PlainNamesAreKeptAsGivenAndStayInTheFolder) {
    for (const char* name : {".", "..", "...", ".. ", "abc.", "sp ", "a\\b", "a/b", "C:", ""})
        EXPECT_FALSE(path::IsPlainName(name)) << name;
    // "表" and "ソ" end in a 0x5C trail byte; ".a" and "a.b" keep their dots.
    for (const char* name : {"a", ".a", "a.b", " a", HYO, SO, "a" SO})
        EXPECT_TRUE(path::IsPlainName(name)) << name;
}

TEST(PathUtil, NamesAndNumbers) {
    EXPECT_TRUE(path::IsDotEntry("."));
    EXPECT_TRUE(path::IsDotEntry(".."));
    EXPECT_FALSE(path::IsDotEntry("..."));
    EXPECT_FALSE(path::IsValidName(""));
    EXPECT_FALSE(path::IsValidName("a:b"));
    EXPECT_FALSE(path::IsValidName("a;b"));
    EXPECT_FALSE(path::IsValidName("a\x01" "b"));
    EXPECT_FALSE(path::IsValidName("\x1b[31m"));
    EXPECT_FALSE(path::IsValidName("tab\t"));
    // The trail byte of "ソ" is not an invalid backslash.
    EXPECT_TRUE(path::IsValidName(SO "x"));
    char name[kMaxPath] = "srv\\sh" SO "a|b\x1f";
    path::ReplaceInvalidChars(name, '_');
    EXPECT_STREQ(name, "srv_sh" SO "a_b_");

    EXPECT_EQ(text::ParseInt("-12x"), -12);
    EXPECT_EQ(text::ParseInt("-"), 0);
    EXPECT_EQ(text::ParseInt("12345678901"), 1234567890);
    // The ends of the range, and beyond them the 32-bit wrap, without
    // overflowing a signed value on the way.
    EXPECT_EQ(text::ParseInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(text::ParseInt("2147483647"), INT32_MAX);
    EXPECT_EQ(text::ParseInt("-2147483647"), -INT32_MAX);
    EXPECT_EQ(text::ParseInt("2147483648"), INT32_MIN);
    EXPECT_EQ(text::ParseInt("4294967295"), -1);
    EXPECT_EQ(text::ParseInt("-4294967295"), 1);
    EXPECT_EQ(text::ParseInt("-0"), 0);
    char icon[kMaxPath] = "C:\\icons\\a,b.dll,-7";
    EXPECT_EQ(path::SplitNumberSuffix(icon), -7);
    EXPECT_STREQ(icon, "C:\\icons\\a,b.dll");
    char plain[kMaxPath] = "shell32.dll";
    EXPECT_EQ(path::SplitNumberSuffix(plain), 0);
    EXPECT_STREQ(plain, "shell32.dll");

    char out[4];
    EXPECT_EQ(text::CopyTruncated(out, sizeof(out), "ab" SO), 2u);
    EXPECT_STREQ(out, "ab");
}

TEST(PathUtil, RelativeToEndsTheFolderOnAComponentBoundary) {
    EXPECT_STREQ(path::RelativeTo("C:\\data", "C:\\data\\a.vmf"), "a.vmf");
    EXPECT_STREQ(path::RelativeTo("C:\\data", "c:\\DATA\\cat\\a.vmf"), "cat\\a.vmf");
    EXPECT_STREQ(path::RelativeTo("C:\\", "C:\\a.vmf"), "a.vmf");
    EXPECT_STREQ(path::RelativeTo("C:\\data\\", "C:\\data\\a.vmf"), "a.vmf");
    // A folder whose name merely starts the same holds nothing of the other.
    EXPECT_EQ(path::RelativeTo("C:\\data", "C:\\database\\a.vmf"), nullptr);
    EXPECT_EQ(path::RelativeTo("C:\\data", "C:\\data"), nullptr);
    EXPECT_EQ(path::RelativeTo("C:\\data", "C:\\data\\"), nullptr);
    EXPECT_EQ(path::RelativeTo("C:\\data", "C:\\dat"), nullptr);
    EXPECT_EQ(path::RelativeTo("D:\\data", "C:\\data\\a.vmf"), nullptr);
    EXPECT_EQ(path::RelativeTo("", "C:\\a.vmf"), nullptr);
    EXPECT_EQ(path::RelativeTo(nullptr, "C:\\a.vmf"), nullptr);
    EXPECT_EQ(path::RelativeTo("C:\\data", nullptr), nullptr);
    // "ソ" ends in the byte 0x5C: a cut inside it is no boundary.
    EXPECT_STREQ(path::RelativeTo("C:\\" SO, "C:\\" SO "\\a"), "a");
    EXPECT_EQ(path::RelativeTo("C:\\\x83", "C:\\" SO "\\a"), nullptr);
    EXPECT_STREQ(path::RelativeTo("C:\\" SO "\\", "C:\\" SO "\\" SO), SO);
}

}  // namespace
}  // namespace cataloom
