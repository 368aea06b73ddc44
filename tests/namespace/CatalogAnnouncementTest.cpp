// A created or changed catalogue reaches the open views of the folder that
// lists it (the data folder or its category), those opened inside a changed
// one, and the shell's listeners; nothing outside the data folder is taken
// for one of its items.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/CatalogFile.h"
#include "core/ItemIdFactory.h"
#include "namespace/CatalogAnnouncement.h"
#include "namespace/ProcessObjects.h"
#include "tests/namespace/ShellTestSupport.h"
#include "tests/support/TempTree.h"
#include "settings/SettingsStore.h"

namespace cataloom::test {
namespace {

using Calls = std::vector<std::string>;
constexpr UINT kChangeMessage = WM_APP + 7;

// A window registered for the shell's change notifications below the
// namespace root; each event as its name and the items' paths inside the
// namespace.
class ShellListener {
public:
    ShellListener() {
        window_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        previous_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ShellListener::Procedure)));
        IdList root = ParseFromDesktop("");
        SHChangeNotifyEntry entry = {root.Get(), TRUE};
        id_ = SHChangeNotifyRegister(window_, SHCNRF_ShellLevel | SHCNRF_InterruptLevel | SHCNRF_NewDelivery,
                                     SHCNE_ALLEVENTS, kChangeMessage, 1, &entry);
    }
    ~ShellListener() {
        if (id_ != 0) SHChangeNotifyDeregister(id_);
        DestroyWindow(window_);
    }
    bool Registered() const { return id_ != 0; }
    Calls Take() {
        MSG message;
        for (int i = 0; i < 20; ++i) {
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
            Sleep(10);
        }
        Calls taken;
        taken.swap(events_);
        return taken;
    }

private:
    static std::string Describe(PCIDLIST_ABSOLUTE list) {
        if (list == nullptr) return "-";
        // The first record is the namespace's own.
        const auto* rest = reinterpret_cast<const ItemId*>(ILGetNext(list));
        char path[MAX_PATH] = {};
        ItemIdFactory::PathOf(rest, path, sizeof path);
        const ItemId* last = ItemIdFactory::Last(rest);
        std::string text = path;
        if (ItemIdFactory::Kind(last) == kKindMedia) text += std::string("(") + ItemIdFactory::MediaName(last) + ")";
        return text;
    }
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<ShellListener*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message != kChangeMessage) return CallWindowProcA(self->previous_, window, message, wParam, lParam);
        PIDLIST_ABSOLUTE* lists = nullptr;
        LONG event = 0;
        HANDLE lock = SHChangeNotification_Lock(reinterpret_cast<HANDLE>(wParam), static_cast<DWORD>(lParam),
                                                &lists, &event);
        if (lock == nullptr) return 0;
        std::string name = event == SHCNE_CREATE         ? "Create"
                           : event == SHCNE_UPDATEDIR    ? "UpdateDir"
                           : event == SHCNE_UPDATEITEM   ? "UpdateItem"
                           : event == SHCNE_RENAMEFOLDER ? "RenameFolder"
                                                         : std::to_string(event);
        self->events_.push_back(name + " " + Describe(lists[0]) +
                                (event == SHCNE_RENAMEFOLDER ? " " + Describe(lists[1]) : std::string()));
        SHChangeNotification_Unlock(lock);
        return 0;
    }

    HWND window_ = nullptr;
    WNDPROC previous_ = nullptr;
    ULONG id_ = 0;
    Calls events_;
};

class CatalogAnnouncementTest : public ::testing::Test {
protected:
    // Gives the catalogue at `relative` a new name through its header; the
    // header it had.
    CatalogHeader Rename(const std::string& relative, const char* name) {
        CatalogHeader header;
        EXPECT_TRUE(ReadHeader(data.Path(relative).c_str(), &header));
        CatalogHeader before = header;
        std::memset(header.name, 0, sizeof header.name);
        std::strcpy(header.name, name);
        EXPECT_TRUE(ReplaceHeader(data.Path(relative).c_str(), &header));
        return before;
    }

    DataFolder data;
    IdList rootList = ParseFromDesktop("");
    IdList musicList = ParseFromDesktop("音楽");
    IdList papersList = ParseFromDesktop("書類");
    RecordingView rootView{rootList.Get()};
    RecordingView musicView{musicList.Get()};
    RecordingView papersView{papersList.Get()};
    IdList albumList = ParseFromDesktop("音楽\\アルバム.vmf");
    IdList albumFolderList = ParseFromDesktop("音楽\\アルバム.vmf\\CD1");
    RecordingView albumView{albumList.Get()};
    RecordingView albumFolderView{albumFolderList.Get()};
};

