// The media page of a catalogue in a real sheet under Xvfb: its texts for
// each drive type, the chart's pixels at the ends and in between, and the
// rename through apply, checked on disk and in the open views.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "core/CatalogFile.h"
#include "core/CatalogReader.h"
#include "core/PathUtil.h"
#include "namespace/ProcessObjects.h"
#include "tests/namespace/ShellTestSupport.h"
#include "tests/support/WinTestSupport.h"
#include "tests/tools/SheetTestSupport.h"
#include "tools/UsageChart.h"

namespace cataloom::test {
namespace {

using Calls = std::vector<std::string>;
constexpr COLORREF kUsed = RGB(0, 0, 255);
constexpr COLORREF kFree = RGB(255, 0, 255);
constexpr char kBadName[] = "ファイル名が正しくありません。\n正しいファイル名であるか確認してください。";

// 2024/01/02 03:04:05 UTC.
constexpr std::uint64_t kCaptureTime = 133486382450000000ULL;

std::string HeaderName(const std::string& path) {
    CatalogHeader header;
    if (!ReadHeader(path.c_str(), &header)) return "<unreadable>";
    return std::string(header.name, strnlen(header.name, sizeof header.name));
}

class MediaPageTest : public ::testing::Test {
protected:
    // The media page of the catalogue `name` in the folder `folder`.
    void Show(const std::string& folder, const std::string& name) {
        ComPtr<IShellFolder> shellFolder = OpenFolder(folder);
        ASSERT_TRUE(shellFolder);
        std::vector<IdList> items = Enumerate(shellFolder.Get());
        ComPtr<IShellPropSheetExt> sheet = ItemSheet(shellFolder.Get(), {&Find(items, name)});
        ASSERT_TRUE(sheet);
        ShowOnlyPage(sheet.Get(), host, page);
    }
    void SetSizes(const std::string& relative, std::uint64_t total, std::uint64_t free) {
        EditHeader(data.Path(relative), [&](CatalogHeader& h) {
            h.totalBytes = total;
            h.freeBytes = free;
        });
    }
    // The chart's pixel at (dx, dy) from its centre, in its own client area.
    COLORREF ChartPixel(int dx, int dy) {
        HWND chart = GetDlgItem(page, 1210);
        RECT client = {};
        GetClientRect(chart, &client);
        return ClientPixel(chart, client.right / 2 + dx, client.bottom / 2 + dy);
    }
    int ChartRadius() {
        RECT client = {};
        GetClientRect(GetDlgItem(page, 1210), &client);
        return client.right / 2 - 5;
    }

