#include "namespace/ViewList.h"

#include <shlobj.h>

#include "core/TaskMemory.h"
#include "platform/Platform.h"

namespace cataloom {

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
        if (folder != nullptr && parent != nullptr) {
            HRESULT order = desktop->CompareIDs(0, reinterpret_cast<PCUIDLIST_RELATIVE>(folder.Get()),
                                                reinterpret_cast<PCUIDLIST_RELATIVE>(parent));
            if (SUCCEEDED(order) && HRESULT_CODE(order) == 0) Dispatch(view, event, item, newItem);
        }
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
