#include "tests/capture/CaptureWindowSupport.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "capture/CaptureLayer.h"
#include "core/CaptureTexts.h"
#include "core/CatalogReader.h"
#include "core/PathUtil.h"
#include "namespace/ClassFactory.h"
#include "settings/ClassIds.h"
#include "namespace/ProcessObjects.h"
#include "namespace/ServerClasses.h"
#include "resources/CataloomResource.h"
#include "settings/SettingsStore.h"
#include "tests/support/WinTestSupport.h"

namespace cataloom::test {
namespace {

constexpr DWORD kGraceMs = 10000;
constexpr DWORD kRescueMs = 60000;
DWORD g_menuCookie = 0;

BOOL CALLBACK CancelDialog(HWND window, LPARAM) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == GetCurrentProcessId() && IsWindowVisible(window) && lstrcmpA(className, "#32770") == 0) {
        // Dialogs end on IDCANCEL, message boxes without a cancel button on IDNO.
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        PostMessageA(window, WM_COMMAND, IDNO, 0);
    }
    return TRUE;
}

}  // namespace

std::string ResourceText(UINT id) {
    char text[1024] = {};
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return text;
}


void SetControlText(HWND dialog, int id, const std::string& text) {
    SendMessageTimeoutA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
}

bool IsChecked(HWND dialog, int id) {
    DWORD_PTR state = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
    return state == BST_CHECKED;
}

void SetChecked(HWND dialog, int id, bool checked) {
    SendMessageTimeoutA(GetDlgItem(dialog, id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0,
                        SMTO_ABORTIFHUNG, 5000, nullptr);
}

bool WaitForControlText(HWND dialog, int id, const std::string& text, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (ControlText(dialog, id) != text) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
    return true;
}

bool WaitUntilClosed(HWND window, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
    return true;
}

HWND WaitForOwnDialog(const char* caption, DWORD timeoutMs) {
    return WaitForDialog(caption, GetCurrentProcessId(), timeoutMs);
}

std::string AnswerMessage(int button) {
    HWND box = WaitForOwnDialog(kMessageCaption);
    if (box == nullptr) {
        ADD_FAILURE() << "no message box came";
        return "<none>";
    }
    std::string text = WindowText(GetDlgItem(box, 0xFFFF));
    PressDialogButton(box, button);
    EXPECT_TRUE(WaitUntilClosed(box));
    return text;
}

HWND WaitForWriteFailure(const char* detail) {
    HWND progress = WaitForOwnDialog(kProgressCaption);
    if (progress == nullptr) return nullptr;
    EXPECT_TRUE(WaitForControlText(progress, IDC_CAPTURE_PHASE, capture_text::kCaptureFailed));
    EXPECT_EQ(ControlText(progress, IDC_CAPTURE_DETAIL), detail);
    return progress;
}

void CloseProgress(HWND progress) {
    PressDialogButton(progress, IDCANCEL);
    EXPECT_TRUE(WaitUntilClosed(progress));
}

WindowScript::WindowScript(std::function<void()> script)
    : thread_([this, script = std::move(script)] {
          script();
          const bool failed = ::testing::Test::HasFailure();
          const DWORD start = GetTickCount();
          while (!done_ && GetTickCount() - start < kRescueMs) {
              if (failed || GetTickCount() - start > kGraceMs) EnumWindows(CancelDialog, 0);
              Sleep(50);
          }
      }) {}

void WindowScript::Finish() {
    done_ = true;
    if (thread_.joinable()) thread_.join();
}

void NameAndCapture(const std::string& name) {
    HWND dialog = WaitForOwnDialog(kCreateCaption);
    ASSERT_NE(dialog, nullptr);
    SetControlText(dialog, IDC_CATALOG_NAME, name);
    PressDialogButton(dialog, IDOK);
    HWND progress = WaitForOwnDialog(kProgressCaption);
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(WaitForControlText(progress, IDC_CAPTURE_PHASE, capture_text::kCaptureComplete));
    EXPECT_TRUE(WaitUntilClosed(progress));
    EXPECT_TRUE(WaitUntilClosed(dialog));
}

ComPtr<IDataObject> DataObjectOf(const std::string& path) {
    ComPtr<IDataObject> data;
    ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.Put()))) return data;
    std::wstring name = Wide(path);
    PIDLIST_RELATIVE absolute = nullptr;
    EXPECT_EQ(desktop->ParseDisplayName(nullptr, nullptr, &name[0], nullptr, &absolute, nullptr), S_OK) << path;
    if (absolute == nullptr) return data;
    ComPtr<IShellFolder> parent;
    PCUITEMID_CHILD child = nullptr;
    if (SUCCEEDED(SHBindToParent(reinterpret_cast<PCIDLIST_ABSOLUTE>(absolute), IID_IShellFolder,
                                 parent.PutVoid(), &child))) {
        EXPECT_EQ(parent->GetUIObjectOf(nullptr, 1, &child, IID_IDataObject, nullptr, data.PutVoid()), S_OK);
    }
    CoTaskMemFree(absolute);
    return data;
}

