// The process-wide owner of the icon indices the namespace uses in the
// system image lists: folders, the captured drive types, and the icons that
// users chose for categories (extracted once per process and location).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <string>

namespace cataloom {

class IconCache {
public:
    // Takes the system image lists and adds the drive icons of `instance`.
    explicit IconCache(HINSTANCE instance) noexcept;
    ~IconCache();
    IconCache(const IconCache&) = delete;
    IconCache& operator=(const IconCache&) = delete;

    // False when the system image lists or the folder icons could not be had.
    bool IsReady() const noexcept { return large_ != nullptr && small_ != nullptr && closedFolder_ >= 0; }

    HIMAGELIST LargeList() const noexcept { return large_; }
    HIMAGELIST SmallList() const noexcept { return small_; }
    // A new icon handle from the large list; the caller destroys it.
    HICON LargeIcon(int index) const noexcept;
    int CategoryIcon(bool open) const noexcept { return open ? openFolder_ : closedFolder_; }
    // The icon of a catalogue by the drive type it was captured from.
    int MediaIcon(DWORD driveType) const noexcept;
    // The list index for an icon location "path,index", extracting the icon
    // the first time; -1 when the file holds no such icon.
    int AddIconLocation(const char* location);

private:
    int AddResourceIcon(HINSTANCE instance, int id) noexcept;

    std::map<std::string, int> locations_;
    HIMAGELIST large_ = nullptr;
    HIMAGELIST small_ = nullptr;
    int closedFolder_ = -1;
    int openFolder_ = -1;
    int removableDrive_ = -1;
    int fixedDrive_ = -1;
    int networkDrive_ = -1;
    int cdRomDrive_ = -1;
    int ramDisk_ = -1;
};

}  // namespace cataloom
