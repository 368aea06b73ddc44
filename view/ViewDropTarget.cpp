#include "view/ViewDropTarget.h"

#include <commctrl.h>
#include <shlobj.h>

#include <new>

#include "core/PathUtil.h"
#include "namespace/CatalogFolder.h"
#include "namespace/ComResult.h"
#include "view/ItemList.h"

namespace cataloom {

ViewDropTarget::ViewDropTarget(const ItemList& items, CatalogFolder* folder) noexcept
    : items_(&items), folder_(folder) {
    folder_->AddRef();
}

ViewDropTarget::~ViewDropTarget() { folder_->Release(); }

void ViewDropTarget::Detach() noexcept {
    Highlight(-1);
    items_ = nullptr;
}

void ViewDropTarget::Highlight(int row) noexcept {
    if (row == highlighted_) return;
    const int before = highlighted_;
    highlighted_ = row;
    HWND list = items_ != nullptr ? items_->Window() : nullptr;
    if (list == nullptr) return;
    if (before >= 0) SendMessageA(list, LVM_REDRAWITEMS, before, before);
    if (row >= 0) SendMessageA(list, LVM_REDRAWITEMS, row, row);
    UpdateWindow(list);
}

bool ViewDropTarget::DestinationAt(POINTL point, char* destination) {
    HWND list = items_ != nullptr ? items_->Window() : nullptr;
    if (list == nullptr) return false;
    LVHITTESTINFO hit = {};
    hit.pt = {point.x, point.y};
    ScreenToClient(list, &hit.pt);
    const int row = static_cast<int>(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    const ItemId* item = (hit.flags & LVHT_ONITEM) != 0 ? items_->ItemAt(row) : nullptr;
    if (item == nullptr) return false;
    PCUITEMID_CHILD child = reinterpret_cast<PCUITEMID_CHILD>(item);
    SFGAOF attributes = SFGAO_DROPTARGET;
    const bool category = SUCCEEDED(folder_->GetAttributesOf(1, &child, &attributes)) &&
                          (attributes & SFGAO_DROPTARGET) != 0;
    if (!category) return folder_->FileSystemPath(nullptr, destination, kMaxPath) > 0;
    if (folder_->FileSystemPath(item, destination, kMaxPath) <= 0) return false;
    Highlight(row);
    return true;
}

STDMETHODIMP ViewDropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) noexcept {
    if (effect == nullptr) return E_POINTER;
    return ComFirewall([&] {
        move_.Read(data);
        return DragOver(keys, point, effect);
    });
}

STDMETHODIMP ViewDropTarget::DragOver(DWORD, POINTL point, DWORD* effect) noexcept {
    if (effect == nullptr) return E_POINTER;
    return ComFirewall([&] {
        const DWORD allowed = *effect;
        *effect = DROPEFFECT_NONE;
        Highlight(-1);
        char destination[kMaxPath];
        if (move_.Empty() || !DestinationAt(point, destination)) return S_OK;
        // A place the items already have, or one inside a dragged category,
        // is no target; nor is anything the source does not allow.
        if (move_.CanMoveInto(destination)) *effect = allowed & DROPEFFECT_MOVE;
        if (*effect == DROPEFFECT_NONE) Highlight(-1);
        return S_OK;
    });
}

STDMETHODIMP ViewDropTarget::DragLeave() noexcept {
    Highlight(-1);
    move_ = MoveRequest();
    return S_OK;
}

STDMETHODIMP ViewDropTarget::Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) noexcept {
    if (effect == nullptr) return E_POINTER;
    return ComFirewall([&]() -> HRESULT {
        // What is dropped is read again: it need not be what was entered with.
        CATALOOM_RETURN_IF_FAILED(DragEnter(data, keys, point, effect));
        char destination[kMaxPath];
        const bool found = *effect != DROPEFFECT_NONE && DestinationAt(point, destination);
        Highlight(-1);
        const MoveRequest move = std::move(move_);
        move_ = MoveRequest();
        const HRESULT hr = found ? move.MoveInto(destination, folder_->IdList()) : E_FAIL;
        if (FAILED(hr)) *effect = DROPEFFECT_NONE;
        return hr;
    });
}

void ViewDropRegistration::Register(HWND window, const ItemList& items, CatalogFolder* folder) noexcept {
    Revoke();
    if (window == nullptr || items.Window() == nullptr) return;
    auto* target = new (std::nothrow) ViewDropTarget(items, folder);
    if (target == nullptr) return;
    *target_.Put() = target;
    // The list asks the view for the highlight as it draws.
    SendMessageA(items.Window(), LVM_SETCALLBACKMASK, LVIS_DROPHILITED, 0);
    if (SUCCEEDED(RegisterDragDrop(window, target))) {
        window_ = window;
    } else {
        target_->Detach();
        target_.Reset();
    }
}

void ViewDropRegistration::Revoke() noexcept {
    if (window_ != nullptr) RevokeDragDrop(window_);
    window_ = nullptr;
    // A drag in progress may still hold the target: it reads no rows now.
    if (target_) target_->Detach();
    target_.Reset();
}

UINT ViewDropRegistration::RowState(int row) const noexcept {
    return target_ && row >= 0 && target_->HighlightedRow() == row ? LVIS_DROPHILITED : 0;
}

}  // namespace cataloom
