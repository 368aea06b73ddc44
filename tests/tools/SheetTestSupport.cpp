#include "tests/tools/SheetTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "namespace/FolderObjects.h"
#include "namespace/ShellUtil.h"
#include "tests/namespace/ShellTestSupport.h"
#include "tests/support/WinTestSupport.h"
#include "tools/PropertySheets.h"

namespace cataloom::test {
namespace {

// The folders this program serves hand out the property sheet extension.
class SheetsEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        InstallPropertySheets();
    }
};
const bool kEnvironmentRegistered = (::testing::AddGlobalTestEnvironment(new SheetsEnvironment), true);

struct TextSearch {
    const std::string* prefix;
    HWND found;
};

BOOL CALLBACK MatchText(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<TextSearch*>(parameter);
    if (WindowText(window).compare(0, search->prefix->size(), *search->prefix) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

ComPtr<IShellPropSheetExt> ItemSheet(IShellFolder* folder, const std::vector<const IdList*>& items) {
    std::vector<PCUITEMID_CHILD> children;
    for (const IdList* item : items) children.push_back(item->Child());
    ComPtr<IShellPropSheetExt> sheet;
    EXPECT_EQ(folder->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()), children.data(),
                                    IID_IShellPropSheetExt, nullptr, sheet.PutVoid()),
              S_OK);
    return sheet;
}

ComPtr<IShellPropSheetExt> ClassSheet(const std::string& path) {
    ComPtr<IShellPropSheetExt> sheet;
    EXPECT_EQ(CreateFolderObject(nullptr, nullptr, 0, nullptr, IID_IShellPropSheetExt, sheet.PutVoid()), S_OK);
    if (!sheet || path.empty()) return sheet;
    // The shell's own data object for the file, as it passes one to a
    // property sheet handler.
    std::wstring wide = AnsiToWide(path.c_str());
    PIDLIST_ABSOLUTE absolute = nullptr;
    EXPECT_EQ(SHParseDisplayName(wide.c_str(), nullptr, &absolute, 0, nullptr), S_OK) << path;
    IdList owned(absolute);
    ComPtr<IShellFolder> parent;
    PCUITEMID_CHILD child = nullptr;
    EXPECT_EQ(SHBindToParent(owned.Get(), IID_IShellFolder, parent.PutVoid(), &child), S_OK);
    ComPtr<IDataObject> data;
    if (parent) {
        EXPECT_EQ(parent->GetUIObjectOf(nullptr, 1, &child, IID_IDataObject, nullptr, data.PutVoid()), S_OK);
    }
    ComPtr<IShellExtInit> init;
    EXPECT_EQ(sheet->QueryInterface(IID_IShellExtInit, init.PutVoid()), S_OK);
    if (init) {
        EXPECT_EQ(init->Initialize(nullptr, data.Get(), nullptr), S_OK);
    }
    return sheet;
}

void EditHeader(const std::string& path, const std::function<void(CatalogHeader&)>& edit) {
    CatalogHeader header;
    ASSERT_TRUE(ReadHeader(path.c_str(), &header)) << path;
    edit(header);
    ASSERT_TRUE(WriteHeader(path.c_str(), &header)) << path;
}

BOOL CALLBACK CollectPage(HPROPSHEETPAGE page, LPARAM parameter) {
    reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(parameter)->push_back(page);
    return TRUE;
}

AddedPages CollectPages(IShellPropSheetExt* extension) {
    AddedPages added;
    added.result = extension->AddPages(CollectPage, reinterpret_cast<LPARAM>(&added.pages));
    return added;
}

SheetHost::SheetHost(const std::vector<HPROPSHEETPAGE>& pages) {
    std::vector<HPROPSHEETPAGE> handles = pages;
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS;
    header.pszCaption = kCaption;
    header.nPages = static_cast<UINT>(handles.size());
    header.phpage = handles.data();
    sheet_ = reinterpret_cast<HWND>(PropertySheetA(&header));
    EXPECT_NE(sheet_, nullptr);
    PumpMessages();
}

SheetHost::~SheetHost() {
    if (sheet_ != nullptr) DestroyWindow(sheet_);
    PumpMessages();
}

HWND SheetHost::Page() const { return reinterpret_cast<HWND>(SendMessageA(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0)); }

std::string SheetHost::TabTitle(int index) const {
    HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet_, PSM_GETTABCONTROL, 0, 0));
    char text[128] = {};
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(tabs, TCM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
    return text;
}

bool SheetHost::Apply() {
    bool applied = SendMessageA(sheet_, PSM_APPLY, 0, 0) != 0;
    PumpMessages();
    return applied;
}

void SheetHost::PressOk() {
    SendMessageA(sheet_, PSM_PRESSBUTTON, PSBTN_OK, 0);
    PumpMessages();
}

void SheetHost::PressCancel() {
    SendMessageA(sheet_, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    PumpMessages();
}

MessageAnswers::MessageAnswers(std::vector<int> buttons)
    : thread_([this, buttons = std::move(buttons)] {
          HWND previous = nullptr;
          for (int button : buttons) {
              HWND box = nullptr;
              // A box just answered may still be on screen: wait for a new one.
              while (!stop_ && (box == nullptr || box == previous)) {
                  box = WaitForDialog("Cataloom", GetCurrentProcessId(), 0);
                  if (box == previous && IsWindow(previous)) box = nullptr;
                  if (box == nullptr) Sleep(20);
              }
              if (box == nullptr) return;
              messages_.push_back(WindowText(GetDlgItem(box, 0xFFFF)));
              PressDialogButton(box, button);
              previous = box;
          }
      }) {}

const std::vector<std::string>& MessageAnswers::Finish() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return messages_;
}


std::string LocalTimeText(std::uint64_t fileTime) {
    FILETIME utc = {static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
    FILETIME local;
    SYSTEMTIME t;
    FileTimeToLocalFileTime(&utc, &local);
    FileTimeToSystemTime(&local, &t);
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    return text;
}

void ShowOnlyPage(IShellPropSheetExt* extension, std::unique_ptr<SheetHost>& host, HWND& page) {
    AddedPages added = CollectPages(extension);
    ASSERT_EQ(added.result, S_OK);
    ASSERT_EQ(added.pages.size(), 1u);
    host = std::make_unique<SheetHost>(added.pages);
    page = host->Page();
    ASSERT_NE(page, nullptr);
}

LRESULT CheckState(HWND dialog, int id) { return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0); }

HWND ChildWithText(HWND parent, const std::string& prefix) {
    TextSearch search{&prefix, nullptr};
    EnumChildWindows(parent, MatchText, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

COLORREF ClientPixel(HWND window, int x, int y) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpMessages();
    HDC dc = GetDC(window);
    COLORREF pixel = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return pixel;
}

void SaveWindowPicture(HWND window, const char* name) {
    char folder[MAX_PATH] = {};
    if (GetEnvironmentVariableA("CATALOOM_SCREENSHOTS", folder, sizeof folder) == 0) return;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpMessages();
    RECT rect = {};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);
    const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + rowBytes * height;
    std::string path = std::string(folder) + "\\" + name + ".bmp";
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(&file, sizeof file, 1, out);
        std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
        std::fwrite(bits, rowBytes, static_cast<std::size_t>(height), out);
        std::fclose(out);
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

}  // namespace cataloom::test
