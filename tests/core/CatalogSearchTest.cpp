#include "core/CatalogSearch.h"
#include "tests/core/CatalogBuilder.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

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
    std::size_t rootLength = 0;
    std::vector<std::string> hits;
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

    std::vector<std::string> Search(const char* pattern, const char* location = "", bool matchCase = false,
                                    std::size_t stopAfter = 0) {
        char start[platform::kMaxPath], inner[platform::kMaxPath];
        if (!CatalogSearch::ResolveLocation(root_.c_str(), location, start, inner)) return {"<unresolved>"};
        NameMatcher matcher(pattern, matchCase);
        CatalogReader reader;
        Collector collector;
        collector.rootLength = root_.size();
        collector.stopAfter = stopAfter;
        CatalogSearch search(matcher, reader, collector, [&] { return collector.stop; });
        search.Walk(start, inner);
        return collector.hits;
    }

    test::TempTree tmp_;
    std::string root_;
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
    EXPECT_EQ(Search("", "音楽\\missing.vmf"), std::vector<std::string>{"<unresolved>"});
    EXPECT_EQ(Search("", "音楽\\disc.vmf\\NoSuchDir"), std::vector<std::string>{});
}

TEST_F(CatalogSearchTest, StopEndsTheWalk) { EXPECT_EQ(Search("", "", false, 3).size(), 3u); }

}  // namespace
}  // namespace cataloom
