// The one announcement of a written catalogue: which open views hear of it
// (those of the folder that holds it, and for a replaced catalogue those
// opened on it or inside it), what they hear, and that the shell hears of
// it too.  Paths outside the data folder reach no view.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>

#include "namespace/CatalogAnnouncement.h"
#include "namespace/ProcessObjects.h"
#include "tests/capture/CaptureWindowSupport.h"
#include "tests/namespace/ShellTestSupport.h"
#include "tools/SettingsStore.h"

namespace cataloom::test {
namespace {

using Calls = std::vector<std::string>;

class AnnouncementTest : public CaptureTest {
protected:
    void SetUp() override {
        CaptureTest::SetUp();
        data.MakeDir("音楽");
        Capture(source.Root(), DataPath("top.vmf"), "上");
        Capture(source.Root(), DataPath("音楽\\cd.vmf"), "CD");
        for (const char* folder : {"", "音楽", "音楽\\cd.vmf", "音楽\\cd.vmf\\sub", "top.vmf"}) {
            lists.push_back(ParseFromDesktop(folder));
            ASSERT_TRUE(lists.back()) << folder;
            views.push_back(std::make_unique<RecordingView>(lists.back().Get()));
        }
    }
    void TearDown() override {
        views.clear();
        CaptureTest::TearDown();
    }
    // The calls each view got: the data folder, the category, the
    // catalogue in it, a directory of that catalogue, the other catalogue.
    std::vector<Calls> Heard() const {
        std::vector<Calls> heard;
        for (const auto& view : views) heard.push_back(view->calls);
        return heard;
    }

    std::vector<IdList> lists;
    std::vector<std::unique_ptr<RecordingView>> views;
};

TEST_F(AnnouncementTest, ANewCatalogueReachesTheViewsOfTheFolderThatHoldsIt) {
    EXPECT_EQ(AnnounceCatalog(DataPath("top.vmf").c_str(), CatalogChange::kAdded), S_OK);
    EXPECT_EQ(Heard(), (std::vector<Calls>{{"Add top.vmf"}, {}, {}, {}, {}}));
    EXPECT_EQ(AnnounceCatalog(DataPath("音楽\\cd.vmf").c_str(), CatalogChange::kAdded), S_OK);
    EXPECT_EQ(Heard(), (std::vector<Calls>{{"Add top.vmf"}, {"Add cd.vmf"}, {}, {}, {}}));
}

TEST_F(AnnouncementTest, AReplacedCatalogueIsUpdatedAndTheViewsInsideItRefreshed) {
    EXPECT_EQ(AnnounceCatalog(DataPath("音楽\\cd.vmf").c_str(), CatalogChange::kReplaced), S_OK);
    EXPECT_EQ(Heard(), (std::vector<Calls>{{}, {"Update cd.vmf"}, {"Refresh"}, {"Refresh"}, {}}));
}

TEST_F(AnnouncementTest, AnEffectiveDataFolderWithATrailingSeparatorFindsTheSameFolders) {
    ProcessObjects::Settings().SetDataRoot((data.Root() + "\\").c_str());
    EXPECT_EQ(AnnounceCatalog(DataPath("音楽\\cd.vmf").c_str(), CatalogChange::kAdded), S_OK);
    EXPECT_EQ(Heard(), (std::vector<Calls>{{}, {"Add cd.vmf"}, {}, {}, {}}));
}

TEST_F(AnnouncementTest, PathsOutsideTheDataFolderReachNoView) {
    // A sibling whose name merely starts with the data folder's.
    const std::string lookalike = data.Root() + "後";
    ASSERT_TRUE(CreateDirectoryA(lookalike.c_str(), nullptr));
    ASSERT_TRUE(CopyFileA(DataPath("top.vmf").c_str(), (lookalike + "\\top.vmf").c_str(), FALSE));
    EXPECT_EQ(AnnounceCatalog((lookalike + "\\top.vmf").c_str(), CatalogChange::kAdded), E_INVALIDARG);
    DeleteFileA((lookalike + "\\top.vmf").c_str());
    RemoveDirectoryA(lookalike.c_str());
    TempTree elsewhere;
    EXPECT_EQ(AnnounceCatalog(elsewhere.Path("x.vmf").c_str(), CatalogChange::kAdded), E_INVALIDARG);
    // A file the namespace cannot parse: not there, or not a catalogue.
    EXPECT_TRUE(FAILED(AnnounceCatalog(DataPath("missing.vmf").c_str(), CatalogChange::kAdded)));
    data.WriteFile("音楽\\not.vmf", "text");
    EXPECT_TRUE(FAILED(AnnounceCatalog(DataPath("音楽\\not.vmf").c_str(), CatalogChange::kAdded)));
    EXPECT_EQ(AnnounceCatalog(nullptr, CatalogChange::kAdded), E_POINTER);
    EXPECT_EQ(Heard(), (std::vector<Calls>{{}, {}, {}, {}, {}}));
}

// A window registered for the shell's change notifications below a folder.
class ShellListener {
public:
    explicit ShellListener(const ITEMIDLIST* folder) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = Receive;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kClassName;
        RegisterClassA(&windowClass);  // once per program; later calls fail harmlessly
        window_ = CreateWindowExA(0, kClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SHChangeNotifyEntry entry = {folder, TRUE};
        id_ = SHChangeNotifyRegister(window_, SHCNRF_ShellLevel | SHCNRF_NewDelivery, SHCNE_ALLEVENTS, kMessage, 1,
                                     &entry);
    }
    ~ShellListener() {
        SHChangeNotifyDeregister(id_);
        DestroyWindow(window_);
    }
    bool Registered() const { return id_ != 0; }
    // Pumps this thread's messages for a moment.
    void Pump() {
        for (DWORD start = GetTickCount(); GetTickCount() - start < 300;) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
            Sleep(10);
        }
    }

