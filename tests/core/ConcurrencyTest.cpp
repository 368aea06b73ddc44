// Several writers at once in one folder, and what killed ones leave.  The
// writers that start together are forked processes that wait on one pipe
// and start when it closes, so their temporary files are made within the
// same millisecond.
#include "core/CatalogFile.h"
#include "core/PathUtil.h"
#include "core/TemporaryFile.h"
#include "tests/core/CaptureRun.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace cataloom {
namespace {

// Leftovers of killed writers: a capture into the folder removes those
// older than a day that no writer holds, and leaves every other file.
TEST(Concurrency, StaleTemporaryFilesGoUnlessAWriterHoldsThem) {
    test::TempTree tmp;
    tmp.MakeDir("src");
    tmp.MakeFile("src\\f", 3);
    tmp.MakeDir("out");
    const platform::FileTime now = platform::CurrentTime();
    const platform::FileTime old = now - 2 * kStaleAge;
    for (const char* name : {"~vmf00000001.tmp", "~vmf00000002.tmp", "~vmfXYZ.tmp", "other.tmp"}) {
        tmp.WriteFile(std::string("out\\") + name, "left");
        // Only the second one was written within the day.
        ASSERT_TRUE(test::SetWriteTime(tmp.Path(std::string("out\\") + name),
                                       std::string(name) == "~vmf00000002.tmp" ? now : old));
    }
    std::vector<std::string> stale = {"~vmf00000001.tmp"};
    TemporaryFile held;
#ifndef _WIN32
    // A writer that has been at it for two days still holds its file.
    ASSERT_TRUE(held.Create(tmp.Path("out\\~vmf"), [] { return 3u; }));
    ASSERT_TRUE(test::SetWriteTime(held.Path(), old));
    stale.push_back("~vmf00000003.tmp");
#endif
    EXPECT_EQ(StaleTemporaryFiles(tmp.Path("out").c_str(), now), stale);

    test::CaptureRun run;
    test::RunCapture(tmp.Path("src"), tmp.Path("out\\disc.vmf"), "D", run);
    ASSERT_EQ(run.outcome, CaptureTask::Outcome::kSucceeded);
    EXPECT_EQ(run.staleRemoved, 1u);
    EXPECT_EQ(run.staleKept, std::vector<std::string>(stale.begin() + 1, stale.end()));
    std::vector<std::string> left = {"disc.vmf", "other.tmp", "~vmf00000002.tmp", "~vmfXYZ.tmp"};
    if (held.File().IsOpen()) left.push_back("~vmf00000003.tmp");
    std::vector<std::string> names = test::FolderNames(tmp.Path("out"));
    std::sort(names.begin(), names.end());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(names, left);
}

#ifndef _WIN32
// Runs `work` in `count` child processes released together; the children's
// exit statuses.
template <typename Work>
std::vector<int> RunTogether(int count, Work work) {
    int barrier[2];
    if (pipe(barrier) != 0) return {};
    std::vector<pid_t> children;
    for (int i = 0; i < count; ++i) {
        pid_t pid = fork();
        if (pid == 0) {
            close(barrier[1]);
            char byte;
            while (read(barrier[0], &byte, 1) > 0) {
            }
            _exit(work(i));
        }
        children.push_back(pid);
    }
    close(barrier[0]);
    close(barrier[1]);
    std::vector<int> statuses;
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        statuses.push_back(WIFEXITED(status) ? WEXITSTATUS(status) : 128);
    }
    return statuses;
}

// Header rewrites of several catalogues in one folder, started together.
TEST(Concurrency, HeaderRewritesStartedTogetherEachKeepTheirOwnFile) {
    test::TempTree tmp;
    tmp.MakeDir("src");
    tmp.MakeFile("src\\f", 3);
    constexpr int kTrials = 20;
    constexpr int kWriters = 6;
    auto target = [&](int i) { return tmp.Path("w" + std::to_string(i) + ".vmf"); };
    for (int i = 0; i < kWriters; ++i) {
        test::CaptureRun run;
        test::RunCapture(tmp.Path("src"), target(i), "w" + std::to_string(i), run);
        ASSERT_EQ(run.outcome, CaptureTask::Outcome::kSucceeded);
    }
    int failed = 0;
    std::string first;
    for (int trial = 0; trial < kTrials; ++trial) {
        auto name = [&](int i) { return "t" + std::to_string(trial) + "w" + std::to_string(i); };
        std::vector<int> statuses = RunTogether(kWriters, [&](int i) {
            CatalogHeader header;
            if (!ReadCatalogHeader(target(i).c_str(), &header)) return 2;
            text::CopyTruncated(header.name, sizeof header.name, name(i).c_str());
            return ReplaceHeader(target(i).c_str(), &header) ? 0 : 1;
        });
        ASSERT_EQ(statuses.size(), static_cast<std::size_t>(kWriters));
        bool sound = true;
        for (int i = 0; i < kWriters; ++i) {
            CatalogHeader header;
            bool own = statuses[i] == 0 && ReadCatalogHeader(target(i).c_str(), &header) && name(i) == header.name;
            if (!own && first.empty()) first = name(i) + ": status " + std::to_string(statuses[i]);
            sound = sound && own;
        }
        failed += sound ? 0 : 1;
    }
    EXPECT_EQ(failed, 0) << "of " << kTrials << " trials; first: " << first;
}
#endif

}  // namespace
}  // namespace cataloom
