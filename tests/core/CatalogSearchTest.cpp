#include "core/CatalogSearch.h"
#include "tests/core/CatalogBuilder.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <string>
#include <vector>

namespace cataloom {
namespace {

using test::Dir;
using test::File;

class Collector : public SearchSink {
public:
    void Found(const SearchHit& hit) override {
        std::string text = hit.kind == SearchHit::Kind::kCategory  ? "C "
                           : hit.kind == SearchHit::Kind::kCatalog ? "V "
                                                                   : "E ";
        text += std::string(hit.path).substr(rootLength);
        if (hit.kind == SearchHit::Kind::kEntry) text += std::string("|") + hit.inner;
        hits.push_back(text);
        if (stopAfter != 0 && hits.size() == stopAfter) stop = true;
    }
    void Damaged(const char* path) override { damaged.push_back(std::string(path).substr(rootLength)); }
    std::size_t rootLength = 0;
    std::vector<std::string> hits;
    std::vector<std::string> damaged;
    std::size_t stopAfter = 0;
    bool stop = false;
};

class CatalogSearchTest : public testing::Test {
protected:
    void SetUp() override {
        root_ = tmp_.Root();
        tmp_.MakeDir("音楽");
        tmp_.WriteFile("音楽\\category.ini", "[Cataloom]\r\n");
        tmp_.WriteFile("音楽\\broken.vmf", "not a catalogue");
        CatalogHeader header = test::MakeHeader("DISC");
        std::vector<test::TreeDirectory> tree = {
            {"", 0, {Dir("Album", 1), File("readme.txt", 10)}},
            {"Album", 0, {Dir("写真"), File("01.mp3", 100)}},
            {"写真", 1, {File("cover.JPG", 5)}},
        };
        ASSERT_TRUE(test::WriteCatalog(tmp_.Path("音楽\\disc.vmf"), header, tree));
    }

    // Writes a catalogue without a name, as captured from an unlabelled volume.
    void WriteNameless(const std::string& relative) {
        CatalogHeader header = test::MakeHeader("");
        ASSERT_TRUE(test::WriteCatalog(tmp_.Path(relative), header,
                                       {{"", 0, {Dir("sub"), File("top.txt", 1)}},
                                        {"sub", 0, {Dir("deep"), File("inner.txt", 2)}},
                                        {"deep", 1, {File("leaf.txt", 3)}}}));
    }

    std::vector<std::string> Search(const char* pattern, const char* location = "", bool matchCase = false,
                                    std::size_t stopAfter = 0) {
        char start[platform::kMaxPath], inner[platform::kMaxPath];
        switch (CatalogSearch::ResolveLocation(root_.c_str(), location, start, inner)) {
        case CatalogSearch::Location::kFound: break;
        case CatalogSearch::Location::kMissing: return {"<missing>"};
        case CatalogSearch::Location::kDamaged: return {"<damaged>"};
        }
        NameMatcher matcher(pattern, matchCase);
        CatalogReader reader;
        Collector collector;
        collector.rootLength = root_.size();
        collector.stopAfter = stopAfter;
        CatalogSearch search(matcher, reader, collector, [&] { return collector.stop; });
        search.Walk(start, inner);
        damaged_ = collector.damaged;
        return collector.hits;
    }

