// The progress window over real captures: what it shows while the worker
// runs and when it ends, the stop by Escape and by its button, the close one
// second after a success, a job that cannot start, and a window whose owner
// goes away during a capture.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "capture/CaptureProgressDialog.h"
#include "core/CaptureTask.h"
#include "core/CaptureTexts.h"
#include "core/CatalogReader.h"
#include "core/VolumeCapture.h"
#include "resources/CataloomResource.h"
#include "tests/capture/CaptureWindowSupport.h"
#include "tests/core/CaptureRun.h"
#include "tests/namespace/ShellTestSupport.h"
#include "tests/support/WinTestSupport.h"

namespace cataloom::test {
namespace {

using Names = std::vector<std::string>;

CatalogHeader HeaderFor(const std::string& source, const char* name) {
    CatalogHeader header;
    EXPECT_TRUE(VolumeCapture(source.c_str(), &header));
    std::memset(header.name, 0, sizeof header.name);
    std::strcpy(header.name, name);
    return header;
}

bool WaitForStopRequest(const WorkerThread& job) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < kWindowTimeoutMs; Sleep(10))
        if (job.StopRequested()) return true;
    return false;
}

Names Sorted(Names names) {
    std::sort(names.begin(), names.end());
    return names;
}

// A job whose thread already ran: it cannot be started again.
class SpentJob final : public WorkerThread {
public:
    SpentJob() {
        EXPECT_TRUE(Start());
        Wait();
    }

protected:
    std::uint32_t Run() override { return 0; }
};

using CaptureProgressTest = CaptureTest;

TEST_F(CaptureProgressTest, EscapeDuringTheScanStopsItAndLeavesTheOlderCatalogueAsItWas) {
    const std::string target = DataPath("old.vmf");
    Capture(source.Root(), target, "古い");
    const std::string before = FileBytes(target);
    CaptureProgressDialog progress(true);
    GatedSink gate(progress);
    CaptureTask task(source.Root().c_str(), target.c_str(), HeaderFor(source.Root(), "新しい"), gate);
    WindowScript script([&] {
        HWND window = WaitForOwnDialog(kProgressCaption);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(gate.WaitUntilHeld());
        // While the worker scans: the phase, the directory and the stop button.
        EXPECT_TRUE(WaitForControlText(window, IDC_CAPTURE_DETAIL, "新しい"));
        EXPECT_EQ(ControlText(window, IDC_CAPTURE_PHASE), capture_text::kBuildingIndex);
        EXPECT_EQ(ControlText(window, IDCANCEL), "中止");
        PostMessageA(GetDlgItem(window, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(WaitForStopRequest(task));
        EXPECT_TRUE(IsWindowVisible(window));  // a stop does not close the window
        gate.Release();
        EXPECT_TRUE(WaitForControlText(window, IDC_CAPTURE_PHASE, capture_text::kCaptureFailed));
        EXPECT_EQ(ControlText(window, IDC_CAPTURE_DETAIL), capture_text::kIndexFailed);
        EXPECT_TRUE(WaitForControlText(window, IDCANCEL, "閉じる"));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, IDCANCEL)));
        Sleep(1300);  // no close-on-finish after a failure
        EXPECT_TRUE(IsWindowVisible(window));
        PressDialogButton(window, IDCANCEL);
        EXPECT_TRUE(WaitUntilClosed(window));
    });
    EXPECT_FALSE(progress.Run(nullptr, task));
    script.Finish();
    EXPECT_EQ(task.Result(), CaptureTask::Outcome::kStopped);
    EXPECT_EQ(FileBytes(target), before);
    EXPECT_EQ(FolderEntries(data.Root()), Names{"old.vmf"});
}

TEST_F(CaptureProgressTest, StopButtonStopsAndASecondPressCloses) {
    const std::string target = DataPath("new.vmf");
    CaptureProgressDialog progress(true);
    GatedSink gate(progress);
    CaptureTask task(source.Root().c_str(), target.c_str(), HeaderFor(source.Root(), "x"), gate);
    WindowScript script([&] {
        HWND window = WaitForOwnDialog(kProgressCaption);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(gate.WaitUntilHeld());
        PressDialogButton(window, IDCANCEL);
        EXPECT_TRUE(WaitForStopRequest(task));
        gate.Release();
        EXPECT_TRUE(WaitForControlText(window, IDCANCEL, "閉じる"));
        PressDialogButton(window, IDCANCEL);
        EXPECT_TRUE(WaitUntilClosed(window));
    });
    EXPECT_FALSE(progress.Run(nullptr, task));
    script.Finish();
    EXPECT_TRUE(FolderEntries(data.Root()).empty());
}

