// Tarnwick Setup driven through its real wizard window under Xvfb: each test
// runs the program from a temporary folder with its own settings file.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <string>

#include "core/PathUtil.h"
#include "tests/support/ServerLibrary.h"
#include "tests/support/TempTree.h"
#include "tests/support/WinTestSupport.h"

namespace cataloom::test {
namespace {

constexpr DWORD kTimeoutMs = 20000;
constexpr char kServerKey[] = "CLSID\\{82B07BC4-AD2A-4D64-9D02-731A84AC7151}\\InprocServer32";
constexpr char kDoneText[] = "処理は無事完了しました。";

// One run of the setup program.
class SetupProcess {
public:
    explicit SetupProcess(const std::string& program) {
        STARTUPINFOA startup = {sizeof startup};
        std::string commandLine = "\"" + program + "\"";
        started_ = CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                  &startup, &info_) != FALSE;
        EXPECT_TRUE(started_) << program;
    }
    ~SetupProcess() {
        if (!started_) return;
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 99);
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    SetupProcess(const SetupProcess&) = delete;
    SetupProcess& operator=(const SetupProcess&) = delete;

    DWORD Id() const { return started_ ? info_.dwProcessId : 0; }
    HWND WaitForWindow(const std::string& caption) const { return WaitForDialog(caption.c_str(), Id(), kTimeoutMs); }
    // The exit code, or 259 (still active) when it did not end in time.
    DWORD WaitForExit() const {
        DWORD code = STILL_ACTIVE;
        if (started_ && WaitForSingleObject(info_.hProcess, kTimeoutMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(info_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION info_ = {};
    bool started_ = false;
};

HWND CurrentPage(HWND sheet) {
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

// Waits until the wizard shows the page that holds `controlId`.
HWND WaitForPage(HWND sheet, int controlId) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < kTimeoutMs) {
        HWND page = CurrentPage(sheet);
        if (page != nullptr && GetDlgItem(page, controlId) != nullptr) return page;
        Sleep(50);
    }
    return nullptr;
}

void Press(HWND sheet, int button) { PostMessageA(sheet, PSM_PRESSBUTTON, button, 0); }


class SetupWizardTest : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveRegistration();
        for (const char* file : {"TarnwickSetup.exe", "Cataloom.dll"}) Copy(file, file);
    }
    void TearDown() override { RemoveRegistration(); }

    void Copy(const char* built, const std::string& as) {
        ASSERT_TRUE(CopyFileA((ProgramFolder() + built).c_str(), folder.Path(as).c_str(), FALSE)) << built;
    }
    void WriteSettings(const std::string& text) { folder.WriteFile("TarnwickSetup.ini", text); }
    std::string Program() const { return folder.Path("TarnwickSetup.exe"); }

    TempTree folder;
};

TEST_F(SetupWizardTest, RegistersThroughThePages) {
    WriteSettings("[Install]\r\nAppCaption=Cataloom\r\n[Servers]\r\n1=Cataloom.dll\r\n");
    SetupProcess setup(Program());
    HWND sheet = setup.WaitForWindow("Cataloom のセットアップ");
    ASSERT_NE(sheet, nullptr);
    HWND page = WaitForPage(sheet, 1008);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(ControlText(page, 1003), "Cataloom のセットアップを開始します。以下から操作を選んでください。");
    EXPECT_EQ(ControlText(page, 1008), "Cataloom をシステムに登録します");
    EXPECT_EQ(ControlText(page, 1009), "Cataloom をシステムから登録解除します");
    EXPECT_NE(ControlText(page, 1011).find("Version"), std::string::npos);
    EXPECT_EQ(SendDlgItemMessageA(page, 1008, BM_GETCHECK, 0, 0), BST_CHECKED);

    Press(sheet, PSBTN_NEXT);
    page = WaitForPage(sheet, 1012);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(ControlText(page, 1000), kDoneText);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, 1012)));
    // The title stays through the page changes.
    Sleep(300);
    EXPECT_EQ(WindowText(sheet), "Cataloom のセットアップ");
    EXPECT_EQ(ReadStoredValue(HKEY_CLASSES_ROOT, kServerKey, nullptr).text, folder.Path("Cataloom.dll"));
    EXPECT_EQ(ReadStoredValue(HKEY_CLASSES_ROOT, ".vmf", nullptr).text, "Virtual.Media.File");

    Press(sheet, PSBTN_FINISH);
    EXPECT_EQ(setup.WaitForExit(), 0u);
}