    test::TempTree tmp_;
    std::string root_;
    std::vector<std::string> damaged_;
};

TEST_F(CatalogSearchTest, EmptyPatternListsEverythingDepthFirst) {
    std::vector<std::string> hits = Search("");
    std::vector<std::string> expected = {
        "C \\音楽",
        "V \\音楽\\disc.vmf",
        "E \\音楽\\disc.vmf|DISC\\Album",
        "E \\音楽\\disc.vmf|DISC\\Album\\01.mp3",
        "E \\音楽\\disc.vmf|DISC\\Album\\写真",
        "E \\音楽\\disc.vmf|DISC\\Album\\写真\\cover.JPG",
        "E \\音楽\\disc.vmf|DISC\\readme.txt",
    };
    EXPECT_EQ(hits, expected);  // category.ini and the broken file never show
}

// Records every catalogue and directory passed, matched or not, between the
// hits, with the name of the record it was handed.
class PassingRecorder : public Collector {
public:
    void PassingCatalog(const char* path, const CatalogHeader& header) override {
        hits.push_back("PV " + std::string(path).substr(rootLength) + "|" + header.name);
    }
    void PassingDirectory(const char* inner, std::size_t length, const std::uint8_t* entry) override {
        hits.push_back("PD " + std::string(inner, length) + "|" + EntryRecord::Name(entry));
    }
};

TEST_F(CatalogSearchTest, CataloguesAndDirectoriesArePassedBeforeTheirContents) {
    char start[platform::kMaxPath], inner[platform::kMaxPath];
    ASSERT_EQ(CatalogSearch::ResolveLocation(root_.c_str(), "", start, inner), CatalogSearch::Location::kFound);
    NameMatcher matcher("o", false);
    CatalogReader reader;
    PassingRecorder recorder;
    recorder.rootLength = root_.size();
    CatalogSearch(matcher, reader, recorder, nullptr).Walk(start, inner);
    const std::vector<std::string> expected = {
        "PV \\音楽\\disc.vmf|DISC",
        "PD DISC\\Album|Album",
        "PD DISC\\Album\\写真|写真",
        "E \\音楽\\disc.vmf|DISC\\Album\\写真\\cover.JPG",
    };
    EXPECT_EQ(recorder.hits, expected);
}

TEST_F(CatalogSearchTest, MatchesNamesInFoldersAndCatalogues) {
    EXPECT_EQ(Search("*.jpg"), std::vector<std::string>{"E \\音楽\\disc.vmf|DISC\\Album\\写真\\cover.JPG"});
    EXPECT_EQ(Search("*.jpg", "", true), std::vector<std::string>{});
    EXPECT_EQ(Search("写"), std::vector<std::string>{"E \\音楽\\disc.vmf|DISC\\Album\\写真"});
    EXPECT_EQ(Search("DISC"), std::vector<std::string>{"V \\音楽\\disc.vmf"});
}

TEST_F(CatalogSearchTest, LocationLimitsTheWalk) {
    EXPECT_EQ(Search("", "音楽\\disc.vmf\\Album\\写真"),
              std::vector<std::string>{"E \\音楽\\disc.vmf|DISC\\Album\\写真\\cover.JPG"});
    EXPECT_EQ(Search("mp3", "音楽"), std::vector<std::string>{"E \\音楽\\disc.vmf|DISC\\Album\\01.mp3"});
    EXPECT_EQ(Search("", "音楽\\disc.vmf").size(), 5u);
    EXPECT_EQ(Search("", "\\音楽\\\\disc.vmf\\").size(), 5u);  // empty components are skipped
}

TEST_F(CatalogSearchTest, LocationsThatDoNotExistAreRefused) {
    const std::vector<std::string> missing = {"<missing>"};
    EXPECT_EQ(Search("", "音楽\\missing.vmf"), missing);
    EXPECT_EQ(Search("", "音楽\\disc.vmf\\NoSuchDir"), missing);
    EXPECT_EQ(Search("", "音楽\\disc.vmf\\readme.txt"), missing);  // a file, not a directory
    EXPECT_EQ(Search("", "音楽\\disc.vmf\\album"), missing);       // names inside are exact
    EXPECT_EQ(Search("", "音楽\\category.ini"), missing);
    EXPECT_EQ(Search("", "音楽\\broken.vmf"), missing);  // no catalogue header
    // Nothing above or beside the data folder is a location.
    EXPECT_EQ(Search("", ".."), missing);
    EXPECT_EQ(Search("", "音楽\\..\\.."), missing);
    EXPECT_EQ(Search("", "."), missing);
    EXPECT_EQ(Search("", "音楽/../.."), missing);

    std::string table = test::ReadWholeFile(tmp_.Path("音楽\\disc.vmf"));
    tmp_.WriteFile("cut.vmf", table.substr(0, 520));  // the header says more table than there is
    EXPECT_EQ(Search("", "cut.vmf"), std::vector<std::string>{"<damaged>"});
}

TEST_F(CatalogSearchTest, NamelessCataloguesAreSearchedInside) {
    WriteNameless("音楽\\名無し.vmf");
    std::vector<std::string> hits = Search("", "音楽\\名無し.vmf");
    std::vector<std::string> expected = {
        "E \\音楽\\名無し.vmf|\\sub",
        "E \\音楽\\名無し.vmf|\\sub\\deep",
        "E \\音楽\\名無し.vmf|\\sub\\deep\\leaf.txt",
        "E \\音楽\\名無し.vmf|\\sub\\inner.txt",
        "E \\音楽\\名無し.vmf|\\top.txt",
    };
    EXPECT_EQ(hits, expected);
    // Found from the data folder too (the folder lists its files in any order).
    std::vector<std::string> all = Search("txt");
    std::sort(all.begin(), all.end());
    EXPECT_EQ(all, (std::vector<std::string>{"E \\音楽\\disc.vmf|DISC\\readme.txt",
                                             "E \\音楽\\名無し.vmf|\\sub\\deep\\leaf.txt",
                                             "E \\音楽\\名無し.vmf|\\sub\\inner.txt",
                                             "E \\音楽\\名無し.vmf|\\top.txt"}));
    // A directory of it as the location: only that directory's subtree.
    EXPECT_EQ(Search("", "音楽\\名無し.vmf\\sub\\deep"),
              std::vector<std::string>{"E \\音楽\\名無し.vmf|\\sub\\deep\\leaf.txt"});
    EXPECT_EQ(Search("txt", "音楽\\名無し.vmf\\sub"),
              (std::vector<std::string>{"E \\音楽\\名無し.vmf|\\sub\\deep\\leaf.txt",
                                        "E \\音楽\\名無し.vmf|\\sub\\inner.txt"}));
    EXPECT_EQ(Search("", "音楽\\名無し.vmf\\nothing"), std::vector<std::string>{"<missing>"});
    EXPECT_TRUE(damaged_.empty());
}

TEST_F(CatalogSearchTest, CataloguesAreKnownByTheirEnding) {
    CatalogHeader header = test::MakeHeader("Version");
    ASSERT_TRUE(test::WriteCatalog(tmp_.Path("v1.2.VMF"), header, {{"", 0, {File("notes.txt", 1)}}}));
    EXPECT_EQ(Search("notes"), std::vector<std::string>{"E \\v1.2.VMF|Version\\notes.txt"});
    EXPECT_EQ(Search("", "v1.2.VMF"), std::vector<std::string>{"E \\v1.2.VMF|Version\\notes.txt"});
}

TEST_F(CatalogSearchTest, StopEndsTheWalk) { EXPECT_EQ(Search("", "", false, 3).size(), 3u); }

TEST_F(CatalogSearchTest, DamagedCataloguesAreReportedAndTheWalkGoesOn) {
    tmp_.MakeDir("壊");
    // 564 bytes whose root declares an entry list of 4 GiB: refused before
    // anything is allocated for it.
    ASSERT_TRUE(test::WriteHugeListCatalog(tmp_.Path("壊\\huge.vmf")));
    // The table is cut short.
    std::string sound = test::ReadWholeFile(tmp_.Path("音楽\\disc.vmf"));
    tmp_.WriteFile("壊\\cut.vmf", sound.substr(0, 520));
    std::vector<std::string> hits = Search("");
    std::vector<std::string> expected = {"V \\壊\\huge.vmf", "V \\壊\\cut.vmf"};
    for (const std::string& e : expected) EXPECT_NE(std::find(hits.begin(), hits.end(), e), hits.end()) << e;
    EXPECT_NE(std::find(hits.begin(), hits.end(), "E \\音楽\\disc.vmf|DISC\\Album\\写真\\cover.JPG"), hits.end());
    std::sort(damaged_.begin(), damaged_.end());
    EXPECT_EQ(damaged_, (std::vector<std::string>{"\\壊\\cut.vmf", "\\壊\\huge.vmf"}));
    EXPECT_EQ(hits.size(), 3u + 7u);  // the category, the two damaged catalogues, and the sound tree
}

// Every directory record below the root carries the id 2, so each level's
// two directories are the parents of the next level's two: a walk by paths
// meets 2^levels directories, a walk by records 2 per level.
TEST_F(CatalogSearchTest, EachDirectoryRecordIsEnteredOnce) {
    ASSERT_TRUE(test::WriteLoopingCatalog(tmp_.Path("loop.vmf"), 30, false));
    // Bounded, so that a walk that never ends still returns: it stops here.
    std::vector<std::string> hits = Search("", "loop.vmf", false, 100000);
    // Each of the 61 records is read once, and lists its two entries.
    ASSERT_EQ(hits.size(), 2u * 61);
    EXPECT_EQ(hits[0], "E \\loop.vmf|R\\a");
    EXPECT_EQ(hits[1], "E \\loop.vmf|R\\a\\a");
    // The walk comes back to the root's b: every record of the a side was
    // entered on the way, not once per path.
    EXPECT_EQ(hits[119], "E \\loop.vmf|R\\b");
    EXPECT_EQ(hits[120], "E \\loop.vmf|R\\b\\a");
    EXPECT_EQ(hits[121], "E \\loop.vmf|R\\b\\b");
    // The second arrival at a record shows the table is damaged.
    EXPECT_EQ(damaged_, std::vector<std::string>{"\\loop.vmf"});
}

TEST_F(CatalogSearchTest, EntryListsAreReadOnceEach) {
    // The reported 3.7 KB catalogue: 121 records that all point at the
    // root's one list.  No byte of the list area is read twice.
    ASSERT_TRUE(test::WriteLoopingCatalog(tmp_.Path("loop.vmf"), 60, true));
    EXPECT_EQ(test::ReadWholeFile(tmp_.Path("loop.vmf")).size(), 3722u);
    std::vector<std::string> hits = Search("", "loop.vmf", false, 100000);
    EXPECT_EQ(hits, (std::vector<std::string>{"E \\loop.vmf|R\\a", "E \\loop.vmf|R\\b"}));
    EXPECT_EQ(damaged_, std::vector<std::string>{"\\loop.vmf"});
}

#ifndef _WIN32
TEST_F(CatalogSearchTest, LinksAreNotFollowed) {
    // A link to the category and a loop back to the data folder.
    ASSERT_EQ(symlink(test::NativePath("音楽").c_str(), (test::NativePath(root_) + "/link").c_str()), 0);
    ASSERT_EQ(symlink(".", (test::NativePath(root_) + "/loop").c_str()), 0);
    std::vector<std::string> hits = Search("");
    std::sort(hits.begin(), hits.end());
    std::vector<std::string> expected = {
        "C \\link",
        "C \\loop",
        "C \\音楽",
        "E \\音楽\\disc.vmf|DISC\\Album",
        "E \\音楽\\disc.vmf|DISC\\Album\\01.mp3",
        "E \\音楽\\disc.vmf|DISC\\Album\\写真",
        "E \\音楽\\disc.vmf|DISC\\Album\\写真\\cover.JPG",
        "E \\音楽\\disc.vmf|DISC\\readme.txt",
        "V \\音楽\\disc.vmf",
    };
    EXPECT_EQ(hits, expected);
}

TEST_F(CatalogSearchTest, FifosNamedLikeCataloguesAreSkippedWithoutWaiting) {
    ASSERT_EQ(mkfifo((test::NativePath(tmp_.Path("音楽")) + "/fifo.vmf").c_str(), 0600), 0);
    EXPECT_EQ(Search("").size(), 7u);
    EXPECT_EQ(Search("", "音楽\\fifo.vmf"), std::vector<std::string>{"<missing>"});
    EXPECT_TRUE(damaged_.empty());
}
#endif

}  // namespace
}  // namespace cataloom
