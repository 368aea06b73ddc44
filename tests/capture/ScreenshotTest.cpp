// Pictures of the capture's windows for the documentation: each is drawn by
// the real dialog code with Japanese texts and written as a BMP file into
// the folder CATALOOM_SHOT_DIR names.  scripts/capture-screenshots.sh runs
// these under a desktop with window frames and turns them into PNG files;
// without the variable they are skipped.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include "capture/CaptureProgressDialog.h"
#include "capture/CreateCatalogDialog.h"
#include "core/CaptureTask.h"
#include "core/CaptureTexts.h"
#include "core/VolumeCapture.h"
#include "resources/CataloomResource.h"
#include "tests/capture/CaptureWindowSupport.h"
#include "tests/support/WinTestSupport.h"

namespace cataloom::test {
namespace {

// The window as the screen shows it, frame included, as a 24-bit BMP file.
bool SavePicture(HWND window, const std::string& file) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(400);
    RECT frame;
    if (!GetWindowRect(window, &frame)) return false;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    SelectObject(memory, previous);
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD row = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<BYTE> pixels(static_cast<std::size_t>(row) * height);
    const int rows = GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
                               DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (rows != height) return false;
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof header + sizeof info;
    header.bfSize = header.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
    return out.good();
}

class CaptureScreenshots : public CaptureTest {
protected:
    void SetUp() override {
        const char* folder = std::getenv("CATALOOM_SHOT_DIR");
        if (folder == nullptr || *folder == '\0') GTEST_SKIP() << "CATALOOM_SHOT_DIR is not set";
        shots = folder;
        CaptureTest::SetUp();
    }
    void Shoot(HWND window, const char* name) {
        ASSERT_NE(window, nullptr) << name;
        EXPECT_TRUE(SavePicture(window, shots + "\\" + name + ".bmp")) << name;
    }

    std::string shots;
};

TEST_F(CaptureScreenshots, NameDialog) {
    CaptureRequest request;
    std::strcpy(request.source, source.Root().c_str());
    WindowScript script([&] {
        HWND dialog = WaitForOwnDialog(kCreateCaption);
        ASSERT_NE(dialog, nullptr);
        SetControlText(dialog, IDC_CATALOG_NAME, "写真 2024");
        Shoot(dialog, "605-create");
        PressDialogButton(dialog, IDCANCEL);
        EXPECT_TRUE(WaitUntilClosed(dialog));
    });
    EXPECT_EQ(CreateCatalogDialog(request).Run(nullptr), 2);
}

TEST_F(CaptureScreenshots, ProgressWindowRunningAndFinished) {
    CatalogHeader header;
    ASSERT_TRUE(VolumeCapture(source.Root().c_str(), &header));
    std::strcpy(header.name, "写真 2024");
    const std::string target = DataPath("写真 2024.vmf");
    CaptureProgressDialog progress(false);
    GatedSink gate(progress);
    CaptureTask task(source.Root().c_str(), target.c_str(), header, gate);
    WindowScript script([&] {
        HWND window = WaitForOwnDialog(kProgressCaption);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(gate.WaitUntilHeld());
        EXPECT_TRUE(WaitForControlText(window, IDC_CAPTURE_DETAIL, "写真 2024"));
        Shoot(window, "606-running");
        gate.Release();
        EXPECT_TRUE(WaitForControlText(window, IDCANCEL, "閉じる"));
        Shoot(window, "606-finished");
        PressDialogButton(window, IDCANCEL);
        EXPECT_TRUE(WaitUntilClosed(window));
    });
    EXPECT_TRUE(progress.Run(nullptr, task));
}

TEST_F(CaptureScreenshots, ProgressWindowFailedWithTheTwoLineText) {
    CatalogHeader header;
    ASSERT_TRUE(VolumeCapture(source.Root().c_str(), &header));
    const std::string target = DataPath("使用中.vmf");
    data.WriteFile("使用中.vmf", "in use");
    PinnedFile pinned(target);
    CaptureProgressDialog progress(true);
    CaptureTask task(source.Root().c_str(), target.c_str(), header, progress);
    WindowScript script([&] {
        HWND window = WaitForOwnDialog(kProgressCaption);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(WaitForControlText(window, IDC_CAPTURE_DETAIL, capture_text::kCannotOpenFile));
        Shoot(window, "606-failed");
        PressDialogButton(window, IDCANCEL);
        EXPECT_TRUE(WaitUntilClosed(window));
    });
    EXPECT_FALSE(progress.Run(nullptr, task));
}

}  // namespace
}  // namespace cataloom::test
