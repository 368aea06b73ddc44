// The platform seam against the real system: names in code page 932 on disk,
// the two collations, directory searches and the file wrapper.
#include "core/PathUtil.h"
#include "platform/Platform.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace cataloom {
namespace {

std::vector<std::string> List(const std::string& pattern) {
    std::vector<std::string> names;
    platform::DirectorySearch search(pattern.c_str());
    platform::FindData found;
    while (search.Next(found))
        if (!path::IsDotEntry(found.name)) names.emplace_back(found.name);
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Platform, DoubleByteNamesRoundTripThroughTheDisk) {
    test::TempTree tmp;
    const std::string soft = "\x83\x5C\x83\x74\x83\x67";  // "ソフト"
    tmp.MakeDir(soft);
    tmp.MakeFile(soft + "\\" + soft + ".txt", 3);
    EXPECT_EQ(List(tmp.Path("*.*")), std::vector<std::string>{soft});
    EXPECT_EQ(List(tmp.Path(soft + "\\*.*")), std::vector<std::string>{soft + ".txt"});
    EXPECT_TRUE(path::IsDirectory(tmp.Path(soft).c_str()));
    EXPECT_TRUE(path::HasFiles(tmp.Path(soft).c_str(), "*.txt"));
    EXPECT_FALSE(path::HasSubdirectories(tmp.Path(soft).c_str()));
    EXPECT_TRUE(path::HasSubdirectories(tmp.Root().c_str()));

    // The system itself sees the Japanese name, not the raw bytes.
    bool seen = false;
    for (const auto& e : std::filesystem::directory_iterator(tmp.Root()))
        seen = seen || e.path().filename().u8string() == u8"ソフト";
    EXPECT_TRUE(seen);
}

TEST(Platform, CollationsFoldCaseAndKeepDoubleByteCharactersWhole) {
    EXPECT_EQ(platform::CompareNoCase("\x83\x5Cx", "\x83\x5CX"), 0);
    EXPECT_EQ(platform::CompareNoCase("abc", "ABC"), 0);
    EXPECT_LT(platform::CompareNoCase("a", "B"), 0);
    EXPECT_LT(platform::CompareCase("a", "B"), 0);
    EXPECT_NE(platform::CompareCase("a", "A"), 0);
    EXPECT_LT(platform::CompareNoCase("Z", "\x83\x5C"), 0);  // Latin before kana
    // Names that differ by more than case sort the same under both.
    const char* names[] = {"alpha", "Beta", "gamma", "\x83\x5C"};
    for (const char* a : names) {
        for (const char* b : names) {
            if (platform::CompareNoCase(a, b) != 0) {
                EXPECT_EQ(platform::CompareNoCase(a, b) < 0, platform::CompareCase(a, b) < 0) << a << " " << b;
            }
        }
    }
}

TEST(Platform, SearchesAndFiles) {
    test::TempTree tmp;
    tmp.MakeFile("A.VMF", 1);
    tmp.MakeFile("b.vmf", 1);
    tmp.MakeFile("c.txt", 1);
    EXPECT_EQ(List(tmp.Path("*.vmf")), (std::vector<std::string>{"A.VMF", "b.vmf"}));
    EXPECT_EQ(List(tmp.Path("c.txt")), std::vector<std::string>{"c.txt"});
    EXPECT_TRUE(List(tmp.Path("none.txt")).empty());
    EXPECT_TRUE(path::Exists(tmp.Path("c.txt").c_str()));
    EXPECT_FALSE(path::Exists(tmp.Path("none").c_str()));

    platform::File file;
    EXPECT_FALSE(file.Open(tmp.Path("missing").c_str(), platform::File::kRead, 0, true));
    ASSERT_TRUE(file.Open(tmp.Path("new.bin").c_str(), platform::File::kReadWrite, 0, false));
    EXPECT_EQ(file.Write("0123456789", 10), 10u);
    ASSERT_TRUE(file.Seek(4, platform::File::kBegin));
    char buf[8] = {};
    EXPECT_EQ(file.Read(buf, 3), 3u);
    EXPECT_EQ(std::string(buf), "456");
    EXPECT_TRUE(file.Seek(-2, platform::File::kEnd));
    EXPECT_EQ(file.Read(buf, 8), 2u);
    EXPECT_TRUE(file.Close());
    EXPECT_FALSE(file.Close());
    platform::FileStamp stamp;
    ASSERT_TRUE(platform::GetFileStamp(tmp.Path("new.bin").c_str(), stamp));
    EXPECT_EQ(stamp.size, 10u);
    EXPECT_NE(stamp.lastWriteTime, 0u);

    EXPECT_TRUE(platform::MoveReplacing(tmp.Path("new.bin").c_str(), tmp.Path("c.txt").c_str()));
    EXPECT_EQ(test::ReadWholeFile(tmp.Path("c.txt")), "0123456789");
    EXPECT_TRUE(platform::RemoveFile(tmp.Path("c.txt").c_str()));
    EXPECT_FALSE(path::Exists(tmp.Path("c.txt").c_str()));
}

// A listing gives, beside the stored name, the name that reaches the entry
// and whether the stored one differs from the disk's.
TEST(Platform, ListingsGiveTheNativeNameToDescendBy) {
    test::TempTree tmp;
    tmp.MakeNativeDir(u8"ソフト");
    tmp.MakeNativeFile(u8"ソフト/in.txt", 1);
    tmp.MakeNativeDir(u8"〜");  // code page 932 has no such character
    tmp.MakeNativeFile(u8"〜/in.txt", 1);

    std::string root = platform::NativePath(tmp.Root().c_str());
    platform::DirectorySearch search(platform::NativeDirectory{root.c_str()});
    ASSERT_TRUE(search.IsOpen());
    platform::FindData found;
    int seen = 0;
    while (search.Next(found)) {
        if (path::IsDotEntry(found.name)) continue;
        ++seen;
        bool soft = std::string(found.name) == "\x83\x5C\x83\x74\x83\x67";
        SCOPED_TRACE(found.name);
#ifdef _WIN32
        EXPECT_EQ(found.name, std::string(soft ? "\x83\x5C\x83\x74\x83\x67" : "?"));
        if (soft) {
            EXPECT_STREQ(found.nativeName, found.name);
        }
#else
        EXPECT_EQ(found.name, std::string(soft ? "\x83\x5C\x83\x74\x83\x67" : "\x81\x60"));  // ソフト, ～
        EXPECT_STREQ(found.nativeName, soft ? u8"ソフト" : u8"〜");
#endif
        EXPECT_EQ(found.nameChanged, !soft);
        // The native name reaches the entry's own contents.
        std::string inside = platform::JoinNativePath(root, found.nativeName);
        platform::DirectorySearch below(platform::NativeDirectory{inside.c_str()});
        std::vector<std::string> names;
        platform::FindData f;
        while (below.Next(f))
            if (!path::IsDotEntry(f.name)) names.emplace_back(f.name);
        EXPECT_EQ(names, std::vector<std::string>{"in.txt"});
    }
    EXPECT_EQ(seen, 2);
    EXPECT_FALSE(platform::DirectorySearch(platform::NativeDirectory{""}).IsOpen());
}

TEST(Platform, NativePathsJoinWithOneSeparator) {
#ifdef _WIN32
    EXPECT_EQ(platform::NativePath("C:\\a\\b"), "C:\\a\\b");
    EXPECT_EQ(platform::JoinNativePath("C:\\", "x"), "C:\\x");
    EXPECT_EQ(platform::JoinNativePath("C:\\a", "x"), "C:\\a\\x");
    // "ソ" ends in the byte of a backslash: still a separator is added.
    EXPECT_EQ(platform::JoinNativePath("C:\\\x83\x5C", "x"), "C:\\\x83\x5C\\x");
#else
    EXPECT_EQ(platform::NativePath("\\tmp\\\x83\x5C"), u8"/tmp/ソ");
    EXPECT_EQ(platform::JoinNativePath("/", "x"), "/x");
    EXPECT_EQ(platform::JoinNativePath("/a", "x"), "/a/x");
    // A backslash is a plain character of a Linux name.
    EXPECT_EQ(platform::JoinNativePath("/a\\", "x"), "/a\\/x");
#endif
    EXPECT_EQ(platform::JoinNativePath("", "x"), "x");
}

TEST(Platform, VolumeOfTheTemporaryFolder) {
    test::TempTree tmp;
    std::uint64_t total = 0, free = 0;
    ASSERT_TRUE(platform::GetDiskSpace(tmp.Root().c_str(), total, free));
    EXPECT_GT(total, 0u);
    EXPECT_LE(free, total);
    std::uint32_t type = platform::DriveTypeOf(tmp.Root().c_str());
    EXPECT_TRUE(type == platform::kDriveFixed || type == platform::kDriveRamDisk) << type;
    EXPECT_GT(platform::CurrentTime(), 0x01D0000000000000ULL);  // after 2014
}

}  // namespace
}  // namespace cataloom
