#include "view/ItemList.h"

#include <new>

#include "namespace/ShellUtil.h"

namespace cataloom {

bool ItemList::Create(HWND parent, DWORD style) noexcept {
    window_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", style | LVS_OWNERDATA, 0, 0, 0, 0, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kControlId)),
                              reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE)), nullptr);
    return window_ != nullptr;
}

void ItemList::Forget() noexcept {
    window_ = nullptr;
    items_.clear();
}

int ItemList::SelectedCount() const noexcept {
    return static_cast<int>(SendMessageA(window_, LVM_GETSELECTEDCOUNT, 0, 0));
}

const ItemId* ItemList::ItemAt(int index) const noexcept {
    if (index < 0 || index >= Count()) return nullptr;
    return items_[static_cast<std::size_t>(index)].Get();
}

int ItemList::Find(IShellFolder* folder, const ItemId* item) const noexcept {
    if (item == nullptr) return -1;
    for (int i = 0; i < Count(); ++i) {
        // Equal only when the folder says so: a failed comparison is no match.
        if (folder->CompareIDs(0, AsIdList(ItemAt(i)), AsIdList(item)) == S_OK) return i;
    }
    return -1;
}

int ItemList::Next(int index, UINT flags) const noexcept {
    if (window_ == nullptr) return -1;
    return static_cast<int>(SendMessageA(window_, LVM_GETNEXTITEM, static_cast<WPARAM>(index), MAKELPARAM(flags, 0)));
}

std::vector<const ItemId*> ItemList::Collect(bool selectedOnly) const {
    std::vector<const ItemId*> items;
    const UINT flags = selectedOnly ? LVNI_SELECTED : LVNI_ALL;
    for (int i = Next(-1, flags); i >= 0; i = Next(i, flags)) {
        if (const ItemId* item = ItemAt(i)) items.push_back(item);
    }
    return items;
}

void ItemList::Assign(std::vector<TaskMemory<ItemId>> items) {
    items_ = std::move(items);
    SetControlCount();
}

int ItemList::Append(ItemId* item) noexcept {
    TaskMemory<ItemId> owned(item);
    if (owned == nullptr || window_ == nullptr) return -1;
    try {
        items_.push_back(std::move(owned));
    } catch (const std::bad_alloc&) {
        return -1;
    }
    SetControlCount();
    return Count() - 1;
}

bool ItemList::Replace(int index, ItemId* item) noexcept {
    TaskMemory<ItemId> owned(item);
    if (index < 0 || index >= Count()) return false;
    items_[static_cast<std::size_t>(index)] = std::move(owned);  // frees the old one
    return true;
}

void ItemList::Delete(int index) noexcept {
    if (index < 0 || index >= Count()) return;
    items_.erase(items_.begin() + index);
    // The control moves the states of the rows after it up by one.
    SendMessageA(window_, LVM_DELETEITEM, static_cast<WPARAM>(index), 0);
}

void ItemList::DeleteAll() noexcept {
    items_.clear();
    if (window_ != nullptr) SendMessageA(window_, LVM_DELETEALLITEMS, 0, 0);
}

void ItemList::SetState(int index, UINT state, UINT mask) noexcept {
    LVITEMA row = {};
    row.stateMask = mask;
    row.state = state;
    SendMessageA(window_, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&row));
}

void ItemList::Redraw(int index) noexcept { SendMessageA(window_, LVM_UPDATE, static_cast<WPARAM>(index), 0); }

void ItemList::EnsureFocusedItem() noexcept {
    if (Count() == 0 || Next(-1, LVNI_FOCUSED) >= 0) return;
    int selected = Next(-1, LVNI_SELECTED);
    SetState(selected >= 0 ? selected : 0, LVIS_FOCUSED, LVIS_FOCUSED);
}

void ItemList::SetControlCount() noexcept {
    if (window_ == nullptr) return;
    // Appending keeps the rows in view where they are.
    SendMessageA(window_, LVM_SETITEMCOUNT, items_.size(), LVSICF_NOSCROLL);
}

}  // namespace cataloom
