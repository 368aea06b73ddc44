#include "core/DisplayText.h"

#include <cstdio>

namespace cataloom {
namespace {

std::string Format(platform::FileTime time, const char* unknown, bool seconds) {
    platform::LocalTime t;
    if (time == 0 || !platform::ToLocalTime(time, t)) return unknown;
    char text[32];
    if (seconds)
        std::snprintf(text, sizeof(text), "%04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                      t.minute, t.second);
    else
        std::snprintf(text, sizeof(text), "%04d/%02d/%02d %02d:%02d", t.year, t.month, t.day, t.hour, t.minute);
    return text;
}

}  // namespace

const char* DriveTypeText(std::uint32_t driveType) {
    switch (driveType) {
    case platform::kDriveNoRootDir: return "非ドライブ";
    case platform::kDriveRemovable: return "リムーバブル ディスク";
    case platform::kDriveFixed: return "固定ディスク";
    case platform::kDriveRemote: return "ネットワーク ドライブ";
    case platform::kDriveCdRom: return "CD-ROM";
    case platform::kDriveRamDisk: return "RAM ディスク";
    default: return "不明なドライブ";
    }
}

std::string FormatListTime(platform::FileTime time, const char* unknown) { return Format(time, unknown, false); }

std::string FormatFullTime(platform::FileTime time, const char* unknown) { return Format(time, unknown, true); }

}  // namespace cataloom