TEST_F(SetupWizardTest, UnregisterAnsweredNoStaysOnTheFirstPageAndYesUnregisters) {
    WriteSettings("[Install]\r\nAppCaption=Cataloom\r\n[Servers]\r\n1=Cataloom.dll\r\n");
    {
        ServerLibrary library(folder.Root(), "Cataloom.dll");
        ASSERT_EQ(library.Register(), S_OK);
    }
    SetupProcess setup(Program());
    HWND sheet = setup.WaitForWindow("Cataloom のセットアップ");
    ASSERT_NE(sheet, nullptr);
    HWND page = WaitForPage(sheet, 1009);
    ASSERT_NE(page, nullptr);
    SendDlgItemMessageA(page, 1008, BM_SETCHECK, BST_UNCHECKED, 0);
    SendDlgItemMessageA(page, 1009, BM_SETCHECK, BST_CHECKED, 0);

    Press(sheet, PSBTN_NEXT);
    HWND question = setup.WaitForWindow("Tarnwick Setup");
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(question, 0xFFFF)),
              "アンインストールを行います。\r\n本当に続行してもよろしいですか？");
    EXPECT_NE(GetDlgItem(question, IDCANCEL), nullptr);
    PressDialogButton(question, IDNO);
    Sleep(500);
    EXPECT_EQ(WaitForPage(sheet, 1009), page);
    EXPECT_EQ(ReadStoredValue(HKEY_CLASSES_ROOT, kServerKey, nullptr).text, folder.Path("Cataloom.dll"));

    Press(sheet, PSBTN_NEXT);
    question = setup.WaitForWindow("Tarnwick Setup");
    ASSERT_NE(question, nullptr);
    PressDialogButton(question, IDYES);
    // The library asks about its settings; keep them.
    HWND settingsQuestion = setup.WaitForWindow("Cataloom");
    ASSERT_NE(settingsQuestion, nullptr);
    PressDialogButton(settingsQuestion, IDNO);

    page = WaitForPage(sheet, 1012);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(ControlText(page, 1000), kDoneText);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, 1012)));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kServerKey));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Quillmoor\\Cataloom"));
    Press(sheet, PSBTN_FINISH);
    EXPECT_EQ(setup.WaitForExit(), 0u);
}

TEST_F(SetupWizardTest, TheWorkingPageRefusesCancel) {
    Copy("ProbeServer.dll", "probe1.dll");
    WriteSettings("[Install]\r\nAppCaption=Cataloom\r\n[Servers]\r\n1=probe1.dll\r\n");
    SetupProcess setup(Program());
    HWND sheet = setup.WaitForWindow("Cataloom のセットアップ");
    ASSERT_NE(sheet, nullptr);
    HWND first = WaitForPage(sheet, 1008);
    ASSERT_NE(first, nullptr);
    Press(sheet, PSBTN_NEXT);
    // The working page shows for a moment before the work starts: Cancel is
    // pressed there, and processed before this thread goes on.
    HWND working = nullptr;
    for (DWORD start = GetTickCount(); working == nullptr && GetTickCount() - start < kTimeoutMs; Sleep(1)) {
        HWND page = CurrentPage(sheet);
        if (page != nullptr && page != first) working = page;
    }
    ASSERT_NE(working, nullptr);
    ASSERT_EQ(GetDlgItem(working, 1012), nullptr);  // not the last page yet
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0, SMTO_NORMAL, kTimeoutMs, &ignored);
    EXPECT_TRUE(IsWindow(sheet));

    // The work goes on to its end, and the last page ends the program.
    HWND page = WaitForPage(sheet, 1012);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(ControlText(page, 1000), kDoneText);
    EXPECT_EQ(ReadWholeFile(folder.Path("probe1.dll.log")), "DllRegisterServer\n");
    Press(sheet, PSBTN_FINISH);
    EXPECT_EQ(setup.WaitForExit(), 0u);
}

