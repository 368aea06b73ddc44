#include "view/ItemList.h"

#include "core/ItemIdFactory.h"
#include "namespace/ProcessObjects.h"
#include "namespace/ShellUtil.h"

namespace cataloom {

bool ItemList::Create(HWND parent, DWORD style) noexcept {
    window_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", style, 0, 0, 0, 0, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kControlId)),
                              reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE)), nullptr);
    return window_ != nullptr;
}

int ItemList::Count() const noexcept { return static_cast<int>(SendMessageA(window_, LVM_GETITEMCOUNT, 0, 0)); }

int ItemList::SelectedCount() const noexcept {
    return static_cast<int>(SendMessageA(window_, LVM_GETSELECTEDCOUNT, 0, 0));
}

const ItemId* ItemList::ItemAt(int index) const noexcept {
    LVITEMA row = {};
    row.mask = LVIF_PARAM;
    row.iItem = index;
    if (index < 0 || !SendMessageA(window_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&row))) return nullptr;
    return reinterpret_cast<const ItemId*>(row.lParam);
}

int ItemList::Find(IShellFolder* folder, const ItemId* item) const noexcept {
    if (item == nullptr) return -1;
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        const ItemId* row = ItemAt(i);
        // Equal only when the folder says so: a failed comparison is no match.
        if (row != nullptr && folder->CompareIDs(0, AsIdList(row), AsIdList(item)) == S_OK) return i;
    }
    return -1;
}

int ItemList::Next(int index, UINT flags) const noexcept {
    return static_cast<int>(SendMessageA(window_, LVM_GETNEXTITEM, static_cast<WPARAM>(index), MAKELPARAM(flags, 0)));
}

std::vector<const ItemId*> ItemList::Collect(bool selectedOnly) const {
    std::vector<const ItemId*> items;
    const UINT flags = selectedOnly ? LVNI_SELECTED : LVNI_ALL;
    for (int i = Next(-1, flags); i >= 0; i = Next(i, flags)) {
        // A row without an identifier is left out, never passed on as null.
        if (const ItemId* item = ItemAt(i)) items.push_back(item);
    }
    return items;
}

int ItemList::Append(ItemId* item) noexcept {
    if (item == nullptr) return -1;
    LVITEMA row = {};
    row.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    row.iItem = Count();
    row.pszText = LPSTR_TEXTCALLBACKA;
    row.iImage = I_IMAGECALLBACK;
    row.lParam = reinterpret_cast<LPARAM>(item);
    int index = window_ != nullptr
                    ? static_cast<int>(SendMessageA(window_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row)))
                    : -1;
    if (index < 0) ProcessObjects::ItemIds().Free(item);
    return index;
}

bool ItemList::Replace(int index, ItemId* item) noexcept {
    ItemId* old = const_cast<ItemId*>(ItemAt(index));
    LVITEMA row = {};
    row.mask = LVIF_PARAM;
    row.iItem = index;
    row.lParam = reinterpret_cast<LPARAM>(item);
    if (old == nullptr || !SendMessageA(window_, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&row))) {
        ProcessObjects::ItemIds().Free(item);
        return false;
    }
    ProcessObjects::ItemIds().Free(old);
    return true;
}

void ItemList::Delete(int index) noexcept { SendMessageA(window_, LVM_DELETEITEM, static_cast<WPARAM>(index), 0); }

void ItemList::DeleteAll() noexcept {
    if (window_ != nullptr) SendMessageA(window_, LVM_DELETEALLITEMS, 0, 0);
}

void ItemList::OnDeleteItem(const NMLISTVIEW& notification) noexcept {
    ProcessObjects::ItemIds().Free(reinterpret_cast<ItemId*>(notification.lParam));
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

}  // namespace cataloom
