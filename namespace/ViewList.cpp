#include "namespace/ViewList.h"

#include <shlobj.h>

#include "core/ItemIdFactory.h"
#include "core/TaskMemory.h"
#include "platform/Platform.h"

namespace cataloom {
namespace {

std::size_t RecordCount(const ItemId* list) {
    std::size_t count = 0;
    for (const ItemId* r = list; !ItemIdFactory::IsEnd(r); r = ItemIdFactory::Next(r)) ++count;
    return count;
}

// Ends `list` after its first `count` records; false when it has fewer.
bool CutAfter(ItemId* list, std::size_t count) {
    ItemId* record = list;
    for (std::size_t i = 0; i < count; ++i) {
        if (ItemIdFactory::IsEnd(record)) return false;
        record = const_cast<ItemId*>(ItemIdFactory::Next(record));
    }
    record->size = 0;  // a record or the terminator: either has its size word
    return true;
}

// True when the desktop folder finds the two absolute lists equal.
bool SameFolder(IShellFolder* desktop, const ItemId* first, const ItemId* second) {
    HRESULT order = desktop->CompareIDs(0, reinterpret_cast<PCUIDLIST_RELATIVE>(first),
                                        reinterpret_cast<PCUIDLIST_RELATIVE>(second));
    return SUCCEEDED(order) && HRESULT_CODE(order) == 0;
}

}  // namespace

ViewList::~ViewList() {
    while (head_ != nullptr) {
        Node* next = head_->next;
        platform::TaskFree(head_);
        head_ = next;
    }
}

bool ViewList::Add(ListedView* view) noexcept {
    auto* node = static_cast<Node*>(platform::TaskAlloc(sizeof(Node)));
    if (node == nullptr) return false;
    node->next = nullptr;
    node->view = view;
    if (tail_ == nullptr) {
        head_ = node;
    } else {
        tail_->next = node;
    }
    tail_ = node;
    return true;
}

void ViewList::Remove(ListedView* view) noexcept {
    Node* previous = nullptr;
    for (Node* node = head_; node != nullptr; previous = node, node = node->next) {
        if (node->view != view) continue;
        if (previous == nullptr) {
            head_ = node->next;
        } else {
            previous->next = node->next;
        }
        if (tail_ == node) tail_ = previous;
        platform::TaskFree(node);
        return;
    }
}

ListedView* ViewList::Next(const ListedView* view) const noexcept {
    if (view == nullptr) return head_ != nullptr ? head_->view : nullptr;
    for (Node* node = head_; node != nullptr; node = node->next) {
        if (node->view == view) return node->next != nullptr ? node->next->view : nullptr;
    }
    return nullptr;
}

bool ViewList::Notify(LONG event, const ItemId* parent, const ItemId* item, const ItemId* newItem) noexcept {
    if (event == 0 && parent == nullptr) {
        for (ListedView* view = Next(nullptr); view != nullptr;) {
            ListedView* next = Next(view);  // taken first: a view may change the list
            view->Refresh();
            view = next;
        }
        return true;
    }
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)) || desktop == nullptr) return false;
    for (ListedView* view = Next(nullptr); view != nullptr;) {
        ListedView* next = Next(view);
        TaskMemory<ItemId> folder(view->FolderIdentifier());
        if (folder != nullptr && parent != nullptr && SameFolder(desktop, folder.Get(), parent))
            Dispatch(view, event, item, newItem);
        view = next;
    }
    desktop->Release();
    return true;
}

bool ViewList::RefreshWithin(const ItemId* folder) noexcept {
    if (folder == nullptr) return false;
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)) || desktop == nullptr) return false;
    const std::size_t depth = RecordCount(folder);
    for (ListedView* view = Next(nullptr); view != nullptr;) {
        ListedView* next = Next(view);
        // The view's own copy, so cutting it changes nothing of the view's.
        TaskMemory<ItemId> shown(view->FolderIdentifier());
        if (shown != nullptr && CutAfter(shown.Get(), depth) && SameFolder(desktop, shown.Get(), folder))
            view->Refresh();
        view = next;
    }
    desktop->Release();
    return true;
}

void ViewList::Dispatch(ListedView* view, LONG event, const ItemId* item, const ItemId* newItem) {
    if (item == nullptr) {
        view->Refresh();
        return;
    }
    switch (event) {
    case SHCNE_MKDIR:
        view->AddItem(item);
        break;
    case SHCNE_RMDIR:
        view->RemoveItem(item);
        break;
    case SHCNE_UPDATEDIR:
        view->UpdateItem(item);
        break;
    case SHCNE_RENAMEFOLDER:
        view->RenameItem(item, newItem);
        break;
    default:
        break;
    }
}

}  // namespace cataloom
