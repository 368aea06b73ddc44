// The capture lists every directory once.  This reference follows the
// stepwise algorithm instead: scan the tree breadth first, then list every
// directory again while writing, asking each sub-directory whether it has
// sub-directories of its own.  Both must write the same bytes.
#include "core/CatalogWriter.h"
#include "core/PathUtil.h"
#include "tests/core/CaptureRun.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace cataloom {
namespace {

using test::NativePath;

bool IsEnterable(const platform::FindData& f) {
    return (f.attributes & platform::kAttrDirectory) != 0 && (f.attributes & platform::kAttrReparsePoint) == 0;
}

std::string PathOf(const std::vector<DirectoryNode>& table, const std::string& source, std::size_t index) {
    if (index == 0) return source;
    return PathOf(table, source, table[index].parentId - 1) + "\\" + table[index].name;
}

bool Fits(const std::string& path) { return path.size() + 4 < kMaxPath; }  // room for "\*.*"

// Sub-directories of a directory, hidden ones included, unless it is a
// reparse point or its path is too long.
bool ReferenceHasSubdirectories(const std::string& path, bool enterable) {
    if (!enterable || !Fits(path)) return false;
    platform::DirectorySearch search((path + "\\*.*").c_str());
    platform::FindData f;
    while (search.Next(f))
        if (!path::IsDotEntry(f.name) && (f.attributes & platform::kAttrDirectory) != 0) return true;
    return false;
}

bool ReferenceCapture(const std::string& source, const std::string& target, CatalogHeader header) {
    // ScanTree: breadth first, each directory's sub-directory names sorted.
    std::vector<DirectoryNode> table(1);
    table[0].name = header.name;
    table[0].id = 1;
    table[0].depth = 1;
    std::vector<bool> enterable{true};
    for (std::size_t i = 0; i < table.size(); ++i) {
        std::string path = PathOf(table, source, i);
        if (!enterable[i] || !Fits(path)) continue;
        std::vector<std::pair<std::string, bool>> names;
        platform::DirectorySearch search((path + "\\*.*").c_str());
        platform::FindData f;
        while (search.Next(f))
            if (!path::IsDotEntry(f.name) && (f.attributes & platform::kAttrDirectory) != 0)
                names.emplace_back(f.name, IsEnterable(f));
        std::stable_sort(names.begin(), names.end(), [](const auto& a, const auto& b) {
            return platform::CompareNoCase(a.first.c_str(), b.first.c_str()) < 0;
        });
        for (const auto& [name, enter] : names) {
            DirectoryNode node;
            node.name = name;
            node.id = static_cast<std::uint32_t>(table.size() + 1);
            node.parentId = table[i].id;
            node.depth = static_cast<std::uint8_t>(table[i].depth + 1);
            table.push_back(node);
            enterable.push_back(enter);
        }
    }
    // Writing: every directory listed again.
    CatalogWriter writer;
    if (!writer.Create(target.c_str()) || !writer.WriteHeaderAndTable(header, table)) return false;
    for (std::size_t i = 0; i < table.size(); ++i) {
        std::vector<EntryData> entries;
        std::string path = PathOf(table, source, i);
        if (enterable[i] && Fits(path)) {
            platform::DirectorySearch search((path + "\\*.*").c_str());
            platform::FindData f;
            while (search.Next(f)) {
                if (path::IsDotEntry(f.name) || (f.attributes & (platform::kAttrHidden | platform::kAttrSystem)))
                    continue;
                EntryData e;
                e.name = f.name;
                e.attributes = f.attributes;
                e.creationTime = f.creationTime;
                e.writeTime = f.lastWriteTime;
                bool directory = (f.attributes & platform::kAttrDirectory) != 0;
                e.size = directory ? kUnknownTotal : f.size;
                e.hasFolders = directory && ReferenceHasSubdirectories(path + "\\" + f.name, IsEnterable(f));
                entries.push_back(e);
            }
        }
        SortEntries(entries);
        if (!writer.WriteEntryList(table[i], entries)) return false;
    }
    return writer.WriteCounts(header, table) && writer.WriteTotals(table, nullptr, nullptr) && writer.Close();
}

TEST(CaptureIdentityTest, SinglePassWritesTheSameBytesAsTheStepwiseAlgorithm) {
    test::TempTree tmp;
    tmp.MakeDir("src");
    const char* dirs[] = {"src\\Music", "src\\music2", "src\\写真", "src\\写真\\ソ", "src\\写真\\ソ\\深い",
                          "src\\a", "src\\a\\B", "src\\a\\c", "src\\a\\c\\d", "src\\a\\c\\d\\e", "src\\empty",
                          "src\\.hid", "src\\.hid\\in"};
    for (const char* d : dirs) tmp.MakeDir(d);
    tmp.Hide("src\\.hid");
    const char* files[] = {"src\\z.txt", "src\\Music\\01.mp3", "src\\Music\\02.MP3", "src\\写真\\ソ\\表.jpg",
                           "src\\写真\\ソ\\深い\\x", "src\\a\\c\\d\\e\\leaf", "src\\.hid\\secret", "src\\a\\B\\b"};
    std::size_t size = 1;
    for (const char* f : files) tmp.MakeFile(f, size *= 3);
    // A chain that passes the path limit.
    test::LongDirectories chain;
    for (std::string deep = tmp.Path("src\\a\\c\\d\\e"); deep.size() < kMaxPath + 40;) {
        deep += "\\" + std::string(40, 'L');
        ASSERT_TRUE(chain.Make(deep));
    }
#ifndef _WIN32
    ASSERT_EQ(symlink("..", (NativePath(tmp.Path("src")) + "/a/up").c_str()), 0);
#endif
    for (int i = 0; i < 300; ++i) tmp.MakeFile("src\\Music\\track" + std::to_string(i), static_cast<std::size_t>(i));

    CatalogHeader header = test::CaptureHeader("SAME");
    ASSERT_TRUE(ReferenceCapture(tmp.Path("src"), tmp.Path("reference.vmf"), header));
    test::CaptureRun run;
    test::RunCapture(tmp.Path("src"), tmp.Path("single.vmf"), "SAME", run);
    ASSERT_EQ(run.outcome, CaptureTask::Outcome::kSucceeded);
    std::string reference = test::ReadWholeFile(tmp.Path("reference.vmf"));
    std::string single = test::ReadWholeFile(tmp.Path("single.vmf"));
    ASSERT_GT(reference.size(), 2000u);
    EXPECT_TRUE(reference == single) << "sizes " << reference.size() << " and " << single.size();
}

}  // namespace
}  // namespace cataloom
