// The sort parameter the view passes to its folder's CompareIDs: the column
// code in the low 16 bits, the direction in bits 16-30 (0 or 1 ascending,
// 2 descending).
#pragma once

#include <windows.h>

#include "namespace/ItemColumns.h"

namespace cataloom {

class SortKey {
public:
    // A new view sorts by its listing's first column, direction 0.
    static SortKey Initial(Listing listing) noexcept;

    LPARAM Parameter() const noexcept { return static_cast<LPARAM>(value_); }
    WORD Column() const noexcept { return LOWORD(value_); }
    WORD Direction() const noexcept { return static_cast<WORD>((value_ >> 16) & 0x7FFF); }

    // The key after a click on the column with `code`: another column sorts
    // ascending; the same one turns 1 into 2 and 0 or 2 into 1.
    SortKey Clicked(WORD code) const noexcept;

private:
    explicit SortKey(DWORD value) noexcept : value_(value) {}
    DWORD value_;
};

// The order a CompareIDs result carries: the plain -1, 0 or 1, or the code
// field of a success result read as a signed short.  A failure orders as
// equal: read as a signed integer it would mean "less" and scatter the items
// the folder could not compare.
int OrderOf(HRESULT result) noexcept;

}  // namespace cataloom
