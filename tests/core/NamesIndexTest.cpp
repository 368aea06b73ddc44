#include "core/CatalogWalker.h"
#include "core/IndexedSearch.h"
#include "core/NamesIndex.h"
#include "platform/Platform.h"
#include "tests/core/CatalogBuilder.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace cataloom {
namespace {

using test::Dir;
using test::File;

constexpr std::uint64_t kOldTime = 0x01D5000000000000ULL;  // 2019, well before any part is built
constexpr std::uint64_t kDay = 864000000000ULL;

// Writes down every hit with what a sink can see of it, and for an entry the
// directories the sink was told it passed, as the search window keeps them.
class Recorder : public SearchSink {
public:
    explicit Recorder(std::size_t rootLength) : rootLength_(rootLength) {}

    void Found(const SearchHit& hit) override {
        std::string text = std::string(hit.kind == SearchHit::Kind::kCategory ? "C " :
                                       hit.kind == SearchHit::Kind::kCatalog  ? "V " : "E ") +
                           (hit.path + rootLength_);
        if (hit.kind == SearchHit::Kind::kEntry) {
            const std::size_t length = std::strlen(hit.inner);
            Leave(length - std::strlen(EntryRecord::Name(hit.entry)) - 1);
            text += std::string("|") + hit.inner + " " + Fields(hit.entry) + " under";
            for (const Passed& passed : passed_) text += " " + passed.inner + "(" + Fields(passed.entry) + ")";
        }
        if (hit.kind == SearchHit::Kind::kCatalog) text += " " + std::to_string(hit.header->captureTime);
        hits.push_back(text);
    }
    void PassingCatalog(const char*, const CatalogHeader&) override { passed_.clear(); }
    void PassingDirectory(const char* inner, std::size_t length, const std::uint8_t* entry) override {
        ASSERT_EQ(std::strlen(inner), length);
        Leave(length - std::strlen(EntryRecord::Name(entry)) - 1);
        passed_.push_back({std::string(inner), length, entry});
    }
    void Damaged(const char* path) override { hits.push_back(std::string("D ") + (path + rootLength_)); }
    void Unreachable(const char* path, const std::uint8_t* entry) override {
        hits.push_back(std::string("U ") + (path + rootLength_) + "|" + EntryRecord::Name(entry));
    }

    std::vector<std::string> hits;

private:
    struct Passed {
        std::string inner;
        std::size_t length;
        const std::uint8_t* entry;
    };
    static std::string Fields(const std::uint8_t* e) {
        return std::string(EntryRecord::Name(e)) + "," + std::to_string(EntryRecord::Attributes(e)) + "," +
               std::to_string(EntryRecord::HasFolders(e)) + "," + std::to_string(EntryRecord::FileSize(e)) + "," +
               std::to_string(EntryRecord::CreationTime(e)) + "," + std::to_string(EntryRecord::WriteTime(e));
    }
    void Leave(std::size_t parentLength) {
        while (!passed_.empty() && passed_.back().length > parentLength) passed_.pop_back();
    }
    std::size_t rootLength_;
    std::vector<Passed> passed_;
};

struct Query {
    const char* pattern;
    bool matchCase;
    std::function<void(SearchFilter&)> filter;
};

const Query kQueries[] = {
    {"", false, nullptr},
    {"mp3", false, nullptr},
    {"MP3", true, nullptr},
    {"xB.MP", false, nullptr},
    {"写真", false, nullptr},
    {"*.txt", false, nullptr},
    {"a?b*", false, nullptr},
    {"d", false, [](SearchFilter& f) { f.type = SearchFilter::Type::kFolders; }},
    {"", false, [](SearchFilter& f) { f.extensions = {"mp3", "JPG"}; }},
    {"", false, [](SearchFilter& f) { f.minSize = 100; f.maxSize = 5000; f.sized = true; }},
    {"", false, [](SearchFilter& f) { f.newer = kOldTime; f.dated = true; }},
    {"nothing-like-this", false, nullptr},
};

class NamesIndexTest : public testing::Test {
protected:
    void SetUp() override {
        root_ = tmp_.Root();
        file_ = tmp_.Path("cache.idx");
        tmp_.MakeDir("data");
        data_ = tmp_.Path("data");
    }

    void Catalog(const std::string& relative, const std::string& name, std::vector<test::TreeDirectory> tree,
                 std::uint64_t writeTime = kOldTime) {
        CatalogHeader header = test::MakeHeader(name);
        header.captureTime = kOldTime + 7;
        ASSERT_TRUE(test::WriteCatalog(tmp_.Path("data\\" + relative), header, tree));
        ASSERT_TRUE(test::SetWriteTime(tmp_.Path("data\\" + relative), writeTime));
    }

