// Names that code page 932 cannot hold as they are, names with a backslash,
// and directories that cannot be read: the capture lists every directory by
// the name the system gave it, stores the code page 932 form, and counts
// what it had to change or leave out.
#include "core/CatalogReader.h"
#include "tests/core/CaptureRun.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#ifndef _WIN32
#include <dirent.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace cataloom {
namespace {

using test::CaptureRun;
using test::EntryNames;
using test::FindEntry;
using Outcome = CaptureTask::Outcome;

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

class CaptureNamesTest : public testing::Test {
protected:
    void SetUp() override { tmp_.MakeDir("src"); }

    std::string Source() const { return tmp_.Path("src"); }
    std::string Target() const { return tmp_.Path("n.vmf"); }
    void Make(const std::string& utf8, bool directory, std::size_t bytes = 0) {
        if (directory) tmp_.MakeNativeDir("src/" + utf8);
        else tmp_.MakeNativeFile("src/" + utf8, bytes);
    }

    test::TempTree tmp_;
};

// Each directory holds file.txt; the first also inner\deep.txt, reached
// through its changed parent.  The catalogue names are code page 932 (this
// file's strings are compiled to it); Linux converts through iconv, Windows
// gives "?" or a look-alike, as its ANSI calls do.
struct NameCase {
    const char* disk;  // UTF-8
    const char* stored;
    bool changed;
};

const NameCase kNames[] = {
#ifdef _WIN32
    {u8"第1話〜第3話", "第1話?第3話", true},
    {u8"Season 1—2", "Season 1?2", true},
    {u8"−5", "?5", true},
    {u8"¢£¬‖", "￠￡￢?", true},
    {u8"café", "cafe", true},
    {u8"한국어", "???", true},
    {u8"emoji😀", "emoji??", true},
#else
    {u8"第1話〜第3話", "第1話～第3話", true},
    {u8"Season 1—2", "Season 1―2", true},
    {u8"−5", "－5", true},
    {u8"¢£¬‖", "￠￡￢∥", true},
    {u8"café", "caf?", true},
    {u8"한국어", "???", true},
    {u8"emoji😀", "emoji?", true},
#endif
    {u8"写真", "写真", false},
};

TEST_F(CaptureNamesTest, NamesOutsideCodePage932KeepTheirContents) {
    std::vector<std::string> rootNames, changed;
    std::size_t size = 0;
    for (const NameCase& c : kNames) {
        Make(c.disk, true);
        Make(std::string(c.disk) + "/file.txt", false, ++size);
        rootNames.push_back(c.stored);
        if (c.changed) changed.push_back(Source() + "\\" + c.stored);
    }
    Make(std::string(kNames[0].disk) + "/inner", true);
    Make(std::string(kNames[0].disk) + "/inner/deep.txt", false, 100);
    Make(u8"メモ〜.txt", false, 1000);
#ifdef _WIN32
    const char memo[] = "メモ?.txt";
#else
    const char memo[] = "メモ～.txt";
#endif
    rootNames.push_back(memo);
    changed.push_back(Source() + "\\" + memo);

    CaptureRun run;
    test::RunCapture(Source(), Target(), "N", run);
    ASSERT_EQ(run.outcome, Outcome::kSucceeded);
    EXPECT_EQ(run.header.directoryCount, 9u);
    EXPECT_EQ(run.header.fileCount, 10u);
    EXPECT_EQ(run.report.changedNames, 8u);
    EXPECT_EQ(Sorted(run.report.changedPaths), Sorted(changed));
    EXPECT_EQ(run.report.unreadDirectories, 0u);
    EXPECT_TRUE(run.report.unreadPaths.empty());

    CatalogReader reader;
    ASSERT_EQ(reader.Open(Target().c_str()), kOk);
    EXPECT_EQ(Sorted(EntryNames(reader, "N")), Sorted(rootNames));
    size = 0;
    for (const NameCase& c : kNames) {
        SCOPED_TRACE(c.stored);
        std::string dir = std::string("N\\") + c.stored;
        bool first = &c == &kNames[0];
        std::vector<std::string> inside{"file.txt"};
        if (first) inside.push_back("inner");
        EXPECT_EQ(EntryNames(reader, dir), inside);
        EXPECT_EQ(FindEntry(reader, "N", c.stored).size, ++size + (first ? 100 : 0));
    }
    EXPECT_EQ(EntryNames(reader, std::string("N\\") + kNames[0].stored + "\\inner"),
              std::vector<std::string>{"deep.txt"});
    EXPECT_EQ(FindEntry(reader, "N", memo).size, 1000u);
}

#ifndef _WIN32
TEST_F(CaptureNamesTest, BackslashIsPartOfTheNameNotASeparator) {
    Make("back", true);
    Make("back/slash", true);
    Make("back/slash/other.txt", false, 3);
    Make("back\\slash", true);
    Make("back\\slash/own.txt", false, 5);
    Make("a\\b.txt", false, 7);

    CaptureRun run;
    test::RunCapture(Source(), Target(), "N", run);
    ASSERT_EQ(run.outcome, Outcome::kSucceeded);
    EXPECT_EQ(run.header.directoryCount, 3u);
    EXPECT_EQ(run.header.fileCount, 3u);
    EXPECT_EQ(run.report.changedNames, 2u);
    EXPECT_EQ(Sorted(run.report.changedPaths),
              (std::vector<std::string>{Source() + "\\a_b.txt", Source() + "\\back_slash"}));
    CatalogReader reader;
    ASSERT_EQ(reader.Open(Target().c_str()), kOk);
    EXPECT_EQ(EntryNames(reader, "N"), (std::vector<std::string>{"a_b.txt", "back", "back_slash"}));
    EXPECT_EQ(EntryNames(reader, "N\\back_slash"), std::vector<std::string>{"own.txt"});
    EXPECT_EQ(EntryNames(reader, "N\\back\\slash"), std::vector<std::string>{"other.txt"});
    EXPECT_EQ(FindEntry(reader, "N", "back_slash").size, 5u);
    EXPECT_EQ(FindEntry(reader, "N", "back").size, 3u);
}

// Takes out of the calling thread's effective set, while it lives, the two
// capabilities that let root read every directory, so permissions apply to
// this thread and to the threads it starts as they do to any user.
class WithoutReadOverride {
public:
    WithoutReadOverride() {
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        header_.pid = 0;
        if (syscall(SYS_capget, &header_, saved_) != 0) return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        dropped_ = syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~WithoutReadOverride() {
        if (dropped_) syscall(SYS_capset, &header_, saved_);
    }
    WithoutReadOverride(const WithoutReadOverride&) = delete;
    WithoutReadOverride& operator=(const WithoutReadOverride&) = delete;

private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool dropped_ = false;
};

TEST_F(CaptureNamesTest, UnreadableDirectoryIsCountedAndTheRestIsCaptured) {
    Make("locked", true);
    Make("locked/hidden-from-us.txt", false, 9);
    Make("locked/inner", true);
    Make("open", true);
    Make("open/f.txt", false, 4);
    std::string locked = test::NativePath(tmp_.Path("src\\locked"));
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);

    WithoutReadOverride asAnyUser;
    if (DIR* probe = opendir(locked.c_str())) {
        closedir(probe);
        GTEST_SKIP() << "this process reads directories whatever their permissions";
    }
    CaptureRun run;
    test::RunCapture(Source(), Target(), "N", run);
    ASSERT_EQ(run.outcome, Outcome::kSucceeded);
    EXPECT_EQ(run.header.directoryCount, 2u);
    EXPECT_EQ(run.header.fileCount, 1u);
    EXPECT_EQ(run.report.unreadDirectories, 1u);
    EXPECT_EQ(run.report.unreadPaths, std::vector<std::string>{Source() + "\\locked"});
    EXPECT_EQ(run.report.changedNames, 0u);
    CatalogReader reader;
    ASSERT_EQ(reader.Open(Target().c_str()), kOk);
    EXPECT_EQ(EntryNames(reader, "N"), (std::vector<std::string>{"locked", "open"}));
    EXPECT_EQ(EntryNames(reader, "N\\locked"), std::vector<std::string>{});
    EXPECT_EQ(EntryNames(reader, "N\\open"), std::vector<std::string>{"f.txt"});
}
#endif

}  // namespace
}  // namespace cataloom
