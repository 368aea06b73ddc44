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