    static std::vector<test::TreeDirectory> Music(const std::string& extra) {
        EntryData late = File("late " + extra + ".mp3", 5000);
        late.writeTime = kOldTime + 400 * kDay;
        return {{"", 0, {Dir("Album", 1), File("readme.txt", 10), File(extra + ".txt", 99), late}},
                {"Album", 0, {Dir("写真"), File("01.mp3", 100), File("aXb.mp3", 4096), Dir("b sub"), File("zz last.txt", 1)}},
                {"写真", 1, {File("cover.JPG", 5), Dir("empty dir")}},
                {"b sub", 1, {File("in b.mp3", 300)}}};
    }

    std::vector<std::string> Walk(const Query& query, const char* start = nullptr,
                                  std::size_t capacity = platform::kMaxPath) {
        NameMatcher matcher(query.pattern, query.matchCase);
        SearchFilter filter;
        if (query.filter) query.filter(filter);
        CatalogReader reader;
        Recorder recorder(data_.size());
        CatalogSearch(matcher, reader, recorder, nullptr, filter, capacity).Walk(start ? start : data_.c_str(), "");
        return recorder.hits;
    }

    std::vector<std::string> Indexed(const Query& query, NamesIndex::Figures* figures = nullptr,
                                     const char* start = nullptr, std::size_t capacity = platform::kMaxPath) {
        NamesIndex index(data_, file_);
        index.Load();
        NameMatcher matcher(query.pattern, query.matchCase);
        SearchFilter filter;
        if (query.filter) query.filter(filter);
        Recorder recorder(data_.size());
        IndexedSearch(index, matcher, filter, recorder, nullptr, capacity).Walk(start ? start : data_.c_str(), "");
        EXPECT_TRUE(index.Save(start == nullptr));
        if (figures != nullptr) *figures = index.Result();
        return recorder.hits;
    }

    // Every query, index against walk; the first one's figures are returned.
    NamesIndex::Figures ExpectSameAsWalk(const std::string& step) {
        NamesIndex::Figures first;
        bool have = false;
        for (const Query& query : kQueries) {
            NamesIndex::Figures figures;
            EXPECT_EQ(Indexed(query, &figures), Walk(query)) << step << ": pattern \"" << query.pattern << "\"";
            if (!have) first = figures;
            have = true;
        }
        return first;
    }

    bool LoadsSound() {
        NamesIndex index(data_, file_);
        return index.Load();
    }

    test::TempTree tmp_;
    std::string root_, file_, data_;
};

// The consistency scenario: after each change of the data folder every
// query gives what the walk gives, and only the parts that changed are built.
TEST_F(NamesIndexTest, FollowsTheDataFolderThroughEveryKindOfChange) {
    tmp_.MakeDir("data\\音楽");
    tmp_.MakeDir("data\\音楽\\deep");
    tmp_.MakeDir("data\\empty category");
    tmp_.WriteFile("data\\音楽\\category.ini", "[Cataloom]\r\n");
    tmp_.WriteFile("data\\音楽\\not a catalogue.vmf", "junk");
    Catalog("音楽\\one.vmf", "ONE", Music("one"));
    Catalog("音楽\\deep\\two.vmf", "", Music("two"));
    Catalog("three.vmf", "THREE", Music("three"));

    struct Step {
        const char* name;
        std::function<void()> change;
        std::size_t built, reused, dropped, catalogs;
    };
    const Step steps[] = {
        {"first search", [] {}, 3, 0, 0, 3},
        {"nothing changed", [] {}, 0, 3, 0, 3},
        {"added", [&] { Catalog("音楽\\four.vmf", "FOUR", Music("four")); }, 1, 3, 0, 4},
        {"replaced", [&] { Catalog("three.vmf", "THREE", Music("three again"), kOldTime + kDay); }, 1, 3, 0, 4},
        {"same size, new time", [&] { ASSERT_TRUE(test::SetWriteTime(tmp_.Path("data\\three.vmf"), kOldTime)); },
         1, 3, 0, 4},
        {"renamed",
         [&] {
             ASSERT_TRUE(platform::MoveReplacing(tmp_.Path("data\\音楽\\four.vmf").c_str(),
                                                 tmp_.Path("data\\音楽\\vier.vmf").c_str()));
         },
         1, 3, 1, 4},
        {"moved to another category",
         [&] {
             ASSERT_TRUE(platform::MoveReplacing(tmp_.Path("data\\音楽\\vier.vmf").c_str(),
                                                 tmp_.Path("data\\empty category\\vier.vmf").c_str()));
         },
         1, 3, 1, 4},
        {"deleted", [&] { ASSERT_TRUE(platform::RemoveFile(tmp_.Path("data\\音楽\\one.vmf").c_str())); }, 0, 3, 1, 3},
        {"damaged", [&] {
             ASSERT_TRUE(test::WriteHugeListCatalog(tmp_.Path("data\\broken.vmf")));
             ASSERT_TRUE(test::SetWriteTime(tmp_.Path("data\\broken.vmf"), kOldTime));
         }, 1, 3, 0, 4},
        {"damaged, unchanged: read again", [] {}, 1, 3, 0, 4},
    };
    for (const Step& step : steps) {
        step.change();
        const NamesIndex::Figures figures = ExpectSameAsWalk(step.name);
        EXPECT_EQ(figures.built, step.built) << step.name;
        EXPECT_EQ(figures.reused, step.reused) << step.name;
        EXPECT_EQ(figures.dropped, step.dropped) << step.name;
        EXPECT_EQ(figures.catalogs, step.catalogs) << step.name;
    }
    EXPECT_TRUE(LoadsSound());
}

TEST_F(NamesIndexTest, ACatalogueWrittenJustNowIsReadAgainUntilItsTimeIsSafelyPast) {
    Catalog("fresh.vmf", "FRESH", Music("fresh"), platform::CurrentTime());
    NamesIndex::Figures figures;
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Indexed(kQueries[0], &figures), Walk(kQueries[0]));
        EXPECT_EQ(figures.built, 1u);
        EXPECT_EQ(figures.reused, 0u);
    }
}

