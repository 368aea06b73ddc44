#include "view/ItemDataObject.h"

#include <cstring>
#include <new>
#include <string>

#include "core/ItemIdFactory.h"
#include "core/MovePayload.h"
#include "core/PathUtil.h"
#include "namespace/CatalogFolder.h"
#include "namespace/ComPtr.h"
#include "namespace/ComResult.h"
#include "namespace/ProcessObjects.h"
#include "view/FormatEnumerator.h"

namespace cataloom {

HRESULT ItemDataObject::Create(CatalogFolder* folder, HWND, UINT count, const ItemId* const* items, REFIID iid,
                               void** out) noexcept {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    // Entries inside a catalogue have no place on disk to move.
    if (folder == nullptr || !folder->IsFileSystemLevel() || count == 0 || items == nullptr ||
        !IsEqualIID(iid, IID_IDataObject))
        return E_NOINTERFACE;
    return ComFirewall([&]() -> HRESULT {
        auto* object = new (std::nothrow) ItemDataObject(folder);
        if (object == nullptr) return E_OUTOFMEMORY;
        ComPtr<IDataObject> holder;
        *holder.Put() = object;
        const ItemIdFactory& ids = ProcessObjects::ItemIds();
        for (UINT i = 0; i < count; ++i) {
            const std::uint16_t kind = ItemIdFactory::Kind(items[i]);
            if (kind != kKindCategory && kind != kKindMedia) return E_INVALIDARG;
            TaskMemory<ItemId> copy(ids.Copy(items[i]));
            if (copy == nullptr) return E_OUTOFMEMORY;
            object->items_.push_back(std::move(copy));
        }
        return object->QueryInterface(iid, out);
    });
}

FORMATETC ItemDataObject::MoveFormat() noexcept {
    return {static_cast<CLIPFORMAT>(ProcessObjects::FileMoveFormat()), nullptr, DVASPECT_CONTENT, -1,
            TYMED_HGLOBAL};
}

ItemDataObject::ItemDataObject(CatalogFolder* folder) noexcept : folder_(folder) { folder_->AddRef(); }

ItemDataObject::~ItemDataObject() { folder_->Release(); }

STDMETHODIMP ItemDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) noexcept {
    if (format == nullptr || medium == nullptr) return E_POINTER;
    CATALOOM_RETURN_IF_FAILED(QueryGetData(format));
    medium->tymed = TYMED_NULL;
    medium->hGlobal = nullptr;
    medium->pUnkForRelease = nullptr;
    return ComFirewall([&]() -> HRESULT {
        HGLOBAL block = BuildPayload();
        if (block == nullptr) return E_FAIL;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = block;
        return S_OK;
    });
}

HGLOBAL ItemDataObject::BuildPayload() const {
    std::vector<std::string> paths;
    for (const TaskMemory<ItemId>& item : items_) {
        char path[kMaxPath];
        // A path that does not fit fails the whole block: a shorter one would
        // name another item.
        if (folder_->FileSystemPath(item.Get(), path, sizeof path) <= 0) return nullptr;
        paths.emplace_back(path);
    }
    POINT cursor = {};
    GetCursorPos(&cursor);
    const std::vector<std::uint8_t> bytes = MovePayload::Build(paths, cursor.x, cursor.y);
    if (bytes.empty()) return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE | GMEM_ZEROINIT, bytes.size());
    if (block == nullptr) return nullptr;
    void* at = GlobalLock(block);
    if (at == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(at, bytes.data(), bytes.size());
    GlobalUnlock(block);
    return block;
}

STDMETHODIMP ItemDataObject::GetDataHere(FORMATETC*, STGMEDIUM*) noexcept { return E_NOTIMPL; }

STDMETHODIMP ItemDataObject::QueryGetData(FORMATETC* format) noexcept {
    if (format == nullptr) return S_FALSE;
    if (format->cfFormat != ProcessObjects::FileMoveFormat() || format->cfFormat == 0) return DV_E_FORMATETC;
    if (format->lindex != -1) return DV_E_LINDEX;
    if (format->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if ((format->tymed & TYMED_HGLOBAL) == 0) return DV_E_TYMED;
    return S_OK;
}

STDMETHODIMP ItemDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) noexcept {
    if (out != nullptr) out->ptd = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ItemDataObject::SetData(FORMATETC*, STGMEDIUM*, BOOL) noexcept { return E_NOTIMPL; }

STDMETHODIMP ItemDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) noexcept {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    switch (direction) {
    case DATADIR_GET: {
        const FORMATETC format = MoveFormat();
        return FormatEnumerator::Create(&format, 1, out);
    }
    case DATADIR_SET:
        return E_NOTIMPL;
    default:
        return E_INVALIDARG;
    }
}

STDMETHODIMP ItemDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) noexcept {
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP ItemDataObject::DUnadvise(DWORD) noexcept { return OLE_E_ADVISENOTSUPPORTED; }

STDMETHODIMP ItemDataObject::EnumDAdvise(IEnumSTATDATA**) noexcept { return OLE_E_ADVISENOTSUPPORTED; }

}  // namespace cataloom
