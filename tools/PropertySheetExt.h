// The property sheet extension: adds one page to whatever sheet asks for it.
// No folder or no items: the options page.  In the data folder's levels,
// exactly one item: the category page or the media page.  Inside a
// catalogue: the file page for one or more entries.  A catalogue file given
// through IShellExtInit: the media page for that file.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <vector>

#include "core/ItemId.h"
#include "core/PathUtil.h"
#include "core/TaskMemory.h"
#include "namespace/ComObject.h"
#include "tools/SheetPage.h"

namespace cataloom {

class CatalogFolder;

class PropertySheetExt final : public ComObject<PropertySheetExt, IShellPropSheetExt, IShellExtInit> {
public:
    // Holds a reference on `folder` (may be null) and copies of the items
    // (check Valid()).
    PropertySheetExt(CatalogFolder* folder, UINT count, const ItemId* const* items);

    bool Valid() const noexcept { return valid_; }

    // IShellExtInit: the first dropped file, when it is a catalogue file.
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY key) noexcept override;
    // IShellPropSheetExt
    STDMETHODIMP AddPages(LPFNSVADDPROPSHEETPAGE add, LPARAM parameter) noexcept override;
    STDMETHODIMP ReplacePage(EXPPS page, LPFNSVADDPROPSHEETPAGE replace, LPARAM parameter) noexcept override;

private:
    ~PropertySheetExt() override;

    // The page for what the object holds; E_FAIL when there is none (two
    // catalogues, an item of no known kind).
    HRESULT MakePage(std::unique_ptr<SheetPage>& page);
    IUnknown* Owner() noexcept { return static_cast<IShellPropSheetExt*>(this); }

    CatalogFolder* folder_;
    std::vector<TaskMemory<ItemId>> copies_;
    std::vector<const ItemId*> items_;  // the copies, as arrays are passed
    char catalogPath_[kMaxPath] = {};   // set by Initialize
    std::vector<std::unique_ptr<SheetPage>> pages_;
    bool valid_ = true;
};

}  // namespace cataloom