TEST_F(NamesIndexTest, ASearchBelowTheDataFolderKeepsThePartsItDidNotVisit) {
    tmp_.MakeDir("data\\a");
    tmp_.MakeDir("data\\b");
    Catalog("a\\x.vmf", "X", Music("x"));
    Catalog("b\\y.vmf", "Y", Music("y"));
    Indexed(kQueries[0]);
    const std::string below = tmp_.Path("data\\a");
    NamesIndex::Figures figures;
    EXPECT_EQ(Indexed(kQueries[1], &figures, below.c_str()), Walk(kQueries[1], below.c_str()));
    EXPECT_EQ(figures.catalogs, 2u);
    EXPECT_EQ(figures.dropped, 0u);
    EXPECT_EQ(Indexed(kQueries[0], &figures), Walk(kQueries[0]));
    EXPECT_EQ(figures.reused, 2u);
}

// Paths longer than a search takes and names that would split into other
// components: the index answers such a catalogue by its walk, with either
// capacity, and the other catalogues from their parts.
TEST_F(NamesIndexTest, LongPathsAndSplittingNamesAreReportedAsTheWalkReportsThem) {
    Catalog("plain.vmf", "PLAIN", Music("plain"));
    std::vector<test::TreeDirectory> deep = {{"", 0, {Dir("d0"), File("top.mp3", 1)}}};
    const std::string segment(60, 'x');
    for (int level = 0; level < 6; ++level) {
        const std::string name = level == 0 ? "d0" : segment + std::to_string(level);
        const std::string child = segment + std::to_string(level + 1);
        deep.push_back({name, static_cast<std::size_t>(level), {Dir(child), File("f" + std::to_string(level) + ".mp3", 2)}});
    }
    Catalog("deep.vmf", "DEEP", deep);
    Catalog("split.vmf", "SPLIT", {{"", 0, {File("a\\b.mp3", 1), Dir("sub"), File("ok.mp3", 3)}},
                                   {"sub", 0, {File("in.mp3", 4)}}});
    for (std::size_t capacity : {platform::kMaxPath, CatalogWalker::kExportCapacity})
        for (const Query& query : kQueries)
            EXPECT_EQ(Indexed(query, nullptr, nullptr, capacity), Walk(query, nullptr, capacity))
                << capacity << ": pattern \"" << query.pattern << "\"";
}

// The index holds stored names; a catalogue with exact names is matched by
// those, so the index must leave it to its walk: "c_" meets the stored
// "Beyonc_.mp3" but not the exact "Beyoncé.mp3".
TEST_F(NamesIndexTest, ACatalogueWithExactNamesIsAnsweredAsItsWalkAnswers) {
    Catalog("plain.vmf", "PLAIN", Music("plain"));
    EntryData exact = File("Beyonc_.mp3", 7);
    exact.exact = "Beyonc\xc3\xa9.mp3";
    Catalog("exact.vmf", "EXACT", {{"", 0, {exact, File("c_ plain.mp3", 2)}}});
    for (const char* pattern : {"c_", "mp3", "*.mp3", "?eyonc*"}) {
        const Query query = {pattern, false, nullptr};
        const std::vector<std::string> walked = Walk(query);
        EXPECT_EQ(Indexed(query), walked) << pattern;
        EXPECT_EQ(Indexed(query), walked) << pattern << " (warm)";
    }
    EXPECT_EQ(Walk({"c_", false, nullptr}).size(), 1u);
}

