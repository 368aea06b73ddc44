// Attributes, sorting and icons of the namespace's items, asked of the
// folders that the desktop folder binds.
#include <windows.h>
#include <shellapi.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>

#include "core/CatalogFile.h"
#include "core/ItemIdFactory.h"
#include "namespace/IconCache.h"
#include "namespace/ItemColumns.h"
#include "namespace/ItemComparer.h"
#include "namespace/ProcessObjects.h"
#include "tests/namespace/ShellTestSupport.h"

namespace cataloom::test {
namespace {

using Ids = ItemIdFactory;

constexpr SHCONTF kAll = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;
constexpr ULONG kAsked = 0xFFFFFFFF;

ULONG AttributesOf(IShellFolder* folder, std::initializer_list<const IdList*> items) {
    std::vector<PCUITEMID_CHILD> lists;
    for (const IdList* item : items) lists.push_back(item->Child());
    ULONG attributes = kAsked;
    EXPECT_EQ(folder->GetAttributesOf(static_cast<UINT>(lists.size()), lists.data(), &attributes), S_OK);
    return attributes;
}

IdList Media(const char* file, const char* name, std::uint32_t serial, std::uint64_t total, std::uint64_t free,
             std::uint64_t captured, std::uint32_t driveType = 3) {
    CatalogHeader header;
    std::memset(&header, 0, sizeof header);
    std::memcpy(header.magic, "!vmf", 4);
    std::strcpy(header.name, name);
    header.serial = serial;
    header.totalBytes = total;
    header.freeBytes = free;
    header.captureTime = captured;
    header.driveType = driveType;
    return IdList(ProcessObjects::ItemIds().MakeMedia(file, header));
}

IdList Entry(const char* name, std::uint64_t size, std::uint32_t attributes, std::uint64_t written) {
    std::uint8_t record[kEntryFixedSize + 64] = {};
    Store16(record, static_cast<std::uint16_t>(kEntryFixedSize + std::strlen(name) + 1));
    Store32(record + EntryRecord::kAttributes, attributes);
    Store64(record + EntryRecord::kFileSize, size);
    Store64(record + EntryRecord::kWriteTime, written);
    std::strcpy(reinterpret_cast<char*>(record + EntryRecord::kName), name);
    return IdList(ProcessObjects::ItemIds().MakeEntry(record));
}

IdList Category(const char* name) { return IdList(ProcessObjects::ItemIds().MakeCategory(name)); }

// The order CompareIDs gives, or the failure code.
int Order(IShellFolder* folder, LPARAM parameter, const IdList& a, const IdList& b) {
    HRESULT hr = folder->CompareIDs(parameter, a.Get(), b.Get());
    if (hr == E_INVALIDARG || hr == E_FAIL) return hr;
    EXPECT_TRUE(hr == -1 || hr == 0 || hr == 1) << hr;  // a plain order
    return ItemComparer::OrderOf(hr);
}

LPARAM Descending(WORD column) { return MAKELPARAM(column, 2); }
LPARAM Ascending(WORD column) { return MAKELPARAM(column, 1); }

TEST(NamespaceAttributes, EveryKindAndTheirAndOverSeveralItems) {
    DataFolder data;
    ComPtr<IShellFolder> root = OpenFolder("");
    ASSERT_TRUE(root);
    std::vector<IdList> top = Enumerate(root.Get());
    ULONG none = 0;
    EXPECT_EQ(root->GetAttributesOf(0, nullptr, &none), S_OK);
    EXPECT_EQ(none, 0xA0000100u);
    EXPECT_EQ(root->GetAttributesOf(0, nullptr, nullptr), E_INVALIDARG);
    EXPECT_EQ(AttributesOf(root.Get(), {&Find(top, "音楽")}), 0xA0000172u);  // holds a catalogue
    EXPECT_EQ(AttributesOf(root.Get(), {&Find(top, "隠し")}), 0xA0000172u);
    EXPECT_EQ(AttributesOf(root.Get(), {&Find(top, "書類")}), 0x20000172u);  // only category.ini
    EXPECT_EQ(AttributesOf(root.Get(), {&Find(top, "disc.VMF")}), 0xA0000062u);
    EXPECT_EQ(AttributesOf(root.Get(), {&Find(top, "音楽"), &Find(top, "disc.VMF")}), 0xA0000062u & 0xA0000172u);

    ComPtr<IShellFolder> catalogue = OpenFolder("disc.VMF");
    ASSERT_TRUE(catalogue);
    std::vector<IdList> entries = Enumerate(catalogue.Get(), kAll);
    EXPECT_EQ(AttributesOf(catalogue.Get(), {&Find(entries, "CD1")}), 0x20000000u);
    EXPECT_EQ(AttributesOf(catalogue.Get(), {&Find(entries, "readme.txt")}), 0u);
    IdList withFolders = Entry("sub", 0, FILE_ATTRIBUTE_DIRECTORY, 0);
    Store32(reinterpret_cast<std::uint8_t*>(withFolders.Get()) + 4, 0x10010);
    EXPECT_EQ(AttributesOf(catalogue.Get(), {&withFolders}), 0xA0000000u);
    // A category and a file entry have nothing in common.
    EXPECT_EQ(AttributesOf(root.Get(), {&Find(top, "音楽"), &Find(entries, "readme.txt")}), 0u);
    // Only the asked bits come back; an unknown kind fails.
    ULONG asked = SFGAO_CANRENAME;
    PCUITEMID_CHILD one = Find(top, "disc.VMF").Child();
    EXPECT_EQ(root->GetAttributesOf(1, &one, &asked), S_OK);
    EXPECT_EQ(asked, 0u);
    IdList foreign = Category("x");
    Store16(reinterpret_cast<std::uint8_t*>(foreign.Get()) + 2, 7);
    PCUITEMID_CHILD bad = foreign.Child();
    asked = kAsked;
    EXPECT_EQ(root->GetAttributesOf(1, &bad, &asked), E_FAIL);
}

TEST(NamespaceSorting, CataloguesByEveryColumnAndDirection) {
    DataFolder data;
    ComPtr<IShellFolder> root = OpenFolder("");
    ASSERT_TRUE(root);
    IdList older = Media("a.vmf", "Alpha", 0x00000002, 5000000000ULL, 10, 100);
    IdList newer = Media("b.vmf", "beta", 0xF0000001, 4000000000ULL, 20, 200);
    IdList alphaAgain = Media("c.vmf", "ALPHA", 0x00000001, 1, 1, 1);
    IdList category = Category("zzz");
    IdList other = Category("AAA");

    EXPECT_EQ(Order(root.Get(), Ascending(kColumnLabel), older, newer), -1);
    EXPECT_EQ(Order(root.Get(), Descending(kColumnLabel), older, newer), 1);
    EXPECT_EQ(Order(root.Get(), Ascending(kColumnLabel), older, alphaAgain), 1);  // same name: by serial
    EXPECT_EQ(Order(root.Get(), Ascending(kColumnTotal), older, newer), 1);      // 64-bit sizes
    EXPECT_EQ(Order(root.Get(), Descending(kColumnTotal), older, newer), -1);
    EXPECT_EQ(Order(root.Get(), Ascending(kColumnFree), older, newer), -1);
    EXPECT_EQ(Order(root.Get(), Ascending(kColumnSerial), older, newer), -1);    // unsigned serials
    EXPECT_EQ(Order(root.Get(), Ascending(kColumnCaptured), older, newer), 1);   // newest first
    EXPECT_EQ(Order(root.Get(), Descending(kColumnCaptured), older, newer), -1);
    EXPECT_EQ(Order(root.Get(), Ascending(kColumnLabel) | 0x80000000, older, newer), -1);  // bit 31 ignored
    EXPECT_EQ(Order(root.Get(), Ascending(6), older, newer), E_INVALIDARG);
    for (WORD column = kColumnLabel; column <= kColumnCaptured; ++column) {
        // Categories come first both ways, and among themselves by name.
        EXPECT_EQ(Order(root.Get(), Ascending(column), category, older), -1);
        EXPECT_EQ(Order(root.Get(), Descending(column), newer, category), 1);
        EXPECT_EQ(Order(root.Get(), Ascending(column), other, category), -1);
        EXPECT_EQ(Order(root.Get(), Descending(column), other, category), 1);
    }
}

TEST(NamespaceSorting, EntriesKeepDirectoriesFirstAndIdentityWalksWholeLists) {
    DataFolder data;
    ComPtr<IShellFolder> catalogue = OpenFolder("disc.VMF");
    ASSERT_TRUE(catalogue);
    IdList bigDirectory = Entry("b", 9000, FILE_ATTRIBUTE_DIRECTORY, 5);
    IdList smallDirectory = Entry("Z", 10, FILE_ATTRIBUTE_DIRECTORY, 6);
    IdList file = Entry("a.txt", 1, FILE_ATTRIBUTE_ARCHIVE, 7);
    IdList image = Entry("a.bmp", 0x100000000ULL, FILE_ATTRIBUTE_ARCHIVE, 8);

    for (LPARAM p : {Ascending(kColumnSize), Descending(kColumnSize), Ascending(kColumnName), Descending(kColumnType)})
        EXPECT_EQ(Order(catalogue.Get(), p, bigDirectory, file), -1) << p;
    EXPECT_EQ(Order(catalogue.Get(), Ascending(kColumnSize), smallDirectory, bigDirectory), -1);
    EXPECT_EQ(Order(catalogue.Get(), Descending(kColumnSize), smallDirectory, bigDirectory), 1);
    EXPECT_EQ(Order(catalogue.Get(), Ascending(kColumnName), bigDirectory, smallDirectory), -1);  // b < Z
    EXPECT_EQ(Order(catalogue.Get(), Ascending(kColumnSize), file, image), -1);
    EXPECT_EQ(Order(catalogue.Get(), Ascending(kColumnModified), file, image), 1);
    char bmp[80];
    char txt[80];
    ItemColumns::TypeName(image.Id(), bmp, sizeof bmp);
    ItemColumns::TypeName(file.Id(), txt, sizeof txt);
    EXPECT_EQ(Order(catalogue.Get(), Ascending(kColumnType), image, file), lstrcmpiA(bmp, txt) < 0 ? -1 : 1);
    EXPECT_EQ(Order(catalogue.Get(), Ascending(17), file, image), E_INVALIDARG);

    // Identity over whole lists: a prefix first, case ignored, kinds apart.
    IdList media = Media("Disc.vmf", "Name", 1, 1, 1, 1);
    IdList sameMedia = Media("DISC.VMF", "name", 2, 2, 2, 2);
    IdList otherFile = Media("disc2.vmf", "Name", 1, 1, 1, 1);
    IdList path(ILCombine(media.Get(), file.Get()));
    EXPECT_EQ(Order(catalogue.Get(), 0, media, path), -1);
    EXPECT_EQ(Order(catalogue.Get(), 0, path, media), 1);
    EXPECT_EQ(Order(catalogue.Get(), 0, media, sameMedia), 0);
    EXPECT_NE(Order(catalogue.Get(), 0, media, otherFile), 0);  // two files, one catalogue name
    EXPECT_EQ(Order(catalogue.Get(), 0, bigDirectory, file), -1);
    EXPECT_EQ(Order(catalogue.Get(), 0, Category("x"), media), -1);
    // Real shells add flags to the identity comparison: still identity, and
    // never turned round as a descending column would be.
    for (LPARAM flags : {LPARAM(0x80000000), LPARAM(0x10000000), LPARAM(0x90000000), LPARAM(0x00020000)}) {
        EXPECT_EQ(Order(catalogue.Get(), flags, media, sameMedia), 0) << flags;
        EXPECT_EQ(Order(catalogue.Get(), flags, path, path), 0) << flags;
        EXPECT_EQ(Order(catalogue.Get(), flags, media, path), -1) << flags;
        EXPECT_EQ(Order(catalogue.Get(), flags, file, bigDirectory), 1) << flags;
    }
    IdList foreign = Category("x");
    Store16(reinterpret_cast<std::uint8_t*>(foreign.Get()) + 2, 9);
    EXPECT_EQ(Order(catalogue.Get(), 0, foreign, foreign), E_FAIL);
}

class IconTest : public ::testing::Test {
protected:
    // GetIconLocation of one item of `folder`.
    HRESULT Location(IShellFolder* folder, const IdList& item, UINT flags, int* index, UINT* outFlags,
                     std::string* file = nullptr) {
        ComPtr<IExtractIconA> extractor;
        PCUITEMID_CHILD child = item.Child();
        HRESULT hr = folder->GetUIObjectOf(nullptr, 1, &child, IID_IExtractIconA, nullptr, extractor.PutVoid());
        if (FAILED(hr)) return hr;
        char text[MAX_PATH] = {};
        hr = extractor->GetIconLocation(flags, text, sizeof text, index, outFlags);
        if (file != nullptr) *file = text;
        return hr;
    }
    IconCache& icons = ProcessObjects::Icons();
};

TEST_F(IconTest, CategoriesShowFoldersOrTheirChosenIconExtractedOnce) {
    DataFolder data;
    ComPtr<IShellFolder> root = OpenFolder("");
    ASSERT_TRUE(root);
    std::vector<IdList> top = Enumerate(root.Get());
    int index = -5;
    UINT flags = 0;
    ASSERT_EQ(Location(root.Get(), Find(top, "隠し"), 0, &index, &flags), S_OK);
    EXPECT_EQ(index, icons.CategoryIcon(false));
    EXPECT_EQ(flags, static_cast<UINT>(GIL_NOTFILENAME));
    ASSERT_EQ(Location(root.Get(), Find(top, "隠し"), GIL_OPENICON, &index, &flags), S_OK);
    EXPECT_EQ(index, icons.CategoryIcon(true));

    std::string file;
    ASSERT_EQ(Location(root.Get(), Find(top, "音楽"), 0, &index, &flags, &file), S_OK);
    EXPECT_EQ(file, "C:\\windows\\system32\\shell32.dll");
    EXPECT_EQ(index, 3);
    EXPECT_EQ(flags, 0u);

    int before = ImageList_GetImageCount(icons.LargeList());
    int first = -1;
    int second = -1;
    ASSERT_EQ(Location(root.Get(), Find(top, "音楽"), GIL_FORSHELL, &first, &flags), S_OK);
    ASSERT_EQ(Location(root.Get(), Find(top, "書類"), GIL_FORSHELL, &second, &flags), S_OK);
    EXPECT_GE(first, before);
    EXPECT_EQ(second, first);
    EXPECT_EQ(flags, static_cast<UINT>(GIL_NOTFILENAME));
    EXPECT_EQ(ImageList_GetImageCount(icons.LargeList()), before + 1);  // one extraction for both
    EXPECT_EQ(icons.AddIconLocation("C:\\windows\\system32\\shell32.dll,99999"), -1);
}

TEST_F(IconTest, CataloguesByDriveTypeAndEntriesByTheSystemIconOfTheirName) {
    DataFolder data;
    ComPtr<IShellFolder> root = OpenFolder("");
    ASSERT_TRUE(root);
    int index = -5;
    UINT flags = 0;
    ASSERT_EQ(Location(root.Get(), Media("x.vmf", "x", 1, 1, 1, 1, DRIVE_CDROM), 0, &index, &flags), S_OK);
    EXPECT_EQ(index, icons.MediaIcon(DRIVE_CDROM));
    EXPECT_NE(index, icons.MediaIcon(DRIVE_FIXED));
    EXPECT_GT(index, icons.CategoryIcon(true));  // added after the system's own icons
    ASSERT_EQ(Location(root.Get(), Media("x.vmf", "x", 1, 1, 1, 1, DRIVE_NO_ROOT_DIR), 0, &index, &flags), S_OK);
    EXPECT_EQ(index, icons.CategoryIcon(true));
    ASSERT_EQ(Location(root.Get(), Media("x.vmf", "x", 1, 1, 1, 1, 0), 0, &index, &flags), S_OK);
    EXPECT_EQ(index, icons.CategoryIcon(false));
    // Each drive icon was added in its own slot, in a fixed order: the RAM
    // disk has the fixed drive's picture under an index of its own.
    int removable = icons.MediaIcon(DRIVE_REMOVABLE);
    EXPECT_EQ(icons.MediaIcon(DRIVE_FIXED), removable + 1);
    EXPECT_EQ(icons.MediaIcon(DRIVE_REMOTE), removable + 2);
    EXPECT_EQ(icons.MediaIcon(DRIVE_CDROM), removable + 3);
    EXPECT_EQ(icons.MediaIcon(DRIVE_RAMDISK), removable + 4);

    ComPtr<IShellFolder> catalogue = OpenFolder("disc.VMF");
    ASSERT_TRUE(catalogue);
    std::vector<IdList> entries = Enumerate(catalogue.Get(), kAll);
    SHFILEINFOA text = {};
    SHGetFileInfoA("any.txt", FILE_ATTRIBUTE_NORMAL, &text, sizeof text, SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES);
    ASSERT_EQ(Location(catalogue.Get(), Find(entries, "readme.txt"), 0, &index, &flags), S_OK);
    EXPECT_EQ(index, text.iIcon);
    ASSERT_EQ(Location(catalogue.Get(), Find(entries, "CD1"), GIL_OPENICON, &index, &flags), S_OK);
    EXPECT_EQ(index, icons.CategoryIcon(true));

    // Asynchronous extraction is declined; Extract hands out list icons.
    ComPtr<IExtractIconA> extractor;
    PCUITEMID_CHILD child = Find(entries, "readme.txt").Child();
    ASSERT_EQ(catalogue->GetUIObjectOf(nullptr, 1, &child, IID_IExtractIconA, nullptr, extractor.PutVoid()), S_OK);
    index = 77;
    EXPECT_EQ(extractor->GetIconLocation(GIL_ASYNC, nullptr, 0, &index, &flags), E_PENDING);
    EXPECT_EQ(extractor->GetIconLocation(0, nullptr, 0, nullptr, &flags), E_POINTER);
    HICON large = nullptr;
    HICON small = nullptr;
    EXPECT_EQ(extractor->Extract("", static_cast<UINT>(text.iIcon), &large, &small, 0), S_OK);
    EXPECT_NE(large, nullptr);
    EXPECT_NE(small, nullptr);
    DestroyIcon(large);
    DestroyIcon(small);
    // Two items, or interfaces of later parts, are refused.
    PCUITEMID_CHILD two[] = {child, child};
    EXPECT_EQ(catalogue->GetUIObjectOf(nullptr, 2, two, IID_IExtractIconA, nullptr, extractor.PutVoid()),
              E_NOINTERFACE);
    ComPtr<IUnknown> view;
    EXPECT_EQ(catalogue->CreateViewObject(nullptr, IID_IShellView, view.PutVoid()), E_NOINTERFACE);
}

}  // namespace
}  // namespace cataloom::test