TEST_F(CaptureProgressTest, CloseOnFinishEndsTheWindowAboutOneSecondAfterASuccess) {
    const std::string target = DataPath("新しい.vmf");
    CaptureProgressDialog progress(true);
    CaptureTask task(source.Root().c_str(), target.c_str(), HeaderFor(source.Root(), "新しい"), progress);
    DWORD shownFor = 0;
    WindowScript script([&] {
        HWND window = WaitForOwnDialog(kProgressCaption);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(WaitForControlText(window, IDC_CAPTURE_PHASE, capture_text::kCaptureComplete));
        const DWORD start = GetTickCount();
        EXPECT_EQ(ControlText(window, IDC_CAPTURE_DETAIL), capture_text::kPressF5);
        EXPECT_EQ(ControlText(window, IDCANCEL), "閉じる");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, IDCANCEL)));
        EXPECT_TRUE(WaitUntilClosed(window, 5000));
        shownFor = GetTickCount() - start;
    });
    EXPECT_TRUE(progress.Run(nullptr, task));
    script.Finish();
    EXPECT_GE(shownFor, 850u);
    EXPECT_LE(shownFor, 3500u);
    EXPECT_EQ(task.Result(), CaptureTask::Outcome::kSucceeded);

    CatalogReader reader;
    ASSERT_EQ(reader.Open(target.c_str()), kOk);
    EXPECT_EQ(Sorted(EntryNames(reader, "新しい")), Sorted(Names{"a.txt", "sub", "空"}));
    EXPECT_EQ(EntryNames(reader, "新しい\\sub"), Names{"b.txt"});
    CatalogHeader header;
    ASSERT_TRUE(ReadHeader(target.c_str(), &header));
    EXPECT_STREQ(header.name, "新しい");
    EXPECT_EQ(header.fileCount, 2u);
    EXPECT_EQ(header.directoryCount, 2u);
}

TEST_F(CaptureProgressTest, WithoutCloseOnFinishTheWindowWaitsForTheButtonAndStillReportsTheSuccess) {
    const std::string target = DataPath("kept.vmf");
    CaptureProgressDialog progress(false);
    CaptureTask task(source.Root().c_str(), target.c_str(), HeaderFor(source.Root(), "kept"), progress);
    WindowScript script([&] {
        HWND window = WaitForOwnDialog(kProgressCaption);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(WaitForControlText(window, IDCANCEL, "閉じる"));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, IDCANCEL)));
        Sleep(1500);
        EXPECT_TRUE(IsWindowVisible(window));
        EXPECT_EQ(ControlText(window, IDC_CAPTURE_PHASE), capture_text::kCaptureComplete);
        PressDialogButton(window, IDCANCEL);
        EXPECT_TRUE(WaitUntilClosed(window));
    });
    EXPECT_TRUE(progress.Run(nullptr, task));
    script.Finish();
    EXPECT_TRUE(FileExists(target));
}

TEST_F(CaptureProgressTest, AJobThatCannotStartIsReportedAndTheWindowStaysUntilClosed) {
    SpentJob job;
    CaptureProgressDialog progress(true);
    std::string message;
    WindowScript script([&] {
        message = AnswerMessage(IDOK);
        HWND window = WaitForOwnDialog(kProgressCaption);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(ControlText(window, IDCANCEL), "中止");
        Sleep(300);
        EXPECT_TRUE(IsWindowVisible(window));
        PressDialogButton(window, IDCANCEL);
        EXPECT_TRUE(WaitUntilClosed(window));
    });
    EXPECT_FALSE(progress.Run(nullptr, job));
    script.Finish();
    EXPECT_EQ(message, "プログラム内のエラーにより処理を開始できませんでした。");
}

TEST_F(CaptureProgressTest, AWindowWhoseOwnerGoesAwayStopsTheJobAndWaitsWhileAnsweringMessages) {
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                 nullptr, nullptr);
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    ASSERT_NE(other, nullptr);
    const std::string target = DataPath("gone.vmf");
    CaptureProgressDialog progress(true);
    GatedSink gate(progress);
    CaptureTask task(source.Root().c_str(), target.c_str(), HeaderFor(source.Root(), "gone"), gate);
    WindowScript script([&] {
        HWND window = WaitForOwnDialog(kProgressCaption);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(gate.WaitUntilHeld());
        PostMessageA(owner, WM_CLOSE, 0, 0);  // destroys the owner and so the window
        EXPECT_TRUE(WaitUntilClosed(window));
        EXPECT_TRUE(WaitForStopRequest(task));
        // The waiting thread still answers what other threads send it.
        char text[16] = {};
        EXPECT_NE(SendMessageTimeoutA(other, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                                      SMTO_ABORTIFHUNG, 3000, nullptr),
                  0);
        EXPECT_STREQ(text, "other");
        gate.Release();
    });
    EXPECT_FALSE(progress.Run(owner, task));
    script.Finish();
    EXPECT_FALSE(IsWindow(owner));
    EXPECT_EQ(task.Result(), CaptureTask::Outcome::kStopped);
    EXPECT_TRUE(FolderEntries(data.Root()).empty());
    DestroyWindow(other);
}

}  // namespace
}  // namespace cataloom::test
