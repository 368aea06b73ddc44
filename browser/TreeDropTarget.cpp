#include "browser/TreeDropTarget.h"

#include <shlobj.h>

#include "browser/NamespaceTree.h"
#include "namespace/ComResult.h"

namespace cataloom {
namespace {

// The drop target of the item at `place`, as its parent folder gives it.
ComPtr<IDropTarget> TargetOf(HWND owner, PCIDLIST_ABSOLUTE place) {
    ComPtr<IDropTarget> target;
    ComPtr<IShellFolder> parent;
    PCUITEMID_CHILD child = nullptr;
    if (place == nullptr || FAILED(SHBindToParent(place, IID_IShellFolder, parent.PutVoid(), &child))) return target;
    parent->GetUIObjectOf(owner, 1, &child, IID_IDropTarget, nullptr, target.PutVoid());
    return target;
}

}  // namespace

STDMETHODIMP TreeDropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) noexcept {
    if (effect == nullptr) return E_INVALIDARG;
    return ComFirewall([&] {
        Leave();
        if (data != nullptr) data->AddRef();
        *data_.Put() = data;
        Hover(keys, point, effect);
        return S_OK;
    });
}

STDMETHODIMP TreeDropTarget::DragOver(DWORD keys, POINTL point, DWORD* effect) noexcept {
    if (effect == nullptr) return E_INVALIDARG;
    return ComFirewall([&] {
        Hover(keys, point, effect);
        return S_OK;
    });
}

STDMETHODIMP TreeDropTarget::DragLeave() noexcept {
    return ComFirewall([&] {
        Leave();
        data_.Reset();
        return S_OK;
    });
}

STDMETHODIMP TreeDropTarget::Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) noexcept {
    if (effect == nullptr) return E_INVALIDARG;
    return ComFirewall([&]() -> HRESULT {
        const DWORD allowed = *effect;
        if (!data_ && data != nullptr) {
            data->AddRef();
            *data_.Put() = data;
        }
        // Under Wine a drag may drop at once, with no hover before it.
        Hover(keys, point, effect);
        HRESULT hr = S_OK;
        if (target_ && *effect != DROPEFFECT_NONE) {
            *effect = allowed;
            hr = target_->Drop(data, keys, point, effect);
            target_.Reset();  // the drop ended its drag: no DragLeave
        } else {
            *effect = DROPEFFECT_NONE;
        }
        Leave();
        data_.Reset();
        return hr;
    });
}

void TreeDropTarget::Hover(DWORD keys, POINTL point, DWORD* effect) {
    const DWORD allowed = *effect;
    *effect = DROPEFFECT_NONE;
    HTREEITEM node = tree_.NodeAt({point.x, point.y});
    if (node != node_ || !target_) {
        Leave();
        node_ = node;
        target_ = TargetOf(tree_.Window(), tree_.PlaceOf(node));
        if (!target_ || !data_) return;
        *effect = allowed;
        if (FAILED(target_->DragEnter(data_.Get(), keys, point, effect))) *effect = DROPEFFECT_NONE;
    } else {
        *effect = allowed;
        if (FAILED(target_->DragOver(keys, point, effect))) *effect = DROPEFFECT_NONE;
    }
    tree_.Highlight(*effect != DROPEFFECT_NONE ? node_ : nullptr);
}

void TreeDropTarget::Leave() {
    if (target_) target_->DragLeave();
    target_.Reset();
    node_ = nullptr;
    tree_.Highlight(nullptr);
}

}  // namespace cataloom