TEST_F(SetupWizardTest, ASecondInstanceEndsAtOnce) {
    WriteSettings("[Install]\r\nAppCaption=Cataloom\r\n[Servers]\r\n1=Cataloom.dll\r\n");
    SetupProcess first(Program());
    HWND sheet = first.WaitForWindow("Cataloom のセットアップ");
    ASSERT_NE(sheet, nullptr);
    {
        SetupProcess second(Program());
        EXPECT_EQ(second.WaitForExit(), 0u);
    }
    EXPECT_TRUE(IsWindow(sheet));
    Press(sheet, PSBTN_CANCEL);
    EXPECT_EQ(first.WaitForExit(), 0u);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kServerKey));
}

TEST_F(SetupWizardTest, AMissingSettingsFileShowsMessage20) {
    SetupProcess setup(Program());
    HWND message = setup.WaitForWindow("Tarnwick Setup");
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(message, 0xFFFF)), "セットアップ情報が見つからないか壊れています。");
    PressDialogButton(message, IDOK);
    EXPECT_EQ(setup.WaitForExit(), 0u);
}

TEST_F(SetupWizardTest, TheListEndsAtTheFirstMissingNumber) {
    Copy("ProbeServer.dll", "probe1.dll");
    Copy("ProbeServer.dll", "probe3.dll");
    WriteSettings("[Servers]\r\n1=probe1.dll\r\n3=probe3.dll\r\n");
    SetupProcess setup(Program());
    // An empty caption: the texts begin with the Japanese wording.
    HWND sheet = setup.WaitForWindow(" のセットアップ");
    ASSERT_NE(sheet, nullptr);
    ASSERT_NE(WaitForPage(sheet, 1008), nullptr);
    EXPECT_EQ(ControlText(CurrentPage(sheet), 1008), " をシステムに登録します");
    Press(sheet, PSBTN_NEXT);
    HWND page = WaitForPage(sheet, 1012);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(ControlText(page, 1000), kDoneText);
    Press(sheet, PSBTN_FINISH);
    EXPECT_EQ(setup.WaitForExit(), 0u);
    EXPECT_EQ(ReadWholeFile(folder.Path("probe1.dll.log")), "DllRegisterServer\n");
    EXPECT_FALSE(path::Exists(folder.Path("probe3.dll.log").c_str()));
}

TEST_F(SetupWizardTest, FailedLibrariesAreNamedAndTheExitCodeSaysSo) {
    Copy("ProbeServer.dll", "probe1.dll");
    Copy("NoExports.dll", "noexports.dll");
    Copy("ProbeServer.dll", "probefail.dll");
    Copy("ProbeServer.dll", "probe5.dll");
    folder.WriteFile("broken.dll", "not a library");
    WriteSettings(
        "[Install]\r\nAppCaption=Cataloom\r\n[Servers]\r\n1=probe1.dll\r\n2=missing.dll\r\n3=noexports.dll\r\n"
        "4=probefail.dll\r\n5=broken.dll\r\n6=probe5.dll\r\n");
    SetupProcess setup(Program());
    HWND sheet = setup.WaitForWindow("Cataloom のセットアップ");
    ASSERT_NE(sheet, nullptr);
    ASSERT_NE(WaitForPage(sheet, 1008), nullptr);
    Press(sheet, PSBTN_NEXT);
    HWND page = WaitForPage(sheet, 1012);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(ControlText(page, 1000),
              "次のファイルの処理に失敗しました。\r\nmissing.dll\r\nnoexports.dll\r\nprobefail.dll\r\nbroken.dll");
    Press(sheet, PSBTN_FINISH);
    EXPECT_EQ(setup.WaitForExit(), 1u);
    // Every listed library was tried, failures or not.
    EXPECT_EQ(ReadWholeFile(folder.Path("probe1.dll.log")), "DllRegisterServer\n");
    EXPECT_EQ(ReadWholeFile(folder.Path("probefail.dll.log")), "DllRegisterServer\n");
    EXPECT_EQ(ReadWholeFile(folder.Path("probe5.dll.log")), "DllRegisterServer\n");
}

}  // namespace
}  // namespace cataloom::test
