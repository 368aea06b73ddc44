// The capture keeps every name as the disk spells it: the table of names as
// files and as directories reads back exactly, siblings whose stored forms
// would repeat get unique stored names by the documented rule, and the
// fresh catalogue is sound.
#include "core/CaptureTree.h"
#include "core/CatalogCheck.h"
#include "core/CatalogReader.h"
#include "core/TaskMemory.h"
#include "tests/core/CaptureRun.h"
#include "tests/support/ExactNameTable.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace cataloom {
namespace {

using Outcome = CaptureTask::Outcome;

platform::FindData Found(const std::string& stored, const std::string& exact = "") {
    platform::FindData f;
    std::strcpy(f.name, stored.c_str());
    f.nameChanged = !exact.empty();
    f.exactName = exact;
    return f;
}

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

#define SO "\x83\x5C"  // "ソ" in code page 932: trail byte 0x5C

TEST(StoredNamesTest, SiblingsSharingAStoredNameGetNumbers) {
    const std::string agrave = u8"à.txt", aacute = u8"á.txt";
    struct Case {
        const char* what;
        std::vector<platform::FindData> listing;
        std::vector<std::string> stored;  // after, in listing order
    };
    const std::string long259(259, 'n');
    const std::string so129 = Repeat(SO, 129) + "a";
    std::vector<Case> cases = {
        {"the exact one keeps it, then byte order of the exact names",
         {Found("a.txt", aacute), Found("a.txt"), Found("a.txt", agrave), Found("a~2.txt")},
         {"a~4.txt", "a.txt", "a~3.txt", "a~2.txt"}},
        {"no dot, a leading dot", {Found("x", "x1"), Found("x", "x2"), Found(".cfg", "c1"), Found(".cfg", "c2")},
         {"x", "x~2", ".cfg", ".cfg~2"}},
        {"a double-byte name before the dot", {Found(SO ".txt", "s1"), Found(SO ".txt", "s2")},
         {SO ".txt", SO "~2.txt"}},
        {"at the length limit", {Found(long259, "l1"), Found(long259, "l2")},
         {long259, std::string(257, 'n') + "~2"}},
        {"cut at a character boundary", {Found(so129, "d1"), Found(so129, "d2")},
         {so129, Repeat(SO, 128) + "~2"}},
        {"nothing shared, nothing changes", {Found("b", "b1"), Found("B", "b2")}, {"b", "B"}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<platform::FindData> listing = c.listing;
        MakeStoredNamesUnique(listing);
        std::vector<std::string> stored;
        for (const platform::FindData& f : listing) {
            stored.emplace_back(f.name);
            EXPECT_LE(std::strlen(f.name), kMaxNameLength);
        }
        EXPECT_EQ(stored, c.stored);
        // A renamed name that was exact keeps its own as its exact name.
        for (std::size_t i = 0; i < listing.size(); ++i) {
            if (stored[i] == c.listing[i].name) continue;
            EXPECT_EQ(listing[i].exactName,
                      c.listing[i].nameChanged ? c.listing[i].exactName : std::string(c.listing[i].name));
        }
    }
}

class CaptureExactNamesTest : public testing::Test {
protected:
    void SetUp() override {
        tmp_.MakeDir("src");
        tmp_.MakeNativeDir("src/files");
        tmp_.MakeNativeDir("src/dirs");
        for (const std::string& name : test::ExactNameTable()) {
            tmp_.MakeNativeFile("src/files/" + name, name.size());
            tmp_.MakeNativeDir("src/dirs/" + name);
            // A directory whose path passes the path limit is recorded
            // without its contents.
            if (name.size() < 200) tmp_.MakeNativeFile("src/dirs/" + name + "/x", 1);
        }
    }

    // The exact names of one directory's entries, and of its directory
    // records' children.
    static std::multiset<std::string> EntryExactNames(CatalogReader& reader, const char* path) {
        long record = reader.FindRecord(path);
        std::uint8_t* block = nullptr;
        if (record < 0 || reader.ReadEntryList(path, &block) != kOk) return {"<failed>"};
        TaskMemory<std::uint8_t> list(block);
        std::multiset<std::string> names;
        for (const std::uint8_t* e = list.Get(); EntryRecord::Size(e) != 0; e += EntryRecord::Size(e))
            names.insert(reader.ExactEntryName(static_cast<std::size_t>(record), list.Get(), e));
        return names;
    }

    test::TempTree tmp_;
};

TEST_F(CaptureExactNamesTest, EveryNameReadsBackAsOnDisk) {
    test::CaptureRun run;
    test::RunCapture(tmp_.Path("src"), tmp_.Path("e.vmf"), "N", run);
    ASSERT_EQ(run.outcome, Outcome::kSucceeded);
    const std::vector<std::string>& table = test::ExactNameTable();
    std::multiset<std::string> expected(table.begin(), table.end());

    CatalogReader reader;
    ASSERT_EQ(reader.Open(tmp_.Path("e.vmf").c_str()), kOk);
    EXPECT_EQ(reader.Exact().State(), ExactNames::Status::kSound);
    EXPECT_EQ(EntryExactNames(reader, "N\\files"), expected);
    EXPECT_EQ(EntryExactNames(reader, "N\\dirs"), expected);
    // Every directory record has its exact name and its own file.
    std::multiset<std::string> records;
    long dirs = reader.FindRecord("N\\dirs");
    for (std::size_t r = 0; r < reader.DirectoryCount(); ++r) {
        std::string exact = reader.ExactDirectoryName(r);
        if (r <= static_cast<std::size_t>(dirs) || exact == "files") continue;
        records.insert(exact);
    }
    EXPECT_EQ(records, expected);
    EXPECT_EQ(run.header.fileCount, 2 * table.size() - 1);
    EXPECT_EQ(run.report.unreadDirectories, 1u);
    // Every name that is not its stored form is counted: each entry once.
    std::size_t entries = 0;
    for (std::size_t i = 0; i < reader.Exact().Count(); ++i)
        entries += reader.Exact().At(i).kind == ExactKind::kEntry ? 1 : 0;
    EXPECT_EQ(run.report.changedNames, entries);
    EXPECT_EQ(reader.Exact().Count(), entries + entries / 2);

    CatalogCheck check;
    EXPECT_TRUE(check.Run(tmp_.Path("e.vmf").c_str()));
    EXPECT_EQ(check.Problems(), std::vector<std::string>{});
}

// The wave dash and the fullwidth tilde, and "café" beside "cafe": however
// the code page merges them, the catalogue holds two items that check calls
// sound, each with its own contents.
TEST_F(CaptureExactNamesTest, MergedStoredNamesStayTwoItems) {
    test::CaptureRun run;
    test::RunCapture(tmp_.Path("src"), tmp_.Path("e.vmf"), "N", run);
    ASSERT_EQ(run.outcome, Outcome::kSucceeded);
    CatalogReader reader;
    ASSERT_EQ(reader.Open(tmp_.Path("e.vmf").c_str()), kOk);
    std::vector<std::string> stored = test::EntryNames(reader, "N\\dirs");
    EXPECT_EQ(std::set<std::string>(stored.begin(), stored.end()).size(), stored.size());
    for (const std::string& name : stored) {
        SCOPED_TRACE(name);
        EXPECT_EQ(test::EntryNames(reader, "N\\dirs\\" + name),
                  name.size() < 200 ? std::vector<std::string>{"x"} : std::vector<std::string>{});
    }
}

#ifndef _WIN32
// A name that is not UTF-8 is kept as the disk's bytes.
TEST_F(CaptureExactNamesTest, BytesThatAreNotUtf8AreKept) {
    tmp_.MakeNativeFile("src/files/bad\xFF\xFE.txt", 3);
    test::CaptureRun run;
    test::RunCapture(tmp_.Path("src"), tmp_.Path("e.vmf"), "N", run);
    ASSERT_EQ(run.outcome, Outcome::kSucceeded);
    CatalogReader reader;
    ASSERT_EQ(reader.Open(tmp_.Path("e.vmf").c_str()), kOk);
    EXPECT_EQ(EntryExactNames(reader, "N\\files").count("bad\xFF\xFE.txt"), 1u);
}
#endif

// A catalogue whose names all fit has no extension: its bytes end with the
// last entry list.
TEST(CaptureExactNamesPlainTest, NamesThatFitWriteNoExtension) {
    test::TempTree tmp;
    tmp.MakeDir("src");
    tmp.MakeNativeFile("src/cafe", 1);
    tmp.MakeNativeFile(u8"src/写真.jpg", 2);
    test::CaptureRun run;
    test::RunCapture(tmp.Path("src"), tmp.Path("p.vmf"), "N", run);
    ASSERT_EQ(run.outcome, Outcome::kSucceeded);
    EXPECT_EQ(run.report.changedNames, 0u);
    std::string bytes = test::ReadWholeFile(tmp.Path("p.vmf"));
    CatalogReader reader;
    ASSERT_EQ(reader.Open(tmp.Path("p.vmf").c_str()), kOk);
    EXPECT_EQ(reader.Exact().State(), ExactNames::Status::kAbsent);
    EXPECT_EQ(bytes.size(), kHeaderSize + run.header.tableSize + reader.ListAreaSize());
    EXPECT_EQ(bytes.substr(bytes.size() - 2), std::string(2, '\0'));
}

}  // namespace
}  // namespace cataloom
