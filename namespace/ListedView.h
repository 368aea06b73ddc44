// What the view list asks of an open folder view.  The folder view
// implements it; ViewList forwards every change of a folder's contents
// through it to each view showing that folder.
#pragma once

#include "core/ItemId.h"

namespace cataloom {

class ListedView {
public:
    // Empties the list and fills it again from a new enumeration.
    virtual void Refresh() = 0;
    // Appends an item (a one-record list relative to the view's folder);
    // the view keeps its own copy.  Returns the new index, or -1.
    virtual int AddItem(const ItemId* item) = 0;
    virtual void RemoveItem(const ItemId* item) = 0;
    virtual void UpdateItem(const ItemId* item) = 0;
    virtual void RenameItem(const ItemId* oldItem, const ItemId* newItem) = 0;
    // A new copy of the absolute identifier list of the view's folder; the
    // caller frees it with the task allocator.
    virtual ItemId* FolderIdentifier() = 0;

protected:
    ~ListedView() = default;
};

}  // namespace cataloom
