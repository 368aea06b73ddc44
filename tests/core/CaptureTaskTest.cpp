#include "core/CaptureTexts.h"
#include "core/CatalogCheck.h"
#include "core/CatalogReader.h"
#include "core/PathUtil.h"
#include "tests/core/CaptureRun.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#endif

namespace cataloom {
namespace {

using test::NativePath;

using test::CaptureRun;
using test::EntryNames;
using test::FindEntry;
using Outcome = CaptureTask::Outcome;

#define PHOTO "写真"
#define SOURCE_TXT "ソース.txt"  // "ソ" ends in the trail byte 0x5C

class CaptureTaskTest : public testing::Test {
protected:
    // src: A\deep.txt (5), b\sub\x.bin (100), b\y (7), the empty directory
    // "empty", 写真\ソース.txt (3), top.txt (13); hidden: the directory
    // .hidden with f (11) and inner, and the file .dotfile.
    void MakeSample() {
        tmp_.MakeDir("src");
        tmp_.MakeDir("src\\A");
        tmp_.MakeFile("src\\A\\deep.txt", 5);
        tmp_.MakeDir("src\\b");
        tmp_.MakeDir("src\\b\\sub");
        tmp_.MakeFile("src\\b\\sub\\x.bin", 100);
        tmp_.MakeFile("src\\b\\y", 7);
        tmp_.MakeDir("src\\empty");
        tmp_.MakeDir("src\\" PHOTO);
        tmp_.MakeFile("src\\" PHOTO "\\" SOURCE_TXT, 3);
        tmp_.MakeFile("src\\top.txt", 13);
        tmp_.MakeDir("src\\.hidden");
        tmp_.MakeFile("src\\.hidden\\f", 11);
        tmp_.MakeDir("src\\.hidden\\inner");
        tmp_.Hide("src\\.hidden");
        tmp_.MakeFile("src\\.dotfile", 1);
        tmp_.Hide("src\\.dotfile");
    }

    std::string Source() const { return tmp_.Path("src"); }
    std::string Target() const { return tmp_.Path("out\\disc.vmf"); }

