// The list view control of a folder view, a virtual list (LVS_OWNERDATA):
// the view keeps the rows' identifiers, one-record lists in list order, and
// the control keeps only their count and the rows' states, asking for texts
// and icons as it draws.  Filling 100,000 rows is then one count instead of
// 100,000 insertions (each one costs Wine's list 10 to 60 microseconds).
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <vector>

#include "core/ItemId.h"
#include "core/TaskMemory.h"

namespace cataloom {

class ItemList {
public:
    static constexpr int kControlId = 2000;

    // Creates the control as a child of `parent`, size zero.
    bool Create(HWND parent, DWORD style) noexcept;
    // Forgets the control (the parent's destruction destroys it) and its rows.
    void Forget() noexcept;
    HWND Window() const noexcept { return window_; }

    int Count() const noexcept { return static_cast<int>(items_.size()); }
    int SelectedCount() const noexcept;
    // The identifier of a row; null for a row that does not exist.
    const ItemId* ItemAt(int index) const noexcept;
    // The row whose identifier the folder compares equal to `item`; -1.
    int Find(IShellFolder* folder, const ItemId* item) const noexcept;
    // The next row after `index` (-1: the first) with the LVNI_* `flags`.
    int Next(int index, UINT flags) const noexcept;
    // The identifiers of the selected rows (or of all rows), in list order;
    // they stay owned by the list.  Rows the control has but the view does
    // not know are left out, never passed on as null.
    std::vector<const ItemId*> Collect(bool selectedOnly) const;

    // Makes `items` the rows, in this order, and forgets the old ones.
    void Assign(std::vector<TaskMemory<ItemId>> items);
    // Appends a row, taking ownership of `item`; the new index, or -1 (and
    // `item` freed).
    int Append(ItemId* item) noexcept;
    // Gives row `index` the identifier `item` (owned from now on) and frees the
    // one it had.  False, and `item` freed, when the row does not exist.
    bool Replace(int index, ItemId* item) noexcept;
    void Delete(int index) noexcept;
    void DeleteAll() noexcept;

    void SetState(int index, UINT state, UINT mask) noexcept;
    void Redraw(int index) noexcept;
    // Gives the focused state to the first selected row, or to row 0, when no
    // row has it.
    void EnsureFocusedItem() noexcept;

private:
    void SetControlCount() noexcept;

    HWND window_ = nullptr;
    std::vector<TaskMemory<ItemId>> items_;
};

}  // namespace cataloom