    std::vector<std::pair<LONG, IdList>> heard;

private:
    static constexpr char kClassName[] = "CataloomTestShellListener";
    static constexpr UINT kMessage = WM_APP + 7;
    static LRESULT CALLBACK Receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<ShellListener*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message != kMessage || self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
        PIDLIST_ABSOLUTE* lists = nullptr;
        LONG event = 0;
        HANDLE lock = SHChangeNotification_Lock(reinterpret_cast<HANDLE>(wParam), static_cast<DWORD>(lParam),
                                                &lists, &event);
        if (lock != nullptr) {
            self->heard.emplace_back(event, IdList(ILClone(lists[0])));
            SHChangeNotification_Unlock(lock);
        }
        return 0;
    }
    HWND window_ = nullptr;
    ULONG id_ = 0;
};

std::string Bytes(const IdList& list) {
    return list ? std::string(reinterpret_cast<const char*>(list.Get()), ILGetSize(list.Get())) : "<none>";
}

TEST_F(AnnouncementTest, TheShellHearsOfTheCatalogueByItsNamespaceList) {
    ShellListener listener(lists[0].Get());
    ASSERT_TRUE(listener.Registered());
    EXPECT_EQ(AnnounceCatalog(DataPath("音楽\\cd.vmf").c_str(), CatalogChange::kAdded), S_OK);
    EXPECT_EQ(AnnounceCatalog(DataPath("top.vmf").c_str(), CatalogChange::kReplaced), S_OK);
    listener.Pump();
    ASSERT_EQ(listener.heard.size(), 2u);
    EXPECT_EQ(listener.heard[0].first, SHCNE_CREATE);
    EXPECT_EQ(Bytes(listener.heard[0].second), Bytes(ParseFromDesktop("音楽\\cd.vmf")));
    EXPECT_EQ(listener.heard[1].first, SHCNE_UPDATEITEM);
    EXPECT_EQ(Bytes(listener.heard[1].second), Bytes(ParseFromDesktop("top.vmf")));
}

}  // namespace
}  // namespace cataloom::test
