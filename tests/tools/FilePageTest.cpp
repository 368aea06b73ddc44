// The file page for entries inside a catalogue, in a real sheet under Xvfb:
// one file, one directory, several entries of mixed kinds (three-state
// boxes), unknown times and a directory whose size was never computed.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>

#include "core/CatalogReader.h"
#include "namespace/IconCache.h"
#include "namespace/ProcessObjects.h"
#include "tests/core/CatalogBuilder.h"
#include "tests/namespace/ShellTestSupport.h"
#include "tests/support/WinTestSupport.h"
#include "tests/tools/SheetTestSupport.h"

namespace cataloom::test {
namespace {

constexpr std::uint64_t kCreated = 133486382450000000ULL;   // 2024/01/02 03:04:05 UTC
constexpr std::uint64_t kModified = 133800000000000000ULL;  // 2025/01/01 ...
constexpr std::uint32_t kReadOnly = 0x01, kHidden = 0x02, kSystem = 0x04, kDirectory = 0x10, kArchive = 0x20;

std::string TypeName(const char* name, DWORD attributes) {
    SHFILEINFOA info = {};
    SHGetFileInfoA(name, attributes, &info, sizeof info, SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
    return info.szTypeName;
}

EntryData Entry(const std::string& name, std::uint64_t size, std::uint32_t attributes, std::uint64_t created = kCreated,
                std::uint64_t modified = kModified) {
    EntryData entry = File(name, size, attributes);
    entry.creationTime = created;
    entry.writeTime = modified;
    return entry;
}

// Puts `size` into the record of `name` in the entry list of `directory`,
// as a capture stopped during its totals leaves a directory.
void SetEntrySize(const std::string& file, const char* directory, const char* name, std::uint64_t size) {
    CatalogReader reader;
    std::uint64_t offset = 0;
    std::uint32_t listSize = 0;
    ASSERT_EQ(reader.Open(file.c_str()), kOk);
    ASSERT_TRUE(reader.FindDirectory(directory, &offset, &listSize));
    std::fstream stream(file, std::ios::in | std::ios::out | std::ios::binary);
    std::string list(listSize, '\0');
    stream.seekg(static_cast<std::streamoff>(offset));
    stream.read(&list[0], listSize);
    for (std::size_t at = 0; at + 2 < list.size() && Load16(list.data() + at) != 0; at += Load16(list.data() + at)) {
        if (std::string(list.data() + at + EntryRecord::kName) != name) continue;
        char bytes[8];
        Store64(bytes, size);
        stream.seekp(static_cast<std::streamoff>(offset + at + EntryRecord::kFileSize));
        stream.write(bytes, 8);
        return;
    }
    ADD_FAILURE() << "no entry " << name;
}

class FilePageTest : public ::testing::Test {
protected:
    void SetUp() override {
        CatalogHeader header = MakeHeader("ファイル集");
        ASSERT_TRUE(WriteCatalog(data.Path("files.vmf"), header,
                                 {{"", 0,
                                   {Dir("フォルダ"), Dir("途中"), Entry("readme.txt", 1234567, kReadOnly | kArchive),
                                    Entry("notes.txt", 10, kArchive), Entry("zero.txt", 0, kArchive, 0, 0),
                                    Entry("hidden.dat", 100, kHidden | kSystem | kArchive)}},
                                  {"フォルダ", 0, {Entry("中.txt", 5, kArchive)}},
                                  {"途中", 0, {}}}));
        SetEntrySize(data.Path("files.vmf"), "ファイル集", "途中", kUnknownTotal);
        ProcessObjects::Reader().Release();
    }
    // The file page of `names` in the catalogue folder `folder`.
    void Show(const std::string& folder, const std::vector<std::string>& names) {
        ComPtr<IShellFolder> shellFolder = OpenFolder(folder);
        ASSERT_TRUE(shellFolder);
        std::vector<IdList> items = Enumerate(shellFolder.Get());
        std::vector<const IdList*> chosen;
        for (const std::string& name : names) chosen.push_back(&Find(items, name));
        ComPtr<IShellPropSheetExt> sheet = ItemSheet(shellFolder.Get(), chosen);
        ASSERT_TRUE(sheet);
        ShowOnlyPage(sheet.Get(), host, page);
    }
    std::vector<LRESULT> Boxes() {
        return {CheckState(page, 1311), CheckState(page, 1312), CheckState(page, 1313), CheckState(page, 1314)};
    }
    std::vector<BYTE> ShownIcon() {
        return IconPixels(reinterpret_cast<HICON>(SendDlgItemMessageA(page, 1301, STM_GETICON, 0, 0)));
    }
    bool TimesEnabled() {
        for (int id = 1307; id <= 1310; ++id)
            if (!IsWindowEnabled(GetDlgItem(page, id))) return false;
        return true;
    }

    DataFolder data;
    std::unique_ptr<SheetHost> host;
    HWND page = nullptr;
};

TEST_F(FilePageTest, OneFileShowsItsOwnDataAndSavesNothing) {
    Show("files.vmf", {"readme.txt"});
    EXPECT_EQ(host->TabTitle(0), "ファイル情報");
    EXPECT_EQ(ControlText(page, 1302), "readme.txt");
    EXPECT_EQ(ControlText(page, 1303), TypeName("readme.txt", FILE_ATTRIBUTE_NORMAL));
    EXPECT_FALSE(ControlText(page, 1303).empty());
    EXPECT_EQ(ControlText(page, 1304), "ファイル集");
    EXPECT_EQ(ControlText(page, 1305), "\\");
    EXPECT_EQ(ControlText(page, 1306), "1,234,567 バイト");
    EXPECT_EQ(ControlText(page, 1308), LocalTimeText(kCreated));
    EXPECT_EQ(ControlText(page, 1310), LocalTimeText(kModified));
    EXPECT_TRUE(TimesEnabled());
    EXPECT_EQ(Boxes(), (std::vector<LRESULT>{BST_CHECKED, BST_UNCHECKED, BST_CHECKED, BST_UNCHECKED}));
    SHFILEINFOA info = {};
    SHGetFileInfoA("readme.txt", FILE_ATTRIBUTE_NORMAL, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES);
    HICON expected = ProcessObjects::Icons().LargeIcon(info.iIcon);
    EXPECT_EQ(ShownIcon(), IconPixels(expected));
    DestroyIcon(expected);
    SaveWindowPicture(host->Window(), "file-page-one");

    // The boxes can be clicked; nothing is written.
    const std::string before = ReadWholeFile(data.Path("files.vmf"));
    SendDlgItemMessageA(page, 1311, BM_CLICK, 0, 0);
    host->PressOk();
    EXPECT_EQ(host->Page(), nullptr);
    EXPECT_EQ(ReadWholeFile(data.Path("files.vmf")), before);
}

TEST_F(FilePageTest, ADirectoryAndAFileDeeperDown) {
    Show("files.vmf", {"フォルダ"});
    EXPECT_EQ(ControlText(page, 1302), "フォルダ");
    EXPECT_EQ(ControlText(page, 1303), TypeName("フォルダ", FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(ControlText(page, 1306), "5 バイト");
    EXPECT_EQ(Boxes(), (std::vector<LRESULT>{BST_UNCHECKED, BST_UNCHECKED, BST_UNCHECKED, BST_UNCHECKED}));
    host.reset();

    Show("files.vmf\\フォルダ", {"中.txt"});
    EXPECT_EQ(ControlText(page, 1304), "ファイル集");
    EXPECT_EQ(ControlText(page, 1305), "\\フォルダ");
    EXPECT_EQ(ControlText(page, 1306), "5 バイト");
}

TEST_F(FilePageTest, SeveralEntriesOfMixedKinds) {
    Show("files.vmf", {"readme.txt", "notes.txt", "フォルダ", "hidden.dat"});
    EXPECT_EQ(ControlText(page, 1302), "ファイル数 : 3、ディレクトリ数 : 1");
    EXPECT_EQ(ControlText(page, 1303), "複数の種類");
    EXPECT_EQ(ControlText(page, 1304), "すべて ファイル集");
    EXPECT_EQ(ControlText(page, 1305), "すべて \\");
    EXPECT_EQ(ControlText(page, 1306), "1,234,682 バイト");
    EXPECT_FALSE(TimesEnabled());
    EXPECT_EQ(Boxes(), (std::vector<LRESULT>{BST_INDETERMINATE, BST_INDETERMINATE, BST_INDETERMINATE,
                                             BST_INDETERMINATE}));
    EXPECT_EQ(ShownIcon(), [] {
        char shell32[MAX_PATH] = {};
        GetSystemDirectoryA(shell32, sizeof shell32);
        HICON icon = nullptr;
        ExtractIconExA((std::string(shell32) + "\\shell32.dll").c_str(), 47, &icon, nullptr, 1);
        std::vector<BYTE> pixels = IconPixels(icon);
        DestroyIcon(icon);
        return pixels;
    }());
    EXPECT_FALSE(ShownIcon().empty());
    SaveWindowPicture(host->Window(), "file-page-several");
    host.reset();

    // One type for all: its name under "すべて".
    Show("files.vmf", {"readme.txt", "notes.txt"});
    EXPECT_EQ(ControlText(page, 1303), "すべて " + TypeName("a.txt", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(ControlText(page, 1302), "ファイル数 : 2、ディレクトリ数 : 0");
    EXPECT_EQ(Boxes(), (std::vector<LRESULT>{BST_INDETERMINATE, BST_UNCHECKED, BST_CHECKED, BST_UNCHECKED}));
}

TEST_F(FilePageTest, UnknownTimesAndAnUncomputedDirectorySize) {
    Show("files.vmf", {"zero.txt"});
    EXPECT_EQ(ControlText(page, 1306), "0 バイト");
    EXPECT_EQ(ControlText(page, 1308), "（不明）");
    EXPECT_EQ(ControlText(page, 1310), "（不明）");
    host.reset();

    Show("files.vmf", {"途中"});
    EXPECT_EQ(ControlText(page, 1306), "（不明）");
    host.reset();

    // Left out of a sum, never added as 18,446,744,073,709,551,615.
    Show("files.vmf", {"途中", "notes.txt"});
    EXPECT_EQ(ControlText(page, 1306), "10 バイト");
}

}  // namespace
}  // namespace cataloom::test
