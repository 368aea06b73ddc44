#include "view/ItemDropTarget.h"

#include <new>

#include "core/ItemIdFactory.h"
#include "core/PathUtil.h"
#include "namespace/CatalogFolder.h"
#include "namespace/ComPtr.h"
#include "namespace/ComResult.h"
#include "namespace/DroppedFiles.h"
#include "namespace/ProcessObjects.h"
#include "view/NewCatalogDrop.h"

namespace cataloom {
namespace {

using Ids = ItemIdFactory;

bool IsCategory(const ItemId* item) {
    return item != nullptr && Ids::Kind(item) == kKindCategory && Ids::IsEnd(Ids::Next(item));
}

}  // namespace

HRESULT ItemDropTarget::Create(CatalogFolder* folder, HWND owner, UINT count, const ItemId* const* items,
                               REFIID iid, void** out) noexcept {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    // A catalogue's folders have no place on disk to drop into.
    if (folder == nullptr || !folder->IsFileSystemLevel() || count > 1 || !IsEqualIID(iid, IID_IDropTarget))
        return E_NOINTERFACE;
    if (count == 1 && (items == nullptr || !IsCategory(items[0]))) return E_NOINTERFACE;
    return ComFirewall([&]() -> HRESULT {
        auto* target = new (std::nothrow) ItemDropTarget(folder, owner);
        if (target == nullptr) return E_OUTOFMEMORY;
        ComPtr<IDropTarget> holder;
        *holder.Put() = target;
        if (count == 1) {
            target->target_.Reset(ProcessObjects::ItemIds().Copy(items[0]));
            if (target->target_ == nullptr) return E_OUTOFMEMORY;
        }
        return target->QueryInterface(iid, out);
    });
}

ItemDropTarget::ItemDropTarget(CatalogFolder* folder, HWND owner) noexcept : folder_(folder), owner_(owner) {
    folder_->AddRef();
}

ItemDropTarget::~ItemDropTarget() { folder_->Release(); }

void ItemDropTarget::Classify(IDataObject* data) {
    accepted_ = Accepted::kNothing;
    if (data == nullptr) return;
    FORMATETC files = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    if (data->QueryGetData(&files) == S_OK) {
        accepted_ = Accepted::kDirectory;
    } else if (move_.Read(data)) {
        accepted_ = Accepted::kMove;
    }
}

bool ItemDropTarget::Destination(char* path) const noexcept {
    return folder_->FileSystemPath(target_.Get(), path, kMaxPath) > 0;
}

STDMETHODIMP ItemDropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) noexcept {
    if (effect == nullptr) return E_POINTER;
    return ComFirewall([&] {
        Classify(data);
        return DragOver(keys, point, effect);
    });
}

STDMETHODIMP ItemDropTarget::DragOver(DWORD, POINTL, DWORD* effect) noexcept {
    if (effect == nullptr) return E_POINTER;
    return ComFirewall([&] {
        // Never more than the source allows: a move it did not offer would
        // tell it to delete what it still has.
        const DWORD allowed = *effect;
        *effect = DROPEFFECT_NONE;
        char destination[kMaxPath];
        if (accepted_ == Accepted::kDirectory) {
            *effect = allowed & DROPEFFECT_LINK;
        } else if (accepted_ == Accepted::kMove && Destination(destination) && move_.CanMoveInto(destination)) {
            *effect = allowed & DROPEFFECT_MOVE;
        }
        return S_OK;
    });
}

STDMETHODIMP ItemDropTarget::DragLeave() noexcept {
    accepted_ = Accepted::kNothing;
    return S_OK;
}

STDMETHODIMP ItemDropTarget::Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) noexcept {
    if (effect == nullptr) return E_POINTER;
    return ComFirewall([&]() -> HRESULT {
        // What is dropped is read again: it need not be what was entered with.
        CATALOOM_RETURN_IF_FAILED(DragEnter(data, keys, point, effect));
        const Accepted accepted = accepted_;
        accepted_ = Accepted::kNothing;
        char destination[kMaxPath];
        HRESULT hr = E_FAIL;
        if (*effect != DROPEFFECT_NONE && Destination(destination)) {
            hr = accepted == Accepted::kMove ? move_.MoveInto(destination, folder_->IdList())
                                             : DropDirectory(data, destination);
        }
        if (FAILED(hr)) *effect = DROPEFFECT_NONE;
        return hr;
    });
}

HRESULT ItemDropTarget::DropDirectory(IDataObject* data, const char* destination) {
    char source[kMaxPath];
    if (!FirstDroppedFile(data, source, sizeof source) || !path::IsDirectory(source)) return E_FAIL;
    // The capture runs after the drag: the source waits for this call.
    return NewCatalogDrop::Schedule(owner_, source, destination, static_cast<IShellFolder*>(folder_)) ? S_OK : E_FAIL;
}

}  // namespace cataloom