    DataFolder data;
    std::unique_ptr<SheetHost> host;
    HWND page = nullptr;
};

TEST_F(MediaPageTest, ShowsTheVolumeDataOfACatalogueOfEachDriveType) {
    const char* types[] = {"不明なドライブ", "非ドライブ", "リムーバブル ディスク", "固定ディスク",
                           "ネットワーク ドライブ", "CD-ROM", "RAM ディスク", "不明なドライブ"};
    for (std::uint32_t type = 0; type < 8; ++type) {
        EditHeader(data.Path("disc.VMF"), [&](CatalogHeader& h) {
            h.driveType = type;
            std::memset(h.fileSystem, 0, sizeof h.fileSystem);
            std::strcpy(h.fileSystem, "CDFS");
            h.serial = 0x00ABCDEF;
            h.fileCount = 1234567;
            h.directoryCount = 12;
            h.totalBytes = 1234567890123ULL;
            h.freeBytes = 234567890123ULL;
            h.captureTime = kCaptureTime;
        });
        Show("", "disc.VMF");
        EXPECT_EQ(host->TabTitle(0), "メディア情報");
        EXPECT_EQ(ControlText(page, 1201), "ディスク");
        EXPECT_EQ(ControlText(page, 1202), types[type]) << type;
        EXPECT_EQ(ControlText(page, 1203), "CDFS");
        EXPECT_EQ(ControlText(page, 1204), "00ABCDEF");
        EXPECT_EQ(ControlText(page, 1406), "ファイル数 : 1,234,567、ディレクトリ数 : 12");
        EXPECT_EQ(ControlText(page, 1209), "1,234,567,890,123 バイト");
        EXPECT_EQ(ControlText(page, 1208), "234,567,890,123 バイト");
        EXPECT_EQ(ControlText(page, 1207), "1,000,000,000,000 バイト");
        EXPECT_EQ(ControlText(page, 1211), LocalTimeText(kCaptureTime));
        EXPECT_NE(SendDlgItemMessageA(page, 1200, STM_GETICON, 0, 0), 0) << type;
        EXPECT_EQ(SendDlgItemMessageA(page, 1201, EM_GETLIMITTEXT, 0, 0), 255);
        if (type == 5) SaveWindowPicture(host->Window(), "media-page-cdrom");
        host.reset();
    }
}

TEST_F(MediaPageTest, TheChartIsRightAtBothEndsAndInBetween) {
    const struct {
        std::uint64_t total, free;
        const char* used;
        COLORREF right, left;  // half a radius right and left of the centre
    } cases[] = {
        {1000, 1000, "0 バイト", kFree, kFree},            // nothing used
        {1000, 500, "500 バイト", kUsed, kFree},           // clockwise from the top: the right half
        {700000000, 0, "700,000,000 バイト", kUsed, kUsed},  // a full CD
        {0, 0, "0 バイト", kFree, kFree},                  // no capacity: no division
        {1000, 5000, "0 バイト", kFree, kFree},            // more free than capacity: no wrap
    };
    for (const auto& c : cases) {
        SetSizes("disc.VMF", c.total, c.free);
        Show("", "disc.VMF");
        const int half = ChartRadius() / 2;
        EXPECT_EQ(ControlText(page, 1207), c.used);
        EXPECT_EQ(ChartPixel(half, 0), c.right) << c.total << " " << c.free;
        EXPECT_EQ(ChartPixel(-half, 0), c.left) << c.total << " " << c.free;
        // Above the centre, beside the radius at twelve o'clock.
        EXPECT_EQ(ChartPixel(-3, -half), c.left) << c.total << " " << c.free;
        EXPECT_EQ(ChartPixel(-ChartRadius() - 4, -ChartRadius() - 4), GetSysColor(COLOR_BTNFACE));
        EXPECT_EQ(ClientPixel(GetDlgItem(page, 1206), 2, 2), kUsed);
        EXPECT_EQ(ClientPixel(GetDlgItem(page, 1205), 2, 2), kFree);
        const std::string picture = "media-page-chart-" + std::to_string(c.total) + "-" + std::to_string(c.free);
        SaveWindowPicture(host->Window(), picture.c_str());
        host.reset();
    }
}

TEST_F(MediaPageTest, ARenameIsWrittenThroughACopyAndReachesTheViewsOfItsCategory) {
    const std::string file = data.Path("音楽\\アルバム.vmf");
    const std::string before = ReadWholeFile(file);
    IdList rootList = ParseFromDesktop("");
    IdList musicList = ParseFromDesktop("音楽");
    RecordingView rootView(rootList.Get());
    RecordingView musicView(musicList.Get());
    ASSERT_EQ(ProcessObjects::Reader().Open(file.c_str()), S_OK);
    Show("音楽", "アルバム.vmf");
    EXPECT_EQ(ControlText(page, 1201), "アルバム");

    SetDlgItemTextA(page, 1201, "新しい名前");
    MessageAnswers none({IDOK});
    EXPECT_TRUE(host->Apply());
    EXPECT_TRUE(none.Finish().empty());
    EXPECT_EQ(HeaderName(file), "新しい名前");
    const std::string after = ReadWholeFile(file);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(kHeaderSize), before.substr(kHeaderSize));
    EXPECT_FALSE(path::Exists(data.Path("音楽\\~vmf*.tmp").c_str()));
    EXPECT_FALSE(ProcessObjects::Reader().IsLoaded());
    EXPECT_EQ(musicView.calls, Calls{"Rename アルバム.vmf(アルバム) アルバム.vmf(新しい名前)"});
    EXPECT_TRUE(rootView.calls.empty());
    // The folder lists it under its new name, and browses into it.
    ComPtr<IShellFolder> music = OpenFolder("音楽");
    std::vector<IdList> items = Enumerate(music.Get());
    EXPECT_EQ(DisplayName(music.Get(), Find(items, "アルバム.vmf").Child(), SHGDN_NORMAL), "新しい名前");
    EXPECT_EQ(NamesOf(Enumerate(OpenFolder("音楽\\アルバム.vmf").Get())).size(), 4u);

