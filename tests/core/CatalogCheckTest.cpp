#include "core/CatalogCheck.h"
#include "tests/core/CatalogBuilder.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

namespace cataloom {
namespace {

using test::Dir;
using test::File;

class CatalogCheckTest : public testing::Test {
protected:
    void SetUp() override {
        path_ = tmp_.Path("c.vmf");
        CatalogHeader header = test::MakeHeader("ROOT");
        std::vector<test::TreeDirectory> tree = {
            {"", 0, {Dir("a", 1), File("f", 10)}},
            {"a", 0, {Dir("b"), File("g", 20)}},
            {"b", 1, {File("h", 30)}},
        };
        ASSERT_TRUE(test::WriteCatalog(path_, header, tree));
        sound_ = test::ReadWholeFile(path_);
    }

    // Damages a copy of the sound file and checks it.
    bool CheckDamaged(const std::function<void(std::string&)>& damage, std::string* first = nullptr) {
        std::string bytes = sound_;
        damage(bytes);
        tmp_.WriteFile("d.vmf", bytes);
        CatalogCheck check;
        bool ok = check.Run(tmp_.Path("d.vmf").c_str());
        if (first && !check.Problems().empty()) *first = check.Problems()[0];
        return ok;
    }

    std::size_t TableSize() const { return Load32(&sound_[24]); }
    std::size_t ListArea() const { return kHeaderSize + TableSize(); }