namespace cataloom::test {
namespace {

TEST(NamespaceColumns, TextsOfTheColumnsBesidesTheName) {
    char text[64];
    std::vector<std::pair<std::uint64_t, std::string>> sizes = {
        {0, "0KB"}, {1, "1KB"}, {1000, "1KB"}, {1001, "2KB"}, {1234567890, "1,234,568KB"},
        // Beyond 32 bits of kilobytes: big drives.
        {8000000000000ULL, "8,000,000,000KB"}, {4294967296000ULL, "4,294,967,296KB"},
        {4294967296001ULL, "4,294,967,297KB"}, {~0ULL, "18,446,744,073,709,552KB"}};
    for (const auto& size : sizes) {
        ItemColumns::Kilobytes(size.first, text, sizeof text);
        EXPECT_EQ(std::string(text), size.second) << size.first;
    }
    char small[6] = "12345";
    EXPECT_EQ(ItemColumns::GroupThousands(small, sizeof small), 7u);  // "12,345" does not fit
    EXPECT_EQ(std::string(small), "12345");

    IdList media = Media("x.vmf", "x", 0x1A2B, 1001, 0, 0);
    IdList drive = Media("y.vmf", "y", 1, 8000000000000ULL, 4294967296000ULL, 0);
    ItemColumns::Text(Listing::kMedia, 1, drive.Id(), text, sizeof text);
    EXPECT_EQ(std::string(text), "8,000,000,000KB");
    ItemColumns::Text(Listing::kMedia, 2, drive.Id(), text, sizeof text);
    EXPECT_EQ(std::string(text), "4,294,967,296KB");
    ItemColumns::Text(Listing::kEntry, 1, Entry("big.iso", 5000000000000ULL, 0, 1).Id(), text, sizeof text);
    EXPECT_EQ(std::string(text), "5,000,000,000KB");
    ItemColumns::Text(Listing::kMedia, 3, media.Id(), text, sizeof text);
    EXPECT_EQ(std::string(text), "00001A2B");
    ItemColumns::Text(Listing::kMedia, 1, media.Id(), text, sizeof text);
    EXPECT_EQ(std::string(text), "2KB");
    ItemColumns::Text(Listing::kMedia, 4, media.Id(), text, sizeof text);
    EXPECT_EQ(std::string(text), "（不明）");
    ItemColumns::Text(Listing::kMedia, 2, Category("c").Id(), text, sizeof text);
    EXPECT_EQ(std::string(text), "");
    ItemColumns::Text(Listing::kEntry, 1, Entry("d", 5000, FILE_ATTRIBUTE_DIRECTORY, 1).Id(), text, sizeof text);
    EXPECT_EQ(std::string(text), "");
    ItemColumns::Text(Listing::kEntry, 3, Entry("f", 1, 0, 0x01DA000000000000ULL).Id(), text, sizeof text);
    EXPECT_EQ(std::strlen(text), 16u);  // yyyy/mm/dd hh:mm
    EXPECT_EQ(text[4], '/');
}

TEST(NamespaceColumns, HeadersCodesAlignmentsAndWidthsOfBothListings) {
    const std::vector<ColumnInfo> media = {
        {21, 1, false, 100}, {22, 2, true, 100}, {23, 3, true, 100}, {24, 4, true, 80}, {25, 5, false, 120}};
    const std::vector<ColumnInfo> entries = {{26, 16, false, 200}, {27, 32, true, 100}, {28, 48, false, 100},
                                             {29, 64, false, 150}};
    for (const auto& listing : {std::make_pair(Listing::kMedia, &media), std::make_pair(Listing::kEntry, &entries)}) {
        const std::vector<ColumnInfo>& expected = *listing.second;
        ASSERT_EQ(ItemColumns::Count(listing.first), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const ColumnInfo& column = ItemColumns::Column(listing.first, i);
            EXPECT_EQ(column.headerText, expected[i].headerText) << i;
            EXPECT_EQ(column.code, expected[i].code) << i;
            EXPECT_EQ(column.rightAligned, expected[i].rightAligned) << i;
            EXPECT_EQ(column.defaultWidth, expected[i].defaultWidth) << i;
        }
    }
}

}  // namespace
}  // namespace cataloom::test
