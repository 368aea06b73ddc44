// Drops on the browser's tree pane go to the drop target that the folder
// holding the node under the cursor hands out for it, as a shell tree does:
// a category takes catalogues and categories moved onto it, or a directory
// to catalogue.  The node that would take the drop is highlighted.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <oleidl.h>

#include "namespace/ComObject.h"
#include "namespace/ComPtr.h"

namespace cataloom {

class NamespaceTree;

class TreeDropTarget final : public ComObject<TreeDropTarget, IDropTarget> {
public:
    explicit TreeDropTarget(const NamespaceTree& tree) noexcept : tree_(tree) {}

    STDMETHODIMP DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) noexcept override;
    STDMETHODIMP DragOver(DWORD keys, POINTL point, DWORD* effect) noexcept override;
    STDMETHODIMP DragLeave() noexcept override;
    STDMETHODIMP Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) noexcept override;

private:
    // Follows the cursor to the node under it: leaves the previous node's
    // target, enters the new one's; the effect the current target answers.
    void Hover(DWORD keys, POINTL point, DWORD* effect);
    void Leave();

    const NamespaceTree& tree_;
    ComPtr<IDataObject> data_;
    HTREEITEM node_ = nullptr;
    ComPtr<IDropTarget> target_;
};

}  // namespace cataloom
