// The drop target of a view of the data folder or of a category: dragged
// categories and catalogues (the move format only) move into the category
// under the cursor, highlighted while hovering, or into the view's own folder
// when the cursor is over a catalogue.  Empty space is no drop zone.
#pragma once

#include <windows.h>
#include <oleidl.h>

#include "namespace/ComObject.h"
#include "namespace/ComPtr.h"
#include "view/MoveRequest.h"

namespace cataloom {

class CatalogFolder;
class ItemList;

class ViewDropTarget final : public ComObject<ViewDropTarget, IDropTarget> {
public:
    // Works on the rows of `items` (the view's list) and holds `folder`.
    ViewDropTarget(const ItemList& items, CatalogFolder* folder) noexcept;
    // The view's window is going: the rows are no longer there to read.
    void Detach() noexcept;
    // The highlighted row; -1 when none.
    int HighlightedRow() const noexcept { return highlighted_; }

    STDMETHODIMP DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) noexcept override;
    STDMETHODIMP DragOver(DWORD keys, POINTL point, DWORD* effect) noexcept override;
    STDMETHODIMP DragLeave() noexcept override;
    STDMETHODIMP Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) noexcept override;

private:
    ~ViewDropTarget() override;

    // The folder a drop at `point` goes to: the category row under it (which
    // gets the highlight) or the view's own folder over a catalogue row;
    // false over empty space or when the path does not fit.
    bool DestinationAt(POINTL point, char* destination);
    void Highlight(int row) noexcept;

    const ItemList* items_;
    CatalogFolder* folder_;
    int highlighted_ = -1;
    MoveRequest move_;  // empty when the data offers no sound move
};

// The view's drop target registered for its window: registered on creation
// of a view of the data folder or of a category, revoked before the window
// is destroyed.
class ViewDropRegistration {
public:
    ViewDropRegistration() = default;
    ~ViewDropRegistration() { Revoke(); }
    ViewDropRegistration(const ViewDropRegistration&) = delete;
    ViewDropRegistration& operator=(const ViewDropRegistration&) = delete;

    void Register(HWND window, const ItemList& items, CatalogFolder* folder) noexcept;
    void Revoke() noexcept;
    // LVIS_DROPHILITED for the highlighted row: the list keeps no states
    // beyond selection and focus for the rows the view owns.
    UINT RowState(int row) const noexcept;

private:
    HWND window_ = nullptr;
    ComPtr<ViewDropTarget> target_;
};

}  // namespace cataloom
