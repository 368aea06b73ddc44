// The data object of categories and catalogues dragged out of a view of the
// data folder or of a category: it offers one format, the move format, whose
// block lists the items' paths on disk.  Views inside a catalogue get none.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <vector>

#include "core/ItemId.h"
#include "core/TaskMemory.h"
#include "namespace/ComObject.h"

namespace cataloom {

class CatalogFolder;

class ItemDataObject final : public ComObject<ItemDataObject, IDataObject> {
public:
    // The folders' constructor for IID_IDataObject: `count` (at least one)
    // categories or catalogues of a file-system-level `folder`.
    static HRESULT Create(CatalogFolder* folder, HWND owner, UINT count, const ItemId* const* items, REFIID iid,
                          void** out) noexcept;
    // The one format offered (content, index -1, global memory).
    static FORMATETC MoveFormat() noexcept;

    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) noexcept override;
    STDMETHODIMP GetDataHere(FORMATETC* format, STGMEDIUM* medium) noexcept override;
    STDMETHODIMP QueryGetData(FORMATETC* format) noexcept override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) noexcept override;
    STDMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) noexcept override;
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) noexcept override;
    STDMETHODIMP DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) noexcept override;
    STDMETHODIMP DUnadvise(DWORD connection) noexcept override;
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA** out) noexcept override;

private:
    explicit ItemDataObject(CatalogFolder* folder) noexcept;
    ~ItemDataObject() override;

    // The move block in global memory; null when a path cannot be had or
    // does not fit.
    HGLOBAL BuildPayload() const;

    CatalogFolder* folder_;
    std::vector<TaskMemory<ItemId>> items_;
};

}  // namespace cataloom