TEST_F(CatalogAnnouncementTest, ANewCatalogueInACategoryReachesThatCategoryOnly) {
    ShellListener shell;
    ASSERT_TRUE(shell.Registered());
    ASSERT_TRUE(CopyFileA(data.Path("disc.VMF").c_str(), data.Path("音楽\\新.vmf").c_str(), FALSE));
    EXPECT_EQ(AnnounceCatalog(data.Path("音楽\\新.vmf").c_str(), CatalogChange::kAdded), S_OK);
    EXPECT_EQ(musicView.calls, Calls{"Add 新.vmf"});
    EXPECT_TRUE(rootView.calls.empty());
    EXPECT_TRUE(papersView.calls.empty());
    EXPECT_TRUE(albumView.calls.empty());
    EXPECT_EQ(shell.Take(), (Calls{"Create 音楽\\新.vmf(ディスク)", "UpdateDir 音楽"}));

    EXPECT_EQ(AnnounceCatalog(data.Path("disc.VMF").c_str(), CatalogChange::kAdded), S_OK);
    EXPECT_EQ(rootView.calls, Calls{"Add disc.VMF"});
    EXPECT_EQ(musicView.calls.size(), 1u);
}

TEST_F(CatalogAnnouncementTest, AChangedHeaderReplacesTheItemTheViewsHold) {
    ShellListener shell;
    ASSERT_TRUE(shell.Registered());
    CatalogHeader before = Rename("音楽\\アルバム.vmf", "改名");
    EXPECT_EQ(AnnounceCatalog(data.Path("音楽\\アルバム.vmf").c_str(), CatalogChange::kReplaced, &before), S_OK);
    EXPECT_EQ(musicView.calls, Calls{"Rename アルバム.vmf(アルバム) アルバム.vmf(改名)"});
    EXPECT_TRUE(rootView.calls.empty());
    // Views opened on the catalogue or inside it show what it holds again.
    EXPECT_EQ(albumView.calls, Calls{"Refresh"});
    EXPECT_EQ(albumFolderView.calls, Calls{"Refresh"});
    EXPECT_EQ(shell.Take(), (Calls{"RenameFolder 音楽\\アルバム.vmf(アルバム) 音楽\\アルバム.vmf(改名)",
                                       "UpdateItem 音楽\\アルバム.vmf(改名)"}));

    // Without the old header, or with the same name, the views only redraw
    // what they have.
    EXPECT_EQ(AnnounceCatalog(data.Path("disc.VMF").c_str(), CatalogChange::kReplaced), S_OK);
    CatalogHeader same;
    ASSERT_TRUE(ReadHeader(data.Path("disc.VMF").c_str(), &same));
    same.serial ^= 1;
    EXPECT_EQ(AnnounceCatalog(data.Path("disc.VMF").c_str(), CatalogChange::kReplaced, &same), S_OK);
    EXPECT_EQ(rootView.calls, (Calls{"Update disc.VMF", "Update disc.VMF"}));
    EXPECT_EQ(shell.Take(), (Calls{"UpdateItem disc.VMF(ディスク)", "UpdateItem disc.VMF(ディスク)"}));
}

TEST_F(CatalogAnnouncementTest, TheDataFolderIsMatchedOnAComponentBoundaryWhateverItsSpelling) {
    // The setting with a trailing backslash and in another case.
    std::string spelled = data.Path("");
    CharUpperBuffA(&spelled[0], static_cast<DWORD>(spelled.size()));
    ProcessObjects::Settings().SetDataRoot((spelled + "\\").c_str());
    EXPECT_EQ(AnnounceCatalog(data.Path("disc.VMF").c_str(), CatalogChange::kAdded), S_OK);
    EXPECT_EQ(rootView.calls, Calls{"Add disc.VMF"});

    // A sibling folder whose name starts with the data folder's is outside.
    const std::string twin = data.Path("") + "2";
    ProcessObjects::Settings().SetDataRoot(data.Path("").c_str());
    ASSERT_TRUE(CreateDirectoryA(twin.c_str(), nullptr));
    ASSERT_TRUE(CopyFileA(data.Path("disc.VMF").c_str(), (twin + "\\x.vmf").c_str(), FALSE));
    EXPECT_EQ(AnnounceCatalog((twin + "\\x.vmf").c_str(), CatalogChange::kAdded), E_INVALIDARG);
    EXPECT_EQ(AnnounceCatalog((twin + "\\x.vmf").c_str(), CatalogChange::kReplaced), E_INVALIDARG);
    DeleteFileA((twin + "\\x.vmf").c_str());
    RemoveDirectoryA(twin.c_str());
    // Names no enumeration gives, and files that are no catalogues.
    EXPECT_TRUE(FAILED(AnnounceCatalog(data.Path("音楽\\..\\disc.VMF").c_str(), CatalogChange::kAdded)));
    EXPECT_TRUE(FAILED(AnnounceCatalog(data.Path("nomagic.vmf").c_str(), CatalogChange::kAdded)));
    EXPECT_TRUE(FAILED(AnnounceCatalog(data.Path("missing.vmf").c_str(), CatalogChange::kAdded)));
    EXPECT_EQ(AnnounceCatalog("", CatalogChange::kAdded), E_INVALIDARG);
    TempTree elsewhere;
    EXPECT_EQ(AnnounceCatalog(elsewhere.Path("x.vmf").c_str(), CatalogChange::kAdded), E_INVALIDARG);
    EXPECT_EQ(AnnounceCatalog(nullptr, CatalogChange::kAdded), E_POINTER);
    EXPECT_EQ(rootView.calls, Calls{"Add disc.VMF"});
    EXPECT_TRUE(musicView.calls.empty());
}

}  // namespace
}  // namespace cataloom::test
