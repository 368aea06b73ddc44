// The drop target the folder hands out for itself (CreateViewObject) or for
// one of its categories (GetUIObjectOf): the shell's tree and other windows
// drop on it.  Categories and catalogues of the data folder (the move
// format) move into the target; a directory or drive from the shell (the
// file-drop format) becomes a new catalogue there.  Only folders whose items
// are on disk hand it out.
#pragma once

#include <windows.h>
#include <oleidl.h>

#include "core/ItemId.h"
#include "core/TaskMemory.h"
#include "namespace/ComObject.h"
#include "view/MoveRequest.h"

namespace cataloom {

class CatalogFolder;

class ItemDropTarget final : public ComObject<ItemDropTarget, IDropTarget> {
public:
    // The folders' constructor for IID_IDropTarget: no item for the folder
    // itself, or exactly one category.
    static HRESULT Create(CatalogFolder* folder, HWND owner, UINT count, const ItemId* const* items, REFIID iid,
                          void** out) noexcept;

    STDMETHODIMP DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) noexcept override;
    STDMETHODIMP DragOver(DWORD keys, POINTL point, DWORD* effect) noexcept override;
    STDMETHODIMP DragLeave() noexcept override;
    STDMETHODIMP Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) noexcept override;

private:
    enum class Accepted { kNothing, kMove, kDirectory };

    ItemDropTarget(CatalogFolder* folder, HWND owner) noexcept;
    ~ItemDropTarget() override;

    void Classify(IDataObject* data);
    // The target's folder on disk; false when its path does not fit.
    bool Destination(char* path) const noexcept;
    HRESULT DropDirectory(IDataObject* data, const char* destination);

    CatalogFolder* folder_;
    HWND owner_;
    TaskMemory<ItemId> target_;  // the category, or none for the folder itself
    Accepted accepted_ = Accepted::kNothing;
    MoveRequest move_;
};

}  // namespace cataloom
