#include "core/VolumeCapture.h"
#include "core/PathUtil.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace cataloom {
namespace {

std::string NameFor(const char* source, std::uint32_t driveType, const char* label) {
    char name[kMaxCatalogNameLength + 1] = "unchanged";
    ChooseCatalogName(source, driveType, label, name);
    return name;
}

TEST(ChooseCatalogNameTest, DriveRootShareRootAndPlainDirectory) {
    // A drive root takes the volume label, with or without the backslash.
    EXPECT_EQ(NameFor("C:\\", platform::kDriveFixed, "SYSTEM"), "SYSTEM");
    EXPECT_EQ(NameFor("D:", platform::kDriveCdRom, "DISC_01"), "DISC_01");
    // A root without a label gets an empty name (the user must give one).
    EXPECT_EQ(NameFor("E:\\", platform::kDriveRemovable, ""), "");
    // A network share root: without the leading backslashes, "\" -> "_".
    EXPECT_EQ(NameFor("\\\\server\\share", platform::kDriveRemote, "LBL"), "server_share");
    // A plain directory takes its last component, wherever it lies.
    EXPECT_EQ(NameFor("C:\\Work\\Photos", platform::kDriveFixed, "SYSTEM"), "Photos");
    EXPECT_EQ(NameFor("C:\\Work\\Photos\\", platform::kDriveFixed, "SYSTEM"), "Photos");
    EXPECT_EQ(NameFor("\\\\server\\share\\dir", platform::kDriveRemote, "LBL"), "dir");
    // "ソ" ends in the byte 0x5C, which is not a separator.
    EXPECT_EQ(NameFor("C:\\写真\\ソ", platform::kDriveFixed, "X"), "ソ");
    EXPECT_EQ(NameFor("C:\\ソ\\表", platform::kDriveFixed, "X"), "表");
}

TEST(VolumeCaptureTest, FillsAFreshHeaderForADirectory) {
    test::TempTree tmp;
    std::string source = tmp.MakeDir("Photos");
    CatalogHeader header;
    std::memset(&header, 0xAB, sizeof(header));
    platform::FileTime before = platform::CurrentTime();
    ASSERT_TRUE(VolumeCapture(source.c_str(), &header));
    EXPECT_TRUE(IsCatalogHeader(&header));
    EXPECT_EQ(header.version, 0u);
    EXPECT_STREQ(header.name, "Photos");
    EXPECT_EQ(header.rootHasFolders, 0u);
    EXPECT_EQ(header.tableOffset, kHeaderSize);
    EXPECT_EQ(header.tableSize, 0u);
    EXPECT_EQ(header.driveType, platform::DriveTypeOf(source.c_str()));
    EXPECT_GE(header.captureTime, before);
    EXPECT_LE(header.captureTime, platform::CurrentTime());
    EXPECT_GT(header.totalBytes, 0u);
    EXPECT_LE(header.freeBytes, header.totalBytes);
    EXPECT_NE(header.fileSystem[0], '\0');
    for (std::uint8_t b : header.reserved2) ASSERT_EQ(b, 0);

    tmp.MakeDir("Photos\\.sub");
    ASSERT_TRUE(VolumeCapture(source.c_str(), &header));
    EXPECT_EQ(header.rootHasFolders, 1u);  // hidden sub-directories count
    EXPECT_FALSE(VolumeCapture(nullptr, &header));
    EXPECT_FALSE(VolumeCapture(source.c_str(), nullptr));
}

#ifdef _WIN32
// Wine maps the drive Z: to the Linux root: a capture there reports that
// volume as the system describes it, and a fixed drive.
TEST(VolumeCaptureTest, CapturesATreeOnTheLinuxSideOfWine) {
    std::string source = "Z:\\tmp\\cataloom-z-" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryA(source.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((source + "\\写真").c_str(), nullptr));
    CatalogHeader header;
    bool ok = VolumeCapture(source.c_str(), &header);
    UINT driveType = GetDriveTypeA(source.c_str());
    RemoveDirectoryA((source + "\\写真").c_str());
    RemoveDirectoryA(source.c_str());
    ASSERT_TRUE(ok);

    char label[MAX_PATH] = {}, fileSystem[MAX_PATH] = {};
    DWORD serial = 0, maxComponent = 0, flags = 0;
    ASSERT_TRUE(GetVolumeInformationA("Z:\\", label, MAX_PATH, &serial, &maxComponent, &flags, fileSystem, MAX_PATH));
    EXPECT_EQ(header.driveType, static_cast<std::uint32_t>(DRIVE_FIXED));
    EXPECT_EQ(header.driveType, driveType);
    EXPECT_EQ(header.serial, serial);
    EXPECT_STREQ(header.fileSystem, fileSystem);
    EXPECT_EQ(header.rootHasFolders, 1u);
    EXPECT_EQ(std::string(header.name), "cataloom-z-" + std::to_string(GetCurrentProcessId()));
    ULARGE_INTEGER available, total, free;
    ASSERT_TRUE(GetDiskFreeSpaceExA("Z:\\", &available, &total, &free));
    EXPECT_EQ(header.totalBytes, total.QuadPart);
    EXPECT_GT(header.freeBytes, 0u);
}
#endif

}  // namespace
}  // namespace cataloom