ComPtr<IContextMenu> CaptureMenuFor(const std::string& path) {
    ComPtr<IShellExtInit> init;
    EXPECT_EQ(CoCreateInstance(kClsidCaptureMenu, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                               init.PutVoid()),
              S_OK);
    ComPtr<IContextMenu> menu;
    if (!init) return menu;
    ComPtr<IDataObject> data;
    if (!path.empty()) data = DataObjectOf(path);
    EXPECT_EQ(init->Initialize(nullptr, data.Get(), nullptr), S_OK);
    EXPECT_EQ(init->QueryInterface(IID_IContextMenu, menu.PutVoid()), S_OK);
    return menu;
}

HRESULT InvokeVerb(IContextMenu* menu, UINT verb) {
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.lpVerb = MAKEINTRESOURCEA(verb);
    info.nShow = SW_SHOWNORMAL;
    return menu->InvokeCommand(&info);
}

GatedSink::GatedSink(CaptureSink& target)
    : target_(target), held_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      released_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

GatedSink::~GatedSink() {
    CloseHandle(held_);
    CloseHandle(released_);
}

void GatedSink::SetPhase(const char* text) {
    scanning_ = std::string(text) == capture_text::kBuildingIndex;
    target_.SetPhase(text);
}

void GatedSink::SetDetail(const char* text) {
    target_.SetDetail(text);
    if (!scanning_ || gated_) return;
    gated_ = true;
    SetEvent(held_);
    // Bounded, so a failed test cannot hold the worker for ever.
    WaitForSingleObject(released_, 4 * kWindowTimeoutMs);
}

bool GatedSink::WaitUntilHeld(DWORD timeoutMs) { return WaitForSingleObject(held_, timeoutMs) == WAIT_OBJECT_0; }

void GatedSink::Release() { SetEvent(released_); }

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

void MakeSource(const TempTree& source) {
    source.MakeFile("a.txt", 10);
    source.MakeDir("sub");
    source.MakeFile("sub\\b.txt", 20);
    source.MakeDir("空");
}

std::string MakeDeepFolder(const TempTree& tree, std::size_t length) {
    std::string folder = tree.Root();
    while (folder.size() < length) {
        const std::size_t room = length - folder.size() - 1;  // after the separator
        std::size_t part = std::min<std::size_t>(room, 100);
        if (room > part && room - part < 2) part -= 2;  // leave room for one more folder
        folder += "\\" + std::string(part, 'd');
        EXPECT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder.size();
    }
    EXPECT_EQ(folder.size(), length);
    return folder;
}

PinnedFile::PinnedFile(const std::string& path)
    : handle_(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, 0, nullptr)) {
    EXPECT_NE(handle_, INVALID_HANDLE_VALUE) << path;
}

PinnedFile::~PinnedFile() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

void RegisterCaptureMenuClass() {
    InstallCaptureLayer();
    if (g_menuCookie != 0) return;
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(GetClassObject(kServerClasses, kServerClassCount, kClsidCaptureMenu, IID_IClassFactory,
                             factory.PutVoid()),
              S_OK);
    ASSERT_EQ(CoRegisterClassObject(kClsidCaptureMenu, factory.Get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                    &g_menuCookie),
              S_OK);
}

void RevokeCaptureMenuClass() {
    if (g_menuCookie == 0) return;
    CoRevokeClassObject(g_menuCookie);
    g_menuCookie = 0;
}

void CaptureTest::SetUp() {
    RegisterCaptureMenuClass();
    MakeSource(source);
    ProcessObjects::Settings().SetDataRoot(data.Root().c_str());
}

void CaptureTest::TearDown() {
    ProcessObjects::Reader().Release();
    ProcessObjects::Settings().SetDataRoot("");
}

void ViewedCaptureTest::SetUp() {
    CaptureTest::SetUp();
    data.MakeDir("音楽");
    rootList = ParseFromDesktop("");
    categoryList = ParseFromDesktop("音楽");
    ASSERT_TRUE(rootList);
    ASSERT_TRUE(categoryList);
    rootView = std::make_unique<RecordingView>(rootList.Get());
    categoryView = std::make_unique<RecordingView>(categoryList.Get());
}

void ViewedCaptureTest::TearDown() {
    rootView.reset();
    categoryView.reset();
    CaptureTest::TearDown();
}

std::string CaptureTest::SourceName() const { return path::LastComponent(source.Root().c_str()); }

}  // namespace cataloom::test