    // The same name again writes nothing and announces nothing.
    EXPECT_TRUE(host->Apply());
    EXPECT_EQ(musicView.calls.size(), 1u);
}

TEST_F(MediaPageTest, NamesThatWouldBreakPathsAreRefusedAndAnEmptyOneIsNotSaved) {
    const std::string file = data.Path("disc.VMF");
    Show("", "disc.VMF");
    std::string tooLong(256, 'n');
    for (const std::string& name : {std::string("a\\b"), std::string("a/b"), std::string("x:y"),
                                    std::string("名前."), std::string("名前 "), std::string(".."), tooLong}) {
        SetDlgItemTextA(page, 1201, name.c_str());
        MessageAnswers answers({IDOK});
        EXPECT_FALSE(host->Apply()) << name;
        EXPECT_EQ(answers.Finish(), Calls{kBadName}) << name;
        EXPECT_EQ(HeaderName(file), "ディスク") << name;
    }
    SetDlgItemTextA(page, 1201, "");
    MessageAnswers none({IDOK});
    EXPECT_TRUE(host->Apply());
    EXPECT_TRUE(none.Finish().empty());
    EXPECT_EQ(HeaderName(file), "ディスク");
}

TEST_F(MediaPageTest, TwoCataloguesGiveNoPage) {
    ASSERT_TRUE(CopyFileA(data.Path("disc.VMF").c_str(), data.Path("second.vmf").c_str(), FALSE));
    ComPtr<IShellFolder> root = OpenFolder("");
    std::vector<IdList> items = Enumerate(root.Get());
    ComPtr<IShellPropSheetExt> sheet = ItemSheet(root.Get(), {&Find(items, "disc.VMF"), &Find(items, "second.vmf")});
    ASSERT_TRUE(sheet);
    AddedPages added = CollectPages(sheet.Get());
    EXPECT_EQ(added.result, E_FAIL);
    EXPECT_TRUE(added.pages.empty());
}

TEST_F(MediaPageTest, ACatalogueFileGivenAsDataShowsItsPageAndADamagedOneAnEmptyPage) {
    IdList rootList = ParseFromDesktop("");
    RecordingView rootView(rootList.Get());
    ComPtr<IShellPropSheetExt> sheet = ClassSheet(data.Path("disc.VMF"));
    ASSERT_TRUE(sheet);
    ShowOnlyPage(sheet.Get(), host, page);
    EXPECT_EQ(ControlText(page, 1201), "ディスク");
    SetDlgItemTextA(page, 1201, "改名");
    EXPECT_TRUE(host->Apply());
    EXPECT_EQ(HeaderName(data.Path("disc.VMF")), "改名");
    EXPECT_EQ(rootView.calls, Calls{"Rename disc.VMF(ディスク) disc.VMF(改名)"});
    host.reset();

    const std::string before = ReadWholeFile(data.Path("nomagic.vmf"));
    sheet = ClassSheet(data.Path("nomagic.vmf"));
    ShowOnlyPage(sheet.Get(), host, page);
    EXPECT_EQ(host->TabTitle(0), "メディア情報");
    EXPECT_EQ(ControlText(page, 1201), "");
    EXPECT_EQ(ControlText(page, 1202), "");
    SetDlgItemTextA(page, 1201, "名前");
    EXPECT_TRUE(host->Apply());
    EXPECT_EQ(ReadWholeFile(data.Path("nomagic.vmf")), before);
    host.reset();

    // Any other file: the class's own page, the options.
    sheet = ClassSheet(data.Path("c.txt"));
    ShowOnlyPage(sheet.Get(), host, page);
    EXPECT_EQ(host->TabTitle(0), "Cataloom");
}

// The chart itself, drawn for a control of this program.
TEST(UsageChartTest, PercentIsTruncatedAndNeverWrapsOrDividesByZero) {
    const std::uint64_t max = ~0ULL;
    EXPECT_EQ(UsageChart::Percent(0, 0), 0);
    EXPECT_EQ(UsageChart::Percent(0, 10), 0);
    EXPECT_EQ(UsageChart::Percent(100, 100), 0);
    EXPECT_EQ(UsageChart::Percent(100, 150), 0);
    EXPECT_EQ(UsageChart::Percent(100, 0), 100);
    EXPECT_EQ(UsageChart::Percent(3, 1), 66);
    EXPECT_EQ(UsageChart::Percent(1000, 999), 0);
    EXPECT_EQ(UsageChart::Percent(1000, 1), 99);
    EXPECT_EQ(UsageChart::Percent(max, 0), 100);
    EXPECT_EQ(UsageChart::Percent(max, max / 2), 50);
    EXPECT_EQ(UsageChart::Percent(max, max / 4), 75);
}

TEST(UsageChartTest, EachShareCoversItsPartOfTheDisc) {
    HWND control = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 120, 100, nullptr, nullptr,
                                   nullptr, nullptr);
    ASSERT_NE(control, nullptr);
    for (int percent : {0, 1, 25, 50, 75, 99, 100}) {
        HBITMAP bitmap = UsageChart::Draw(control, percent, kUsed, kFree);
        ASSERT_NE(bitmap, nullptr);
        BITMAP info = {};
        GetObjectA(bitmap, sizeof info, &info);
        // A square of the smaller side.
        EXPECT_EQ(info.bmWidth, 100);
        EXPECT_EQ(info.bmHeight, 100);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bitmap);
        int used = 0;
        int free = 0;
        int usedRight = 0;  // used pixels right of twelve o'clock's radius
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 100; ++x) {
                COLORREF colour = GetPixel(dc, x, y);
                used += colour == kUsed;
                free += colour == kFree;
                usedRight += colour == kUsed && x > 50;
            }
        }
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
        ASSERT_GT(used + free, 5000) << percent;
        // The share of the disc, clockwise from the top: within two points.
        EXPECT_NEAR(100.0 * used / (used + free), percent, 2.0) << percent;
        if (percent <= 50) {
            EXPECT_EQ(usedRight, used) << percent;
        }
        // The last point of free space still shows.
        if (percent == 99) {
            EXPECT_GT(free, 0);
        }
    }
    DestroyWindow(control);
}

}  // namespace
}  // namespace cataloom::test