    test::TempTree tmp_;
    std::string path_;
    std::string sound_;
};

TEST_F(CatalogCheckTest, SoundFilePasses) {
    CatalogCheck check;
    EXPECT_TRUE(check.Run(path_.c_str()));
    EXPECT_TRUE(check.Problems().empty());
    EXPECT_EQ(check.DirectoryRecords(), 3u);
    EXPECT_EQ(check.FileEntries(), 3u);
}

TEST_F(CatalogCheckTest, FindsDamageAndSaysWhere) {
    std::string where;
    EXPECT_FALSE(CheckDamaged([](std::string& b) { b.resize(100); }, &where));
    EXPECT_NE(where.find("header"), std::string::npos);
    EXPECT_FALSE(CheckDamaged([](std::string& b) { b[0] = '?'; }));
    EXPECT_FALSE(CheckDamaged([](std::string& b) { Store32(&b[24], 0x7FFFFFFF); }));
    // The first record after the root names a parent that does not exist.
    EXPECT_FALSE(CheckDamaged([](std::string& b) { Store32(&b[kHeaderSize + 29 + 8], 9); }, &where));
    EXPECT_NE(where.find("directory record 2"), std::string::npos);
    // A list that runs past the end of the file.
    EXPECT_FALSE(CheckDamaged([](std::string& b) { b.resize(b.size() - 5); }));
    // Counts.
    EXPECT_FALSE(CheckDamaged([](std::string& b) { Store32(&b[56], 5); }));
    EXPECT_FALSE(CheckDamaged([](std::string& b) { Store32(&b[60], 99); }));
    // A directory total that does not add up, and a wrong sub-directory flag.
    std::size_t rootList = ListArea();
    ASSERT_EQ(std::string(&sound_[rootList + EntryRecord::kName]), "a");
    EXPECT_EQ(Load64(&sound_[rootList + EntryRecord::kFileSize]), 50u);
    EXPECT_FALSE(CheckDamaged([&](std::string& b) { Store64(&b[rootList + EntryRecord::kFileSize], 49); }, &where));
    EXPECT_NE(where.find("\"a\""), std::string::npos);
    EXPECT_FALSE(CheckDamaged([&](std::string& b) { Store32(&b[rootList + EntryRecord::kHasFolders], 0); }));
    // A record size that disagrees with its name.
    EXPECT_FALSE(CheckDamaged([&](std::string& b) { b[rootList + EntryRecord::kName + 1] = 'x'; }));
}

// Names that no capture writes are damage, reported with the name made
// visible; a directory named ".." also names the path of its own entries.
TEST_F(CatalogCheckTest, HostileNamesAreDamage) {
    const struct {
        std::string name;
        bool directory;
        std::string problem;
    } cases[] = {
        {"C:\\Windows\\system32\\calc.exe", false,
         "entry list of \"ROOT\", entry \"C:\\x5cWindows\\x5csystem32\\x5ccalc.exe\": holds a path separator"},
        {"\\\\evilhost\\share\\x.exe", false,
         "entry list of \"ROOT\", entry \"\\x5c\\x5cevilhost\\x5cshare\\x5cx.exe\": holds a path separator"},
        {"=cmd|' /C calc'!A0", false, "entry list of \"ROOT\", entry \"=cmd|' \\x2fC calc'!A0\": holds a path separator"},
        {".", false, "entry list of \"ROOT\", entry \"\\x2e\": is \".\" or \"..\""},
        {"..", true, "entry list of \"ROOT\", entry \"\\x2e\\x2e\": is \".\" or \"..\""},
        {"\x1b]0;title\x07", false, "entry list of \"ROOT\", entry \"\\x1b]0;title\\x07\": holds a control character"},
        {"cut\x81", false, "entry list of \"ROOT\", entry \"cut\\x81\": holds a cut double-byte character"},
    };
    for (const auto& c : cases) {
        CatalogHeader header = test::MakeHeader("ROOT");
        std::vector<test::TreeDirectory> tree = {{"", 0, {c.directory ? Dir(c.name) : File(c.name, 1)}}};
        if (c.directory) tree.push_back({c.name, 0, {File("inside", 1)}});
        ASSERT_TRUE(test::WriteCatalog(tmp_.Path("h.vmf"), header, tree));
        CatalogCheck check;
        EXPECT_FALSE(check.Run(tmp_.Path("h.vmf").c_str())) << c.problem;
        ASSERT_EQ(check.Problems().size(), 1u) << c.problem;
        EXPECT_EQ(check.Problems()[0], c.problem);
    }
    // The writer refuses a name of 260 bytes: one byte more in the file.
    std::size_t list = ListArea();
    std::string grown = sound_;
    // The root's second entry, the file "f".
    std::size_t f = list + EntryRecord::Size(reinterpret_cast<const std::uint8_t*>(&grown[list]));
    grown.insert(f + EntryRecord::kName, std::string(259, 'n'));
    Store16(&grown[f + EntryRecord::kSize], static_cast<std::uint16_t>(Load16(&grown[f + EntryRecord::kSize]) + 259));
    Store32(&grown[kHeaderSize + DirectoryRecord::kListSize], Load32(&grown[kHeaderSize + DirectoryRecord::kListSize]) + 259);
    auto recordAt = [&](std::size_t offset) { return reinterpret_cast<const std::uint8_t*>(&grown[offset]); };
    for (std::size_t r = kHeaderSize + DirectoryRecord::Size(recordAt(kHeaderSize)); DirectoryRecord::Size(recordAt(r)) != 0;
         r += DirectoryRecord::Size(recordAt(r)))
        Store32(&grown[r + DirectoryRecord::kListOffset], Load32(&grown[r + DirectoryRecord::kListOffset]) + 259);
    tmp_.WriteFile("long.vmf", grown);
    CatalogCheck longName;
    EXPECT_FALSE(longName.Run(tmp_.Path("long.vmf").c_str()));
    ASSERT_EQ(longName.Problems().size(), 1u);
    EXPECT_EQ(longName.Problems()[0], "entry list of \"ROOT\", entry \"" + std::string(259, 'n') + "f\": is longer than 259 bytes");

    CatalogHeader header = test::MakeHeader("A\\B");
    ASSERT_TRUE(test::WriteCatalog(tmp_.Path("h.vmf"), header, {{"", 0, {File("f", 1)}}}));
    CatalogCheck check;
    EXPECT_FALSE(check.Run(tmp_.Path("h.vmf").c_str()));
    ASSERT_FALSE(check.Problems().empty());
    EXPECT_EQ(check.Problems()[0], "header: catalogue name holds a path separator");
}

TEST_F(CatalogCheckTest, UncomputedTotalIsANoteNotDamage) {
    std::size_t rootList = ListArea();
    std::string bytes = sound_;
    Store64(&bytes[rootList + EntryRecord::kFileSize], kUnknownTotal);
    tmp_.WriteFile("n.vmf", bytes);
    CatalogCheck check;
    EXPECT_TRUE(check.Run(tmp_.Path("n.vmf").c_str()));
    EXPECT_EQ(check.Notes().size(), 1u);
}

TEST_F(CatalogCheckTest, RecordsOutOfNameOrderAreAWarningNotDamage) {
    // "c" before "a" and "b" under the root, "y" before "x" under "c".
    std::string file = tmp_.Path("o.vmf");
    CatalogHeader header = test::MakeHeader("O");
    ASSERT_TRUE(test::WriteCatalog(file, header,
                                   {{"", 0, {Dir("a"), Dir("b"), Dir("c", 1)}},
                                    {"c", 0, {Dir("x"), Dir("y")}},
                                    {"a", 0, {}},
                                    {"b", 0, {}},
                                    {"y", 1, {}},
                                    {"x", 1, {}}}));
    CatalogCheck check;
    EXPECT_TRUE(check.Run(file.c_str()));
    EXPECT_EQ(check.Warnings(),
              std::vector<std::string>{"directory table: 2 directory record(s) out of name order within their parent "
                                       "(first: directory record 3 at offset 548)"});
    CatalogCheck sound;
    EXPECT_TRUE(sound.Run(path_.c_str()));
    EXPECT_TRUE(sound.Warnings().empty());
}

// Random damage never makes the check read outside the file (the sanitizer
// build would stop), and its verdict always matches its findings.
TEST_F(CatalogCheckTest, RandomDamageIsReportedSafely) {
    std::mt19937 random(1234);
    int damaged = 0;
    for (int round = 0; round < 400; ++round) {
        std::string bytes = sound_;
        int flips = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < flips; ++i)
            bytes[random() % bytes.size()] = static_cast<char>(random() % 256);
        if (random() % 8 == 0) bytes.resize(random() % bytes.size());
        tmp_.WriteFile("r.vmf", bytes);
        CatalogCheck check;
        bool ok = check.Run(tmp_.Path("r.vmf").c_str());
        ASSERT_EQ(ok, check.Problems().empty());
        if (!ok) ++damaged;
    }
    EXPECT_GT(damaged, 150);  // times, sizes of files and the like cannot be told from damage
}

}  // namespace
}  // namespace cataloom
