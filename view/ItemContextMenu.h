// The context menu of the namespace's items (from the folder's
// GetUIObjectOf) and of a folder's background (from its CreateViewObject):
// builds the entries for the items' kinds and attributes and carries out
// explore, open, rename, delete, new category, properties, the view modes
// and search.  Its command offsets are the view's command numbers.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "core/ItemId.h"
#include "core/TaskMemory.h"
#include "namespace/ComObject.h"

namespace cataloom {

class CatalogFolder;
class FolderView;

class ItemContextMenu final : public ComObject<ItemContextMenu, IContextMenu, IShellExtInit> {
public:
    // Holds a reference on `folder` and copies of the items (check Valid());
    // no items: the background's menu.
    ItemContextMenu(CatalogFolder* folder, UINT count, const ItemId* const* items);

    bool Valid() const noexcept { return valid_; }
    // The folders' constructor of IContextMenu objects (FolderObjects).
    static HRESULT Create(CatalogFolder* folder, HWND owner, UINT count, const ItemId* const* items, REFIID iid,
                          void** out);

    // IShellExtInit: nothing to take from the shell.
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY key) noexcept override;
    // IContextMenu.  QueryContextMenu hands out no identifier beyond `last`
    // and answers the count of identifiers it used.
    STDMETHODIMP QueryContextMenu(HMENU menu, UINT position, UINT first, UINT last, UINT flags) noexcept override;
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) noexcept override;
    STDMETHODIMP GetCommandString(UINT_PTR command, UINT type, UINT* reserved, CHAR* name,
                                  UINT capacity) noexcept override;

private:
    ~ItemContextMenu() override;

    UINT Count() const noexcept { return static_cast<UINT>(items_.size()); }
    bool MediaListing() const noexcept;
    bool OpensAsFolder() const noexcept;
    // The attributes all items share, of those in `mask`; 0 on failure.
    SFGAOF Attributes(SFGAOF mask) const noexcept;

    HRESULT Open(HWND owner, FolderView* view, bool explore) noexcept;
    HRESULT Rename(FolderView* view) noexcept;
    HRESULT Delete(HWND owner) noexcept;
    HRESULT ShowProperties(HWND owner) noexcept;
    HRESULT Search(HWND owner) noexcept;

    CatalogFolder* folder_;
    std::vector<TaskMemory<ItemId>> copies_;
    std::vector<const ItemId*> items_;  // the copies, as arrays are passed
    bool valid_ = true;
};

}  // namespace cataloom
