// The process-wide list of open folder views.  Every change that a folder
// operation, a drop or a capture makes reaches each open view of the
// affected folder through Notify.  Used on the shell's user-interface
// thread only, so it has no lock.
#pragma once

#include <windows.h>

#include "core/ItemId.h"
#include "namespace/ListedView.h"

namespace cataloom {

class ViewList {
public:
    ViewList() = default;
    ~ViewList();
    ViewList(const ViewList&) = delete;
    ViewList& operator=(const ViewList&) = delete;

    // Appends a view; false when the node cannot be allocated.
    bool Add(ListedView* view) noexcept;
    // Unlinks the first node holding the view.
    void Remove(ListedView* view) noexcept;
    // The view after `view`, the first one for null; null at the end or when
    // `view` is not listed.
    ListedView* Next(const ListedView* view) const noexcept;

    // Tells the views of the folder `parent` (an absolute list) that `item`
    // (a one-record list relative to it) changed: SHCNE_MKDIR adds it,
    // SHCNE_RMDIR removes it, SHCNE_UPDATEDIR redraws it, SHCNE_RENAMEFOLDER
    // replaces it with `newItem`; no item refreshes the whole view.  Event 0
    // without a parent refreshes every view.  False when the desktop folder
    // that compares the lists cannot be had.
    bool Notify(LONG event, const ItemId* parent, const ItemId* item, const ItemId* newItem) noexcept;
    // Refreshes every view of the folder `folder` (an absolute list) or of a
    // folder inside it: a catalogue replaced under its open views.  False
    // when the desktop folder cannot be had.
    bool RefreshWithin(const ItemId* folder) noexcept;

private:
    struct Node {
        Node* next;
        ListedView* view;
    };
    static void Dispatch(ListedView* view, LONG event, const ItemId* item, const ItemId* newItem);

    Node* head_ = nullptr;
    Node* tail_ = nullptr;
};

}  // namespace cataloom
