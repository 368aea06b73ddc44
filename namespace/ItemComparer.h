// Orders two items of one folder: by a column of the listing (the view's
// sorting) or, with a parameter of 0, by identity over whole lists.
#pragma once

#include <windows.h>

#include "core/ItemId.h"

namespace cataloom {

class ItemComparer {
public:
    // Sort parameter: the column code in the low 16 bits, the direction in
    // bits 16-30 (1 ascending, 2 descending).
    static constexpr WORD kDescending = 2;

    // CompareIDs' answer: the plain order -1, 0 or 1, or E_INVALIDARG for an
    // unknown column, E_FAIL for an item of an unknown kind.
    static HRESULT Compare(LPARAM parameter, const ItemId* first, const ItemId* second) noexcept;
    // The order (-1, 0, 1) that a CompareIDs result carries, read from its
    // code field as the shell reads it.
    static int OrderOf(HRESULT result) noexcept { return static_cast<short>(HRESULT_CODE(result)); }

private:
    static HRESULT ByColumn(WORD column, const ItemId* first, const ItemId* second, int* order) noexcept;
    static HRESULT ByIdentity(const ItemId* first, const ItemId* second, int* order) noexcept;
};

}  // namespace cataloom