    test::TempTree tmp_;
};

TEST_F(CaptureTaskTest, RecordsTheTreeWithCountsTotalsAndFlags) {
    MakeSample();
    tmp_.MakeDir("out");
    CaptureRun run;
    test::RunCapture(Source(), Target(), "DISC", run);
    ASSERT_EQ(run.outcome, Outcome::kSucceeded);

    // Hidden directories are recorded; hidden entries are in no list.
    EXPECT_EQ(run.header.directoryCount, 7u);
    EXPECT_EQ(run.header.fileCount, 6u);  // the hidden directory's own file counts
    CatalogReader reader;
    ASSERT_EQ(reader.Open(Target().c_str()), kOk);
    EXPECT_EQ(reader.DirectoryCount(), 8u);
    EXPECT_EQ(EntryNames(reader, "DISC"), (std::vector<std::string>{"A", "b", "empty", "top.txt", PHOTO}));
    EXPECT_EQ(EntryNames(reader, "DISC\\.hidden"), (std::vector<std::string>{"f", "inner"}));
    EXPECT_EQ(EntryNames(reader, "DISC\\" PHOTO), std::vector<std::string>{SOURCE_TXT});
    EXPECT_EQ(EntryNames(reader, "DISC\\empty"), std::vector<std::string>{});
    EXPECT_EQ(EntryNames(reader, "DISC\\b\\sub"), std::vector<std::string>{"x.bin"});

    // Totals are the bytes below each directory; the flag says whether it has sub-directories.
    EXPECT_EQ(FindEntry(reader, "DISC", "A").size, 5u);
    EXPECT_EQ(FindEntry(reader, "DISC", "b").size, 107u);
    EXPECT_EQ(FindEntry(reader, "DISC\\b", "sub").size, 100u);
    EXPECT_EQ(FindEntry(reader, "DISC", PHOTO).size, 3u);
    EXPECT_EQ(FindEntry(reader, "DISC", "empty").size, 0u);
    EXPECT_EQ(FindEntry(reader, "DISC", "top.txt").size, 13u);
    EXPECT_EQ(FindEntry(reader, "DISC", "b").hasFolders, 1u);
    EXPECT_EQ(FindEntry(reader, "DISC", "A").hasFolders, 0u);
    EXPECT_EQ(FindEntry(reader, "DISC", "b").attributes & platform::kAttrDirectory, platform::kAttrDirectory);

    CatalogCheck check;
    EXPECT_TRUE(check.Run(Target().c_str())) << (check.Problems().empty() ? "" : check.Problems()[0]);
    EXPECT_TRUE(check.Notes().empty());
    // Nothing but the catalogue is left in the target folder.
    EXPECT_EQ(test::FolderNames(tmp_.Path("out")), std::vector<std::string>{"disc.vmf"});
}

TEST_F(CaptureTaskTest, ReportsEachPhaseAndTheEnd) {
    MakeSample();
    CaptureRun run;
    test::RunCapture(Source(), tmp_.Path("disc.vmf"), "DISC", run);
    ASSERT_EQ(run.outcome, Outcome::kSucceeded);
    EXPECT_EQ(run.sink.phases,
              (std::vector<std::string>{capture_text::kBuildingIndex, capture_text::kCreatingFile,
                                        capture_text::kWritingFile, capture_text::kComputingSizes,
                                        capture_text::kCaptureComplete}));
    EXPECT_EQ(run.sink.details.back(), capture_text::kPressF5);
    // The scan shows directory names, the totals pass entry names.
    EXPECT_NE(std::find(run.sink.details.begin(), run.sink.details.end(), PHOTO), run.sink.details.end());
    EXPECT_EQ(run.sink.finishedCalls, 1);
    EXPECT_TRUE(run.sink.finishedSuccess);
}

TEST_F(CaptureTaskTest, EmptySourceGivesOneRootRecordAndOneEmptyList) {
    tmp_.MakeDir("src");
    CaptureRun run;
    test::RunCapture(Source(), tmp_.Path("e.vmf"), "E", run);
    ASSERT_EQ(run.outcome, Outcome::kSucceeded);
    EXPECT_EQ(run.header.directoryCount, 0u);
    EXPECT_EQ(run.header.fileCount, 0u);
    EXPECT_EQ(run.header.tableSize, 25u + 1u + 2u);
    std::string bytes = test::ReadWholeFile(tmp_.Path("e.vmf"));
    EXPECT_EQ(bytes.size(), kHeaderSize + 28u + 2u);
}

TEST_F(CaptureTaskTest, RecordsSubdirectoriesInCollationOrder) {
    tmp_.MakeDir("src");
    tmp_.MakeDir("src\\b");
    tmp_.MakeDir("src\\A");
    tmp_.MakeDir("src\\b\\z");
    tmp_.MakeDir("src\\A\\y");
    CaptureRun run;
    test::RunCapture(Source(), tmp_.Path("o.vmf"), "O", run);
    ASSERT_EQ(run.outcome, Outcome::kSucceeded);
    std::string bytes = test::ReadWholeFile(tmp_.Path("o.vmf"));
    // Breadth first: root, A, b, then A's child before b's.
    std::vector<std::string> names;
    for (std::size_t pos = kHeaderSize; DirectoryRecord::Size(reinterpret_cast<const std::uint8_t*>(&bytes[pos])) != 0;
         pos += DirectoryRecord::Size(reinterpret_cast<const std::uint8_t*>(&bytes[pos])))
        names.emplace_back(DirectoryRecord::Name(reinterpret_cast<const std::uint8_t*>(&bytes[pos])));
    EXPECT_EQ(names, (std::vector<std::string>{"O", "A", "b", "y", "z"}));
}

TEST_F(CaptureTaskTest, DirectoryBeyondThePathLimitIsRecordedButNotListed) {
    tmp_.MakeDir("src");
    std::string component(60, 'd');
    std::string path = Source();
    std::vector<std::string> levels;
    test::LongDirectories chain;
    for (int level = 0; level < 6; ++level) {
        path += "\\" + component;
        levels.push_back(path);
        ASSERT_TRUE(chain.Make(path));
    }
    // The first level whose path passes the limit (with room for "\*.*").
    std::size_t firstLong = 0;
    while (levels[firstLong].size() + 4 < kMaxPath) ++firstLong;
    ASSERT_GE(firstLong, 2u);

    CaptureRun run;
    test::RunCapture(Source(), tmp_.Path("deep.vmf"), "DEEP", run);
    ASSERT_EQ(run.outcome, Outcome::kSucceeded);
    EXPECT_EQ(run.header.directoryCount, firstLong + 1);
    CatalogReader reader;
    ASSERT_EQ(reader.Open(tmp_.Path("deep.vmf").c_str()), kOk);
    std::string inside = "DEEP";
    for (std::size_t level = 0; level < firstLong; ++level) inside += "\\" + component;
    EXPECT_EQ(EntryNames(reader, inside), std::vector<std::string>{component});
    EXPECT_EQ(FindEntry(reader, inside, component).hasFolders, 0u);
    EXPECT_EQ(EntryNames(reader, inside + "\\" + component), std::vector<std::string>{});
    CatalogCheck check;
    EXPECT_TRUE(check.Run(tmp_.Path("deep.vmf").c_str()));
    // Its contents are missing: the report says which directory.
    EXPECT_EQ(run.report.unreadDirectories, 1u);
    EXPECT_EQ(run.report.unreadPaths, std::vector<std::string>{levels[firstLong]});
    EXPECT_EQ(run.report.changedNames, 0u);
}

#ifndef _WIN32
TEST_F(CaptureTaskTest, SymbolicLinksAreRecordedButNeverEntered) {
    tmp_.MakeDir("src");
    tmp_.MakeDir("src\\sub");
    tmp_.MakeFile("src\\sub\\f", 4);
    ASSERT_EQ(symlink(".", (NativePath(Source()) + "/loop").c_str()), 0);
    ASSERT_EQ(symlink("..", (NativePath(Source()) + "/sub/up").c_str()), 0);
    CaptureRun run;
    test::RunCapture(Source(), tmp_.Path("l.vmf"), "L", run);
    ASSERT_EQ(run.outcome, Outcome::kSucceeded);
    EXPECT_EQ(run.header.directoryCount, 3u);  // loop, sub, sub/up
    CatalogReader reader;
    ASSERT_EQ(reader.Open(tmp_.Path("l.vmf").c_str()), kOk);
    test::EntryView loop = FindEntry(reader, "L", "loop");
    ASSERT_TRUE(loop.found);
    EXPECT_EQ(loop.attributes & (platform::kAttrDirectory | platform::kAttrReparsePoint),
              platform::kAttrDirectory | platform::kAttrReparsePoint);
    EXPECT_EQ(loop.hasFolders, 0u);
    EXPECT_EQ(EntryNames(reader, "L\\loop"), std::vector<std::string>{});
    EXPECT_EQ(EntryNames(reader, "L\\sub\\up"), std::vector<std::string>{});
    EXPECT_EQ(FindEntry(reader, "L", "sub").size, 4u);
}

TEST_F(CaptureTaskTest, FailedWriteLeavesTheOldCatalogueAndNoPartialFile) {
    MakeSample();
    tmp_.MakeDir("out");
    tmp_.WriteFile("out\\disc.vmf", "OLD");
    // Writes beyond 600 bytes fail as on a full disk.
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 600;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    CaptureRun run;
    test::RunCapture(Source(), Target(), "DISC", run);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(run.outcome, Outcome::kWriteFailed);
    EXPECT_FALSE(run.sink.finishedSuccess);
    EXPECT_EQ(run.sink.phases.back(), capture_text::kCaptureFailed);
    EXPECT_EQ(run.sink.details.back(), capture_text::kDiskFull);
    EXPECT_EQ(test::ReadWholeFile(Target()), "OLD");
    EXPECT_EQ(test::FolderNames(tmp_.Path("out")), std::vector<std::string>{"disc.vmf"});
}
#endif

TEST_F(CaptureTaskTest, AFolderThatRefusesFilesFailsWithItsCause) {
    MakeSample();
    tmp_.MakeDir("out");
    // A path that cannot take the temporary file's name, and (where the
    // process is not all-powerful) a folder without write permission.
    const std::string deep = tmp_.MakeDir("out\\" + std::string(240 - tmp_.Root().size(), 'd'));
    struct Case {
        std::string target;
        const char* detail;
    };
    std::vector<Case> cases = {{deep + "\\x.vmf", capture_text::kNameTooLong}};
#ifndef _WIN32
    const std::string locked = tmp_.MakeDir("locked");
    chmod(NativePath(locked).c_str(), 0555);
    if (geteuid() != 0) cases.push_back({locked + "\\x.vmf", capture_text::kAccessDenied});
#endif
    for (const Case& c : cases) {
        CaptureRun run;
        test::RunCapture(Source(), c.target, "DISC", run);
        EXPECT_EQ(run.outcome, Outcome::kCannotCreate) << c.target;
        EXPECT_EQ(run.sink.details.back(), c.detail) << c.target;
        EXPECT_FALSE(path::Exists(c.target.c_str()));
    }
}

TEST_F(CaptureTaskTest, MissingTargetFolderFailsWithTheOpenText) {
    MakeSample();
    CaptureRun run;
    test::RunCapture(Source(), tmp_.Path("missing\\disc.vmf"), "DISC", run);
    EXPECT_EQ(run.outcome, Outcome::kCannotCreate);
    EXPECT_EQ(run.sink.details.back(), capture_text::kCannotOpenFile);
    EXPECT_EQ(run.sink.phases.back(), capture_text::kCaptureFailed);
    EXPECT_FALSE(run.sink.finishedSuccess);
}

TEST_F(CaptureTaskTest, TargetThatCannotBeReplacedFailsAndLeavesNothing) {
    MakeSample();
    tmp_.MakeDir("out");
    tmp_.MakeDir("out\\disc.vmf");  // a directory of that name cannot be replaced
    CaptureRun run;
    test::RunCapture(Source(), Target(), "DISC", run);
    EXPECT_EQ(run.outcome, Outcome::kCannotCreate);
    EXPECT_EQ(run.sink.details.back(), capture_text::kCannotOpenFile);
    EXPECT_EQ(test::FolderNames(tmp_.Path("out")), std::vector<std::string>{"disc.vmf"});
    EXPECT_TRUE(path::IsDirectory(Target().c_str()));
}

// A stop during the scan or while writing fails and leaves an older catalogue
// of that name as it was; a stop during the totals pass still succeeds.
TEST_F(CaptureTaskTest, StopsInEachPhase) {
    MakeSample();
    tmp_.MakeDir("out");
    struct Case {
        const char* phase;
        Outcome expected;
    };
    for (Case c : {Case{capture_text::kBuildingIndex, Outcome::kStopped},
                   Case{capture_text::kWritingFile, Outcome::kStopped},
                   Case{capture_text::kComputingSizes, Outcome::kSucceeded}}) {
        SCOPED_TRACE(c.phase);
        tmp_.WriteFile("out\\disc.vmf", "OLD");
        CaptureRun run;
        test::RunCapture(Source(), Target(), "DISC", run, c.phase);
        EXPECT_EQ(run.outcome, c.expected);
        EXPECT_EQ(test::FolderNames(tmp_.Path("out")), std::vector<std::string>{"disc.vmf"});
        if (c.expected == Outcome::kStopped) {
            EXPECT_EQ(test::ReadWholeFile(Target()), "OLD");
            EXPECT_EQ(run.sink.phases.back(), capture_text::kCaptureFailed);
            EXPECT_FALSE(run.sink.finishedSuccess);
        } else {
            CatalogCheck check;
            EXPECT_TRUE(check.Run(Target().c_str()));
            EXPECT_FALSE(check.Notes().empty());  // some totals were left out
            EXPECT_EQ(run.unknownTotals, check.Notes().size());  // and the task counted them
            EXPECT_EQ(run.sink.phases.back(), capture_text::kCaptureComplete);
        }
    }
    // Stopped during the scan, the detail line says that the index failed.
    CaptureRun run;
    test::RunCapture(Source(), Target(), "DISC", run, capture_text::kBuildingIndex);
    EXPECT_EQ(run.sink.details.back(), capture_text::kIndexFailed);
    // Stopped while creating the file: nothing is written either.
    tmp_.WriteFile("out\\disc.vmf", "OLD");
    CaptureRun early;
    test::RunCapture(Source(), Target(), "DISC", early, capture_text::kCreatingFile, true);
    EXPECT_EQ(early.outcome, Outcome::kStopped);
    EXPECT_EQ(test::ReadWholeFile(Target()), "OLD");
}

}  // namespace
}  // namespace cataloom
