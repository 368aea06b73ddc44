// A data folder whose every shown value is fixed, so the tests can pin each
// text of the view:
//   ソフト\                  category (ソ's second byte is a backslash)
//     道具.vmf              "道具": total 5,000 B, free 4,000 B, serial 0x1A2B, captured
//                           2023/03/04 05:06; directory ソフト (written 2021/11/12 13:14)
//                           holding directory 表 (written 2020/10/09 08:07) with 1000.bin and
//                           能.txt; directory CD1 (write time 0); readme.txt (1,001 B, written
//                           2022/02/03 04:05); a.bin (10 B, 2024/07/08 09:10); b.txt (5,000 B,
//                           2019/01/01 00:00)
//   音楽\                    category, empty
//   a.vmf                   "alpha":  total 3,000 B, free 10 B, serial 0xFFFFFFFF,
//                                     captured 2024/01/02 03:04
//   b.vmf                   "Beta":   total 1,000 B, free 30 B, serial 0x1A2B, capture time 0
//   c.vmf                   "ガンマ": total 1,234,567,890 B, free 20 B, serial 0xABCDEF,
//                                     captured 2025/06/07 08:09
// Each column orders the three catalogues differently.
// The times are local times.  DataRoot points at the folder for its life and
// the view settings start empty.
#pragma once

#include <cstdint>
#include <string>

#include "tests/support/TempTree.h"

namespace cataloom::test {

// The FILETIME (UTC) of a local time.
std::uint64_t LocalFileTime(int year, int month, int day, int hour, int minute);

class ViewData {
public:
    ViewData();
    ~ViewData();
    ViewData(const ViewData&) = delete;
    ViewData& operator=(const ViewData&) = delete;

    const TempTree& Tree() const { return tree_; }
    std::string Path(const std::string& relative = "") const { return tree_.Path(relative); }

private:
    TempTree tree_;
};

// Removes the view's settings (column widths, colours, view mode).
void ClearViewSettings();

}  // namespace cataloom::test