// Damaged index files: each is rebuilt (sound again afterwards) and never
// believed; the sanitizers watch every read.
TEST_F(NamesIndexTest, ADamagedIndexIsRebuiltAndNeverBelieved) {
    Catalog("one.vmf", "ONE", Music("one"));
    std::vector<test::TreeDirectory> many = {{"", 0, {}}};
    for (int i = 0; i < 150; ++i) many[0].entries.push_back(File("n" + std::to_string(i) + ".mp3", 200));
    Catalog("two.vmf", "TWO", many);
    Indexed(kQueries[0]);
    const std::string sound = test::ReadWholeFile(file_);
    ASSERT_GT(sound.size(), 400u);
    const std::size_t partStart = 32;
    const std::size_t pathLength = Load32(sound.data() + partStart);
    const std::size_t records = partStart + 48 + pathLength;
    struct Damage {
        const char* what;
        std::function<void(std::string&)> apply;
    };
    auto put32 = [](std::string& s, std::size_t at, std::uint32_t v) { Store32(&s[at], v); };
    const Damage damages[] = {
        {"empty", [](std::string& s) { s.clear(); }},
        {"header only", [](std::string& s) { s.resize(32); }},
        {"cut in a part", [&](std::string& s) { s.resize(partStart + 60); }},
        {"cut before the root", [](std::string& s) { s.resize(s.size() - 3); }},
        {"one byte more", [](std::string& s) { s += 'x'; }},
        {"magic", [](std::string& s) { s[0] = 'X'; }},
        {"other data folder", [](std::string& s) { s[s.size() - 1] ^= 1; }},
        {"part count", [&](std::string& s) { put32(s, 12, 0xFFFFFFFF); }},
        {"path length", [&](std::string& s) { put32(s, partStart, 0x7FFFFFF0); }},
        {"entry count", [&](std::string& s) { put32(s, partStart + 32, 0x7FFFFFF0); }},
        {"name bytes", [&](std::string& s) { Store64(&s[partStart + 40], ~0ULL); }},
        {"parent after the entry", [&](std::string& s) { put32(s, records + 32, 5); }},
        {"parent far away", [&](std::string& s) { put32(s, records + 32, 0x7FFFFFFE); }},
        {"parent is a file", [&](std::string& s) { put32(s, records + 3 * 32, 1); }},
        {"two names run together", [&](std::string& s) { s[s.find(std::string("n75.mp3\0", 8)) + 7] = '_'; }},
        {"names not ended", [&](std::string& s) {
             for (std::size_t i = s.size() - 200; i < s.size() - 30; ++i)
                 if (s[i] == '\0') s[i] = 'z';
         }},
    };
    for (const Damage& damage : damages) {
        std::string bytes = sound;
        damage.apply(bytes);
        // Each query meets the damaged file (the one before rebuilt it).
        for (const Query& query : kQueries) {
            FILE* out = std::fopen(test::NativePath(file_).c_str(), "wb");
            ASSERT_NE(out, nullptr);
            std::fwrite(bytes.data(), 1, bytes.size(), out);
            std::fclose(out);
            EXPECT_EQ(Indexed(query), Walk(query)) << damage.what << ": pattern \"" << query.pattern << "\"";
            EXPECT_TRUE(LoadsSound()) << damage.what;
        }
    }
}

// Two builders at once: each writes its own temporary file and the last
// rename wins; the index is always whole and nothing is left behind.
TEST_F(NamesIndexTest, TwoBuildersAtOnceLeaveOneSoundIndex) {
    for (int i = 0; i < 6; ++i) Catalog("c" + std::to_string(i) + ".vmf", "C", Music(std::to_string(i)));
    auto build = [&] {
        for (int round = 0; round < 5; ++round) {
            NamesIndex index(data_, file_);
            index.Load();
            Recorder recorder(data_.size());
            NameMatcher matcher("", false);
            IndexedSearch(index, matcher, SearchFilter(), recorder, nullptr).Walk(data_.c_str(), "");
            // A fresh index is built each round, so both write every time.
            platform::RemoveFile(file_.c_str());
            index.Save(true);
        }
    };
    std::thread other(build);
    build();
    other.join();
    EXPECT_EQ(Indexed(kQueries[0]), Walk(kQueries[0]));
    EXPECT_TRUE(LoadsSound());
    platform::DirectorySearch listing((root_ + "\\*").c_str());
    platform::FindData found;
    std::vector<std::string> names;
    while (listing.Next(found))
        if (std::strcmp(found.name, ".") != 0 && std::strcmp(found.name, "..") != 0) names.push_back(found.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"cache.idx", "data"}));
}

}  // namespace
}  // namespace cataloom
