// The list view control of a folder view.  Each row carries, as its item
// data, the view's own copy of the item's one-record identifier; the copy is
// freed when the control reports the row's deletion (LVN_DELETEITEM), so
// every way of deleting rows frees them.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <vector>

#include "core/ItemId.h"

namespace cataloom {

class ItemList {
public:
    static constexpr int kControlId = 2000;

    // Creates the control as a child of `parent`, size zero.
    bool Create(HWND parent, DWORD style) noexcept;
    // Forgets the control (the parent's destruction destroys it).
    void Forget() noexcept { window_ = nullptr; }
    HWND Window() const noexcept { return window_; }

    int Count() const noexcept;
    int SelectedCount() const noexcept;
    // The identifier of a row; null for a row that does not exist.
    const ItemId* ItemAt(int index) const noexcept;
    // The row whose identifier the folder compares equal to `item`; -1.
    int Find(IShellFolder* folder, const ItemId* item) const noexcept;
    // The next row after `index` (-1: the first) with the LVNI_* `flags`.
    int Next(int index, UINT flags) const noexcept;
    // The identifiers of the selected rows (or of all rows), in list order;
    // they stay owned by the list.
    std::vector<const ItemId*> Collect(bool selectedOnly) const;

    // Appends a row with texts and image asked on demand, taking ownership of
    // `item` (freed here when no row could be added).  The new index or -1.
    int Append(ItemId* item) noexcept;
    // Gives row `index` the identifier `item` (owned from now on) and frees the
    // one it had.  False, and `item` freed, when the row does not exist.
    bool Replace(int index, ItemId* item) noexcept;
    void Delete(int index) noexcept;
    void DeleteAll() noexcept;
    // Frees the identifier of a row the control deletes (LVN_DELETEITEM).
    static void OnDeleteItem(const NMLISTVIEW& notification) noexcept;

    void SetState(int index, UINT state, UINT mask) noexcept;
    void Redraw(int index) noexcept;
    // Gives the focused state to the first selected row, or to row 0, when no
    // row has it.
    void EnsureFocusedItem() noexcept;

private:
    HWND window_ = nullptr;
};

}  // namespace cataloom
