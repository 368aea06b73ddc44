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

// Writes `value` as exactly `digits` decimal digits (32-bit: every field of
// a time fits, and the division is cheaper).
char* PutDigits(char* out, std::uint32_t value, int digits) {
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return out + digits;
}

constexpr std::uint64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kDaysFrom1601To1970 = 134774;

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

std::size_t FormatIsoTime(platform::FileTime time, char (&out)[kIsoTimeSize]) {
    out[0] = '\0';
    if (time == 0) return 0;
    std::uint64_t seconds = time / kTicksPerSecond;
    auto fraction = static_cast<std::uint32_t>(time % kTicksPerSecond);
    auto secondOfDay = static_cast<std::uint32_t>(seconds % 86400);
    // Civil date from days since 0000-03-01 in the proleptic Gregorian
    // calendar, whose eras of 400 years repeat exactly; a file time never
    // lies before 1601, so the count is never negative.
    std::int64_t z = static_cast<std::int64_t>(seconds / 86400) - kDaysFrom1601To1970 + 719468;
    std::int64_t era = z / 146097;
    std::int64_t dayOfEra = z - era * 146097;
    std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    std::int64_t mp = (5 * dayOfYear + 2) / 153;
    std::int64_t day = dayOfYear - (153 * mp + 2) / 5 + 1;
    std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);

    char* p = out;
    if (year > 9999) {
        *p++ = '+';
        p = PutDigits(p, static_cast<std::uint32_t>(year), 5);
    } else {
        p = PutDigits(p, static_cast<std::uint32_t>(year), 4);
    }
    *p++ = '-';
    p = PutDigits(p, static_cast<std::uint32_t>(month), 2);
    *p++ = '-';
    p = PutDigits(p, static_cast<std::uint32_t>(day), 2);
    *p++ = 'T';
    p = PutDigits(p, secondOfDay / 3600, 2);
    *p++ = ':';
    p = PutDigits(p, secondOfDay / 60 % 60, 2);
    *p++ = ':';
    p = PutDigits(p, secondOfDay % 60, 2);
    if (fraction != 0) {
        *p++ = '.';
        p = PutDigits(p, fraction, 7);
    }
    *p++ = 'Z';
    *p = '\0';
    return static_cast<std::size_t>(p - out);
}

}  // namespace cataloom
