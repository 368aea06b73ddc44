#include "core/ItemIdFactory.h"
#include "tests/core/CatalogBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace cataloom {
namespace {

struct ListDeleter {
    void operator()(ItemId* list) const { ItemIdFactory().Free(list); }
};
using List = std::unique_ptr<ItemId, ListDeleter>;

std::vector<std::uint8_t> EntryBytes(const EntryData& entry) {
    std::vector<std::uint8_t> bytes;
    AppendEntryRecord(bytes, entry);
    return bytes;
}

TEST(ItemIdFactory, RecordSizesAndLayout) {
    ItemIdFactory f;
    List category(f.MakeCategory("A"));
    ASSERT_TRUE(category);
    EXPECT_EQ(category->size, 48u);
    EXPECT_EQ(ItemIdFactory::ListSize(category.get()), 51u);
    EXPECT_EQ(ItemIdFactory::Kind(category.get()), kKindCategory);
    EXPECT_STREQ(ItemIdFactory::CategoryName(category.get()), "A");
    EXPECT_STREQ(ItemIdFactory::MediaFileName(category.get()), "");  // another kind reads as neutral

    CatalogHeader header = test::MakeHeader("");
    header.rootHasFolders = 1;
    header.driveType = 5;
    List media(f.MakeMedia("x.vmf", header));
    ASSERT_TRUE(media);
    EXPECT_EQ(media->size, 52u);
    EXPECT_STREQ(ItemIdFactory::MediaFileName(media.get()), "x.vmf");
    EXPECT_STREQ(ItemIdFactory::MediaName(media.get()), "");
    EXPECT_EQ(ItemIdFactory::MediaDriveType(media.get()), 5u);
    EXPECT_EQ(ItemIdFactory::MediaHasFolders(media.get()), 0x10000u);
    EXPECT_EQ(ItemIdFactory::MediaSerial(media.get()), header.serial);
    EXPECT_EQ(ItemIdFactory::MediaTotal(media.get()), header.totalBytes);
    EXPECT_EQ(ItemIdFactory::MediaFree(media.get()), header.freeBytes);
    EXPECT_EQ(ItemIdFactory::MediaCaptureTime(media.get()), header.captureTime);

    CatalogHeader named = test::MakeHeader("Photos 2009");
    List namedMedia(f.MakeMedia("p.vmf", named));
    EXPECT_EQ(namedMedia->size, (5 + 11 + 47 + 3) / 4 * 4);
    EXPECT_STREQ(ItemIdFactory::MediaName(namedMedia.get()), "Photos 2009");

    // A read-only archived directory with sub-directories; other attribute bits are dropped.
    EntryData dir = test::Dir("sub", 1, 0x10 | 0x1 | 0x20 | 0x800);
    dir.size = 0x1122334455ULL;
    List entry(f.MakeEntry(EntryBytes(dir).data()));
    ASSERT_TRUE(entry);
    EXPECT_EQ(ItemIdFactory::EntryFlags(entry.get()), 0x10031u);
    EXPECT_TRUE(ItemIdFactory::EntryIsDirectory(entry.get()));
    EXPECT_EQ(ItemIdFactory::EntrySize(entry.get()), 0x1122334455ULL);
    EXPECT_EQ(ItemIdFactory::EntryCreationTime(entry.get()), dir.creationTime);
    EXPECT_EQ(ItemIdFactory::EntryWriteTime(entry.get()), dir.writeTime);
    // Padding and the list tail are zero.
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(entry.get());
    for (std::size_t i = 44 + 4; i < ItemIdFactory::ListSize(entry.get()); ++i) EXPECT_EQ(bytes[i], 0) << i;
}

TEST(ItemIdFactory, ListOperations) {
    ItemIdFactory f;
    List cat(f.MakeCategory("Music"));
    List media(f.MakeMedia("cd.vmf", test::MakeHeader("CD")));
    List file(f.MakeEntry(EntryBytes(test::File("track.wav", 9)).data()));

    EXPECT_EQ(f.Join(nullptr, nullptr), nullptr);
    List copyOfCat(f.Join(cat.get(), nullptr));
    ASSERT_TRUE(copyOfCat);
    EXPECT_EQ(ItemIdFactory::ListSize(copyOfCat.get()), ItemIdFactory::ListSize(cat.get()));
    EXPECT_NE(copyOfCat.get(), cat.get());

    List two(f.Join(cat.get(), media.get()));
    List three(f.Join(two.get(), file.get()));
    ASSERT_TRUE(three);
    EXPECT_EQ(ItemIdFactory::ListSize(three.get()),
              cat->size + media->size + file->size + 3u);
    EXPECT_EQ(ItemIdFactory::KindOfLast(three.get()), kKindEntry);
    EXPECT_EQ(ItemIdFactory::Kind(ItemIdFactory::Next(three.get())), kKindMedia);
    char path[260];
    EXPECT_EQ(ItemIdFactory::PathOf(three.get(), path, sizeof(path)), 22);
    EXPECT_STREQ(path, "Music\\cd.vmf\\track.wav");
    // One byte short of the whole path: no shorter path naming another item.
    EXPECT_EQ(ItemIdFactory::PathOf(three.get(), path, 22), -1);
    EXPECT_EQ(ItemIdFactory::PathOf(three.get(), path, 23), 22);

    List first(f.CopyFirst(three.get()));
    EXPECT_EQ(ItemIdFactory::ListSize(first.get()), cat->size + 3u);
    EXPECT_EQ(ItemIdFactory::Last(first.get())->size, cat->size);

    std::uint8_t empty[3] = {0, 0, 0};
    auto* emptyList = reinterpret_cast<const ItemId*>(empty);
    EXPECT_EQ(ItemIdFactory::KindOfLast(emptyList), 0);
    EXPECT_EQ(ItemIdFactory::Last(emptyList), nullptr);
    EXPECT_EQ(ItemIdFactory::Last(nullptr), nullptr);
    EXPECT_EQ(ItemIdFactory::ListSize(nullptr), 0u);
    EXPECT_EQ(ItemIdFactory::PathOf(emptyList, path, sizeof(path)), 0);
    EXPECT_EQ(ItemIdFactory::Next(emptyList), nullptr);

    const ItemId* lists[] = {cat.get(), three.get(), nullptr};
    ItemId** array = f.CopyArray(lists, 3);
    ASSERT_NE(array, nullptr);
    EXPECT_EQ(ItemIdFactory::ListSize(array[1]), ItemIdFactory::ListSize(three.get()));
    EXPECT_EQ(array[2], nullptr);
    f.FreeArray(array, 3);
}

// A record as the shell may hand one in: its size word says `size`, and the
// bytes after it (up to 96) are 0xFF, so a reader that looks past the record
// sees them.
std::vector<std::uint8_t> ShortRecord(std::uint16_t kind, std::uint16_t size, const char* text = "") {
    std::vector<std::uint8_t> bytes(96, 0xFF);
    std::fill(bytes.begin(), bytes.begin() + size, 0);
    Store16(bytes.data(), size);
    Store16(bytes.data() + 2, kind);
    std::size_t n = std::min<std::size_t>(std::strlen(text), size > 44 ? size - 44u : 0u);
    std::memcpy(bytes.data() + 44, text, n);
    return bytes;
}

const ItemId* AsId(const std::vector<std::uint8_t>& bytes) { return reinterpret_cast<const ItemId*>(bytes.data()); }

TEST(ItemIdFactory, ShortRecordsReadAsNeutralValues) {
    // An entry cut off inside its write time, and one cut off before its flags.
    std::vector<std::uint8_t> entry = ShortRecord(kKindEntry, 40);
    EXPECT_EQ(ItemIdFactory::Kind(AsId(entry)), kKindEntry);
    EXPECT_EQ(ItemIdFactory::EntryCreationTime(AsId(entry)), 0u);
    EXPECT_EQ(ItemIdFactory::EntryWriteTime(AsId(entry)), 0u);
    EXPECT_STREQ(ItemIdFactory::Name(AsId(entry)), "");
    std::vector<std::uint8_t> stub = ShortRecord(kKindEntry, 6);
    EXPECT_EQ(ItemIdFactory::EntryFlags(AsId(stub)), 0u);
    EXPECT_FALSE(ItemIdFactory::EntryIsDirectory(AsId(stub)));
    EXPECT_EQ(ItemIdFactory::EntrySize(AsId(stub)), 0u);
    // Too short even for its kind.
    std::vector<std::uint8_t> tiny = ShortRecord(kKindEntry, 3);
    EXPECT_EQ(ItemIdFactory::Kind(AsId(tiny)), 0u);

    std::vector<std::uint8_t> media = ShortRecord(kKindMedia, 24);
    EXPECT_EQ(ItemIdFactory::MediaSerial(AsId(media)), 0u);  // the serial fits, and is zero
    EXPECT_EQ(ItemIdFactory::MediaTotal(AsId(media)), 0u);
    EXPECT_EQ(ItemIdFactory::MediaFree(AsId(media)), 0u);
    EXPECT_EQ(ItemIdFactory::MediaCaptureTime(AsId(media)), 0u);
    EXPECT_EQ(ItemIdFactory::MediaDriveType(AsId(ShortRecord(kKindMedia, 7))), 0u);
    EXPECT_EQ(ItemIdFactory::MediaHasFolders(AsId(ShortRecord(kKindMedia, 7))), 0u);

    // Names must end inside the record: one that runs to its end (and the
    // catalogue name that would follow it) reads as empty.
    std::vector<std::uint8_t> open = ShortRecord(kKindMedia, 48, "abcd");
    EXPECT_STREQ(ItemIdFactory::MediaFileName(AsId(open)), "");
    EXPECT_STREQ(ItemIdFactory::MediaName(AsId(open)), "");
    std::vector<std::uint8_t> category = ShortRecord(kKindCategory, 48, "abcd");
    EXPECT_STREQ(ItemIdFactory::CategoryName(AsId(category)), "");
    std::vector<std::uint8_t> list = category;
    list[48] = list[49] = 0;  // the list ends after the record
    char path[260];
    EXPECT_EQ(ItemIdFactory::PathOf(AsId(list), path, sizeof(path)), 0u);
    // The file name fits, but the record ends before a catalogue name does.
    std::vector<std::uint8_t> noSecond = ShortRecord(kKindMedia, 48, "abc");
    noSecond[48] = 'X';  // past the record: a reader that looks there finds text
    EXPECT_STREQ(ItemIdFactory::MediaFileName(AsId(noSecond)), "abc");
    EXPECT_STREQ(ItemIdFactory::MediaName(AsId(noSecond)), "");
    std::vector<std::uint8_t> both = ShortRecord(kKindMedia, 52, "a");
    both[46] = 'N';
    EXPECT_STREQ(ItemIdFactory::MediaName(AsId(both)), "N");
}

TEST(ItemIdFactory, ComparisonsAreUnsigned) {
    ItemIdFactory f;
    CatalogHeader small = test::MakeHeader("alpha", 1);
    CatalogHeader big = test::MakeHeader("ALPHA", 0x80000000u);
    small.totalBytes = 1;
    big.totalBytes = 0x8000000000000000ULL;
    List a(f.MakeMedia("a.vmf", small));
    List b(f.MakeMedia("b.vmf", big));
    EXPECT_EQ(ItemIdFactory::CompareSerials(a.get(), b.get()), -1);
    EXPECT_EQ(ItemIdFactory::CompareTotals(a.get(), b.get()), -1);
    EXPECT_EQ(ItemIdFactory::CompareTotals(b.get(), a.get()), 1);
    EXPECT_EQ(ItemIdFactory::CompareMediaNames(a.get(), b.get()), 0);
    EXPECT_EQ(ItemIdFactory::CompareKinds(a.get(), b.get()), 0);
    List cat(f.MakeCategory("x"));
    EXPECT_EQ(ItemIdFactory::CompareKinds(cat.get(), a.get()), -1);
    List catUpper(f.MakeCategory("X"));
    EXPECT_EQ(ItemIdFactory::CompareCategoryNames(cat.get(), catUpper.get()), 0);
}

}  // namespace
}  // namespace cataloom
