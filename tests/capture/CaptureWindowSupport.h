// Driving the capture's windows for the tests: the code under test runs its
// dialogs modally on the test's thread while a WindowScript on a helper
// thread finds them, reads and sets their controls and presses their buttons.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "core/CaptureSink.h"
#include "core/CaptureTexts.h"
#include "namespace/ComPtr.h"
#include "tests/namespace/ShellTestSupport.h"
#include "tests/support/TempTree.h"
#include "tests/support/WinTestSupport.h"

namespace cataloom::test {

constexpr DWORD kWindowTimeoutMs = 15000;
constexpr char kCreateCaption[] = "オプション";
constexpr char kProgressCaption[] = "Cataloom - イメージ作成";
constexpr char kMessageCaption[] = "Cataloom";

// A text of the string table the program carries (the library's).
std::string ResourceText(UINT id);

void SetControlText(HWND dialog, int id, const std::string& text);
bool IsChecked(HWND dialog, int id);
void SetChecked(HWND dialog, int id, bool checked);
// Polls until the control shows `text`; false after the time-out.
bool WaitForControlText(HWND dialog, int id, const std::string& text, DWORD timeoutMs = kWindowTimeoutMs);
// Polls until the window is gone; false after the time-out.
bool WaitUntilClosed(HWND window, DWORD timeoutMs = kWindowTimeoutMs);
// A visible dialog of this process with this caption.
HWND WaitForOwnDialog(const char* caption, DWORD timeoutMs = kWindowTimeoutMs);
// Answers the next message box of this process with `button`; its text.
std::string AnswerMessage(int button);
// The progress window once it shows that its file could not be written
// (checking both texts); null when no window came.
HWND WaitForWriteFailure(const char* detail = capture_text::kCannotOpenFile);
// Presses 閉じる (or 中止) on a progress window and waits until it is gone.
void CloseProgress(HWND progress);

// Runs `script` on a helper thread while the test's thread runs the code
// under test.  A script closes every window it opened before it ends.  One
// that stopped at a failed assertion leaves windows open: then every dialog
// of the process is cancelled until Finish, so a failed test never hangs.
class WindowScript {
public:
    explicit WindowScript(std::function<void()> script);
    ~WindowScript() { Finish(); }
    WindowScript(const WindowScript&) = delete;
    WindowScript& operator=(const WindowScript&) = delete;

    // The code under test has returned: waits for the script.
    void Finish();

private:
    std::atomic<bool> done_{false};
    std::thread thread_;
};

// Types the catalogue's name into the name dialog, presses OK and waits
// until the capture's windows have closed by themselves after a success.
void NameAndCapture(const std::string& name);

// The desktop folder's own data object for a path (a directory or a drive
// root), as the shell hands it to a context menu handler.
ComPtr<IDataObject> DataObjectOf(const std::string& path);
// The capture menu as the shell makes it: CoCreateInstance of the capture
// menu CLSID, initialised with DataObjectOf(path) (null for an empty path).
ComPtr<IContextMenu> CaptureMenuFor(const std::string& path);
// InvokeCommand with a command number and no owner window.
HRESULT InvokeVerb(IContextMenu* menu, UINT verb);

// Passes a capture's reports on to the window but holds the worker at the
// first detail line of the scan until Release: a stop pressed meanwhile
// reaches the scan before its next directory.
class GatedSink final : public CaptureSink {
public:
    explicit GatedSink(CaptureSink& target);
    ~GatedSink() override;
    void SetPhase(const char* text) override;
    void SetDetail(const char* text) override;
    void Finished(bool success) override { target_.Finished(success); }

    bool WaitUntilHeld(DWORD timeoutMs = kWindowTimeoutMs);
    void Release();

private:
    CaptureSink& target_;
    HANDLE held_;
    HANDLE released_;
    bool scanning_ = false;
    bool gated_ = false;
};

// The bytes of a file; "<missing>" when it cannot be read.
std::string FileBytes(const std::string& path);
bool FileExists(const std::string& path);
// Every entry name of a folder (files and folders), sorted.
std::vector<std::string> FolderEntries(const std::string& folder);

// A source tree to capture: a.txt (10 bytes), sub\b.txt (20 bytes), 空\.
void MakeSource(const TempTree& source);

// A folder inside `tree` whose path is exactly `length` characters long
// (at most 248, the system's limit for folders).  Catalogue names fit in
// it, but not the capture's temporary file name: a capture there fails at
// its end, where it would replace the target.
std::string MakeDeepFolder(const TempTree& tree, std::size_t length);

// Holds a file open without the sharing that its replacement needs, as a
// program that has it open would; readers still get in.
class PinnedFile {
public:
    explicit PinnedFile(const std::string& path);
    ~PinnedFile();
    PinnedFile(const PinnedFile&) = delete;
    PinnedFile& operator=(const PinnedFile&) = delete;

private:
    HANDLE handle_;
};

// Installs the capture layer in this program and registers its capture
// menu class, so CoCreateInstance reaches this program's code (and its view
// list) rather than the library's.
void RegisterCaptureMenuClass();
void RevokeCaptureMenuClass();

// A data folder (DataRoot) and a source tree for each test.
class CaptureTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string DataPath(const std::string& relative) const { return data.Path(relative); }
    // The name the create dialog proposes for the source: its folder name.
    std::string SourceName() const;

    TempTree data;
    TempTree source;
};

// The same with a category 音楽 and recording views of the data folder and
// of the category, which this program's view list tells of changes.
class ViewedCaptureTest : public CaptureTest {
protected:
    void SetUp() override;
    void TearDown() override;

    IdList rootList, categoryList;
    std::unique_ptr<RecordingView> rootView, categoryView;
};

}  // namespace cataloom::test
